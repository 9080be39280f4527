// The two checks of a compile: unclosed quotes in the source and bracket balance in the script.
// Tests: tests/diagnostics/checks_test.cpp.
#include "diagnostics/checks.h"

#include <cstdint>
#include <vector>

namespace diagnostics {

namespace {

constexpr std::uint32_t lineFeed = 0x0A;
constexpr std::uint32_t doubleQuote = 0x22;
constexpr std::uint32_t apostrophe = 0x27;
constexpr std::uint32_t backslash = 0x5C;

base::Finding lineWarning(long long line, const char* text) {
    const auto at = static_cast<std::uint32_t>(line);
    return {at, base::onLine(at, text)};
}

// One opening bracket kind: its running depth and the lowest depth reached with the line of
// the closer that reached it (0 while the depth never went below zero).
struct Depth {
    long long depth = 0;
    long long minimum = 0;
    long long minimumLine = 0;
    std::vector<long long> openLines;  // the lines of the openers no closer has matched yet, in order

    // Openers that no later closer matched: an excess closer does not cancel an opener that
    // comes after it, so "}" then "{" leaves one "{" open.
    long long unclosed() const { return depth - minimum; }

    void open(long long line) {
        ++depth;
        openLines.push_back(line);
    }

    void close(long long line) {
        if (!openLines.empty()) openLines.pop_back();
        --depth;
        if (depth < minimum) {
            minimum = depth;
            minimumLine = line;
        }
    }
};

}  // namespace

void checkQuotes(const base::CodePoints& source, base::WarningList& warnings) {
    enum class State { Code, Double, Single } state = State::Code;
    long long line = 1, doubleLine = 0, singleLine = 0;
    for (const std::uint32_t c : source) {
        if (c == lineFeed) {
            ++line;
            continue;
        }
        switch (state) {
            case State::Code:
                if (c == doubleQuote) {
                    state = State::Double;
                    doubleLine = line;
                } else if (c == apostrophe) {
                    state = State::Single;
                    singleLine = line;
                }
                break;
            case State::Double:
                if (c == doubleQuote) state = State::Code;
                break;
            case State::Single:
                if (c == apostrophe) state = State::Code;
                break;
        }
    }
    if (state == State::Double)
        warnings.push_back(
            lineWarning(doubleLine, "незакрытая кавычка \" — текст после неё переведётся как код"));
    else if (state == State::Single)
        warnings.push_back(
            lineWarning(singleLine, "незакрытая кавычка ' — текст после неё переведётся как код"));
}

void checkBrackets(const base::CodeText& text, base::WarningList& warnings) {
    enum class Mode { Code, LineComment, BlockComment, Double, Single } mode = Mode::Code;
    const std::vector<std::uint32_t>& chars = text.chars;
    const std::size_t n = chars.size();
    // Warnings name the source line each closer carries, so that library code in front and
    // replacements spanning several lines do not shift them; the counter stands in only
    // where a text lacks line numbers.
    long long counter = 1;
    auto sourceLine = [&](std::size_t i) {
        return i < text.lines.size() ? static_cast<long long>(text.lines[i]) : counter;
    };
    Depth parens, braces, squares;

    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t c = chars[i];
        if (c == lineFeed) {
            ++counter;
            if (mode == Mode::LineComment) mode = Mode::Code;
            continue;
        }
        switch (mode) {
            case Mode::LineComment:
                break;
            case Mode::BlockComment:
                if (c == '*' && i + 1 < n && chars[i + 1] == '/') {
                    ++i;
                    mode = Mode::Code;
                }
                break;
            case Mode::Double:
            case Mode::Single:
                if (c == backslash) {
                    if (i + 1 < n) {
                        ++i;
                        if (chars[i] == lineFeed) ++counter;
                    }
                } else if (c == (mode == Mode::Double ? doubleQuote : apostrophe)) {
                    mode = Mode::Code;
                }
                break;
            case Mode::Code:
                switch (c) {
                    case doubleQuote: mode = Mode::Double; break;
                    case apostrophe: mode = Mode::Single; break;
                    case '/':
                        if (i + 1 < n && chars[i + 1] == '/') {
                            ++i;
                            mode = Mode::LineComment;
                        } else if (i + 1 < n && chars[i + 1] == '*') {
                            ++i;
                            mode = Mode::BlockComment;
                        }
                        break;
                    case '(': ++parens.depth; break;
                    case '{': ++braces.depth; break;
                    case '[': squares.open(sourceLine(i)); break;
                    case ')': parens.close(sourceLine(i)); break;
                    case '}': braces.close(sourceLine(i)); break;
                    case ']': squares.close(sourceLine(i)); break;
                    default: break;
                }
                break;
        }
    }

    if (braces.unclosed() > 0) {
        base::Finding f{"не хватает " + std::to_string(braces.unclosed()) + " закрывающих } — возможно, пропущен «конец»"};
        f.named = {"конец"};
        warnings.push_back(std::move(f));
    }
    if (braces.minimum < 0)
        warnings.push_back(lineWarning(braces.minimumLine, "лишняя } (больше закрывающих, чем открытых)"));
    if (parens.unclosed() > 0)
        warnings.push_back("не хватает " + std::to_string(parens.unclosed()) +
                           " закрывающих ) — проверьте скобки у команд");
    if (parens.minimum < 0)
        warnings.push_back(lineWarning(parens.minimumLine, "лишняя ) (больше закрывающих, чем открытых)"));
    if (squares.unclosed() > 0 || squares.minimum < 0)
        warnings.push_back(lineWarning(squares.minimum < 0 ? squares.minimumLine : squares.openLines.front(),
                                       "не совпадают квадратные скобки [ ] — проверьте массивы (или это регэксп)"));
}

}  // namespace diagnostics
