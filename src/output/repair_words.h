// What the run-time layer needs to explain a program that does not parse or misbehaves, in the
// learner's words: the table's words with the JavaScript they become, the program's declared
// names and joined answers, and the compile-time hints about its blocks, as one more dictionary line.
// Tests: tests/browser/mistakes_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "diagnostics/hint.h"
#include "diagnostics/slips.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

namespace output {

// One line "__LUM__.словарь({...});\n" with: "переводы" ([word, JavaScript] of every rule whose
// pattern is its words alone), "заголовки" ([opening JavaScript, closing word, its JavaScript, the word] of
// each condition or loop word), "метка" ([mark, JavaScript] of the rule that ends a header after
// ")"), "знаки" (JavaScript operator -> the word that wrote it), "объявляют" ([word, JavaScript]
// of the declaring words), "чужие" (other languages' words -> ours), "объявлены" (name -> line),
// "неопределеноНаписано" and "склейки" (lines) and "подсказки" ([line, text] of the hints about blocks and headers, at most
// maxBlockHints). No "<" in it.
std::string repairWordsLine(const rules::Vocabulary& vocabulary, const std::vector<rules::Rule>& table,
                            const diagnostics::ProgramFacts& facts, const std::vector<diagnostics::Hint>& hints,
                            const std::vector<diagnostics::OtherWord>& otherWords);

inline constexpr std::size_t maxBlockHints = 20;

}  // namespace output
