// A program as an editor sees it: its text by lines, and the names it defines with where and as
// what (variable, function and its values, loop variable…), read with the table's words.
// Tests: tests/services/language_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "services/language.h"

namespace services {

// A place in a text: line from 0, column in code points from 0.
struct Place {
    std::uint32_t line = 0, column = 0;
};
struct Range {
    Place from, to;
};

// A document's text, decoded, with the start of each line.
struct Text {
    base::CodePoints chars;
    std::vector<std::size_t> lineStarts;  // at least one
    std::size_t lineEnd(std::uint32_t line) const;  // before its line feed (and carriage return)
    std::size_t offset(Place p) const;              // clamped to the text
    Place place(std::size_t offset) const;
    std::string lineText(std::uint32_t line) const;  // UTF-8, without its line end
};
Text makeText(const std::string& utf8);
// A column in UTF-16 units (as editors count them) of a place, and the place of a line and such
// a column (clamped to the line).
std::uint32_t utf16Column(const Text& text, Place p);
Place placeOfUtf16(const Text& text, std::uint32_t line, std::uint64_t units);  // invalid UTF-8 is read as CP1251, as a compile reads it

enum class NameKind { Variable, Constant, LoopVariable, Function, Parameter, Class, Key };
const char* nameKindTitle(NameKind kind);  // "переменная", "функция"…

struct ProgramName {
    std::string name;  // UTF-8
    NameKind kind = NameKind::Variable;
    Range at;          // where it is first defined
    std::string declaredWith;  // the declaring phrase before it («пусть»), "" for none
    std::vector<std::string> parameters;  // a function's, as written
};

// The names a program defines, each once, in order of first definition (the names the hints
// know as defined). Linear in the text.
std::vector<ProgramName> programNames(const Text& text, const Language& language);

// The word (letters, digits, "_") at or just before a place: its range, or an empty range at
// the place when none.
Range wordAt(const Text& text, Place p);

}  // namespace services
