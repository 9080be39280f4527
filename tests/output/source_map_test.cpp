// The source map against a naive reference: every code point of the script, at its generated
// line and UTF-16 column (after "</" is written "<\/"), maps to its source line, or to nothing in
// library code. Also the step page made from a page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/compile.h"
#include "output/page.h"
#include "output/source_map.h"
#include "output/step_page.h"
#include "rules/libraries.h"

using namespace base;
using namespace rules;
using namespace output;

namespace {

// mappings -> per generated line, segments [column, source line (1-based) or 0].
std::vector<std::vector<std::pair<long, long>>> decode(const std::string& json) {
    const std::string key = "\"mappings\":\"";
    const std::string mappings = json.substr(json.find(key) + key.size(), json.rfind('"') - json.find(key) - key.size());
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<std::vector<std::pair<long, long>>> lines(1);
    long source = 0, column = 0, value = 0, shift = 0;
    std::vector<long> fields;
    auto endSegment = [&] {
        if (fields.empty()) return;
        column += fields[0];
        if (fields.size() >= 4) source += fields[2];
        lines.back().push_back({column, fields.size() >= 4 ? source + 1 : 0});
        fields.clear();
    };
    for (const char c : mappings) {
        if (c == ';' || c == ',') {
            endSegment();
            if (c == ';') lines.emplace_back(), column = 0;
            continue;
        }
        const long d = static_cast<long>(digits.find(c));
        value += (d & 31) << shift;
        if (d & 32) {
            shift += 5;
        } else {
            fields.push_back(value & 1 ? -(value >> 1) : value >> 1);
            value = shift = 0;
        }
    }
    endSegment();
    return lines;
}

CodeText textOf(const std::u32string& chars, const std::vector<std::uint32_t>& lines) {
    CodeText t;
    t.chars.assign(chars.begin(), chars.end());
    t.lines = lines;
    return t;
}

struct MapCase {
    const char* name;
    CodeText text;
    std::size_t ownStart, linesAbove;
};

TEST(SourceMap, EveryCodePointMapsToItsLineOrToNothing) {
    const CodePoints canvas = decodeBytes(std::string(builtinLibraries()[0].text));
    CodeText withBuiltin = textOf(U"a=1;\nb=2", {1, 1, 1, 1, 1, 2, 2, 2});
    withBuiltin.chars.insert(withBuiltin.chars.begin() + 5, canvas.begin(), canvas.end());
    withBuiltin.lines.insert(withBuiltin.lines.begin() + 5, canvas.size(), 2);
    const MapCase cases[] = {
        {"plain lines", textOf(U"x=1\ny=2\n\nz", {1, 1, 1, 1, 2, 2, 2, 2, 3, 4}), 0, 1},
        {"two source lines on one line", textOf(U"ab\ncd", {3, 4, 4, 7, 7}), 0, 0},
        {"library in front", textOf(U"lib\nown", {9, 9, 9, 9, 1, 1, 1}), 4, 2},
        {"escaped </ and astral", textOf(U"s='</𝄞';t", {1, 1, 1, 1, 1, 1, 2, 2, 2}), 0, 1},
        {"built-in library in the main text", withBuiltin, 0, 1},
    };
    for (const MapCase& c : cases) {
        SourceMapInput input;
        input.text = &c.text;
        input.ownStart = c.ownStart;
        input.sourceName = "п.лумс";
        input.linesAbove = c.linesAbove;
        const auto lines = decode(sourceMapJson(input));
        std::vector<bool> library(c.text.chars.size(), false);
        for (std::size_t i = 0; i < c.ownStart; ++i) library[i] = true;
        if (&c == &cases[4])
            for (std::size_t i = 5; i < 5 + canvas.size(); ++i) library[i] = true;
        std::size_t line = c.linesAbove;
        long column = 0;
        for (std::size_t i = 0; i < c.text.chars.size(); ++i) {
            const std::uint32_t ch = c.text.chars[i];
            if (ch == '\n') {
                ++line, column = 0;
                continue;
            }
            ASSERT_LT(line, lines.size()) << c.name;
            long mapped = -1;
            for (const auto& [at, source] : lines[line])
                if (at <= column) mapped = source;
            EXPECT_EQ(mapped, library[i] ? 0 : static_cast<long>(c.text.lines[i])) << c.name << " at " << i;
            column += ch >= 0x10000 ? 2 : 1;
            if (ch == '<' && i + 1 < c.text.chars.size() && c.text.chars[i + 1] == '/') ++column;
        }
    }
}

TEST(StepPage, KeepsTheBodyAsTextWithItsOffsetAndAddsTheScript) {
    const std::string page = buildPage({"вывести(1)", "[1]", "п", "вывести(1)", true});
    const std::string step = stepPage(page, "<script src=\"/step.js\"></script>\n");
    const std::size_t tag = page.find("<script type=\"text/javascript\" id=\"js\">\n");
    const std::string lines = std::to_string(std::count(page.begin(), page.begin() + tag + 40, '\n'));
    EXPECT_NE(step.find("<script type=\"text/plain\" id=\"js\" data-lum-offset=\"" + lines + "\">\nвывести(1)\n</script>"),
              std::string::npos);
    EXPECT_EQ(step.find("text/javascript\" id=\"js\""), std::string::npos);
    EXPECT_NE(step.find("<script src=\"/step.js\"></script>\n</body>\n</html>\n"), std::string::npos);
    EXPECT_EQ(stepPage("<html>no body script</html>", "x"), "");
}

}  // namespace
