// Slips of a beginner that the table's own words make plain: the comparison word used to give a
// value, a decimal comma, a loop header with «в» for the loop's word, words of other languages
// (the data file src/other_words.csv); and what the run-time layer needs to know of a program to
// explain its errors: where each name is declared, which lines join two answers of the asking word.
// Tests: tests/diagnostics/hints_test.cpp, tests/browser/mistakes_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "diagnostics/hint.h"
#include "rules/loaded_rules.h"
#include "rules/vocabulary.h"
#include "translator/source_regions.h"

namespace diagnostics {

// A word of another language and the table's word for it (rules/loaded_rules.h).
using OtherWord = rules::OtherWord;

struct ProgramFacts {
    // Names written after a declaring word («пусть», «функция», «для каждого»…), each with the
    // first line that declares it, in order of first declaration.
    std::vector<std::pair<std::string, std::uint32_t>> declared;
    // Lines where "+" joins two names whose last value came from the asking word («спросить»).
    std::vector<std::uint32_t> joinedAnswers;
    // Lines where the learner wrote the word for "no value" («неопределено») themselves: printing
    // it there is meant, and earns no note.
    std::vector<std::uint32_t> undefinedWritten;
};

// One pass over the code of `source` (literals and comments skipped). Linear in the text.
ProgramFacts readProgramFacts(const base::CodeText& source, const translator::SourceRegions& regions,
                              const rules::Vocabulary& vocabulary);

// The hints for the comparison word that gives a value, a decimal comma and «в» in a loop
// header, appended to `out`. Each is told only where no reading of the line could be right.
void slipHints(const base::CodeText& source, const translator::SourceRegions& regions, const rules::Vocabulary& vocabulary,
               const std::vector<OtherWord>& otherWords, std::vector<Hint>& out);

}  // namespace diagnostics
