// Output comparison, hidden-test digests and the word rules of a task.
// Tests: tests/tasks/compare_test.cpp.
#include "tasks/compare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "base/sha256.h"

namespace tasks {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A line cut into its text between numbers and its numbers ("-?D+(.D+)?"): the text has "\x01"
// where a number stood.
struct Cut {
    std::string skeleton;
    std::vector<double> numbers;
};
Cut cut(const std::string& line) {
    Cut c;
    for (std::size_t i = 0; i < line.size();) {
        const bool sign = line[i] == '-' && i + 1 < line.size() && isDigit(line[i + 1]);
        if (!isDigit(line[i]) && !sign) {
            c.skeleton.push_back(line[i++]);
            continue;
        }
        std::size_t end = i + (sign ? 1 : 0);
        while (end < line.size() && isDigit(line[end])) ++end;
        if (end + 1 < line.size() && line[end] == '.' && isDigit(line[end + 1])) {
            ++end;
            while (end < line.size() && isDigit(line[end])) ++end;
        }
        double value = 0;
        readDecimal(line.substr(i, end - i), value);
        c.numbers.push_back(value);
        c.skeleton.push_back('\x01');
        i = end;
    }
    return c;
}

// Sorting for "порядок строк не важен": by the text between the numbers (bytes, which is code
// point order), then by the numbers; without a tolerance, by the whole line.
bool lineBefore(const std::string& a, const std::string& b, bool numeric) {
    if (!numeric) return a < b;
    const Cut ca = cut(a), cb = cut(b);
    if (ca.skeleton != cb.skeleton) return ca.skeleton < cb.skeleton;
    return ca.numbers < cb.numbers;
}

bool sameLine(const std::string& expected, const std::string& got, double tolerance) {
    if (tolerance <= 0) return expected == got;
    const Cut e = cut(expected), g = cut(got);
    if (e.skeleton != g.skeleton || e.numbers.size() != g.numbers.size()) return false;
    for (std::size_t i = 0; i < e.numbers.size(); ++i)
        if (!(std::fabs(e.numbers[i] - g.numbers[i]) <= tolerance * (1 + 1e-9))) return false;
    return true;
}

// The cell index of a number as the digest writes it: a whole decimal number, or "~" beyond
// 10^15 where doubles stop holding every whole number (the checker writes the same).
std::string cellText(double x, double offset, double tolerance) {
    const double cell = std::floor((x - offset) / (2 * tolerance));
    if (!(std::fabs(cell) < 1e15)) return cell < 0 ? "-~" : "~";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", cell);
    return buffer;
}

// The text the digest covers: the salt, then every compared line with a line feed, each number
// written as "\x01" + its cell + "\x01" when there is a tolerance.
std::string digestText(const std::vector<std::string>& lines, const Comparison& how, const std::string& salt,
                       const std::vector<double>& offsets, bool& countsMatch) {
    std::string text = salt + "\n";
    std::size_t next = 0;
    countsMatch = true;
    for (const std::string& line : lines) {
        if (how.tolerance <= 0) {
            text += line;
        } else {
            const Cut c = cut(line);
            std::size_t number = 0;
            for (const char ch : c.skeleton) {
                if (ch != '\x01') {
                    text.push_back(ch);
                    continue;
                }
                if (next >= offsets.size()) {
                    countsMatch = false;
                    return {};
                }
                text += "\x01" + cellText(c.numbers[number++], offsets[next], how.tolerance) + "\x01";
                ++next;
            }
        }
        text.push_back('\n');
    }
    countsMatch = next == offsets.size() || how.tolerance <= 0;
    return text;
}

// Code points that may stand in a word of the source.
bool wordChar(std::uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

}  // namespace

std::vector<std::string> outputLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        std::size_t last = end;
        while (last > from && (text[last - 1] == ' ' || text[last - 1] == '\t' || text[last - 1] == '\r')) --last;
        lines.emplace_back(text.substr(from, last - from));
        if (end == text.size()) break;
        from = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::vector<std::string> expectedLines(const std::vector<std::string>& expected) {
    std::string text;
    for (const std::string& line : expected) text += line + "\n";
    return outputLines(text);
}

std::vector<std::string> comparedLines(std::vector<std::string> lines, const Comparison& how) {
    if (how.ignoreCase) {
        for (std::string& line : lines) {
            base::CodePoints points;
            if (!base::decodeUtf8(line, points)) continue;
            for (std::uint32_t& c : points) c = base::toUpper(c);
            line = base::encodeUtf8(points);
        }
    }
    if (how.anyOrder) {
        const bool numeric = how.tolerance > 0;
        std::stable_sort(lines.begin(), lines.end(),
                         [numeric](const std::string& a, const std::string& b) { return lineBefore(a, b, numeric); });
    }
    return lines;
}

Difference compareOutput(const std::vector<std::string>& expected, std::string_view got, const Comparison& how) {
    const std::vector<std::string> e = comparedLines(expectedLines(expected), how);
    const std::vector<std::string> g = comparedLines(outputLines(got), how);
    const std::size_t common = std::min(e.size(), g.size());
    for (std::size_t i = 0; i < common; ++i)
        if (!sameLine(e[i], g[i], how.tolerance)) return {false, i + 1};
    if (e.size() != g.size()) return {false, common + 1};
    return {};
}

HiddenExpectation hiddenExpectation(const std::vector<std::string>& expected, const Comparison& how, const std::string& salt) {
    HiddenExpectation hidden;
    const std::vector<std::string> lines = comparedLines(expectedLines(expected), how);
    if (how.tolerance > 0) {
        const double step = 2 * how.tolerance;
        for (const std::string& line : lines) {
            for (const double e : cut(line).numbers) {
                double offset = std::fmod(e - how.tolerance, step);
                if (offset < 0) offset += step;
                hidden.offsets.push_back(offset);
            }
        }
    }
    bool countsMatch = true;
    hidden.digest = base::sha256Hex(digestText(lines, how, salt, hidden.offsets, countsMatch));
    return hidden;
}

std::string outputDigest(std::string_view got, const Comparison& how, const std::string& salt,
                         const std::vector<double>& offsets) {
    bool countsMatch = true;
    const std::string text = digestText(comparedLines(outputLines(got), how), how, salt, offsets, countsMatch);
    return countsMatch ? base::sha256Hex(text) : std::string();
}

std::string wordRuleBroken(const base::CodePoints& source, const Task& task) {
    // The source's words, small letters, in the code the browser runs: outside strings ("…", '…'),
    // comments (// and /* */) and the text of backquoted strings, but inside their ${…}, which the
    // compiler translates as code. `open` holds, per backquoted string entered, the depth of "{"
    // its ${ stood at; a list, not recursion, so no nesting is too deep.
    std::set<std::string> words;
    base::CodePoints word;
    const auto flush = [&] {
        if (word.empty()) return;
        for (std::uint32_t& c : word) {
            if ((c >= 'A' && c <= 'Z') || (c >= 0x410 && c <= 0x42F)) c += 0x20;
            else if (c == 0x401) c = 0x451;
        }
        words.insert(base::encodeUtf8(word));
        word.clear();
    };
    std::vector<std::size_t> open;
    std::size_t depth = 0;      // "{" open in the code being read
    bool inTemplate = false;    // reading the text of a backquoted string
    for (std::size_t i = 0; i < source.size(); ++i) {
        const std::uint32_t c = source[i];
        const std::uint32_t next = i + 1 < source.size() ? source[i + 1] : 0;
        if (inTemplate) {
            if (c == '\\') ++i;
            else if (c == '`') inTemplate = false;
            else if (c == '$' && next == '{') {
                open.push_back(depth);
                inTemplate = false;
                ++i;
            }
            continue;
        }
        if (wordChar(c)) {
            word.push_back(c);
            continue;
        }
        flush();
        if (c == '"' || c == '\'') {
            for (++i; i < source.size() && source[i] != c && source[i] != '\n'; ++i)
                if (source[i] == '\\') ++i;
        } else if (c == '`') {
            inTemplate = true;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (!open.empty() && open.back() == depth) {
                open.pop_back();
                inTemplate = true;
            } else if (depth > 0) {
                --depth;
            }
        } else if (c == '/' && next == '/') {
            while (i < source.size() && source[i] != '\n') ++i;
        } else if (c == '/' && next == '*') {
            for (i += 2; i + 1 < source.size() && !(source[i] == '*' && source[i + 1] == '/'); ++i) {}
            ++i;
        }
    }
    flush();
    for (const std::string& w : task.mustUse)
        if (!words.count(w)) return "в программе должно быть слово «" + w + "»: решите задачу с ним";
    for (const std::string& w : task.mustNotUse)
        if (words.count(w)) return "в программе не должно быть слова «" + w + "»: решите задачу без него";
    return "";
}

}  // namespace tasks
