// Compiles a pattern's code points into the flat node array the matcher runs.
// Tests: tests/rules/pattern_test.cpp, tests/rules/matcher_test.cpp.
#include "rules/pattern.h"

namespace rules {

namespace {

constexpr std::uint32_t backslash = '\\';
constexpr std::uint32_t openBracket = '[';
constexpr std::uint32_t closeBracket = ']';
constexpr std::uint32_t caret = '^';
constexpr std::uint32_t plus = '+';

}  // namespace

void compilePattern(const base::CodePoints& pattern, CompiledPattern& nodes) {
    nodes.clear();
    const std::size_t n = pattern.size();
    std::size_t i = 0;
    while (i < n) {
        PatternNode node;
        const std::uint32_t c = pattern[i];
        if (c == backslash) {
            if (i + 1 == n) {
                // A lone backslash at the end stands for itself; nothing can follow it.
                node.ch = backslash;
                nodes.push_back(node);
                return;
            }
            const std::uint32_t e = pattern[i + 1];
            if (e == 'd') {
                node.isSet = true;
                for (std::uint32_t digit = '0'; digit <= '9'; ++digit) node.members.push_back(digit);
            } else if (e == 'b') {
                node.isBoundary = true;
            } else {
                node.ch = e;
            }
            i += 2;
        } else if (c == openBracket) {
            std::size_t m = i + 1;
            if (m == n) return;  // a dangling "[" is dropped
            if (pattern[m] == caret) {
                node.negated = true;
                ++m;
                if (m == n) return;  // so is a dangling "[^"
            }
            while (m < n && pattern[m] != closeBracket) node.members.push_back(pattern[m++]);
            // No closing bracket: the set and everything after its "[" are dropped.
            if (m == n) return;
            node.isSet = true;
            i = m + 1;
        } else {
            node.ch = c;
            ++i;
        }
        if (i < n && pattern[i] == plus) {
            node.oneOrMore = true;
            ++i;
        }
        nodes.push_back(std::move(node));
    }
}

}  // namespace rules
