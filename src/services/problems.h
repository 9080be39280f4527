// What lum tells about a program, for an editor: the compile's warnings and hints, each with the
// range of the words it names, a severity by kind and, where the hint names an edit, that edit.
// The same checks as a compile (output/compile.cpp), in memory: nothing is written.
// Tests: tests/services/problems_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "services/language.h"
#include "services/program.h"

namespace services {

enum class Severity { Error = 1, Warning = 2, Information = 3, Hint = 4 };  // as LSP numbers them

struct Problem {
    Range range;
    Severity severity = Severity::Warning;
    std::string code;     // "warning" for a compile's warning, else the hint kind's name ("unknown-word")
    std::string message;  // the warning or hint without its "строка N: "
    bool hasFix = false;
    Range fixRange;         // where the fix goes: the words named, or an empty range to insert at
    std::string fix;        // put in place of `fixRange`
    std::string fixTitle;   // «Заменить на «если»», «Дописать «то»», «Убрать «конец»»
};

struct Analysis {
    std::vector<Problem> problems;            // warnings first, then hints, as a compile reports them
    std::vector<std::string> includedFiles;   // library files read: a change to one calls for a new analysis
};

// `folder` is where the program's library directives look first ("." for a text with no file).
// Linear in the text and its libraries, like a compile.
Analysis analyse(const Text& text, const std::string& folder, const Language& language);

}  // namespace services
