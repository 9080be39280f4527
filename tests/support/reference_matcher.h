// A naive reference for the pattern matcher: every split of the text across the nodes, tried
// in the matcher's priority order (longest run first). Exponential; only for short inputs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <set>

#include "rules/pattern.h"

using namespace base;
using namespace rules;

namespace reference {

inline std::uint32_t fold(std::uint32_t c) {
    if (c == 0x451) return 0x401;
    if ('a' <= c && c <= 'z') return c - 'a' + 'A';
    if (0x430 <= c && c <= 0x44F) return c - 0x430 + 0x410;
    return c;
}

inline bool wordChar(std::uint32_t c) {
    if (c < 128) return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    return c == 0x401 || c == 0x451 || (c >= 0x410 && c <= 0x44F);
}

inline bool takes(const PatternNode& node, std::uint32_t c, bool ignoreCase) {
    auto same = [&](std::uint32_t x) { return ignoreCase ? fold(x) == fold(c) : x == c; };
    if (!node.isSet) return same(node.ch);
    return std::any_of(node.members.begin(), node.members.end(), same) != node.negated;
}

// The end reached by the first successful choice of run lengths, longest first; -1 if none.
inline std::int32_t matchEnd(const CompiledPattern& nodes, std::size_t k, std::size_t p, const CodePoints& text,
                             bool ignoreCase) {
    if (k == nodes.size()) return static_cast<std::int32_t>(p);
    const PatternNode& node = nodes[k];
    if (node.isBoundary) {
        const bool before = p >= 1 && p - 1 < text.size() && wordChar(text[p - 1]);
        const bool after = p < text.size() && wordChar(text[p]);
        return before != after ? matchEnd(nodes, k + 1, p, text, ignoreCase) : -1;
    }
    const std::size_t longest = node.oneOrMore ? text.size() - std::min(p, text.size()) : 1;
    for (std::size_t length = longest; length >= 1; --length) {
        if (p + length > text.size()) continue;
        bool all = true;
        for (std::size_t i = p; i < p + length; ++i) all = all && takes(node, text[i], ignoreCase);
        if (!all) continue;
        const std::int32_t end = matchEnd(nodes, k + 1, p + length, text, ignoreCase);
        if (end >= 0) return end;
    }
    return -1;
}

// Every end any choice of run lengths reaches.
inline void allEnds(const CompiledPattern& nodes, std::size_t k, std::size_t p, const CodePoints& text,
                    bool ignoreCase, std::set<std::int32_t>& ends) {
    if (k == nodes.size()) {
        ends.insert(static_cast<std::int32_t>(p));
        return;
    }
    const PatternNode& node = nodes[k];
    if (node.isBoundary) {
        const bool before = p >= 1 && p - 1 < text.size() && wordChar(text[p - 1]);
        const bool after = p < text.size() && wordChar(text[p]);
        if (before != after) allEnds(nodes, k + 1, p, text, ignoreCase, ends);
        return;
    }
    for (std::size_t q = p; q < text.size() && takes(node, text[q], ignoreCase); ++q) {
        allEnds(nodes, k + 1, q + 1, text, ignoreCase, ends);
        if (!node.oneOrMore) break;
    }
}

}  // namespace reference
