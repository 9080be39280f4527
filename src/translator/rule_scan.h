// One rule's scan over a text, made fast without changing its result: a start filter that
// passes over positions where no non-empty match can begin, vectorised searches for quotes
// and candidates, and for patterns with "+" a matcher that keeps what failed across starts.
// Tests: tests/translator/apply_rules_equivalence_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rules/rulesfile.h"
#include "translator/scan_matcher.h"

namespace translator {

// One accepted match: the code points [start, end) of the text as the scan found it.
struct Match {
    std::uint32_t start;
    std::uint32_t end;
};

// Which code points can stand at a match start (and, when known, right after it).
struct StartFilter {
    enum Kind : std::uint8_t {
        never,       // no node consumes anything: every match would be empty
        everywhere,  // no cheap test: the matcher is tried at every open position
        values,      // the first code point is one of `first`, the second one of `second`
    };
    static constexpr std::size_t maxValues = 6;
    Kind kind = never;
    std::uint8_t firstCount = 0;
    std::uint8_t secondCount = 0;  // 0: the code point after the start is not tested
    std::uint32_t first[maxValues] = {};
    std::uint32_t second[maxValues] = {};
    bool repeats = false;  // a "+" atom: the scan runs the memo-keeping matcher
};

StartFilter makeStartFilter(const rules::Rule& rule);

// The accepted matches of `rule` over text[0, n), appended in order to `matches`: the same ones
// the straightforward scan finds by trying the matcher at every position outside the string
// literals. Hands the trace line of each accepted match (with its line feed) to `trace` when one
// is given.
using TraceSink = void (*)(const std::string& line);
void scanRule(const rules::Rule& rule, const StartFilter& filter, const std::uint32_t* text, std::size_t n,
              std::vector<Match>& matches, ScanScratch& scratch, TraceSink trace);

// Searches shared with the other passes that skip literals. Each returns the first position
// >= from (and < n) that qualifies, or n.
std::size_t findCodePoint(const std::uint32_t* text, std::size_t from, std::size_t n, std::uint32_t v);
// One of values[0, count), count being 1 to 3.
std::size_t findAnyOf(const std::uint32_t* text, std::size_t from, std::size_t n, const std::uint32_t* values,
                      std::size_t count);
// A quote, or `first` directly followed by `second`.
std::size_t findQuoteOrPair(const std::uint32_t* text, std::size_t from, std::size_t n, std::uint32_t first,
                            std::uint32_t second);
// The code points that sameLetter holds with c when ignoreCase is set (c alone otherwise): 1 to 3.
std::size_t caseVariants(std::uint32_t c, bool ignoreCase, std::uint32_t out[3]);

}  // namespace translator
