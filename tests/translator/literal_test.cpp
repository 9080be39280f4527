// Fixed-literal replacement: occurrences, letter case, first-only, line numbers.
#include <gtest/gtest.h>

#include "translator/rewrite.h"
#include "translator/translator_helpers.h"

using namespace base;
using namespace translator;

namespace {

struct LiteralCase {
    const char* text;
    const char* search;
    const char* replacement;
    bool ignoreCase, firstOnly;
    const char* expected;
};

TEST(ReplaceLiteral, ReplacesByTheTable) {
    const LiteralCase cases[] = {
        {"a-b-c", "-", "+", false, false, "a+b+c"},
        {"a-b-c", "-", "+", false, true, "a+b-c"},
        {"aaaa", "aa", "b", false, false, "bb"},                // no overlap
        {"aaa", "aa", "a", false, false, "aa"},                 // a replacement is not searched again
        {"ёЁе", "ё", "x", true, false, "xxе"},                  // ё and Ё alike, е is another letter
        {"ПРИВЕТ привет", "Привет", "hi", true, false, "hi hi"},
        {"ПРИВЕТ привет", "Привет", "hi", false, false, "ПРИВЕТ привет"},
        {"Hello", "hello", "-", true, false, "-"},
        {"\"\\табуляция\"", "\\табуляция", "\\t", true, false, "\"\\t\""},  // quotes are plain text
        {"ab", "abc", "x", false, false, "ab"},                 // never starts where it cannot fit
        {"xab", "ab", "", false, false, "x"},                   // empty replacement deletes
        {"", "a", "b", false, false, ""},
    };
    for (const LiteralCase& c : cases) {
        CodeText text = textOf(c.text);
        replaceLiteral(text, c.search, c.replacement, c.ignoreCase, c.firstOnly);
        EXPECT_EQ(utf8Of(text), c.expected) << c.text << " / " << c.search;
        EXPECT_EQ(text.chars.size(), text.lines.size());
    }
}

TEST(ReplaceLiteral, InsertedTextTakesTheLineOfTheFirstReplacedCodePoint) {
    CodeText text = textOf("x\nA\nB\ny");  // lines 1,1,2,2,3,3,4
    replaceLiteral(text, "A\nB", "123", false, false);
    EXPECT_EQ(utf8Of(text), "x\n123\ny");
    EXPECT_EQ(linesOf(text), "1,1,2,2,2,3,4");
}

TEST(ReplaceLiteral, FirstOnlyCopiesLaterOccurrencesWithTheirLines) {
    CodeText text = textOf("ab\nab\nab");
    replaceLiteral(text, "ab", "Z", false, true);
    EXPECT_EQ(utf8Of(text), "Z\nab\nab");
    EXPECT_EQ(linesOf(text), "1,1,2,2,2,3,3");
}

}  // namespace
