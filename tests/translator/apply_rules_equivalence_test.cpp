// The optimised rule application against the plain one: random rules and texts, the shipped
// vocabulary over every example and over generated benchmark sources, long runs, and patterns
// whose backtracking explodes. Code points, line numbers and trace lines must all agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "../../bench/bench_source.h"
#include "translator/reference_apply.h"
#include "translator/rule_scan.h"
#include "translator/translator_helpers.h"

using namespace base;
using namespace rules;
using namespace translator;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::vector<Rule> shippedRules() {
    WarningList warnings;
    return parseRules(readFile(std::filesystem::path(LUM_SOURCE_DIR) / "src" / "keywords.csv"), warnings);
}

// Code points that exercise every branch: word and non-word characters, both cases of Latin
// and Cyrillic letters with ё, both quotes, digits, spaces and line feeds.
const std::uint32_t alphabet[] = {'a', 'b', 'A', 'B', 0x44F /*я*/, 0x42F /*Я*/, 0x451 /*ё*/, 0x401 /*Ё*/,
                                  0x435 /*е*/, ' ', '"', '\'', '_', '1', '\n', '(', ')', '{', 'f', 'o', 'r',
                                  '\\', '+', '['};

std::uint32_t randomPoint(std::mt19937& rng) { return alphabet[rng() % std::size(alphabet)]; }

CodePoints randomPattern(std::mt19937& rng) {
    CodePoints p;
    const int atoms = 1 + rng() % 5;
    for (int a = 0; a < atoms; ++a) {
        switch (rng() % 8) {
        case 0: p.insert(p.end(), {'\\', 'b'}); break;
        case 1: p.insert(p.end(), {'\\', 'd'}); break;
        case 2:
        case 3: {
            p.push_back('[');
            if (rng() % 3 == 0) p.push_back('^');
            const int members = rng() % 4;
            for (int m = 0; m < members; ++m) {
                std::uint32_t c = randomPoint(rng);
                if (c == ']') c = 'a';
                p.push_back(c);
            }
            p.push_back(']');
            break;
        }
        default: p.push_back(randomPoint(rng)); break;
        }
        if (rng() % 3 == 0) p.push_back('+');
    }
    return p;
}

Rule randomRule(std::mt19937& rng) {
    Rule rule;
    rule.pattern = randomPattern(rng);
    const int length = rng() % 5;
    for (int i = 0; i < length; ++i) rule.replacement.push_back(randomPoint(rng));
    rule.ignoreCase = rng() % 2 == 0;
    compilePattern(rule.pattern, rule.nodes);
    return rule;
}

CodeText randomText(std::mt19937& rng, std::size_t length) {
    CodePoints points;
    for (std::size_t i = 0; i < length; ++i) points.push_back(randomPoint(rng));
    CodeText text = makeText(points);
    // Now and then lines that do not follow the line feeds, as an included library's may.
    if (rng() % 4 == 0)
        for (std::size_t i = 0; i < text.lines.size(); ++i) text.lines[i] = 1 + rng() % 3;
    return text;
}

TEST(ApplyRulesEquivalence, RandomRulesAndTexts) {
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        std::mt19937 rng(seed);
        std::vector<Rule> rules;
        const int count = 1 + rng() % 6;
        for (int r = 0; r < count; ++r) rules.push_back(randomRule(rng));
        const CodeText text = randomText(rng, rng() % 90);
        const std::string difference = reference_apply::compareWithReference(rules, text, seed % 4 == 0);
        ASSERT_EQ(difference, "") << "seed " << seed << ", first pattern " << encodeUtf8(rules[0].pattern);
    }
}

TEST(ApplyRulesEquivalence, TextsMadeOfOneRepeatedPiece) {
    // Long runs of one code point, where runs of "+" nodes and the start filter's second test meet.
    const char* const patterns[] = {"a+a", "a+a+b", "\\ba+\\b", "[ab]+b", "a[^b]+a", "\\d+", " +раз\\b",
                                    "'", "\"a", "a+\"+"};
    const char* const pieces[] = {"a", "ab", "a'", "\"a", "aaab ", "1a", " раз "};
    for (const char* pattern : patterns)
        for (const char* piece : pieces)
            for (const std::size_t times : {1u, 2u, 7u, 40u}) {
                std::string source;
                for (std::size_t i = 0; i < times; ++i) source += piece;
                for (const bool ignoreCase : {false, true}) {
                    const std::vector<Rule> rules = {makeRule(pattern, "x", ignoreCase), makeRule("x", "'")};
                    EXPECT_EQ(reference_apply::compareWithReference(rules, textOf(source), true), "")
                        << pattern << " over " << times << " x " << piece;
                }
            }
}

TEST(ApplyRulesEquivalence, ShippedVocabularyOverEveryExample) {
    const std::vector<Rule> rules = shippedRules();
    ASSERT_FALSE(rules.empty());
    std::size_t examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(LUM_SOURCE_DIR) / "examples")) {
        // UTF-8 names whatever the platform's narrow code page.
        const std::u8string wide = entry.path().filename().u8string();
        const std::string name(wide.begin(), wide.end());
        if (name.size() < 9 || name.compare(name.size() - 9, 9, ".лумс") != 0) continue;
        ++examples;
        std::string bytes = readFile(entry.path());
        dropByteOrderMark(bytes);
        EXPECT_EQ(reference_apply::compareWithReference(rules, makeText(decodeBytes(bytes)), true), "") << name;
    }
    EXPECT_GT(examples, 0u);
}

TEST(ApplyRulesEquivalence, ShippedVocabularyOverBenchmarkSources) {
    const std::vector<Rule> rules = shippedRules();
    bench::Vocabulary vocabulary;
    ASSERT_TRUE(bench::makeVocabulary((std::filesystem::path(LUM_SOURCE_DIR) / "src" / "keywords.csv").string(),
                                      vocabulary));
    for (const auto& [bytes, seed] : {std::pair<std::size_t, unsigned>{10000, 7}, {60000, 11}}) {
        const CodeText text = makeText(decodeBytes(bench::makeSource(vocabulary, bytes, seed)));
        EXPECT_EQ(reference_apply::compareWithReference(rules, text, bytes < 20000), "") << bytes << " bytes";
    }
    // The stand-in vocabulary the benchmark falls back on, with its sets and "+" nodes.
    bench::Vocabulary standIn;
    const std::string standInPath = (std::filesystem::path(LUM_SOURCE_DIR) / "bench" / "rules.csv").string();
    ASSERT_TRUE(bench::makeVocabulary(standInPath, standIn));
    WarningList warnings;
    const std::vector<Rule> standInRules = parseRules(readFile(standInPath), warnings);
    const CodeText text = makeText(decodeBytes(bench::makeSource(standIn, 30000, 3)));
    EXPECT_EQ(reference_apply::compareWithReference(standInRules, text, false), "");
}

TEST(ApplyRulesEquivalence, ExplodingBacktrackingGivesThePlainResult) {
    // Small enough for the plain matcher, large enough for the failure memo to take over.
    for (const std::size_t length : {10u, 30u, 60u}) {
        for (const char* tail : {"", "b", "ab", "a b"}) {
            const std::string source = std::string(length, 'a') + tail;
            const std::vector<Rule> rules = {makeRule("a+a+a+b", "X"), makeRule("a+a+a+a+", "Y")};
            EXPECT_EQ(reference_apply::compareWithReference(rules, textOf(source), true), "")
                << length << " + '" << tail << "'";
        }
    }
}

// One rule's matches as trace lines: the product's scan with its failure sets set up after
// `memoAfter` steps, or the plain pass.
std::string scanned(const Rule& rule, const CodeText& text, std::size_t memoAfter) {
    std::vector<translator::Match> matches;
    translator::ScanScratch scratch;
    scratch.memoAfter = memoAfter;
    translator::scanRule(rule, translator::makeStartFilter(rule), text.chars.data(), text.chars.size(), matches,
                         scratch, nullptr);
    std::string found;
    for (const translator::Match& m : matches) found += reference_apply::traceLine(m.end - m.start, m.start, rule.pattern);
    return found;
}
std::string plainScanned(const Rule& rule, const CodeText& text) {
    CodeText plain = text;
    std::string expected;
    reference_apply::plainApplyRule(rule, plain, &expected);
    return expected;
}

TEST(ApplyRulesEquivalence, ScanMatcherFindsTheSameMatchesWhateverItsBudget) {
    // Failure sets from the first step, from a step in the middle of the scan, or never; texts of
    // scattered code points or of runs, short enough for the plain matcher's backtracking.
    const std::size_t never = static_cast<std::size_t>(-2);
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        std::mt19937 rng(seed);
        const Rule rule = randomRule(rng);
        const auto runs = std::count_if(rule.nodes.begin(), rule.nodes.end(),
                                        [](const PatternNode& node) { return node.oneOrMore && !node.isBoundary; });
        if (runs == 0) continue;
        CodeText text = randomText(rng, rng() % 120);
        if (seed % 2 == 0) {  // runs of one code point
            const std::size_t length = runs == 1 ? 300 : runs == 2 ? 100 : 30;
            CodePoints points;
            while (points.size() < length)
                points.insert(points.end(), 1 + rng() % 40, randomPoint(rng));
            text = makeText(points);
        }
        const std::string expected = plainScanned(rule, text);
        for (const std::size_t memoAfter : {std::size_t{0}, std::size_t{1 + rng() % 60}, never})
            ASSERT_EQ(scanned(rule, text, memoAfter), expected)
                << "seed " << seed << ", pattern " << encodeUtf8(rule.pattern) << ", memo after " << memoAfter;
    }
}

TEST(ApplyRulesEquivalence, LongRunsAndLongFailingRuns) {
    // Runs past one and two levels of the failure sets' summaries (64 and 4,096 positions) that
    // fail at their end, match there, or hold matches inside, under the shipped vocabulary too.
    using S = std::string;
    const std::pair<const char*, std::string> rows[] = {
        {"a+b", S(4200, 'a')},
        {"[^x]+x", S(4150, 'a') + "x" + S(130, 'a')},
        {"a+b", S(900, 'a') + "b" + S(70, 'a') + "b"},
        {" +раз\\b", "a" + S(1000, ' ') + "b"},
        {"\\bне +равно\\b", "не" + S(1000, ' ') + "не    равно"},
        {"a+'", "'" + S(1000, 'a') + "'"},
        {"[ab]+b", S(600, 'a') + S(300, 'b') + S(300, 'a')},
        {"\\b+a+", S(1000, 'a')},
    };
    for (const auto& [pattern, source] : rows) {
        const Rule rule = makeRule(pattern, "X");
        const std::string expected = plainScanned(rule, textOf(source));
        for (const std::size_t memoAfter : {std::size_t{0}, static_cast<std::size_t>(-1)})
            EXPECT_EQ(scanned(rule, textOf(source), memoAfter), expected) << pattern << ", memo after " << memoAfter;
    }
    EXPECT_EQ(reference_apply::compareWithReference(shippedRules(), textOf("a" + S(1000, ' ') + "b"), true), "");
}

TEST(ApplyRulesEquivalence, FailureSetsAgreeWithAPlainBitVector) {
    // Sizes around one, two and three summary levels; bits set in runs, as failures come.
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        const std::size_t size = 1 + rng() % (seed % 20 == 0 ? 300000 : seed % 2 ? 5000 : 130);
        std::vector<bool> plain(size);
        translator::BitTree tree;
        tree.fill(size, [&](std::size_t i) { return plain[i] = rng() % 8 != 0 && (i / 100) % 3 != 0; });
        for (int step = 0; step < 300; ++step) {
            const std::size_t at = rng() % size;
            for (std::size_t i = at; i < std::min(size, at + 1 + rng() % 5000); ++i) tree.set(i), plain[i] = true;
            const std::size_t q = rng() % size;
            std::size_t low = q, high = q;
            while (low < size && plain[low]) ++low;
            while (high != translator::BitTree::none && plain[high]) --high;
            ASSERT_EQ(tree.lowestClear(q), low) << "size " << size << " at " << q;
            ASSERT_EQ(tree.highestClear(q), high) << "size " << size << " at " << q;
            ASSERT_EQ(tree.test(q), plain[q]);
        }
    }
}

TEST(ApplyRulesEquivalence, ExplodingBacktrackingOverALongLineFinishes) {
    // a+a+a+a+b cannot match 10,000 "a" without a "b"; the one with a "b" at the end matches whole.
    const std::vector<Rule> rules = {makeRule("a+a+a+a+b", "X")};
    CodeText none = textOf(std::string(10000, 'a'));
    applyRules(none, {rules, false});
    EXPECT_EQ(utf8Of(none), std::string(10000, 'a'));
    CodeText one = textOf(std::string(10000, 'a') + "b");
    applyRules(one, {rules, false});
    EXPECT_EQ(utf8Of(one), "X");
}

}  // namespace
