// The pattern language: compiled node arrays and the anchored backtracking matcher.
// Tests: tests/rules/pattern_test.cpp, tests/rules/matcher_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/text.h"

namespace rules {

struct PatternNode {
    bool isSet = false;
    bool isBoundary = false;
    bool negated = false;    // only with isSet
    bool oneOrMore = false;  // ignored on boundary nodes
    std::uint32_t ch = 0;    // the literal, when neither isSet nor isBoundary
    base::CodePoints members;      // a set's code points in written order, duplicates kept
};

// Never changed after compilation; an empty pattern never matches.
using CompiledPattern = std::vector<PatternNode>;

// Never fails: a trailing "\" is a literal backslash, a trailing "[" or "[^" is dropped, and
// an unterminated set is dropped with everything after its opening bracket.
void compilePattern(const base::CodePoints& pattern, CompiledPattern& nodes);

// ASCII digits and letters, "_", А-я, Ё and ё.
inline bool isWordChar(std::uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') ||
           (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451;
}

// Whether a literal or set node accepts the code point at p; false past the end.
inline bool nodeAccepts(const PatternNode& node, const std::uint32_t* text, std::size_t p, std::size_t length,
                        bool ignoreCase) {
    if (p >= length) return false;
    const std::uint32_t c = text[p];
    auto same = [c, ignoreCase](std::uint32_t x) { return ignoreCase ? base::sameLetter(c, x) : c == x; };
    if (!node.isSet) return same(node.ch);
    bool found = false;
    for (const std::uint32_t member : node.members) {
        if (same(member)) {
            found = true;
            break;
        }
    }
    return found != node.negated;
}

// Whether a word boundary stands at p: a word character on one side of it and not the other.
inline bool boundaryAt(const std::uint32_t* text, std::size_t p, std::size_t length) {
    const bool before = p > 0 && p - 1 < length && isWordChar(text[p - 1]);
    const bool after = p < length && isWordChar(text[p]);
    return before != after;
}

// Walks the nodes from k on that consume at most one code point (boundaries and atoms without
// "+"), moving k and p along, up to the next "+" atom or the end of the pattern. False as soon
// as one of them refuses.
inline bool walkSingles(const CompiledPattern& nodes, std::size_t& k, std::size_t& p, const std::uint32_t* text,
                        std::size_t length, bool ignoreCase) {
    for (; k < nodes.size(); ++k) {
        const PatternNode& node = nodes[k];
        if (node.isBoundary) {
            if (!boundaryAt(text, p, length)) return false;
        } else if (node.oneOrMore) {
            return true;
        } else if (!nodeAccepts(node, text, p++, length, ignoreCase)) {
            return false;
        }
    }
    return true;
}

// Anchored at `pos`: the end of the match (possibly == pos, an empty match) or -1.
// Allocates nothing; recursion depth is at most the number of oneOrMore nodes.
std::int32_t matchAt(const CompiledPattern& nodes, std::size_t node, std::size_t pos,
                     const std::uint32_t* text, std::size_t length, bool ignoreCase);

}  // namespace rules
