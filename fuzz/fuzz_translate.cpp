// Translation: applyRules with arbitrary rules over arbitrary text keeps chars and lines of
// equal length, every line at least 1 and no higher than the text had, lines non-decreasing,
// and gives what the equivalence tests' plain pass gives wherever that one is fast enough.
#include <algorithm>

#include "fuzz_support.h"
#include "rules/rulesfile.h"
#include "translator/reference_apply.h"
#include "translator/rewrite.h"

using namespace base;
using namespace rules;
using namespace translator;

namespace {

void requireLines(const CodeText& text, std::uint32_t highest) {
    FUZZ_REQUIRE(text.chars.size() == text.lines.size(), "%zu chars, %zu lines", text.chars.size(),
                 text.lines.size());
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        FUZZ_REQUIRE(text.lines[i] >= 1 && text.lines[i] <= highest, "line %u at %zu", text.lines[i], i);
        if (i > 0) FUZZ_REQUIRE(text.lines[i - 1] <= text.lines[i], "lines fall at %zu", i);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in{data, size};
    const std::string rulesBytes = in.until(0xFF);
    const std::string textBytes = in.rest();
    WarningList warnings;
    const std::vector<Rule> ruleTable = parseRules(rulesBytes, warnings);
    CodeText text = makeText(decodeBytes(textBytes));

    // The plain pass's backtracking costs the text length to the power of a pattern's runs.
    std::size_t runs = 0;
    for (const Rule& rule : ruleTable)
        runs = std::max<std::size_t>(runs, std::count_if(rule.nodes.begin(), rule.nodes.end(), [](const PatternNode& n) {
                                         return n.oneOrMore && !n.isBoundary;
                                     }));
    if (text.chars.size() <= (runs <= 1 ? 300u : runs == 2 ? 60u : 14u)) {
        const std::string difference = reference_apply::compareWithReference(ruleTable, text, false);
        FUZZ_REQUIRE(difference.empty(), "%s", difference.c_str());
    }

    const std::uint32_t highest = text.lines.empty() ? 1 : text.lines.back();
    const bool hadQuote = std::any_of(text.chars.begin(), text.chars.end(),
                                      [](std::uint32_t c) { return c == '"' || c == '\''; });
    const CodeText before = text;
    applyRules(text, {ruleTable, false});
    requireLines(text, highest);

    // Without rules and without anything the post-steps look for, the text stays as it was.
    if (ruleTable.empty() && !hadQuote) {
        CodeText expected = before;
        replaceLiteral(expected, "\\перенос строки", "\\n", true, false);
        replaceLiteral(expected, "\\вертикальная табуляция", "\\v", true, false);
        replaceLiteral(expected, "\\табуляция", "\\t", true, false);
        replaceLiteral(expected, "Введите ваш код на ЛУМ в белом окне ниже, перевод будет в черном окне:",
                       "код на JavaScript:", false, true);
        expandCountedLoops(expected);
        FUZZ_REQUIRE(expected.chars == text.chars && expected.lines == text.lines);
    }
    return 0;
}
