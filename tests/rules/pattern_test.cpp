// The pattern compiler: every construct and every malformed-pattern resolution, one row each.
#include "rules/pattern.h"

#include <gtest/gtest.h>

using namespace base;
using namespace rules;

namespace {

CodePoints points(const std::string& utf8) {
    CodePoints out;
    EXPECT_TRUE(decodeUtf8(utf8, out)) << utf8;
    return out;
}

std::string one(std::uint32_t c) { return encodeUtf8(CodePoints{c}); }

// One word per node: lit(x), set[...], !set[...], \b; a trailing + marks oneOrMore.
std::string dump(const CompiledPattern& nodes) {
    std::string out;
    for (const PatternNode& node : nodes) {
        if (!out.empty()) out += ' ';
        if (node.isBoundary) {
            out += "\\b";
        } else if (node.isSet) {
            out += node.negated ? "!set[" : "set[";
            out += encodeUtf8(node.members);
            out += ']';
        } else {
            out += "lit(" + one(node.ch) + ")";
        }
        if (node.oneOrMore) out += '+';
        // A node must never mix kinds: a literal has no members, only sets are negated.
        if (!node.isSet) {
            EXPECT_TRUE(node.members.empty());
            EXPECT_FALSE(node.negated);
        }
    }
    return out;
}

TEST(CompilePattern, EveryConstructAndEveryMalformedPattern) {
    struct Row {
        const char* pattern;
        const char* nodes;
    };
    const Row rows[] = {
        {"", ""},
        {"ab+c", "lit(a) lit(b)+ lit(c)"},
        {"\\d+", "set[0123456789]+"},
        {"\\d", "set[0123456789]"},
        {"[^ ]+", "!set[ ]+"},
        {"[]", "set[]"},
        {"[^]", "!set[]"},
        {"[]]", "set[] lit(])"},
        {"[a-z]", "set[a-z]"},
        {"[абв]+x", "set[абв]+ lit(x)"},
        {"[aa]", "set[aa]"},                      // duplicates kept
        {"[\\d]", "set[\\d]"},                     // no escapes inside brackets
        {"[[^]", "set[[^]"},                       // [ and a later ^ are members
        {"[^^]", "!set[^]"},
        {"x[ab", "lit(x)"},                        // unterminated set dropped
        {"x[abc+y", "lit(x)"},                     // ... with everything after it
        {"[abc", ""},
        {"ab[", "lit(a) lit(b)"},                  // dangling [
        {"ab[^", "lit(a) lit(b)"},                 // dangling [^
        {"[^a", ""},
        {"+a", "lit(+) lit(a)"},
        {"a++", "lit(a)+ lit(+)"},
        {"a+++", "lit(a)+ lit(+)+"},
        {"\\+", "lit(+)"},
        {"\\++", "lit(+)+"},
        {"\\.", "lit(.)"},
        {".", "lit(.)"},
        {"\\n", "lit(n)"},
        {"\\s+", "lit(s)+"},
        {"\\\\", "lit(\\)"},
        {"\\[", "lit([)"},
        {"a\\", "lit(a) lit(\\)"},                 // trailing backslash
        {"\\", "lit(\\)"},
        {"\\\\\\", "lit(\\) lit(\\)"},
        {"\\b+", "\\b+"},
        {"\\bслово\\b", "\\b lit(с) lit(л) lit(о) lit(в) lit(о) \\b"},
        {"]^.*?()${", "lit(]) lit(^) lit(.) lit(*) lit(?) lit(() lit()) lit($) lit({)"},
        {"[]+", "set[]+"},
        {"[x]+[y]", "set[x]+ set[y]"},
        {"\\D", "lit(D)"},
        {"\\B", "lit(B)"},
    };
    for (const Row& row : rows) {
        CompiledPattern nodes;
        compilePattern(points(row.pattern), nodes);
        EXPECT_EQ(dump(nodes), row.nodes) << "pattern: " << row.pattern;
    }
}

TEST(CompilePattern, ClearsTheArrayFirst) {
    CompiledPattern nodes;
    compilePattern(points("abc"), nodes);
    compilePattern(points("[x"), nodes);
    EXPECT_TRUE(nodes.empty());
}

TEST(CompilePattern, CodePointsBeyondTheBasicPlaneAreOrdinaryLiterals) {
    CompiledPattern nodes;
    compilePattern(CodePoints{0x1F600, '+', 0x110000}, nodes);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].ch, 0x1F600u);
    EXPECT_TRUE(nodes[0].oneOrMore);
    EXPECT_EQ(nodes[1].ch, 0x110000u);
}

}  // namespace
