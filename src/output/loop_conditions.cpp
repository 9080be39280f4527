// The «пока» loops' heads hand the loop guard their condition and the values it reads.
// Tests: tests/diagnostics/endless_loops_test.cpp, tests/browser/page_errors_test.cpp.
#include "output/loop_conditions.h"

namespace output {

namespace {

// A JavaScript string literal in double quotes; "<" escaped so that no markup can form.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '<') out += "\\u003c";
        else out += c;
    }
    return out + "\"";
}

}  // namespace

std::string conditionArguments(const diagnostics::WhileLoop& loop) {
    // A head not found as a loop word on its source line is JavaScript written as it is: left alone.
    if (loop.conditionCalls || loop.condition.empty()) return {};
    std::string names, values;
    // The guard takes up to eight values.
    for (std::size_t i = 0; i < loop.reads.size() && i < 8; ++i) {
        const std::string& name = loop.reads[i];
        names += (names.empty() ? "" : "|") + name;
        values += ',';
        for (const char c : name) values += c == '.' ? std::string("?.") : std::string(1, c);
    }
    return "," + quoted(loop.condition) + "," + quoted(loop.script) + "," + quoted(names) + values;
}

void passConditionsToGuard(base::CodeText& text, const std::vector<diagnostics::WhileLoop>& loops) {
    if (loops.empty()) return;
    base::CodeText out;
    out.chars.reserve(text.chars.size());
    out.lines.reserve(text.lines.size());
    std::size_t copied = 0;
    for (const diagnostics::WhileLoop& loop : loops) {
        const std::size_t at = loop.checkArguments;
        const base::CodePoints added = base::decodeBytes(conditionArguments(loop));
        if (added.empty() || at < copied || at > text.chars.size()) continue;
        out.chars.insert(out.chars.end(), text.chars.begin() + static_cast<std::ptrdiff_t>(copied),
                         text.chars.begin() + static_cast<std::ptrdiff_t>(at));
        out.lines.insert(out.lines.end(), text.lines.begin() + static_cast<std::ptrdiff_t>(copied),
                         text.lines.begin() + static_cast<std::ptrdiff_t>(at));
        const std::uint32_t line = at < text.lines.size() ? text.lines[at] : loop.line;
        out.chars.insert(out.chars.end(), added.begin(), added.end());
        out.lines.insert(out.lines.end(), added.size(), line);
        copied = at;
    }
    out.chars.insert(out.chars.end(), text.chars.begin() + static_cast<std::ptrdiff_t>(copied), text.chars.end());
    out.lines.insert(out.lines.end(), text.lines.begin() + static_cast<std::ptrdiff_t>(copied), text.lines.end());
    text = std::move(out);
}

}  // namespace output
