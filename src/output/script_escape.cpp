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
#include <iterator>
#include <string_view>
#include <vector>

#include "output/compile.h"

namespace output {

namespace {

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

// The lexer's states.
enum class Mode { Code, LineComment, BlockComment, String, Template, Regex };

// What the lexer remembers besides its state.
struct Lexer {
    Mode mode = Mode::Code;
    char quote = 0;              // the quote that ends the string
    bool inClass = false;        // inside [...] of a regular expression
    bool valueBefore = false;    // in code: the last token was a value, so "/" divides
    std::vector<int> templates;  // per open template's "${": the depth of braces inside it
};

// A further condition on a transition besides the bytes it starts with.
enum class If {
    Always,
    Quote,          // the byte is the string's own quote
    LineEnd,        // a line terminator of any kind (its bytes are taken)
    LineBreak,      // LF or CR only
    NoValueBefore,  // "/" opens a regular expression
    OutsideClass,
    TemplateBraceOpen,  // inside "${ }" with braces of its own still open
    TemplateCodeEnds,   // the "}" that ends a "${ }"
    InTemplateCode,
};

// What a transition does to the lexer's memory.
enum class Do { Nothing, Value, NoValue, OpenString, OpenRegex, OpenClass, CloseClass, OpenTemplateCode, CloseTemplateCode,
                OpenBrace, CloseBrace };

struct Transition {
    Mode from;
    std::string_view starts;  // the bytes it begins with (empty: the condition alone decides)
    If condition;
    Mode to;
    Do effect;
};

// Every way a state ends or changes, the first that matches taken; rows of one state stand
// together, in the order of Mode. In code a byte no row takes
// is a name's or number's (remembered until it ends) or a punctuator: ")", "]", "}" leave a value
// before, others but white space do not.
constexpr Transition transitions[] = {
    {Mode::Code, "//", If::Always, Mode::LineComment, Do::NoValue},
    {Mode::Code, "/*", If::Always, Mode::BlockComment, Do::NoValue},
    {Mode::Code, "\"", If::Always, Mode::String, Do::OpenString},
    {Mode::Code, "'", If::Always, Mode::String, Do::OpenString},
    {Mode::Code, "`", If::Always, Mode::Template, Do::NoValue},
    {Mode::Code, "/", If::NoValueBefore, Mode::Regex, Do::OpenRegex},
    {Mode::Code, "{", If::InTemplateCode, Mode::Code, Do::OpenBrace},
    {Mode::Code, "}", If::TemplateCodeEnds, Mode::Template, Do::CloseTemplateCode},
    {Mode::Code, "}", If::TemplateBraceOpen, Mode::Code, Do::CloseBrace},
    {Mode::LineComment, "", If::LineEnd, Mode::Code, Do::Nothing},
    {Mode::BlockComment, "*/", If::Always, Mode::Code, Do::Nothing},
    {Mode::String, "", If::Quote, Mode::Code, Do::Value},
    {Mode::String, "", If::LineBreak, Mode::Code, Do::Value},
    {Mode::Template, "`", If::Always, Mode::Code, Do::Value},
    {Mode::Template, "${", If::Always, Mode::Code, Do::OpenTemplateCode},
    {Mode::Regex, "[", If::Always, Mode::Regex, Do::OpenClass},
    {Mode::Regex, "]", If::Always, Mode::Regex, Do::CloseClass},
    {Mode::Regex, "", If::LineBreak, Mode::Code, Do::Nothing},
    {Mode::Regex, "/", If::OutsideClass, Mode::Code, Do::Value},
};

constexpr std::size_t modeCount = 6;

// Where each state's rows begin in the table (they stand together, in the order of Mode), and
// per state the bytes that can begin one of its rows: most bytes are tried against none.
struct RowsOfMode {
    std::size_t first[modeCount + 1] = {};
    bool starts[modeCount][256] = {};
};
constexpr RowsOfMode rowsOfMode = [] {
    RowsOfMode r;
    std::size_t row = 0;
    for (std::size_t m = 0; m <= modeCount; ++m) {
        while (row < std::size(transitions) && static_cast<std::size_t>(transitions[row].from) < m) ++row;
        r.first[m] = row;
    }
    for (const Transition& t : transitions) {
        bool* starts = r.starts[static_cast<std::size_t>(t.from)];
        if (!t.starts.empty()) starts[static_cast<unsigned char>(t.starts[0])] = true;
        else if (t.condition == If::Quote) starts['"'] = starts['\''] = true;
        else if (t.condition == If::LineEnd || t.condition == If::LineBreak) starts['\n'] = starts['\r'] = starts[0xE2] = true;
    }
    return r;
}();

// How many bytes at i the transition takes, or 0 when it does not match there.
std::size_t matches(const Transition& t, const Lexer& lexer, std::string_view s, std::size_t i) {
    if (!t.starts.empty() && (s[i] != t.starts[0] || s.compare(i, t.starts.size(), t.starts) != 0)) return 0;
    const std::size_t n = t.starts.size();
    switch (t.condition) {
    case If::Always: return n;
    case If::Quote: return s[i] == lexer.quote ? 1 : 0;
    case If::LineEnd: return lineEnd(s, i);
    case If::LineBreak: return lineEnd(s, i) == 1 ? 1 : 0;
    case If::NoValueBefore: return lexer.valueBefore ? 0 : n;
    case If::OutsideClass: return lexer.inClass ? 0 : n;
    case If::InTemplateCode: return lexer.templates.empty() ? 0 : n;
    case If::TemplateCodeEnds: return !lexer.templates.empty() && lexer.templates.back() == 0 ? n : 0;
    case If::TemplateBraceOpen: return !lexer.templates.empty() && lexer.templates.back() > 0 ? n : 0;
    }
    return 0;
}

void apply(Do effect, char c, Lexer& lexer) {
    switch (effect) {
    case Do::Nothing: break;
    case Do::Value: lexer.valueBefore = true; break;
    case Do::NoValue: lexer.valueBefore = false; break;
    case Do::OpenString: lexer.quote = c; lexer.valueBefore = false; break;
    case Do::OpenRegex: lexer.inClass = false; lexer.valueBefore = false; break;
    case Do::OpenClass: lexer.inClass = true; break;
    case Do::CloseClass: lexer.inClass = false; break;
    case Do::OpenTemplateCode: lexer.templates.push_back(0); lexer.valueBefore = false; break;
    case Do::CloseTemplateCode: lexer.templates.pop_back(); break;
    case Do::OpenBrace: ++lexer.templates.back(); lexer.valueBefore = false; break;
    case Do::CloseBrace: --lexer.templates.back(); lexer.valueBefore = true; break;
    }
}

// "<" at i in the page's forbidden forms: writes what stands for them and returns how many bytes
// they took (0: an ordinary "<").
std::size_t escapeMarkup(std::string_view s, std::size_t i, Lexer& lexer, std::string& out) {
    const bool code = lexer.mode == Mode::Code;
    bool comment = false;
    // "<<" is one operator to JavaScript, so a "!--" or "script" right after it is no opener
    // there; a space keeps it from forming one in the page. (A "/" after it is left to "</".)
    if (code && i + 1 < s.size() && s[i + 1] == '<' && !(i + 2 < s.size() && s[i + 2] == '/')) {
        out += opensMarkup(s, i + 1, comment) ? "<< " : "<<";
        lexer.valueBefore = false;
        return 2;
    }
    if (i + 1 < s.size() && s[i + 1] == '/') {
        out += "<\\/";
        if (code) lexer.valueBefore = false;
        return 2;
    }
    if (!opensMarkup(s, i, comment)) return 0;
    if (!code) {
        out += "\\x3C";
        return 1;
    }
    if (comment) {
        if (!out.empty() && out.back() == '<') out.push_back(' ');  // no "</" formed
        out += "//--";  // the same line comment, without its HTML form
        lexer.mode = Mode::LineComment;
        return 4;
    }
    out += "< ";
    lexer.valueBefore = false;
    return 1;
}

// A backslash at i in a string, template or regular expression takes the escaped byte with it,
// so "\<!--" becomes "\x3C!--"; returns the bytes taken ("\<" leaves the "<" to escapeMarkup).
std::size_t escapeBackslash(std::string_view s, std::size_t i, std::string& out) {
    out.push_back('\\');
    const char next = s[i + 1];
    bool comment = false;
    if (next == '<' && !(i + 2 < s.size() && s[i + 2] == '/') && opensMarkup(s, i + 1, comment)) {
        out += "x3C";
        return 2;
    }
    if (next == '<') return 1;  // "</" after a backslash: escaped like any other
    out.push_back(next);
    return 2;
}

}  // namespace

std::string escapeScriptBody(const std::string& utf8) {
    const std::string_view s = utf8;
    std::string out;
    out.reserve(s.size() + 64);
    Lexer lexer;
    std::size_t wordStart = std::string_view::npos;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        const bool code = lexer.mode == Mode::Code;
        // A name or number ends: was it a value or a keyword that expects one?
        if (code && wordStart != std::string_view::npos && !isNameByte(static_cast<unsigned char>(c))) {
            lexer.valueBefore = !keywordBeforeValue(s.substr(wordStart, i - wordStart));
            wordStart = std::string_view::npos;
        }
        std::size_t taken = c == '<' ? escapeMarkup(s, i, lexer, out) : 0;
        if (!taken && c == '\\' && (lexer.mode == Mode::String || lexer.mode == Mode::Template || lexer.mode == Mode::Regex) &&
            i + 1 < s.size())
            taken = escapeBackslash(s, i, out);
        if (taken) {
            i += taken;
            continue;
        }
        const Transition* step = nullptr;
        const std::size_t mode = static_cast<std::size_t>(lexer.mode);
        const bool mayStart = rowsOfMode.starts[mode][static_cast<unsigned char>(c)];
        for (std::size_t row = rowsOfMode.first[mode]; mayStart && row < rowsOfMode.first[mode + 1]; ++row)
            if ((taken = matches(transitions[row], lexer, s, i)) != 0) {
                step = &transitions[row];
                break;
            }
        if (step) {
            out.append(s.substr(i, taken));
            lexer.mode = step->to;
            apply(step->effect, c, lexer);
            i += taken;
            continue;
        }
        out.push_back(c);
        if (code && isNameByte(static_cast<unsigned char>(c))) {
            if (wordStart == std::string_view::npos) wordStart = i;
        } else if (code) {
            if (c == ')' || c == ']' || c == '}') lexer.valueBefore = true;
            else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') lexer.valueBefore = false;
        }
        ++i;
    }
    return out;
}

}  // namespace output
