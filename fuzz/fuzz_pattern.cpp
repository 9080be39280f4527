// Patterns: compilePattern + matchAt against the naive reference for every position and both
// case flags, plus the compiler's own shape rules.
#include <set>

#include "fuzz_support.h"
#include "rules/pattern.h"
#include "support/reference_matcher.h"

using namespace base;
using namespace rules;

namespace {

// Maps a byte onto a small alphabet that holds every construct of the language and the
// letters on which case folding and word boundaries turn.
std::uint32_t symbol(std::uint8_t b) {
    static const std::uint32_t alphabet[] = {'a', 'A', 'b', 'B', '1', '_', ' ', '\\', '[', ']', '^', '+',
                                             'd', 0x451, 0x401, 0x435, 0x44F, 0x42F, '`', 0x0A, 0x456, '-'};
    return alphabet[b % (sizeof alphabet / sizeof alphabet[0])];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in{data, size};
    const bool raw = in.byte() & 1;  // raw: code points straight from the bytes
    CodePoints pattern, text;
    const std::string patternBytes = in.until(0xFF);
    const std::string textBytes = in.rest();
    for (const char c : patternBytes) pattern.push_back(raw ? static_cast<unsigned char>(c) : symbol(c));
    for (const char c : textBytes) text.push_back(raw ? static_cast<unsigned char>(c) : symbol(c));
    // The reference is exponential in the number of runs: keep inputs small.
    if (pattern.size() > 24 || text.size() > 14) return 0;

    CompiledPattern nodes;
    compilePattern(pattern, nodes);
    FUZZ_REQUIRE(nodes.size() <= pattern.size());
    bool plain = true;
    for (const std::uint32_t c : pattern) plain = plain && c != '\\' && c != '[' && c != '+';
    if (plain) {
        FUZZ_REQUIRE(nodes.size() == pattern.size());
        for (std::size_t i = 0; i < nodes.size(); ++i)
            FUZZ_REQUIRE(!nodes[i].isSet && !nodes[i].isBoundary && !nodes[i].oneOrMore && nodes[i].ch == pattern[i]);
    }
    for (const PatternNode& node : nodes) {
        FUZZ_REQUIRE(!(node.isSet && node.isBoundary));
        FUZZ_REQUIRE(!node.negated || node.isSet);
        FUZZ_REQUIRE(node.isSet || node.members.empty());
    }
    // Compiling again gives the same nodes: the compiler keeps no state.
    CompiledPattern again{PatternNode{}};
    compilePattern(pattern, again);
    FUZZ_REQUIRE(again.size() == nodes.size());

    for (int flag = 0; flag < 2; ++flag) {
        const bool ignoreCase = flag == 1;
        for (std::size_t pos = 0; pos <= text.size(); ++pos) {
            const std::int32_t got = matchAt(nodes, 0, pos, text.data(), text.size(), ignoreCase);
            const std::int32_t want = reference::matchEnd(nodes, 0, pos, text, ignoreCase);
            FUZZ_REQUIRE(got == want, "pos %zu case %d: matchAt %d, reference %d", pos, flag, got, want);
            if (got >= 0) {
                FUZZ_REQUIRE(static_cast<std::size_t>(got) >= pos && static_cast<std::size_t>(got) <= text.size());
                std::set<std::int32_t> ends;
                reference::allEnds(nodes, 0, pos, text, ignoreCase, ends);
                FUZZ_REQUIRE(ends.count(got) == 1);
            }
        }
        // A shorter visible length hides the rest of the text from the matcher.
        if (!text.empty()) {
            const CodePoints cut(text.begin(), text.end() - 1);
            for (std::size_t pos = 0; pos <= cut.size(); ++pos)
                FUZZ_REQUIRE(matchAt(nodes, 0, pos, text.data(), cut.size(), ignoreCase) ==
                             reference::matchEnd(nodes, 0, pos, cut, ignoreCase));
        }
    }
    return 0;
}
