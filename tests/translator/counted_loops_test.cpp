// Counted repetition: which headers are recognised, the two loop forms, line numbers.
#include <gtest/gtest.h>

#include "translator/rewrite.h"
#include "translator/translator_helpers.h"

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

}  // namespace
