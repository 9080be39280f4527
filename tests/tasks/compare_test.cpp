// Output comparison against a naive reference, digests of hidden tests that match exactly when
// the comparison does, and the word rules.
#include <gtest/gtest.h>

#include <cmath>

#include "tasks/compare.h"

using namespace tasks;

namespace {

Comparison how(bool ignoreCase, bool anyOrder, double tolerance) { return Comparison{ignoreCase, anyOrder, tolerance}; }

// Whether a hidden test with this expectation passes this output.
bool hiddenPasses(const std::vector<std::string>& expected, const std::string& got, const Comparison& c) {
    const HiddenExpectation h = hiddenExpectation(expected, c, "соль");
    return outputDigest(got, c, "соль", h.offsets) == h.digest;
}

}  // namespace

TEST(Compare, VisibleAndHiddenAgree) {
    const struct {
        std::vector<std::string> expected;
        std::string got;
        Comparison c;
        std::size_t firstDifference;  // 0: same
    } cases[] = {
        {{"5"}, "5\n", {}, 0},
        {{"5"}, "5   \n\n\n", {}, 0},             // trailing spaces and blank lines
        {{"5"}, " 5\n", {}, 1},                   // a leading space counts
        {{"1", "2"}, "1\n3\n", {}, 2},
        {{"1", "2"}, "1\n", {}, 2},
        {{"1"}, "1\n2\n", {}, 2},
        {{""}, "", {}, 0},                          // an expected blank line is a blank line at the end
        {{"Привет, Ёж"}, "привет, ёж", how(true, false, 0), 0},
        {{"Привет"}, "привет", {}, 1},
        {{"а", "б"}, "б\nа\n", how(false, true, 0), 0},
        {{"а", "б"}, "б\nв\n", how(false, true, 0), 1},
        {{"x = 0.333"}, "x = 0.3333333\n", how(false, false, 0.001), 0},
        {{"x = 0.333"}, "x = 0.335\n", how(false, false, 0.001), 1},
        {{"x = 1", "x = 5"}, "x = 5.0001\nx = 0.9999\n", how(false, true, 0.001), 0},
        {{"1 2"}, "1 2 3", how(false, false, 0.5), 1},
        {{"-3"}, "-2.6", how(false, false, 0.5), 0},
    };
    for (const auto& c : cases) {
        const Difference d = compareOutput(c.expected, c.got, c.c);
        EXPECT_EQ(d.same ? 0 : d.line, c.firstDifference) << c.got;
        EXPECT_EQ(hiddenPasses(c.expected, c.got, c.c), c.firstDifference == 0) << c.got;
    }
}

TEST(Compare, ToleranceDigestMatchesNaiveReference) {
    // A hidden number passes exactly when e - t <= x < e + t, the reference's test.
    for (const double tolerance : {0.5, 0.01, 1.0, 0.003}) {
        for (const double e : {0.0, 1.0, -2.5, 3.14159, 100.0, -0.007}) {
            for (int k = -40; k <= 40; ++k) {
                const double x = e + k * tolerance / 16;
                char text[64];
                std::snprintf(text, sizeof text, "%.9f", x);
                char expected[64];
                std::snprintf(expected, sizeof expected, "%.9f", e);
                const double xr = std::strtod(text, nullptr), er = std::strtod(expected, nullptr);
                const bool reference = xr >= er - tolerance && xr < er + tolerance;
                if (std::fabs(std::fabs(xr - er) - tolerance) < 1e-9) continue;  // on the edge either way is fine
                EXPECT_EQ(hiddenPasses({std::string("ответ ") + expected}, std::string("ответ ") + text, how(false, false, tolerance)),
                          reference) << expected << " vs " << text << " ± " << tolerance;
            }
        }
    }
}

TEST(Compare, DigestHidesTheAnswerAndDependsOnSalt) {
    const HiddenExpectation a = hiddenExpectation({"123"}, {}, "соль1"), b = hiddenExpectation({"123"}, {}, "соль2");
    EXPECT_EQ(a.digest.size(), 64u);
    EXPECT_NE(a.digest, b.digest);
    EXPECT_EQ(a.digest.find("123"), std::string::npos);
    EXPECT_TRUE(a.offsets.empty());
    EXPECT_EQ(outputDigest("1 2", how(false, false, 0.5), "с", hiddenExpectation({"1"}, how(false, false, 0.5), "с").offsets), "");
}

TEST(Compare, WordRules) {
    Task task;
    task.mustUse = {"повторить"};
    task.mustNotUse = {"пока"};
    const auto broken = [&](const std::string& source) { return wordRuleBroken(base::decodeBytes(source), task); };
    EXPECT_EQ(broken("Повторить 3 раз\n  вывести(1)\nконец\n"), "");
    EXPECT_NE(broken("вывести(1)\n").find("должно быть слово «повторить»"), std::string::npos);
    EXPECT_NE(broken("// повторить\nвывести(\"повторить\")\n").find("должно быть"), std::string::npos);
    EXPECT_NE(broken("повторить 2 раз\nконец\nпока ложь делать\nконец\n").find("не должно быть слова «пока»"), std::string::npos);
    EXPECT_EQ(broken("повторить 2 раз\nконец\nпусть покажи = 1 /* пока */\n"), "");
    // Inside ${…} of a backquoted string is code the compiler translates; the text around it is not.
    const struct {
        const char* source;
        bool forbidden;
    } templates[] = {
        {"повторить 1 раз\nконец\nвывести(`${пока}`)\n", true},
        {"повторить 1 раз\nконец\nвывести(`a ${ {x: 1}.x } ${`b ${пока}`}`)\n", true},
        {"повторить 1 раз\nконец\nвывести(`${\"}\"} пока`)\n", false},
        {"повторить 1 раз\nконец\nвывести(`\\${пока} пока`)\n", false},
        {"повторить 1 раз\nконец\nесли 1 { вывести(`${1}`) } пока\n", true},
    };
    for (const auto& t : templates)
        EXPECT_EQ(broken(t.source).find("не должно быть слова «пока»") != std::string::npos, t.forbidden) << t.source;
    // A deep nest of ${` costs no stack.
    std::string deep = "повторить 1 раз\nконец\n";
    for (int i = 0; i < 200000; ++i) deep += "`${";
    EXPECT_NE(broken(deep + "пока").find("не должно быть"), std::string::npos);
}
