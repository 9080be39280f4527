// Blocks, headers and conditions of a program, read by trying the rules on its source.
// Tests: tests/diagnostics/hints_test.cpp.
#include "diagnostics/hint_structure.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "rules/libraries.h"
#include "rules/pattern.h"
#include "translator/rule_index.h"

namespace diagnostics {

namespace {

using translator::Memos;
using translator::RuleIndex;
using translator::firstMatch;
using translator::laterRuleMayStart;

constexpr std::uint32_t learner = translator::noRule;  // an item the learner wrote, not a rule
constexpr int rereadDepth = 8;                 // a rule's output is read again at most this deep
constexpr std::size_t contextLength = 64;      // source after a match that a rereading may take
constexpr std::size_t quotedLength = 40;       // code points of the learner's header quoted at most
constexpr std::size_t none = static_cast<std::size_t>(-1);

bool isLetter(std::uint32_t c) { return translator::isWordCode(c) && !(c >= '0' && c <= '9') && c != '_'; }
constexpr bool isBracket(std::uint32_t c) { return c == '(' || c == ')' || c == '{' || c == '}'; }

// What the reading does with an ASCII mark, by one look: brackets, and the marks names need.
struct AsciiMarks {
    static constexpr std::uint8_t bracket = 1, name = 2;
    std::uint8_t of[0x80] = {};
    constexpr AsciiMarks() {
        for (std::uint32_t c = 0; c < 0x80; ++c)
            of[c] = static_cast<std::uint8_t>((isBracket(c) ? bracket : 0) | (isNameMark(c) ? name : 0));
    }
};
constexpr AsciiMarks asciiMarks;

// A bracket of the translation: written by a rule, or by the learner.
struct Item {
    std::uint32_t mark = 0;
    std::uint32_t rule = learner;
};

struct Facts {
    const rules::RuleWords* words = nullptr;
    bool library = false;    // its replacement is a whole built-in library: no brackets of the program
    bool condition = false;  // writes "if" or "while": a single "=" in the bracket it opens is a mistake
    bool names = false;      // its words can name the block a "{" on its line opens
    bool reread = false;     // a later rule could start inside its replacement
    std::vector<Item> items;  // the brackets its replacement leaves open or closes, when not reread
};

bool writesName(const base::CodePoints& replacement, std::string_view name) {
    for (std::size_t i = 0; i < replacement.size();) {
        if (!translator::isWordCode(replacement[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < replacement.size() && translator::isWordCode(replacement[end])) ++end;
        if (end - i == name.size() && std::equal(name.begin(), name.end(), replacement.begin() + static_cast<std::ptrdiff_t>(i)))
            return true;
        i = end;
    }
    return false;
}

// Whether a replacement is a whole built-in library (a rule without words can insert one too).
bool isLibrary(const base::CodePoints& replacement) {
    if (replacement.size() < 64) return false;  // every library is far longer
    const std::string text = base::encodeUtf8(replacement);
    for (int i = 0; i < rules::builtinLibraryCount; ++i)
        if (rules::builtinLibraries()[i].text == text) return true;
    return false;
}

std::vector<Facts> factsOf(const std::vector<rules::Rule>& table, const rules::Vocabulary& vocabulary) {
    std::vector<Facts> facts(table.size());
    for (const rules::RuleWords& w : vocabulary.rules) facts[w.rule].words = &w;
    for (std::size_t r = 0; r < table.size(); ++r) {
        Facts& f = facts[r];
        const base::CodePoints& replacement = table[r].replacement;
        f.library = f.words ? f.words->role == rules::WordRole::Library : isLibrary(replacement);
        f.condition = !f.library && (writesName(replacement, "if") || writesName(replacement, "while"));
        if (f.words) {
            switch (f.words->role) {
                case rules::WordRole::Comparison: case rules::WordRole::Logic: case rules::WordRole::Value: case rules::WordRole::Output:
                case rules::WordRole::Drawing: case rules::WordRole::Method: case rules::WordRole::Function: case rules::WordRole::Library: break;
                default: f.names = true;
            }
        }
    }
    return facts;
}

rules::WordRole roleOf(const std::vector<Facts>& facts, std::uint32_t rule) {
    return rule != learner && facts[rule].words ? facts[rule].words->role : rules::WordRole::Other;
}

// The learner's words between two positions, kept as positions until a hint needs them.
struct Span {
    std::size_t from = 0, to = 0;
    std::uint32_t mark = 0;  // the bracket to show when the span holds no word
};

// One opening or closing of a block, in text order.
struct BlockEvent {
    bool open = false;
    bool continues = false;  // an opening that carries on the block closed just before it («иначе»)
    bool learnerBrace = false;
    std::uint32_t line = 0, indent = 0;
    Span words;  // the learner's words that open or close it
};

struct Paren {
    std::uint32_t line = 0;
    std::size_t pos = 0;
    std::uint32_t rule = learner;
    bool header = false;        // opened by a condition or loop word: its header-close word should close it
    bool condition = false;     // opened by a rule that writes "if" or "while"
    bool virtualBlock = false;  // left open at the end of its line: the block it should open is counted there
    std::size_t virtualEvent = none;  // that block's opening in the block events
    Span words;
    std::size_t pending = none;  // its "not finished" hint, while that may still be withdrawn
};

struct Pending {
    std::uint32_t line = 0;
    std::size_t pos = 0;
    std::uint32_t rule = 0;
    bool withdrawn = false;
};

// The brackets a replacement writes that stay open or close what it did not open, in order.
std::vector<Item> unbalanced(const std::vector<Item>& items) {
    std::vector<bool> keep(items.size(), true);
    std::vector<std::size_t> round, curly;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::uint32_t m = items[i].mark;
        std::vector<std::size_t>& stack = (m == '(' || m == ')') ? round : curly;
        if (m == '(' || m == '{') {
            stack.push_back(i);
        } else if (!stack.empty()) {
            keep[stack.back()] = keep[i] = false;
            stack.pop_back();
        }
    }
    std::vector<Item> out;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (keep[i]) out.push_back(items[i]);
    return out;
}

// Where the quote at i of a replacement closes within it, or `size` when it does not.
std::size_t quoteEnd(const base::CodePoints& text, std::size_t i, std::size_t size) {
    const auto close = std::find(text.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                 text.begin() + static_cast<std::ptrdiff_t>(size), text[i]);
    return static_cast<std::size_t>(close - text.begin());
}

// What a rule's replacement writes, worked out once: its brackets, and whether a later rule
// could start inside it (only then is it read again at each match).
void prepare(std::vector<Facts>& facts, const std::vector<rules::Rule>& table, const translator::RuleIndex& index) {
    for (std::uint32_t r = 0; r < table.size(); ++r) {
        Facts& f = facts[r];
        if (f.library) continue;
        const base::CodePoints& t = table[r].replacement;
        std::vector<Item> items;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] == '"' || t[i] == '\'') {
                const std::size_t close = quoteEnd(t, i, t.size());
                if (close < t.size()) {
                    i = close;
                    continue;
                }
            }
            if (isBracket(t[i])) items.push_back({t[i], r});
            f.reread = f.reread || translator::laterRuleMayStart(index, t, i, r);
        }
        f.items = unbalanced(items);
    }
}

struct Reader {
    const base::CodeText& text;
    const translator::SourceRegions& regions;
    std::size_t stretch = 0;  // the first stretch of non-code that does not end before the position read
    const std::vector<rules::Rule>& table;
    translator::RuleIndex index;
    std::vector<Facts> facts;
    StructureReading result;

    std::vector<std::uint32_t> indentOfLine;
    std::vector<Paren> parens;
    std::vector<std::size_t> conditions;  // indices in parens of the open condition brackets
    std::vector<BlockEvent> blocks;
    std::vector<Pending> pendings;
    std::unordered_map<std::uint64_t, std::uint32_t> pairings;  // header rule << 32 | close rule -> count
    std::string blockCloseWord, comparisonWord;
    // The mark a function header ends with after its ")" («:» of a rule "\):"), "" when the
    // table has no such rule; and the position of this line's function word, or none.
    std::string headerMark;
    std::size_t functionOnLine = none;
    Paren closedParen;  // the header a header-close word just closed, within one match
    translator::Memos memos;

    // State of the current line.
    std::uint32_t line = 1;
    Span lineNames;  // the last words on this line that can name a block
    std::size_t lastOpenOnLine = none;
    bool equalsReported = false;

    Reader(const base::CodeText& t, const translator::SourceRegions& r, const std::vector<rules::Rule>& rules, const rules::Vocabulary& v)
        : text(t), regions(r), table(rules), index(rules), facts(factsOf(rules, v)) {
        prepare(facts, rules, index);
        for (const rules::RuleWords& w : v.rules) {
            if (blockCloseWord.empty() && w.role == rules::WordRole::BlockClose) blockCloseWord = w.phrase;
            if (comparisonWord.empty() && w.equality) comparisonWord = w.phrase;
        }
        for (std::size_t r = 0; r < rules.size() && headerMark.empty(); ++r) {
            const base::CodePoints& pattern = rules[r].pattern;
            if (facts[r].words || r >= v.braces.size() || v.braces[r].opens != 1 || pattern.size() < 3 || pattern[0] != '\\' ||
                pattern[1] != ')')
                continue;
            for (std::size_t k = 2; k < pattern.size(); ++k)
                if (pattern[k] != '\\') headerMark += static_cast<char>(pattern[k] < 0x80 && !translator::isWordCode(pattern[k]) ? pattern[k] : 0);
            if (headerMark.find('\0') != std::string::npos) headerMark.clear();
        }
        indentOfLine.assign((t.lines.empty() ? 1 : t.lines.back()) + 2, 0);
        memos.text = t.chars.data();
        memos.n = t.chars.size();
    }

    // The learner's words of a span; a span of a rule without words («):») as written; an
    // empty one (a bracket of the learner's own) as that bracket.
    std::string wordsOf(const Span& s) const {
        const std::string words = lettersOf(text.chars.data(), s.from, s.to);
        if (!words.empty()) return words;
        std::size_t from = s.from, to = std::min(s.to, s.from + quotedLength);
        while (from < to && (text.chars[from] == ' ' || text.chars[from] == '\t')) ++from;
        while (to > from && (text.chars[to - 1] == ' ' || text.chars[to - 1] == '\t')) --to;
        return from < to ? base::encodeUtf8(text.chars.data() + from, to - from) : base::encodeUtf8(&s.mark, s.mark ? 1 : 0);
    }

    void startLine(std::size_t p) {
        const std::size_t n = text.chars.size();
        if (p >= n) return;
        line = text.lines[p];
        std::uint32_t width = 0;
        for (std::size_t k = p; k < n && (text.chars[k] == ' ' || text.chars[k] == '\t'); ++k)
            width = text.chars[k] == '\t' ? (width / 4 + 1) * 4 : width + 1;
        if (line < indentOfLine.size()) indentOfLine[line] = width;
        lineNames = {};
        lastOpenOnLine = none;
        functionOnLine = none;
        equalsReported = false;
    }

    std::uint32_t indent(std::uint32_t l) const { return l < indentOfLine.size() ? indentOfLine[l] : 0; }

    void openBlock(std::size_t origin, std::uint32_t at, const Span& words, bool learnerBrace) {
        BlockEvent e;
        e.open = true;
        e.line = at;
        e.indent = indent(at);
        e.words = words;
        e.learnerBrace = learnerBrace;
        // «иначе», «иначе если … то», «} иначе {»: a closing and an opening on one line carry on
        // one block.
        e.continues = !blocks.empty() && !blocks.back().open && blocks.back().line == line;
        blocks.push_back(e);
        lastOpenOnLine = origin;
    }

    // A header left open: its hint waits, and the block it was meant to open counts from its line.
    void headerUnfinished(Paren& paren) {
        paren.pending = pendings.size();
        pendings.push_back({paren.line, paren.pos, paren.rule, false});
        paren.virtualBlock = true;
        paren.virtualEvent = blocks.size();
        openBlock(paren.pos, paren.line, paren.words, false);
    }

    void endLine() {
        const std::size_t opened = lastOpenOnLine;  // before the blocks counted here for unfinished headers
        for (std::size_t k = parens.size(); k > 0 && parens[k - 1].line == line; --k) {
            Paren& paren = parens[k - 1];
            if (!paren.header || paren.virtualBlock) continue;
            // «если (x > 5) {»: the learner opened the block with a brace of their own.
            if (opened != none && opened > paren.pos) continue;
            // «если x больше 0 вывести(x) конец»: the closing word is somewhere inside the line,
            // not at its end; the header and the block are told at run time, where that is tried.
            if (!blocks.empty() && !blocks.back().open && blocks.back().line == line && blocks.back().words.from > paren.pos) {
                blocks.pop_back();
                paren.virtualBlock = true;
                continue;
            }
            headerUnfinished(paren);
        }
        if (functionOnLine != none && (opened == none || opened < functionOnLine)) functionWithoutMark();
    }

    // «функция ф(x)» to the end of its line with its brackets closed and no block opened, and no
    // "{" of the learner's on the next line: the header's mark is missing. The block it was meant
    // to open counts from here, so its «конец» is not told as one too many.
    void functionWithoutMark() {
        if (headerMark.empty() || (!parens.empty() && parens.back().line == line)) return;
        const std::size_t end = codeEnd(functionOnLine);
        const std::uint32_t* c = text.chars.data();
        const std::size_t n = text.chars.size();
        if (end == functionOnLine || c[end - 1] != ')') return;
        std::size_t next = end;
        while (next < n && !translator::isLineFeed(c[next])) ++next;
        while (next < n && (translator::isLineFeed(c[next]) || c[next] == ' ' || c[next] == '\t' || c[next] == 0x0D)) ++next;
        if (next < n && c[next] == '{') return;
        openBlock(functionOnLine, line, Span{functionOnLine, functionOnLine, 0}, false);
        const std::string header = headerText(functionOnLine);
        result.findings.push_back(naming(spanned({line, HintKind::UnfinishedHeader,
                                                  onLine(line, "после «" + header + "» не хватает «" + headerMark +
                                                                   "» — допишите «" + headerMark + "» в конце строки")},
                                                 c, end, end, &headerMark),
                                         {header, headerMark}));
    }

    // The bracket items of rule r's replacement read again by the rules after r; `context` is
    // the source after the match. Returns how many code points of the context rereading took.
    std::size_t reread(std::uint32_t r, const std::uint32_t* context, std::size_t contextSize, std::vector<Item>& items,
                       int depth) {
        if (!facts[r].reread || depth >= rereadDepth) {
            items.insert(items.end(), facts[r].items.begin(), facts[r].items.end());
            return 0;
        }
        const base::CodePoints& replacement = table[r].replacement;
        std::vector<std::uint32_t> buffer(replacement.begin(), replacement.end());
        buffer.insert(buffer.end(), context, context + std::min(contextSize, contextLength));
        const std::size_t own = replacement.size();
        std::vector<Item> mine;
        std::size_t i = 0;
        while (i < own) {
            const std::uint32_t c = buffer[i];
            if (c == '"' || c == '\'') {
                const std::size_t close = quoteEnd(replacement, i, own);
                if (close < own) {
                    i = close + 1;
                    continue;
                }
            }
            std::size_t end = 0;
            const std::uint32_t inner = translator::firstMatch(index, table, r + 1, buffer.data(), buffer.size(), i, end, nullptr);
            if (inner != learner) {
                end += reread(inner, buffer.data() + end, buffer.size() - end, mine, depth + 1);
                i = end;
                continue;
            }
            if (isBracket(c)) mine.push_back({c, r});
            ++i;
        }
        for (const Item& item : unbalanced(mine)) items.push_back(item);
        return i > own ? i - own : 0;
    }

    void closeParen(const Item& item, Paren*& closedHeader, bool& skipOpen) {
        if (parens.empty()) return;
        Paren paren = parens.back();
        parens.pop_back();
        if (paren.condition && !conditions.empty()) conditions.pop_back();
        if (!paren.header) return;
        if (roleOf(facts, item.rule) == rules::WordRole::HeaderClose) {
            ++pairings[(static_cast<std::uint64_t>(paren.rule) << 32) | item.rule];
            // A header carried on to a later line, with no block opened or closed in between:
            // the block is counted already. After blocks in between, its closing word belongs
            // to a header of its own that lacks its opening word.
            if (paren.virtualBlock && paren.virtualEvent + 1 == blocks.size()) {
                pendings[paren.pending].withdrawn = true;
                skipOpen = true;
            }
            closedParen = paren;
            closedHeader = &closedParen;
        } else if (!paren.virtualBlock && paren.line == line) {
            headerUnfinished(paren);  // closed by a bracket of its own: «если x больше 5)»
        }
    }

    void feed(const Item& item, std::size_t origin, const Span& words, Paren*& closedHeader, bool& skipOpen) {
        switch (item.mark) {
            case '(': {
                Paren paren;
                paren.line = line;
                paren.pos = origin;
                paren.rule = item.rule;
                paren.header = roleOf(facts, item.rule) == rules::WordRole::HeaderOpen;
                paren.condition = item.rule != learner && facts[item.rule].condition;
                paren.words = words;
                if (paren.condition) conditions.push_back(parens.size());
                parens.push_back(paren);
                break;
            }
            case ')': closeParen(item, closedHeader, skipOpen); break;
            case '{': {
                if (skipOpen) {
                    skipOpen = false;
                    break;
                }
                if (closedHeader) {
                    openBlock(origin, closedHeader->line, closedHeader->words, false);
                    break;
                }
                const bool own = item.rule == learner;
                Span name = !own && facts[item.rule].names ? words : lineNames;
                if (name.from == name.to && !own) name = words;  // «):» alone on its line
                name.mark = '{';
                openBlock(origin, line, name, own);
                break;
            }
            default: {  // '}'
                BlockEvent e;
                e.line = line;
                e.indent = indent(line);
                e.learnerBrace = item.rule == learner;
                e.words = e.learnerBrace ? Span{origin, origin, '}'} : words;
                e.words.mark = '}';
                blocks.push_back(e);
            }
        }
    }

    void match(std::uint32_t r, std::size_t p, std::size_t e, const std::vector<Item>& items) {
        const Span words{p, e, 0};
        Paren* closedHeader = nullptr;
        bool skipOpen = false;
        for (const Item& item : items) feed(item, p, words, closedHeader, skipOpen);
        if (facts[r].names) lineNames = words;
        if (functionOnLine == none && facts[r].words && facts[r].words->declares == "function" &&
            facts[r].words->role == rules::WordRole::Declaration)
            functionOnLine = p;
    }

    static NameToken nameToken(std::size_t from, std::size_t to, std::uint32_t mark) {
        return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to), mark};
    }

    // The name tokens of a match: the words that start in it and its marks.
    void tokensOf(std::size_t from, std::size_t to) {
        const std::uint32_t* chars = text.chars.data();
        const std::vector<translator::Stretch>& stretches = regions.stretches;
        std::size_t s = stretch;
        for (std::size_t k = from; k < to;) {
            if (s < stretches.size() && k >= stretches[s].from) {
                k = std::max(k, stretches[s++].to);
                continue;
            }
            const std::size_t limit = s < stretches.size() ? stretches[s].from : text.chars.size();
            if (translator::isWordCode(chars[k])) {
                std::size_t end = k + 1;
                while (end < limit && translator::isWordCode(chars[end])) ++end;
                if (k == 0 || !translator::isWordCode(chars[k - 1])) result.tokens.push_back(nameToken(k, end, 0));
                k = end;
                continue;
            }
            if (isNameMark(chars[k])) result.tokens.push_back(nameToken(k, k + 1, chars[k]));
            ++k;
        }
    }

    void equals(std::size_t p) {
        const std::uint32_t* c = text.chars.data();
        const std::size_t n = text.chars.size();
        const std::string_view joining = "=!<>+-*/%&|^";
        if (p > 0 && joining.find(static_cast<char>(c[p - 1] < 0x80 ? c[p - 1] : 0)) != std::string_view::npos) return;
        if (p + 1 < n && (c[p + 1] == '=' || c[p + 1] == '>')) return;
        if (conditions.empty() || parens[conditions.back()].line != line || equalsReported || comparisonWord.empty())
            return;
        equalsReported = true;
        const std::string fix = " " + comparisonWord + " ";
        const std::size_t from = p > 0 && c[p - 1] == ' ' ? p - 1 : p, to = p + 1 < n && c[p + 1] == ' ' ? p + 2 : p + 1;
        result.findings.push_back(naming(spanned({line, HintKind::AssignInCondition, onLine(line, "«=» присваивает; чтобы сравнить, пишите «" + comparisonWord + "»")},
                                                 c, from, to, &fix),
                                         {"=", comparisonWord}));
    }

    void run(std::uint32_t brokenFrom) {
        const std::uint32_t* chars = text.chars.data();
        const std::size_t n = text.chars.size();
        std::size_t nextStretch = regions.stretches.empty() ? n : regions.stretches.front().from;
        startLine(0);
        result.tokens.reserve(n / 4);
        result.words.reserve(n / 16);
        std::vector<Item> items;
        for (std::size_t p = 0; p < n;) {
            const std::uint32_t c = chars[p];
            if (translator::isLineFeed(c)) {
                endLine();
                startLine(++p);
                continue;
            }
            if (p >= nextStretch) {  // a match may have run past stretches: find the one now ahead
                while (stretch < regions.stretches.size() && regions.stretches[stretch].to <= p) ++stretch;
                nextStretch = stretch < regions.stretches.size() ? regions.stretches[stretch].from : n;
            }
            if (p >= nextStretch) {
                // Literal, comment or template: passed over whole, its line ends still counted.
                std::vector<NameToken>& tokens = result.tokens;
                if (tokens.empty() || tokens.back().mark != opaqueMark) tokens.push_back(nameToken(p, p + 1, opaqueMark));
                const std::size_t to = regions.stretches[stretch++].to;
                nextStretch = stretch < regions.stretches.size() ? regions.stretches[stretch].from : n;
                for (std::size_t k = p; k < to; ++k)
                    if (translator::isLineFeed(chars[k])) {
                        endLine();
                        startLine(k + 1);
                    }
                p = to;
                continue;
            }
            std::size_t e = 0;
            const bool midWord = p > 0 && translator::isWordCode(chars[p - 1]);
            const std::uint32_t r =
                index.mayStart(chars, n, p, midWord) ? translator::firstMatch(index, table, 0, chars, n, p, e, &memos) : learner;
            if (r != learner) {
                items.clear();
                e += reread(r, chars + e, n - e, items, 1);
                match(r, p, e, items);
                tokensOf(p, e);
                for (std::size_t k = p; k < e; ++k)  // a match over a line end: the line ends with it
                    if (translator::isLineFeed(chars[k])) {
                        endLine();
                        startLine(k + 1);
                    }
                p = e;
                continue;
            }
            if (!midWord && translator::isWordCode(c)) {
                std::size_t end = p + 1;
                while (end < n && translator::isWordCode(chars[end])) ++end;
                result.tokens.push_back(nameToken(p, end, 0));
                if (!(c >= '0' && c <= '9'))
                    result.words.push_back(
                        {static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(end), p > 0 && chars[p - 1] == '.'});
                // No rule starts inside a word: the rest of it is passed over at once.
                if (!index.midWordStarts) {
                    p = end;
                    continue;
                }
            }
            const std::uint8_t marks = c < 0x80 ? asciiMarks.of[c] : 0;
            if (marks != 0) {
                if (marks & AsciiMarks::bracket) {
                    Paren* closedHeader = nullptr;
                    bool skipOpen = false;
                    feed({c, learner}, p, Span{p, p, 0}, closedHeader, skipOpen);
                }
                if (c == '=') equals(p);
                if (marks & AsciiMarks::name) result.tokens.push_back(nameToken(p, p + 1, c));
            }
            ++p;
        }
        if (n == 0 || !translator::isLineFeed(chars[n - 1])) endLine();
        reportHeaders();
        reportBlocks(brokenFrom);
    }

    // The header-close word for a header rule: the one this program pairs it with most; else the
    // shortest of those the table lists after it, up to the next header word that follows them
    // («если» … «тогда», «то» gives «то»; «повторить» … «раз», «раза», «разов» gives «раз»).
    // One look through the table per header rule that needs it.
    std::string closingWordFor(std::uint32_t header) const {
        std::uint32_t best = learner, bestCount = 0;
        for (const auto& [key, count] : pairings)
            if ((key >> 32) == header && (count > bestCount || (count == bestCount && (key & 0xFFFFFFFF) < best))) {
                best = static_cast<std::uint32_t>(key & 0xFFFFFFFF);
                bestCount = count;
            }
        if (best != learner) return facts[best].words->phrase;
        std::string shortest;
        for (std::size_t k = 1; k <= table.size(); ++k) {
            const std::uint32_t r = static_cast<std::uint32_t>((header + k) % table.size());
            const rules::WordRole role = roleOf(facts, r);
            if (role == rules::WordRole::HeaderOpen && !shortest.empty()) break;
            if (role != rules::WordRole::HeaderClose) continue;
            const std::string& phrase = facts[r].words->phrase;
            if (shortest.empty() || phrase.size() < shortest.size()) shortest = phrase;
        }
        return shortest;
    }

    // Where the learner's code of the line from `pos` ends: comments and trailing blanks left out.
    std::size_t codeEnd(std::size_t pos) const {
        const std::size_t n = text.chars.size();
        std::size_t end = pos;
        while (end < n && !translator::isLineFeed(text.chars[end])) ++end;
        const auto next = std::upper_bound(regions.stretches.begin(), regions.stretches.end(), pos,
                                           [](std::size_t v, const translator::Stretch& st) { return v < st.from; });
        for (auto st = next; st != regions.stretches.end() && st->from < end; ++st)
            if (st->region == translator::Region::Comment) {
                end = st->from;
                break;
            }
        while (end > pos && (text.chars[end - 1] == ' ' || text.chars[end - 1] == '\t' || text.chars[end - 1] == 0x0D)) --end;
        return end;
    }

    // The learner's header from its first word to the end of its line, comments left out.
    std::string headerText(std::size_t pos) const {
        const std::size_t end = codeEnd(pos);
        const std::size_t shown = std::min(end, pos + quotedLength);
        return base::encodeUtf8(text.chars.data() + pos, shown - pos) + (end > shown ? "…" : "");
    }

    // One hint per line, for its first unfinished header: the others of the line wait for the
    // fix of the first, and each line's text is quoted once, so a long line costs its length.
    void reportHeaders() {
        std::vector<Pending> told;
        for (const Pending& p : pendings)
            if (!p.withdrawn) told.push_back(p);
        std::sort(told.begin(), told.end(),
                  [](const Pending& a, const Pending& b) { return a.line != b.line ? a.line < b.line : a.pos < b.pos; });
        std::unordered_map<std::uint32_t, std::string> closing;  // looked up once per header rule
        for (std::size_t i = 0; i < told.size(); ++i) {
            const Pending& p = told[i];
            if (i > 0 && told[i - 1].line == p.line) continue;
            auto found = closing.find(p.rule);
            if (found == closing.end()) found = closing.emplace(p.rule, closingWordFor(p.rule)).first;
            if (found->second.empty()) continue;
            const std::size_t end = codeEnd(p.pos);
            const std::string fix = " " + found->second;
            const std::string header = headerText(p.pos);
            result.findings.push_back(naming(spanned({p.line, HintKind::UnfinishedHeader,
                                                      onLine(p.line, "после «" + header + "» не хватает слова «" +
                                                                         found->second + "» — допишите его в конце строки")},
                                                     text.chars.data(), end, end, &fix),
                                             {header, found->second}));
        }
    }

    // Which openings lack their closing word and which closings have nothing to close, told by
    // indentation: a closing word closes the innermost open block indented as far as it is, and
    // the blocks opened inside that one are the unclosed ones. Told when every block it closed
    // was closed at its own indentation, or when it finds no more mismatches than plain counting:
    // indentation that says otherwise is no guide, and then nothing is said. Correct code has no
    // mismatch to count and is never told anything. From line `brokenFrom` on (0: nowhere) the
    // text is not read: blocks still open there are not told.
    void reportBlocks(std::uint32_t brokenFrom) {
        if (brokenFrom != 0)
            blocks.erase(std::find_if(blocks.begin(), blocks.end(), [&](const BlockEvent& e) { return e.line >= brokenFrom; }),
                         blocks.end());
        long long depth = 0, plainMismatches = 0;
        for (const BlockEvent& e : blocks) {
            if (e.open) {
                ++depth;
            } else if (depth > 0) {
                --depth;
            } else {
                ++plainMismatches;
            }
        }
        plainMismatches += depth;
        if (plainMismatches == 0) return;

        struct Open {
            std::uint32_t line = 0, indent = 0;
            Span words;
            bool learnerBrace = false;
            bool afterExtra = false;  // «иначе» with nothing open: told once, as nothing to carry on
        };
        std::vector<Open> stack, unclosed;
        std::unordered_map<std::uint32_t, std::size_t> openAt;  // indentation -> open blocks with it
        std::vector<const BlockEvent*> extra;
        std::vector<bool> extraMiddle;
        bool closedJustBefore = false, aligned = true;
        Open lastClosed;
        auto pop = [&]() {
            Open o = stack.back();
            stack.pop_back();
            --openAt[o.indent];
            return o;
        };
        for (const BlockEvent& e : blocks) {
            if (e.open) {
                Open o{e.line, e.indent, e.words, e.learnerBrace, false};
                if (e.continues && closedJustBefore) {
                    o.line = lastClosed.line;
                    o.words = lastClosed.words;
                }
                if (e.continues && !extra.empty() && extra.back() == &e - 1) {
                    extraMiddle.back() = true;
                    o.afterExtra = true;
                }
                ++openAt[o.indent];
                stack.push_back(o);
                closedJustBefore = false;
                continue;
            }
            closedJustBefore = false;
            if (stack.empty()) {
                extra.push_back(&e);
                extraMiddle.push_back(false);
                continue;
            }
            if (openAt[e.indent] > 0)
                while (stack.back().indent != e.indent) unclosed.push_back(pop());
            lastClosed = pop();
            aligned = aligned && lastClosed.indent == e.indent;
            closedJustBefore = true;
        }
        const std::size_t leftOpen = stack.size();
        if (!aligned && static_cast<long long>(unclosed.size() + extra.size() + leftOpen) != plainMismatches) return;
        if (brokenFrom == 0)
            while (!stack.empty()) unclosed.push_back(pop());

        std::unordered_set<std::uint32_t> toldLines;  // one hint per line for each of the two
        for (const Open& o : unclosed) {
            const std::string closer = o.learnerBrace ? "}" : blockCloseWord;
            if (closer.empty() || o.afterExtra || !toldLines.insert(o.line).second) continue;
            const std::string by = o.learnerBrace ? "скобкой" : "словом";
            const std::string words = wordsOf(o.words);
            result.findings.push_back(naming(spanned({o.line, HintKind::UnclosedBlock,
                                                      onLine(o.line, "«" + words + "» не закрыт " + by + " «" + closer +
                                                                         "» — допишите «" + closer + "» после последней строки блока")},
                                                     text.chars.data(), o.words.from, o.words.to),
                                             {words, closer}));
        }
        toldLines.clear();
        for (std::size_t k = 0; k < extra.size(); ++k) {
            const BlockEvent& e = *extra[k];
            if (!toldLines.insert(e.line).second) continue;
            const std::string words = wordsOf(e.words);
            const std::string said =
                extraMiddle[k] ? "перед «" + words + "» нет открытого блока — проверьте строки выше"
                               : std::string(e.learnerBrace ? "здесь нечего закрывать — уберите лишнюю скобку «"
                                                            : "здесь нечего закрывать — уберите лишнее слово «") +
                                     words + "»";
            const std::string none;
            result.findings.push_back(naming(spanned({e.line, HintKind::UnclosedBlock, onLine(e.line, said)}, text.chars.data(),
                                                     e.words.from, e.words.to, extraMiddle[k] || e.words.to == e.words.from ? nullptr : &none),
                                             {words}));
        }
    }
};

}  // namespace

std::string lettersOf(const std::uint32_t* chars, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to;) {
        if (!translator::isWordCode(chars[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < to && translator::isWordCode(chars[end])) ++end;
        if (std::any_of(chars + i, chars + end, isLetter)) {
            if (!out.empty()) out += ' ';
            out += base::encodeUtf8(chars + i, end - i);
        }
        i = end;
    }
    return out;
}

StructureReading readStructure(const base::CodeText& text, const translator::SourceRegions& regions,
                               const std::vector<rules::Rule>& table, const rules::Vocabulary& vocabulary, std::uint32_t brokenFrom) {
    Reader reader(text, regions, table, vocabulary);
    reader.run(brokenFrom);
    return std::move(reader.result);
}

}  // namespace diagnostics
