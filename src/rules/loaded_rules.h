// The language as loaded: the rule table, its vocabulary and the words of other languages, made
// once when the rules are loaded (start-up, a reload of the rules file, the playground's load)
// and handed to every compile and every editor request by const reference.
// Tests: tests/rules/vocabulary_test.cpp, tests/diagnostics/analysis_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

namespace rules {

// A word a learner brings from another language, or a slip of their own («в» for «из»), and the
// table's word to write instead. lum has the list of src/other_words.csv built in; a teacher's
// other_words.csv beside the rules file takes its place (the front end loads it).
struct OtherWord {
    std::string word, ours;  // UTF-8
};
std::vector<OtherWord> builtinOtherWords();
// The rows of a file in that format ("слово,по-нашему" heading, one pair a line; blank lines
// and lines without a comma are left out).
std::vector<OtherWord> parseOtherWords(const std::string& csv);

// Invariant: `vocabulary` is deriveVocabulary(table); the fields change only together, through
// loadedRules. The rule index the translator and the hints match with is built by the translator
// from `table` (rules/ cannot build it: it is the translator's).
struct LoadedRules {
    std::vector<Rule> table;
    Vocabulary vocabulary;
    std::vector<OtherWord> otherWords;
};

// The table and the other languages' words with the vocabulary derived from the table, once.
LoadedRules loadedRules(std::vector<Rule> table, std::vector<OtherWord> otherWords = builtinOtherWords());

}  // namespace rules
