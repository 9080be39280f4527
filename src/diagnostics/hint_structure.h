// The learner's program read the way the rules will rewrite it: where each rule takes its words,
// which brackets the translation will hold on each line, and the blocks and conditions they open.
// Gives the hints about blocks never closed or closed twice, headers not finished on their line
// and "=" inside a condition.
// Tests: tests/diagnostics/hints_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "diagnostics/hint.h"
#include "diagnostics/names.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"
#include "translator/source_regions.h"

namespace diagnostics {

// A word of the source that no rule takes: a name of the learner's, or a mistake.
struct LearnerWord {
    std::uint32_t from = 0, to = 0;  // code points [from, to); a text's length fits its line numbers' type
    bool afterDot = false;           // written after "." (a property or method)
};

struct StructureReading {
    std::vector<Hint> findings;  // unclosed blocks, unfinished headers and "=" in conditions, in the order found
    std::vector<LearnerWord> words;
    std::vector<NameToken> tokens;  // what nameTokens would give, taken on the same pass
};

// Rules are tried at every code position in table order, first match wins, and what a rule
// writes is read again by the rules after it (up to eight deep), as the translator would do;
// the rules are looked up by the first code point their pattern can take, so a position costs
// the rules that could start there. Linear in the text for a given table. Blocks are not told
// from line `brokenFrom` on (0: everywhere), where a string swallowed a line end.
StructureReading readStructure(const base::CodeText& text, const translator::SourceRegions& regions,
                               const std::vector<rules::Rule>& table, const rules::Vocabulary& vocabulary, std::uint32_t brokenFrom);

using base::onLine;  // "строка N: " followed by a message
// The learner's own text between two positions: letter runs joined by single spaces.
std::string lettersOf(const std::uint32_t* chars, std::size_t from, std::size_t to);

}  // namespace diagnostics
