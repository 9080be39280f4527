// The anchored backtracking matcher over compiled pattern nodes.
// Tests: tests/rules/matcher_test.cpp.
#include "rules/pattern.h"

namespace rules {

// Nodes without "+" are walked in a loop; each oneOrMore node tries its run from the
// longest down, recursing once per candidate end, so the depth is bounded by the number of
// oneOrMore nodes. The result depends only on (node, position) for a given pattern, text and
// case flag; the rule scan's own matcher runs these steps with memos built on that.
std::int32_t matchAt(const CompiledPattern& nodes, std::size_t node, std::size_t pos,
                     const std::uint32_t* text, std::size_t length, bool ignoreCase) {
    std::size_t k = node;
    std::size_t p = pos;
    if (!walkSingles(nodes, k, p, text, length, ignoreCase)) return -1;
    if (k == nodes.size()) return static_cast<std::int32_t>(p);
    const PatternNode& current = nodes[k];
    if (p >= length) return -1;
    std::size_t h = p;
    while (h < length && nodeAccepts(current, text, h, length, ignoreCase)) ++h;
    if (h == p) return -1;
    for (std::size_t e = h; e > p; --e) {
        const std::int32_t result = matchAt(nodes, k + 1, e, text, length, ignoreCase);
        if (result >= 0) return result;
    }
    return -1;
}

}  // namespace rules
