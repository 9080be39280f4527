// The names a learner's program defines, read off its source with the words of the loaded rules.
// Tests: tests/diagnostics/names_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "diagnostics/word_table.h"
#include "rules/vocabulary.h"
#include "translator/source_regions.h"

namespace diagnostics {

// The names the program defines: the name after a declaring word of the rules («пусть»,
// «функция», «для каждого»…) or of JavaScript (let, const, var, function, class), the names in
// the brackets that follow a function word (parameters, also of "catch") or a declaring word
// ("пусть [а, б] = …"), the parameters of arrow functions, assigned names ("x = …", not "a.x = …")
// and object keys ("{ключ: 1}"). UTF-8, each once, in order of first definition; literals,
// comments and template text are skipped. Linear in the text.
std::vector<std::string> definedNames(const base::CodePoints& source, const rules::Vocabulary& vocabulary);

// A token as the reading of names takes it: a word (mark 0), one of the marks ( ) [ ] { } = : ,
// . ? (other operators part tokens as spaces do), or a stretch of literal, comment or template
// (mark opaqueMark).
struct NameToken {
    std::uint32_t from = 0, to = 0;  // code points [from, to); a text's length fits its line numbers' type
    std::uint32_t mark = 0;
};
constexpr std::uint32_t opaqueMark = 0xFFFFFFFF;

constexpr bool isNameMark(std::uint32_t c) {
    return c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}' || c == '=' || c == ':' || c == ',' ||
           c == '.' || c == '?';
}

// The tokens of a text whose regions are known, in order.
std::vector<NameToken> nameTokens(const std::uint32_t* chars, std::size_t n, const translator::SourceRegions& regions);

// Where a defined name first stands.
struct NameSpan {
    std::uint32_t from = 0, length = 0;
};

// definedNames over tokens already taken, each name added to `table` (over the same text) as it
// is first defined: ids from the table's count on, in the order of the spans returned.
std::vector<NameSpan> defineNames(const std::uint32_t* chars, std::size_t n, const std::vector<NameToken>& tokens,
                                  const rules::Vocabulary& vocabulary, WordTable& table);

// definedNames over tokens already taken, as code-point strings.
std::vector<std::u32string> definedNameList(const std::uint32_t* chars, std::size_t n,
                                            const std::vector<NameToken>& tokens, const rules::Vocabulary& vocabulary);

}  // namespace diagnostics
