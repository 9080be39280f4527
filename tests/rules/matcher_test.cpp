// The anchored matcher: the listed cases, and agreement with a naive reference on random input.
#include "rules/pattern.h"

#include <gtest/gtest.h>

#include "support/reference_matcher.h"

#include <algorithm>
#include <random>
#include <set>

using namespace base;
using namespace rules;

namespace {

CodePoints points(const std::string& utf8) {
    CodePoints out;
    EXPECT_TRUE(decodeUtf8(utf8, out)) << utf8;
    return out;
}

CompiledPattern compiled(const std::string& pattern) {
    CompiledPattern nodes;
    compilePattern(points(pattern), nodes);
    return nodes;
}

std::int32_t run(const std::string& pattern, const std::string& text, std::size_t pos, bool ignoreCase) {
    const CodePoints t = points(text);
    return matchAt(compiled(pattern), 0, pos, t.data(), t.size(), ignoreCase);
}

TEST(MatchAt, ListedCases) {
    struct Row {
        const char* pattern;
        const char* text;
        std::size_t pos;
        bool ignoreCase;
        std::int32_t end;
    };
    const Row rows[] = {
        {"ab+c", "abbbcx", 0, false, 5},
        {"ab+c", "abx", 0, false, -1},
        {"ab+c", "xabbc", 1, false, 5},
        {"a+a", "aaaa", 0, false, 4},
        {"a+", "aaaa", 0, false, 4},
        {"a+", "xa", 1, false, 2},
        {"a+", "xa", 2, false, -1},
        {"a+", "", 0, false, -1},
        {"\\d+", "12ab", 0, false, 2},
        {"\\d+", "12ab", 2, false, -1},
        // backtracking across several oneOrMore nodes
        {"a+a+a", "aaaa", 0, false, 4},
        {"a+a+a+a", "aaaa", 0, false, 4},
        {"a+a+a+a+a", "aaaa", 0, false, -1},
        {"[ab]+b+a", "abababba", 0, false, 8},
        {"[ab]+b+a", "abababb", 0, false, 5},
        {"[ab]+b+a", "bbbb", 0, false, -1},
        {"[ab]+b+a", "ababbb", 0, false, 3},
        {"\\d+\\d+x", "123x", 0, false, 4},
        {"[^ ]+ [^ ]+", "one two three", 0, false, 7},
        {"a+\\b", "aaa b", 0, false, 3},
        {"a+\\bb", "aab", 0, false, -1},
        // word boundaries
        {"\\bпока\\b", "пока x", 0, false, 4},
        {"\\bпока\\b", "пока", 0, false, 4},
        {"\\bпока\\b", "покажи", 0, false, -1},
        {"\\bпока\\b", "xпока", 1, false, -1},
        {"\\bпока\\b", "(пока)", 1, false, 5},
        {"\\b", "a", 0, false, 0},
        {"\\b", "a", 1, false, 1},
        {"\\b", "", 0, false, -1},
        {"\\b", " ", 0, false, -1},
        {"\\b\\b", "a", 0, false, 0},
        {"\\bx", "_x", 1, false, -1},
        {"\\bx", "1x", 1, false, -1},
        {"\\bx", "`x", 1, false, 2},
        {"\\bx", "ёx", 1, false, -1},
        {"\\bx", "Ёx", 1, false, -1},
        {"\\bx", "єx", 1, false, 2},   // U+0454 is not a word character
        {"\\bx", "іx", 1, false, 2},   // nor U+0456
        {"x\\b", "x[", 0, false, 1},
        {"x\\b", "xZ", 0, false, -1},
        // case
        {"Я", "я", 0, true, 1},
        {"я", "Я", 0, true, 1},
        {"ё", "Ё", 0, true, 1},
        {"Ё", "ё", 0, true, 1},
        {"е", "ё", 0, true, -1},
        {"Е", "Ё", 0, true, -1},
        {"е", "Ё", 0, true, -1},
        {"[абв]", "Б", 0, true, 1},
        {"[^абв]", "Б", 0, true, -1},
        {"[^абв]", "Б", 0, false, 1},
        {"a", "A", 0, false, -1},
        {"a", "A", 0, true, 1},
        {"ПОКА", "пока", 0, true, 4},
        {"\\d", "١", 0, true, -1},
        // sets
        {"[^]", "\n", 0, false, 1},
        {"[^]+", "ab\ncd", 0, false, 5},
        {"[]", "a", 0, false, -1},
        {"[]", "]", 0, false, -1},
        {"[]]", "]", 0, false, -1},
        {"x", "", 0, false, -1},
        // the start node is the caller's
        {"", "abc", 1, false, 1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(run(row.pattern, row.text, row.pos, row.ignoreCase), row.end)
            << "pattern " << row.pattern << " on '" << row.text << "' at " << row.pos
            << (row.ignoreCase ? " ignoring case" : "");
}

TEST(MatchAt, StartsFromTheGivenNode) {
    const CompiledPattern nodes = compiled("ab+c");
    const CodePoints text = points("bbc");
    EXPECT_EQ(matchAt(nodes, 1, 0, text.data(), text.size(), false), 3);
    EXPECT_EQ(matchAt(nodes, 2, 2, text.data(), text.size(), false), 3);
    EXPECT_EQ(matchAt(nodes, 3, 1, text.data(), text.size(), false), 1);
}

TEST(MatchAt, ReadsNothingPastTheGivenLength) {
    // The code point behind the length is a word character and an "a": neither may count.
    const CodePoints text = points("aaa");
    EXPECT_EQ(matchAt(compiled("a+"), 0, 0, text.data(), 2, false), 2);
    EXPECT_EQ(matchAt(compiled("a\\b"), 0, 1, text.data(), 2, false), 2);
    EXPECT_EQ(matchAt(compiled("aaa"), 0, 0, text.data(), 2, false), -1);
}

// ---- Agreement with the naive reference of support/reference_matcher.h.

TEST(MatchAt, AgreesWithANaiveReferenceOnRandomInput) {
    const std::vector<std::string> atoms = {"a", "A", "b", "ё", "Ё", "е", "_", " ", "1", "\\d",
                                            "\\b", "[ab]", "[^a]", "[]", "[^]", "[ёЕ]", "[ a]"};
    const std::u32string letters = U"aAbёЁе_ 1`";
    std::mt19937 random(20260);
    int matched = 0, ambiguous = 0;
    for (int round = 0; round < 40000; ++round) {
        std::string pattern;
        const int atomCount = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < atomCount; ++i) {
            pattern += atoms[random() % atoms.size()];
            if (random() % 2) pattern += "+";
        }
        CodePoints text;
        const std::size_t length = random() % 9;
        for (std::size_t i = 0; i < length; ++i) text.push_back(letters[random() % letters.size()]);
        const std::size_t pos = random() % (length + 1);
        const bool ignoreCase = random() % 2;

        const CompiledPattern nodes = compiled(pattern);
        const std::int32_t got = matchAt(nodes, 0, pos, text.data(), text.size(), ignoreCase);
        const std::int32_t want = reference::matchEnd(nodes, 0, pos, text, ignoreCase);
        std::set<std::int32_t> ends;
        reference::allEnds(nodes, 0, pos, text, ignoreCase, ends);
        ASSERT_EQ(got, want) << "pattern " << pattern << " on '" << encodeUtf8(text) << "' at " << pos
                             << (ignoreCase ? " ignoring case" : "");
        ASSERT_EQ(got >= 0, !ends.empty()) << pattern;
        if (got >= 0) {
            ASSERT_TRUE(ends.count(got)) << pattern;
            ++matched;
            if (ends.size() > 1) ++ambiguous;  // the order of trying decides the result
        }
    }
    // The inputs must exercise both outcomes, not only failures.
    EXPECT_GT(matched, 1000);
    EXPECT_GT(ambiguous, 50);
    RecordProperty("matched", matched);
    RecordProperty("ambiguous", ambiguous);
}

}  // namespace
