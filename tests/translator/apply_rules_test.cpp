// Rule application: literal protection, rule order, line numbers, the trace and the post-steps.
#include <gtest/gtest.h>

#include "frontend/report.h"
#include "translator/rewrite.h"
#include "translator/translator_helpers.h"

using namespace base;
using namespace rules;
using namespace translator;

namespace {

std::string applied(const std::vector<Rule>& rules, const std::string& source) {
    CodeText text = textOf(source);
    applyRules(text, {rules, false});
    EXPECT_EQ(text.chars.size(), text.lines.size());
    return utf8Of(text);
}

TEST(ApplyRules, EmptyTextAndEmptyTable) {
    EXPECT_EQ(applied({}, ""), "");
    EXPECT_EQ(applied({makeRule("a", "b")}, ""), "");
    EXPECT_EQ(applied({}, "a \\ТАБУЛЯЦИЯ b"), "a \\t b");  // only the post-steps act
}

TEST(ApplyRules, ClosedLiteralsAreNeverRewritten) {
    const std::vector<Rule> rules = {makeRule("a", "X")};
    const std::pair<const char*, const char*> cases[] = {
        {"a'a'a", "X'a'X"},
        {"a\"a\"a", "X\"a\"X"},
        {"a\"a'a\"a", "X\"a'a\"X"},            // the other quote inside is plain text
        {"a'a\"a'a\"a", "X'a\"a'X\"X"},         // the " after the literal has no partner: open
        {"a'a", "X'X"},                         // unterminated: ordinary, the rest is open
        {"\"a\\\"a\"a", "\"a\\\"X\"X"},         // a backslash does not escape the quote
        {"'a\na'a", "'a\na'X"},                 // a literal may span lines
        {"''a\"\"", "''X\"\""},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(applied(rules, source), expected) << source;
}

TEST(ApplyRules, ProtectionOnlyConcernsWhereAMatchStarts) {
    // A match may start at an unterminated quote, and run over a quote into a literal.
    EXPECT_EQ(applied({makeRule("'", "Q")}, "x'y"), "xQy");
    EXPECT_EQ(applied({makeRule("a'b", "Z")}, "a'b'"), "Z'");
    EXPECT_EQ(applied({makeRule("a[^ ]+", "Z")}, "a'bc' d"), "Z d");
}

TEST(ApplyRules, RulesRunInTableOrderEachOverTheLastResult) {
    EXPECT_EQ(applied({makeRule("a", "b"), makeRule("b", "c")}, "ab"), "cc");
    EXPECT_EQ(applied({makeRule("b", "c"), makeRule("a", "b")}, "ab"), "bc");
    // An earlier rule that emits quotes changes what a later rule treats as a literal.
    EXPECT_EQ(applied({makeRule("x", "'"), makeRule("y", "Y")}, "xyx y"), "'y' Y");
    // A replacement is not scanned again by its own rule.
    EXPECT_EQ(applied({makeRule("a", "aa")}, "aa"), "aaaa");
}

TEST(ApplyRules, RuleFlagsAndPatternsThatCannotChangeText) {
    EXPECT_EQ(applied({makeRule("abc", "x", true)}, "ABC abc"), "x x");
    EXPECT_EQ(applied({makeRule("abc", "x", false)}, "ABC abc"), "ABC x");
    EXPECT_EQ(applied({makeRule("\\b", "X")}, "ab cd"), "ab cd");   // only empty matches
    EXPECT_EQ(applied({makeRule("[abc", "X")}, "abc"), "abc");      // compiles to nothing
    EXPECT_EQ(applied({makeRule("b", "")}, "abc"), "ac");          // empty replacement deletes
}

TEST(ApplyRules, ReplacementsCarryTheLineOfTheFirstReplacedCodePoint) {
    const std::vector<Rule> rules{makeRule("a\nb", "XY"), makeRule("2", "\n\n")};
    CodeText text = textOf("1\na\nb\n2");
    applyRules(text, {rules, false});
    EXPECT_EQ(utf8Of(text), "1\nXY\n\n\n");
    EXPECT_EQ(linesOf(text), "1,1,2,2,3,4,4");
}

TEST(ApplyRules, EscapeWordsInAnyCaseInsideAndOutsideLiterals) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"a\\перенос строки\"", "\"a\\n\""},
        {"x\\ПЕРЕНОС СТРОКИ", "x\\n"},
        {"'\\Вертикальная Табуляция'", "'\\v'"},
        {"\\табуЛЯЦИЯ\\табуляция", "\\t\\t"},
        {"табуляция", "табуляция"},  // the backslash is part of the word
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(applied({}, source), expected) << source;
}

TEST(ApplyRules, PostStepsRunAfterTheRulesInOrder) {
    const std::string prompt = "Введите ваш код на ЛУМ в белом окне ниже, перевод будет в черном окне:";
    EXPECT_EQ(applied({}, prompt + "\n" + prompt), "код на JavaScript:\n" + prompt);
    EXPECT_EQ(applied({}, "введите ваш код на ЛУМ в белом окне ниже, перевод будет в черном окне:"),
              "введите ваш код на ЛУМ в белом окне ниже, перевод будет в черном окне:");
    // Rules may produce what the post-steps then rewrite; counted loops come last.
    EXPECT_EQ(applied({makeRule("TAB", "\\табуляция")}, "'TAB'TAB"), "'TAB'\\t");
    EXPECT_EQ(applied({makeRule("повторить", "for")}, "повторить(2 раз){"),
              "for(счетчик of new Array(2).keys()){");
}

TEST(ApplyRules, TraceNamesEachAcceptedMatchInRuleAndPositionOrder) {
    const std::string longPattern = "абвгдежзийклмнопрстуфхцчшщъ";  // 27 letters, 54 bytes
    const std::vector<Rule> rules{makeRule("b", "B"), makeRule(longPattern, "_"), makeRule("\\b", "")};
    testing::internal::CaptureStderr();
    CodeText text = textOf("ab'b'b" + longPattern);
    applyRules(text, {rules, true, {}, frontend::writeTraceLine});
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "[trace] match: len=1 pos=1 pat='b'\n"
              "[trace] match: len=1 pos=5 pat='b'\n"
              "[trace] match: len=27 pos=6 pat='" + longPattern.substr(0, 40) + "'\n");
    EXPECT_EQ(utf8Of(text), "aB'b'B_");
}

TEST(ApplyRules, NoTraceWhenDisabled) {
    const std::vector<Rule> rules{makeRule("b", "B")};
    testing::internal::CaptureStderr();
    CodeText text = textOf("abc");
    applyRules(text, {rules, false});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
