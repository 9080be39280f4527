// The quote and bracket checks, their edge cases and their line numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "diagnostics/checks.h"

using namespace base;
using namespace diagnostics;

namespace {

CodePoints points(const std::string& utf8) {
    CodePoints out;
    EXPECT_TRUE(decodeUtf8(utf8, out)) << utf8;
    return out;
}

WarningList quotes(const std::string& source) {
    WarningList w;
    checkQuotes(points(source), w);
    return w;
}

WarningList brackets(const std::string& script) {
    WarningList w;
    checkBrackets(makeText(points(script)), w);
    return w;
}

const std::string unclosedDouble = ": незакрытая кавычка \" — текст после неё переведётся как код";
const std::string unclosedSingle = ": незакрытая кавычка ' — текст после неё переведётся как код";
const std::string extraBrace = ": лишняя } (больше закрывающих, чем открытых)";
const std::string extraParen = ": лишняя ) (больше закрывающих, чем открытых)";
const std::string squares = ": не совпадают квадратные скобки [ ] — проверьте массивы (или это регэксп)";

std::string missingBraces(int n) { return "не хватает " + std::to_string(n) + " закрывающих } — возможно, пропущен «конец»"; }
std::string missingParens(int n) { return "не хватает " + std::to_string(n) + " закрывающих ) — проверьте скобки у команд"; }

}  // namespace

TEST(CheckQuotes, NamesTheLineOfTheQuoteThatOpenedTheLastString) {
    const struct {
        std::string source;
        WarningList expected;
    } cases[] = {
        {"", {}},
        {"вывести 1\n", {}},
        {"a\nb\nc\nвывести \"привет\n", {"строка 4" + unclosedDouble}},
        {"вывести \"раз\nдва\"\nтри", {}},
        {"// don't\nвывести 1", {"строка 1" + unclosedSingle}},
        {"x\n= \"a \\\" b\"\n", {"строка 2" + unclosedDouble}},  // a backslash protects nothing
        {"\"it's\" 'say \"hi\"' \n\n'", {"строка 3" + unclosedSingle}},
        {"\"a\"\n'b'\n\"c\n'd'", {"строка 3" + unclosedDouble}},
    };
    for (const auto& c : cases) EXPECT_EQ(quotes(c.source), c.expected) << c.source;
}

TEST(CheckBrackets, PlainSourceCases) {
    const struct {
        std::string script;
        WarningList expected;
    } cases[] = {
        {"", {}},
        {"f(a[1], {b: 2});\n", {}},
        {"{{}", {missingBraces(1)}},
        {"}\n{", {missingBraces(1), "строка 1" + extraBrace}},  // the "{" of line 2 stays open
        {"}}\n{", {missingBraces(1), "строка 1" + extraBrace}},
        {")\n(()", {missingParens(1), "строка 1" + extraParen}},
        {"a\nb\n)\nc\nd\ne\n)\n((", {missingParens(2), "строка 7" + extraParen}},  // lowest depth on line 7
        {"a\nb\n)\nc\n()\n", {"строка 3" + extraParen}},
        {"x = [1, 2", {"строка 1" + squares}},
        {"x = 1\nпусть с = [1, 2\ny = [3]", {"строка 2" + squares}},
        {"x\n= 1]\n[", {"строка 2" + squares}},
        {"((\n{", {missingBraces(1), missingParens(2)}},
        {"}\n)\n]\n{{\n((", {missingBraces(2), "строка 1" + extraBrace, missingParens(2), "строка 2" + extraParen,
                             "строка 3" + squares}},
        {"s = \"(\"; t = '{'; // )\n/* ]\n} */ u = 1", {}},
        {"s = \"\\\"(\"", {}},                      // the escaped quote does not end the string
        {"s = `${a}(`", {missingParens(1)}},        // template literals are code
        {"s = 'a\\\nb'\n)", {"строка 3" + extraParen}},  // an escaped line feed still counts
        {"x = a / b / (c)", {}},
        {"/* never closed (\n)", {}},
        {"r = /\\)/;", {"строка 1" + extraParen}},  // regular-expression literals are not recognised
    };
    for (const auto& c : cases) EXPECT_EQ(brackets(c.script), c.expected) << c.script;
}

TEST(CheckBrackets, ExcessClosersNameTheSourceLineTheyCarry) {
    // Text lines 1-3 come from an included library (all line 5, its directive's line); the main
    // script follows with lines that a multi-line replacement stretched.
    CodeText text = makeText(points("lib();\nlib();\nlib();\na();\nb()\n);\n}\n]\n"));
    const std::vector<std::uint32_t> lineOfTextLine = {5, 5, 5, 1, 2, 2, 4, 9};
    std::uint32_t textLine = 0;
    for (std::size_t i = 0; i < text.chars.size(); ++i) {
        text.lines[i] = lineOfTextLine[textLine];
        if (text.chars[i] == 0x0A) ++textLine;
    }
    WarningList w;
    checkBrackets(text, w);
    EXPECT_EQ(w, (WarningList{"строка 4" + extraBrace, "строка 2" + extraParen, "строка 9" + squares}));
}

TEST(CheckBrackets, MinimumLineIsThatOfTheCloserWhereTheLowestDepthWasReached) {
    CodeText text = makeText(points(")\n)\n()\n"));
    text.lines = {10, 10, 20, 20, 30, 30, 30};
    WarningList w;
    checkBrackets(text, w);
    EXPECT_EQ(w, WarningList{"строка 20" + extraParen});
}

