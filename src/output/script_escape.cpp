// The script body as it stands inside the page's script element: the element must end at its own
// end tag and nowhere else. A browser ends it early at "</script", and "<!--" followed later by
// "<script" makes it skip the next "</script" (the rest of the page then never runs). So every
// "</" is written "<\/", and "<!--" and "<script" never stand in the body: inside strings, regular
// expressions and comments their "<" is written "\x3C" (the same character to JavaScript); in code
// "<!--" (a line comment there) is written "//--" and "<script" (a comparison) "< script"; the
// operator "<<" keeps a space from what follows when that would open markup.
// Tests: tests/output/compile_test.cpp, tests/browser/faults_test.cpp.
//
// The lexer knows JavaScript's strings, templates (with nested "${ }"), comments and regular
// expressions; a "/" is a regular expression unless it follows a value (a name that is no
// keyword, a number, a closing bracket, a string). One pass, so the cost is linear.
#include <string_view>
#include <vector>

#include "output/compile.h"

namespace output {

namespace {

enum class Mode { Code, LineComment, BlockComment, String, Template, Regex };

bool isNameByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether "<" at i starts "<!--" or "<script" (any case).
bool opensMarkup(std::string_view s, std::size_t i, bool& comment) {
    comment = s.compare(i, 4, "<!--") == 0;
    if (comment) return true;
    static constexpr std::string_view script = "<script";
    if (s.size() - i < script.size()) return false;
    for (std::size_t k = 1; k < script.size(); ++k)
        if (lower(s[i + k]) != script[k]) return false;
    return true;
}

// A line terminator at i: its length in bytes (LF, CR, U+2028, U+2029), else 0.
std::size_t lineEnd(std::string_view s, std::size_t i) {
    if (s[i] == '\n' || s[i] == '\r') return 1;
    if (static_cast<unsigned char>(s[i]) == 0xE2 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x80 &&
        (static_cast<unsigned char>(s[i + 2]) == 0xA8 || static_cast<unsigned char>(s[i + 2]) == 0xA9))
        return 3;
    return 0;
}

// Keywords after which "/" begins a regular expression, not a division.
bool keywordBeforeValue(std::string_view word) {
    static constexpr std::string_view words[] = {"return", "typeof", "instanceof", "in",    "of",     "new",  "delete",
                                                 "void",   "throw",  "case",       "do",    "else",   "yield", "await"};
    for (std::string_view w : words)
        if (w == word) return true;
    return false;
}

}  // namespace

std::string escapeScriptBody(const std::string& utf8) {
    const std::string_view s = utf8;
    std::string out;
    out.reserve(s.size() + 64);
    Mode mode = Mode::Code;
    char quote = 0;
    bool inClass = false;        // inside [...] of a regular expression
    bool valueBefore = false;    // in code: the last token was a value, so "/" divides
    std::vector<int> templates;  // per open template's "${": the depth of braces inside it
    std::size_t wordStart = std::string_view::npos;

    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        // A name or number ends: was it a value or a keyword that expects one?
        if (mode == Mode::Code && wordStart != std::string_view::npos && !isNameByte(static_cast<unsigned char>(c))) {
            valueBefore = !keywordBeforeValue(s.substr(wordStart, i - wordStart));
            wordStart = std::string_view::npos;
        }
        if (c == '<') {
            bool comment = false;
            // "<<" is one operator to JavaScript, so a "!--" or "script" right after it is no
            // opener there; a space keeps it from forming one in the page.
            // (A "/" after it is left to the "</" case below.)
            if (mode == Mode::Code && i + 1 < s.size() && s[i + 1] == '<' && !(i + 2 < s.size() && s[i + 2] == '/')) {
                bool opener = false;
                if (opensMarkup(s, i + 1, opener)) out += "<< ";
                else out += "<<";
                ++i;
                valueBefore = false;
                continue;
            }
            if (i + 1 < s.size() && s[i + 1] == '/') {
                out += "<\\/";
                ++i;
                if (mode == Mode::Code) valueBefore = false;
                continue;
            }
            if (opensMarkup(s, i, comment)) {
                if (mode != Mode::Code) {
                    out += "\\x3C";
                } else if (comment) {
                    if (!out.empty() && out.back() == '<') out.push_back(' ');  // no "</" formed
                    out += "//--";  // the same line comment, without its HTML form
                    i += 3;
                    mode = Mode::LineComment;
                } else {
                    out += "< ";
                    valueBefore = false;
                }
                continue;
            }
        }
        // Backslash escapes: the escaped character is taken with it, so "\<!--" becomes "\x3C!--".
        if (c == '\\' && (mode == Mode::String || mode == Mode::Template || mode == Mode::Regex) && i + 1 < s.size()) {
            out.push_back(c);
            const char next = s[i + 1];
            bool comment = false;
            if (next == '<' && !(i + 2 < s.size() && s[i + 2] == '/') && opensMarkup(s, i + 1, comment)) {
                out += "x3C";
                ++i;
                continue;
            }
            if (next == '<') continue;  // "</" after a backslash: escaped like any other below
            out.push_back(next);
            ++i;
            continue;
        }
        out.push_back(c);
        switch (mode) {
        case Mode::LineComment:
            if (const std::size_t n = lineEnd(s, i)) {
                out.append(s.substr(i + 1, n - 1));
                i += n - 1;
                mode = Mode::Code;
            }
            break;
        case Mode::BlockComment:
            if (c == '*' && i + 1 < s.size() && s[i + 1] == '/') {
                out.push_back('/');
                ++i;
                mode = Mode::Code;
            }
            break;
        case Mode::String:
            if (c == quote || lineEnd(s, i) == 1) {
                mode = Mode::Code;
                valueBefore = true;
            }
            break;
        case Mode::Template:
            if (c == '`') {
                mode = Mode::Code;
                valueBefore = true;
            } else if (c == '$' && i + 1 < s.size() && s[i + 1] == '{') {
                out.push_back('{');
                ++i;
                templates.push_back(0);
                mode = Mode::Code;
                valueBefore = false;
            }
            break;
        case Mode::Regex:
            if (c == '[') inClass = true;
            else if (c == ']') inClass = false;
            else if (lineEnd(s, i) == 1) mode = Mode::Code;
            else if (c == '/' && !inClass) {
                mode = Mode::Code;
                valueBefore = true;
            }
            break;
        case Mode::Code:
            if (isNameByte(static_cast<unsigned char>(c))) {
                if (wordStart == std::string_view::npos) wordStart = i;
                break;
            }
            if (c == '"' || c == '\'') {
                mode = Mode::String;
                quote = c;
            } else if (c == '`') {
                mode = Mode::Template;
            } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
                out.push_back('/');
                ++i;
                mode = Mode::LineComment;
            } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
                out.push_back('*');
                ++i;
                mode = Mode::BlockComment;
            } else if (c == '/' && !valueBefore) {
                mode = Mode::Regex;
                inClass = false;
            } else if (c == '{' && !templates.empty()) {
                ++templates.back();
            } else if (c == '}' && !templates.empty() && templates.back()-- == 0) {
                templates.pop_back();
                mode = Mode::Template;
                break;
            }
            if (c == ')' || c == ']' || c == '}') valueBefore = true;
            else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') valueBefore = false;
            break;
        }
    }
    return out;
}

}  // namespace output
