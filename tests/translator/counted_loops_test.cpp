// Counted repetition: which headers are recognised, the two loop forms, line numbers.
#include <gtest/gtest.h>

#include <random>

#include "translator/rewrite.h"
#include "translator/translator_helpers.h"

using namespace base;
using namespace translator;

namespace {

const std::string digitsLoop = "for(счетчик of new Array(";
const std::string digitsEnd = ").keys()){";
const std::string otherLoop = "for(счетчик of new Array(Math.max(0, Math.floor(";
const std::string otherEnd = "))).keys()){";

std::string expanded(const std::string& source) {
    CodeText text = textOf(source);
    expandCountedLoops(text);
    EXPECT_EQ(text.chars.size(), text.lines.size());
    return utf8Of(text);
}

TEST(CountedLoops, RecognisedHeaders) {
    const std::pair<const char*, std::string> cases[] = {
        {"for(10 раз){", digitsLoop + "10" + digitsEnd},
        {"for(3 раза){x}", digitsLoop + "3" + digitsEnd + "x}"},
        {"for(5 разов){", digitsLoop + "5" + digitsEnd},
        {"for(5 РАЗ){", digitsLoop + "5" + digitsEnd},
        {"for(5 Раза){", digitsLoop + "5" + digitsEnd},
        {"for(5 РаЗоВ){", digitsLoop + "5" + digitsEnd},
        {"for( n+2  РАЗА){", otherLoop + "n+2" + otherEnd},
        {"for(007 раз){", digitsLoop + "007" + digitsEnd},  // digits kept as written
        {"for(-3 раз){", otherLoop + "-3" + otherEnd},
        {"for(+3 раз){", otherLoop + "+3" + otherEnd},
        {"for(2.5 раз){", otherLoop + "2.5" + otherEnd},
        {"for(\t4 раз){", otherLoop + "\t4" + otherEnd},  // only spaces are trimmed
        {"for(  раз){", otherLoop + otherEnd},             // empty count
        {"for(f(g(1), 2) раз){", otherLoop + "f(g(1), 2)" + otherEnd},
        {"for(a (b раз) c раз){", otherLoop + "a (b раз) c" + otherEnd},  // only depth 1 is tried
        {"xfor(2 раз){", "x" + digitsLoop + "2" + digitsEnd},  // end of a longer identifier
        {"for(for(2 раз){", "f" + std::string("or(") + digitsLoop + "2" + digitsEnd},
        {"for(n раз){for(2 раз){", otherLoop + "n" + otherEnd + digitsLoop + "2" + digitsEnd},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(expanded(source), expected) << source;
}

TEST(CountedLoops, QuotedStringsInTheHeaderAreSkippedWhole) {
    EXPECT_EQ(expanded("for(f(\" раз){\") раз){"), otherLoop + "f(\" раз){\")" + otherEnd);
    EXPECT_EQ(expanded("for('a раз){' + n раз){}"), otherLoop + "'a раз){' + n" + otherEnd + "}");
    // A quote that never closes ends the candidate.
    EXPECT_EQ(expanded("for(\"x раз){"), "for(\"x раз){");
}

TEST(CountedLoops, OtherShapesAreCopiedUnchanged) {
    const char* unchanged[] = {
        "for(10раз){",          // no space before the word
        "for(10 раз) {",        // space between ) and {
        "for (10 раз){",        // space between for and (
        "for(i=0;i<3;i++){",    // ordinary loop: closes without a count word
        "for(10 разы){",
        "For(10 раз){",         // "for" is exact
        "for(10 раз)",          // no brace
        "for(",
        "for(10 раз",
        "\"for(10 раз){\"",     // inside a closed literal
        "'for(1 раз){'",
        "",
    };
    for (const char* source : unchanged) EXPECT_EQ(expanded(source), source) << source;
}

TEST(CountedLoops, AnUnclosedQuoteBeforeTheHeaderIsOrdinary) {
    EXPECT_EQ(expanded("\"for(1 раз){"), "\"" + digitsLoop + "1" + digitsEnd);
}

TEST(CountedLoops, HeaderTakesTheLineOfItsFAndTheRestKeepsTheirs) {
    CodeText text = textOf("a\nfor(n\n раз){\nb");
    expandCountedLoops(text);
    const std::string header = otherLoop + "n\n" + otherEnd;
    EXPECT_EQ(utf8Of(text), "a\n" + header + "\nb");
    const std::size_t headerLength = decodeBytes(header).size();
    std::string expected = "1,1";
    for (std::size_t i = 0; i < headerLength; ++i) expected += ",2";
    expected += ",3,4";
    EXPECT_EQ(linesOf(text), expected);
}

// The pass resolves all headers in one right-to-left sweep; this is the plain scan, header by
// header, that it must agree with.
std::string expandedByPlainScan(const std::string& source) {
    const CodeText text = textOf(source);
    const std::vector<std::uint32_t>& t = text.chars;
    const std::size_t n = t.size();
    const CodePoints words[] = {decodeBytes("раза"), decodeBytes("раз"), decodeBytes("разов")};
    auto closing = [&](std::size_t p) {
        std::size_t q = p + 1;
        while (q < n && t[q] != t[p]) ++q;
        return q;
    };
    CodePoints out;
    for (std::size_t v = 0; v < n;) {
        if ((t[v] == '"' || t[v] == '\'') && closing(v) < n) {
            const std::size_t q = closing(v);
            out.insert(out.end(), t.begin() + v, t.begin() + q + 1);
            v = q + 1;
            continue;
        }
        bool found = false;
        std::size_t h = v + 4, k = 0;
        if (v + 4 < n && t[v] == 'f' && t[v + 1] == 'o' && t[v + 2] == 'r' && t[v + 3] == '(') {
            for (int depth = 1; h < n && !found; ++h) {
                if (t[h] == '"' || t[h] == '\'') {
                    h = closing(h);
                    if (h >= n) break;
                } else if (t[h] == '(') {
                    ++depth;
                } else if (t[h] == ')') {
                    if (--depth == 0) break;
                } else if (t[h] == ' ' && depth == 1) {
                    for (const CodePoints& w : words) {
                        k = w.size();
                        if (h + k + 2 >= n || t[h + k + 1] != ')' || t[h + k + 2] != '{') continue;
                        bool same = true;
                        for (std::size_t j = 0; j < k; ++j) same = same && sameLetter(t[h + 1 + j], w[j]);
                        if (same) {
                            found = true;
                            break;
                        }
                    }
                    if (found) break;
                }
            }
        }
        if (!found) {
            out.push_back(t[v++]);
            continue;
        }
        std::size_t from = v + 4, to = h;
        while (from < to && t[from] == ' ') ++from;
        while (to > from && t[to - 1] == ' ') --to;
        bool digits = from < to;
        for (std::size_t i = from; i < to; ++i) digits = digits && t[i] >= '0' && t[i] <= '9';
        const CodePoints count(t.begin() + from, t.begin() + to);
        const std::string header = (digits ? digitsLoop : otherLoop) + encodeUtf8(count) + (digits ? digitsEnd : otherEnd);
        const CodePoints points = decodeBytes(header);
        out.insert(out.end(), points.begin(), points.end());
        v = h + k + 3;
    }
    return encodeUtf8(out);
}

TEST(CountedLoops, AgreesWithThePlainScanOnRandomTexts) {
    const char* pieces[] = {"for(", "for(", " раз){", " РАЗА){", " разов){", "(", ")", ")", " ", "{", "\"", "'",
                            "1", "x", "раз", "\n", "f"};
    std::mt19937 random(20260);
    for (int round = 0; round < 20000; ++round) {
        std::string source;
        const int length = 1 + static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) source += pieces[random() % (sizeof pieces / sizeof *pieces)];
        ASSERT_EQ(expanded(source), expandedByPlainScan(source)) << source;
    }
}

}  // namespace
