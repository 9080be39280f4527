// The quote and bracket checks: bounded warnings with lines inside the text, and agreement
// with plain counting where no string or comment can hide a bracket.
#include <algorithm>

#include "diagnostics/checks.h"
#include "fuzz_support.h"

using namespace base;
using namespace diagnostics;

namespace {

void piece(std::uint8_t b, CodePoints& out) {
    static const std::uint32_t symbols[] = {'(', ')', '{', '}', '[', ']', '"', '\'', '/', '*', '\\', '\n', 'x', ' ', '`'};
    out.push_back(symbols[b % (sizeof symbols / sizeof symbols[0])]);
}

bool hasWarning(const WarningList& warnings, const std::string& piece) {
    return std::any_of(warnings.begin(), warnings.end(),
                       [&](const base::Finding& w) { return w.text.find(piece) != std::string::npos; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in{data, size};
    const bool raw = in.byte() & 1;
    const std::string bytes = in.rest();
    CodePoints points;
    if (raw)
        points = decodeBytes(bytes);
    else
        for (const char c : bytes) piece(static_cast<std::uint8_t>(c), points);
    const CodeText text = makeText(points);
    const long long lastLine = text.lines.empty() ? 1 : text.lines.back();

    WarningList quotes;
    checkQuotes(points, quotes);
    FUZZ_REQUIRE(quotes.size() <= 1);
    for (const base::Finding& w : quotes) FUZZ_REQUIRE(namedLine(w.text) >= 1 && namedLine(w.text) <= lastLine);
    const bool anyQuote = std::any_of(points.begin(), points.end(), [](std::uint32_t c) { return c == '"' || c == '\''; });
    if (!anyQuote) FUZZ_REQUIRE(quotes.empty());

    WarningList brackets;
    checkBrackets(text, brackets);
    FUZZ_REQUIRE(brackets.size() <= 5);
    for (const base::Finding& finding : brackets) {
        const std::string& w = finding.text;
        const long long line = namedLine(w);
        FUZZ_REQUIRE(line == -1 || (line >= 0 && line <= lastLine), "'%s' past line %lld", w.c_str(), lastLine);
    }

    // Nothing can open a string or a comment: the warnings follow from plain counting.
    const bool hiding = std::any_of(points.begin(), points.end(),
                                    [](std::uint32_t c) { return c == '"' || c == '\'' || c == '/'; });
    if (!hiding) {
        long long depth[3] = {0, 0, 0}, lowest[3] = {0, 0, 0};
        const std::uint32_t open[3] = {'(', '{', '['}, close[3] = {')', '}', ']'};
        for (const std::uint32_t c : points)
            for (int k = 0; k < 3; ++k) {
                if (c == open[k]) ++depth[k];
                if (c == close[k]) lowest[k] = std::min(lowest[k], --depth[k]);
            }
        FUZZ_REQUIRE(hasWarning(brackets, "закрывающих }") == (depth[1] - lowest[1] > 0));
        FUZZ_REQUIRE(hasWarning(brackets, "лишняя }") == (lowest[1] < 0));
        FUZZ_REQUIRE(hasWarning(brackets, "закрывающих )") == (depth[0] - lowest[0] > 0));
        FUZZ_REQUIRE(hasWarning(brackets, "лишняя )") == (lowest[0] < 0));
        FUZZ_REQUIRE(hasWarning(brackets, "квадратные") == (depth[2] != 0 || lowest[2] < 0));
    }
    return 0;
}
