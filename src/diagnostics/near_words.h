// Finds, for unknown words, the known word one typing mistake away: deletion variants of the
// words on the smaller side are hashed and those of the other side looked up, so the cost grows
// with the number of words, never with their product.
// Tests: tests/diagnostics/hints_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace diagnostics {

struct KnownWord {
    std::u32string word;
    bool foldCase = false;  // compared in capitals (a word of a "gi" rule)
};

// Typing mistakes allowed for a word of this length: 1, or 2 from 8 letters on.
int allowedMistakes(std::size_t length);

// For each query (distinct words), the index in `known` of the nearest known word within the
// allowed mistakes of the query's length: smallest distance first, then smallest index; -1 when
// none. A query that equals a known word gets no answer (it is no mistake). Words longer than 48
// code points are never matched.
std::vector<int> nearestKnownWords(const std::vector<std::u32string>& queries, const std::vector<KnownWord>& known);

// Optimal string alignment distance (a swap of two neighbours is one mistake), or limit + 1 once
// it is certain to exceed limit.
int typingDistance(std::u32string_view a, std::u32string_view b, int limit);

}  // namespace diagnostics
