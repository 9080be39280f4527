// «пока» loops read off the translated text, and the hint for a loop whose body cannot end it.
// Tests: tests/diagnostics/endless_loops_test.cpp, tests/browser/page_errors_test.cpp.
#include "diagnostics/endless_loops.h"

#include <algorithm>

#include "diagnostics/hint_structure.h"
#include "translator/source_regions.h"

namespace diagnostics {

namespace {

using Chars = std::vector<std::uint32_t>;

bool isNameCode(std::uint32_t c) { return translator::isWordCode(c) || c == '$'; }
bool isDigitCode(std::uint32_t c) { return c >= '0' && c <= '9'; }
bool isSpaceCode(std::uint32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool startsWith(const Chars& text, std::size_t p, const char* ascii) {
    for (std::size_t k = 0; ascii[k]; ++k)
        if (p + k >= text.size() || text[p + k] != static_cast<unsigned char>(ascii[k])) return false;
    return true;
}

// Past a string literal or a comment starting at p, or p itself when none starts there.
std::size_t pastLiteral(const Chars& text, std::size_t p, std::size_t end) {
    const std::uint32_t c = text[p];
    if (c == '"' || c == '\'' || c == '`') {
        for (std::size_t k = p + 1; k < end; ++k) {
            if (text[k] == '\\') ++k;
            else if (text[k] == c) return k + 1;
        }
        return end;
    }
    if (c == '/' && p + 1 < end && text[p + 1] == '/') {
        while (p < end && text[p] != '\n') ++p;
        return p;
    }
    if (c == '/' && p + 1 < end && text[p + 1] == '*') {
        for (std::size_t k = p + 2; k + 1 < end; ++k)
            if (text[k] == '*' && text[k + 1] == '/') return k + 2;
        return end;
    }
    return p;
}

// The position of the bracket that closes the one open before p (`open`, `close` its pair), or end.
std::size_t closing(const Chars& text, std::size_t p, std::size_t end, std::uint32_t open, std::uint32_t close) {
    int depth = 1;
    while (p < end) {
        const std::size_t past = pastLiteral(text, p, end);
        if (past != p) {
            p = past;
            continue;
        }
        if (text[p] == open) ++depth;
        if (text[p] == close && --depth == 0) return p;
        ++p;
    }
    return end;
}

std::string utf8(const Chars& text, std::size_t from, std::size_t to) {
    return base::encodeUtf8(base::CodePoints(text.begin() + static_cast<std::ptrdiff_t>(from),
                                             text.begin() + static_cast<std::ptrdiff_t>(to)));
}

// A dotted name from p: "x", "м.length"; `to` is past it.
struct Chain {
    std::size_t from = 0, to = 0;
    std::string head, whole;
};

Chain chainAt(const Chars& text, std::size_t p, std::size_t end) {
    Chain chain{p, p, {}, {}};
    std::size_t q = p;
    while (q < end && isNameCode(text[q])) ++q;
    chain.head = utf8(text, p, q);
    while (q + 1 < end && text[q] == '.' && isNameCode(text[q + 1]) && !isDigitCode(text[q + 1])) {
        ++q;
        while (q < end && isNameCode(text[q])) ++q;
    }
    chain.to = q;
    chain.whole = utf8(text, p, q);
    return chain;
}

std::size_t skipSpaces(const Chars& text, std::size_t p, std::size_t end) {
    while (p < end && isSpaceCode(text[p])) ++p;
    return p;
}

bool isKeyword(const std::string& w) {
    static const char* const words[] = {"true", "false", "null", "undefined", "NaN", "Infinity", "typeof", "instanceof",
                                        "in", "of", "new", "this", "void", "let", "const", "var", "if", "else", "while",
                                        "for", "do", "switch", "case", "catch", "function", "return", "break",
                                        "continue", "throw", "try", "finally", "delete", "class", "await", "yield"};
    return std::find_if(std::begin(words), std::end(words), [&](const char* k) { return w == k; }) != std::end(words);
}

bool isOwn(const std::string& w) { return w.compare(0, 6, "__LUM_") == 0; }

// Calls that change no variable of the program: printing, the run-time layer's words, arithmetic.
bool harmlessCallee(const std::string& head) {
    static const char* const heads[] = {"console", "Math", "Number", "String", "Boolean", "Array", "JSON",
                                        "parseInt", "parseFloat", "isNaN", "isFinite", "__LUM__"};
    return std::find_if(std::begin(heads), std::end(heads), [&](const char* k) { return head == k; }) != std::end(heads);
}

void readCondition(const Chars& text, std::size_t from, std::size_t to, WhileLoop& loop) {
    for (std::size_t p = from; p < to;) {
        const std::size_t past = pastLiteral(text, p, to);
        if (past != p) {
            p = past;
            continue;
        }
        const bool afterDot = p > 0 && text[p - 1] == '.';
        if (!isNameCode(text[p]) || afterDot) {
            ++p;
            continue;
        }
        if (isDigitCode(text[p])) {
            while (p < to && (isNameCode(text[p]) || text[p] == '.')) ++p;
            continue;
        }
        const Chain chain = chainAt(text, p, to);
        p = chain.to;
        if (skipSpaces(text, p, to) < to && text[skipSpaces(text, p, to)] == '(') {
            if (!isKeyword(chain.head)) loop.conditionCalls = true;
            continue;
        }
        if (isKeyword(chain.head) || isOwn(chain.head)) continue;
        if (std::find(loop.reads.begin(), loop.reads.end(), chain.whole) == loop.reads.end()) loop.reads.push_back(chain.whole);
    }
}

bool readsHead(const WhileLoop& loop, const std::string& head) {
    for (const std::string& name : loop.reads)
        if (name.compare(0, head.size(), head) == 0 && (name.size() == head.size() || name[head.size()] == '.')) return true;
    return false;
}

// Whether the body [from, to) can end the loop: see WhileLoop::bodyMayEnd.
bool bodyMayEnd(const Chars& text, std::size_t from, std::size_t to, const WhileLoop& loop) {
    std::string previous;  // the word before the name being read: "let", "new", ...
    for (std::size_t p = from; p < to;) {
        const std::size_t past = pastLiteral(text, p, to);
        if (past != p) {
            p = past;
            continue;
        }
        if ((startsWith(text, p, "++") || startsWith(text, p, "--")) && p + 2 < to && isNameCode(text[p + 2])) {
            const Chain target = chainAt(text, p + 2, to);
            if (!isOwn(target.head) && readsHead(loop, target.head)) return true;
            p = target.to;
            continue;
        }
        if (!isNameCode(text[p]) || (p > 0 && text[p - 1] == '.') || isDigitCode(text[p])) {
            if (!isSpaceCode(text[p])) previous.clear();
            ++p;
            continue;
        }
        const Chain chain = chainAt(text, p, to);
        p = chain.to;
        const std::string before = previous;
        previous = chain.head;
        if (chain.head == "break" || chain.head == "return" || chain.head == "throw") return true;
        if (isOwn(chain.head) || isKeyword(chain.head)) continue;
        std::size_t q = skipSpaces(text, p, to);
        if (q < to && text[q] == '(') {
            const bool method = chain.whole.size() != chain.head.size();
            if (before == "new" || harmlessCallee(chain.head)) continue;
            if (!method || readsHead(loop, chain.head)) return true;
            continue;
        }
        // Past element subscripts and further properties: "a[i].x = …" assigns to a.
        while (q < to && (text[q] == '[' || text[q] == '.')) {
            q = text[q] == '[' ? closing(text, q + 1, to, '[', ']') + 1 : chainAt(text, q + 1, to).to;
            q = skipSpaces(text, q, to);
        }
        if (before == "let" || before == "const" || before == "var" || q >= to || !readsHead(loop, chain.head)) continue;
        const std::uint32_t c = text[q], next = q + 1 < to ? text[q + 1] : 0;
        const bool assigns = (c == '=' && next != '=' && next != '>') ||
                             ((c == '+' || c == '-') && next == c) ||
                             (std::string("+-*/%&|^").find(static_cast<char>(c)) != std::string::npos && c < 0x80 && next == '=');
        if (assigns) return true;
    }
    return false;
}

// The learner's words of a phrase role, each phrase as code points.
std::vector<base::CodePoints> phrases(const rules::Vocabulary& vocabulary, bool openers) {
    std::vector<base::CodePoints> out;
    for (const rules::RuleWords& rule : vocabulary.rules) {
        const bool opensWhile = std::find(rule.produces.begin(), rule.produces.end(), "__LUM__.whileLoop") != rule.produces.end();
        if (openers ? opensWhile : rule.role == rules::WordRole::HeaderClose) out.push_back(base::decodeBytes(rule.phrase));
    }
    return out;
}

// Whether `phrase` (words joined by single spaces) stands at p of the line as whole words; `to` past it.
bool phraseAt(const base::CodePoints& line, std::size_t p, std::size_t end, const base::CodePoints& phrase, std::size_t& to) {
    if (p > 0 && translator::isWordCode(line[p - 1])) return false;
    std::size_t q = p;
    for (const std::uint32_t c : phrase) {
        if (c == ' ') {
            if (q >= end || line[q] != ' ') return false;
            while (q < end && line[q] == ' ') ++q;
            continue;
        }
        if (q >= end || !base::sameLetter(line[q], c)) return false;
        ++q;
    }
    if (q < end && translator::isWordCode(line[q]) && translator::isWordCode(phrase.back())) return false;
    to = q;
    return true;
}

// The first «пока» condition of source[from, lineEnd): from its opening word to its closing word,
// "{" or ":", outer brackets and spaces taken off; `from` moves past the opening word.
std::string conditionFrom(const base::CodePoints& source, std::size_t& from, std::size_t lineEnd,
                          const std::vector<base::CodePoints>& openers, const std::vector<base::CodePoints>& closers) {
    std::size_t start = 0;
    for (std::size_t p = from; p < lineEnd && !start; ++p)
        for (const base::CodePoints& opener : openers) {
            std::size_t to = 0;
            if (!opener.empty() && phraseAt(source, p, lineEnd, opener, to)) {
                start = to;
                break;
            }
        }
    if (!start) {
        from = lineEnd;
        return {};
    }
    from = start;
    std::size_t end = lineEnd;
    for (std::size_t p = start; p < lineEnd && end == lineEnd; ++p) {
        if (source[p] == '"' || source[p] == '\'') p = std::max(p, pastLiteral(source, p, lineEnd) - 1);
        else if (source[p] == '{' || source[p] == ':') end = p;
        for (const base::CodePoints& closer : closers) {
            std::size_t to = 0;
            if (end == lineEnd && !closer.empty() && phraseAt(source, p, lineEnd, closer, to)) end = p;
        }
    }
    while (start < end && isSpaceCode(source[start])) ++start;
    while (end > start && isSpaceCode(source[end - 1])) --end;
    if (end - start >= 2 && source[start] == '(' && source[end - 1] == ')' &&
        closing(source, start + 1, end, '(', ')') == end - 1) {
        ++start;
        --end;
        while (start < end && isSpaceCode(source[start])) ++start;
        while (end > start && isSpaceCode(source[end - 1])) --end;
    }
    return utf8(source, start, end);
}

}  // namespace

std::vector<WhileLoop> readWhileLoops(const base::CodeText& translated, const base::CodePoints& source,
                                      const rules::Vocabulary& vocabulary) {
    std::vector<WhileLoop> loops;
    const Chars& text = translated.chars;
    const std::size_t n = text.size();
    const base::CodePoints marker = base::decodeBytes("__LUM_K__(__LUM_G__)).n) while");
    const base::CodePoints opening = base::decodeBytes("? false : ");
    const std::vector<base::CodePoints> openers = phrases(vocabulary, true), closers = phrases(vocabulary, false);
    std::vector<std::size_t> lineStarts{0};
    for (std::size_t i = 0; i < source.size(); ++i)
        if (source[i] == '\n') lineStarts.push_back(i + 1);
    std::uint32_t lastLine = 0;
    std::size_t cursor = 0, budget = 8 * n + 100000;
    for (auto at = std::search(text.begin(), text.end(), marker.begin(), marker.end()); at != text.end();
         at = std::search(at + 1, text.end(), marker.begin(), marker.end())) {
        const std::size_t m = static_cast<std::size_t>(at - text.begin());
        const std::size_t window = std::min(n, m + marker.size() + 40);
        const auto open = std::search(text.begin() + static_cast<std::ptrdiff_t>(m), text.begin() + static_cast<std::ptrdiff_t>(window),
                                      opening.begin(), opening.end());
        if (open == text.begin() + static_cast<std::ptrdiff_t>(window)) continue;
        WhileLoop loop;
        loop.checkArguments = m + std::string("__LUM_K__(__LUM_G__").size();
        loop.line = translated.lines[m];
        // The condition as written: the next opening word on the head's source line.
        if (loop.line != lastLine) cursor = loop.line >= 1 && loop.line <= lineStarts.size() ? lineStarts[loop.line - 1] : source.size();
        lastLine = loop.line;
        if (loop.line >= 1 && loop.line <= lineStarts.size()) {
            const std::size_t lineEnd = loop.line < lineStarts.size() ? lineStarts[loop.line] : source.size();
            loop.condition = conditionFrom(source, cursor, lineEnd, openers, closers);
        }
        const std::size_t from = static_cast<std::size_t>(open - text.begin()) + opening.size();
        // Every scan draws on one budget a few times the text's size, so that loops nested or left
        // open by the thousand cost no more than that: past it, a loop is read as one that may end.
        const std::size_t limit = std::min(n, from + budget);
        const std::size_t to = closing(text, from, limit, '(', ')');
        budget -= std::min(budget, to - from);
        if (to >= limit) continue;
        loop.script = utf8(text, from, to);
        while (!loop.script.empty() && loop.script.back() == ' ') loop.script.pop_back();
        while (!loop.script.empty() && loop.script.front() == ' ') loop.script.erase(0, 1);
        readCondition(text, from, to, loop);
        const std::size_t brace = skipSpaces(text, to + 1, n);
        loop.bodyMayEnd = true;  // a head without its block, or past the budget, is read as one that may end
        if (brace < n && text[brace] == '{') {
            const std::size_t bodyLimit = std::min(n, brace + 1 + budget / 2);
            const std::size_t end = closing(text, brace + 1, bodyLimit, '{', '}');
            budget -= std::min(budget, 2 * (end - brace));
            if (end < bodyLimit) loop.bodyMayEnd = bodyMayEnd(text, brace + 1, end, loop);
        }
        loops.push_back(std::move(loop));
    }
    return loops;
}

std::vector<Hint> endlessLoopHints(const std::vector<WhileLoop>& loops, const rules::Vocabulary& vocabulary) {
    std::vector<Hint> hints;
    const std::string word = rules::learnerWordFor(vocabulary, "__LUM__.whileLoop");
    for (const WhileLoop& loop : loops) {
        if (loop.reads.empty() || loop.conditionCalls || loop.bodyMayEnd || loop.condition.empty()) continue;
        std::vector<std::string> heads;
        for (const std::string& name : loop.reads) {
            const std::string head = name.substr(0, name.find('.'));
            if (std::find(heads.begin(), heads.end(), head) == heads.end()) heads.push_back(head);
        }
        std::string names;
        for (std::size_t i = 0; i < heads.size(); ++i)
            names += (i == 0 ? "" : i + 1 == heads.size() ? " и " : ", ") + ("«" + heads[i] + "»");
        // The suggested step: towards the end of the first comparison that names the first name.
        std::string advice = "изменить " + names.substr(0, names.find("»") + std::string("»").size()) + " внутри цикла";
        const std::size_t at = loop.script.find(heads[0]);
        const std::size_t cmp = loop.script.find_first_of("<>");
        if (heads.size() == 1 && at != std::string::npos && cmp != std::string::npos &&
            loop.script.find_first_of("<>", cmp + 1) == std::string::npos && loop.script.find("&&") == std::string::npos &&
            loop.script.find("||") == std::string::npos) {
            const bool grows = (loop.script[cmp] == '<') == (at < cmp);
            advice = "«" + heads[0] + " = " + heads[0] + (grows ? " + 1»" : " - 1»");
        }
        hints.push_back({loop.line, HintKind::EndlessLoop,
                         onLine(loop.line, "условие «" + loop.condition + "» читает " + names + ", а внутри цикла «" +
                                               (word.empty() ? std::string("пока") : word) + "» " + names +
                                               (heads.size() > 1 ? " не меняются" : " не меняется") +
                                               " и ничто его не прерывает: цикл не закончится никогда. Может быть, забыли " +
                                               advice + "?")});
    }
    return hints;
}

}  // namespace diagnostics
