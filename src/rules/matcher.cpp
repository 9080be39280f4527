// The anchored backtracking matcher over compiled pattern nodes.
#include "rules/pattern.h"

namespace {

inline bool equal(std::uint32_t a, std::uint32_t b, bool ignoreCase) {
    return ignoreCase ? sameLetter(a, b) : a == b;
}

// One literal or set node against the code point at p; false past the end.
inline bool accepts(const PatternNode& node, std::size_t p, const std::uint32_t* text, std::size_t length,
                    bool ignoreCase) {
    if (p >= length) return false;
    const std::uint32_t c = text[p];
    if (!node.isSet) return equal(c, node.ch, ignoreCase);
    bool found = false;
    for (const std::uint32_t member : node.members) {
        if (equal(c, member, ignoreCase)) {
            found = true;
            break;
        }
    }
    return found != node.negated;
}

}  // namespace

// Runs of nodes without "+" are walked in a loop; each oneOrMore node tries its run from the
// longest down, recursing once per candidate end, so the depth is bounded by the number of
// oneOrMore nodes. A memo keyed on (node, position) could be slotted in at the recursive call:
// the result depends only on those two for a given pattern, text and case flag.
std::int32_t matchAt(const CompiledPattern& nodes, std::size_t node, std::size_t pos,
                     const std::uint32_t* text, std::size_t length, bool ignoreCase) {
    std::size_t k = node;
    std::size_t p = pos;
    const std::size_t count = nodes.size();
    while (k < count) {
        const PatternNode& current = nodes[k];
        if (current.isBoundary) {
            const bool before = p > 0 && p - 1 < length && isWordChar(text[p - 1]);
            const bool after = p < length && isWordChar(text[p]);
            if (before == after) return -1;
            ++k;
            continue;
        }
        if (!current.oneOrMore) {
            if (!accepts(current, p, text, length, ignoreCase)) return -1;
            ++k;
            ++p;
            continue;
        }
        if (p >= length) return -1;
        std::size_t h = p;
        while (h < length && accepts(current, h, text, length, ignoreCase)) ++h;
        if (h == p) return -1;
        for (std::size_t e = h; e > p; --e) {
            const std::int32_t result = matchAt(nodes, k + 1, e, text, length, ignoreCase);
            if (result >= 0) return result;
        }
        return -1;
    }
    return static_cast<std::int32_t>(p);
}
