// Slips told by the table's words, and the facts of a program the run-time layer explains with.
// Tests: tests/diagnostics/hints_test.cpp, tests/browser/mistakes_test.cpp.
#include "diagnostics/slips.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "diagnostics/hint_structure.h"
#include "embedded/otherWordsCsv.h"

namespace diagnostics {

namespace {

constexpr std::size_t quotedLength = 60;  // code points of a learner's line quoted at most

// A word (mark 0), one mark of code, or a literal or comment stretch (mark opaque).
struct Token {
    std::size_t from = 0, to = 0;
    std::uint32_t line = 0;
    std::uint32_t mark = 0;
};
constexpr std::uint32_t opaque = 0xFFFFFFFF;

// Tokens of one line at a time, in text order; a stretch is one token on the line it starts on.
std::vector<std::vector<Token>> lineTokens(const base::CodeText& text, const translator::SourceRegions& regions) {
    const std::uint32_t* c = text.chars.data();
    const std::size_t n = text.chars.size();
    std::vector<std::vector<Token>> lines(1);
    std::size_t s = 0;
    for (std::size_t p = 0; p < n;) {
        if (s < regions.stretches.size() && p >= regions.stretches[s].from) {
            lines.back().push_back({p, regions.stretches[s].to, text.lines[p], opaque});
            for (std::size_t k = p; k < regions.stretches[s].to; ++k)
                if (translator::isLineFeed(c[k])) lines.emplace_back();
            p = regions.stretches[s++].to;
            continue;
        }
        if (translator::isLineFeed(c[p])) {
            lines.emplace_back();
            ++p;
        } else if (translator::isWordCode(c[p])) {
            std::size_t e = p + 1;
            while (e < n && translator::isWordCode(c[e])) ++e;
            lines.back().push_back({p, e, text.lines[p], 0});
            p = e;
        } else {
            if (c[p] != ' ' && c[p] != '\t' && c[p] != 0x0D) lines.back().push_back({p, p + 1, text.lines[p], c[p]});
            ++p;
        }
    }
    return lines;
}

struct Phrase {
    std::vector<std::u32string> words;
    bool fold = false;
    std::string text;  // as the table writes it
};

std::u32string decoded(const std::string& utf8) {
    const base::CodePoints p = base::decodeBytes(utf8);
    return std::u32string(p.begin(), p.end());
}

bool sameWord(const std::uint32_t* c, const Token& t, const std::u32string& w, bool fold) {
    if (t.mark != 0 || t.to - t.from != w.size()) return false;
    for (std::size_t i = 0; i < w.size(); ++i)
        if (fold ? base::toUpper(c[t.from + i]) != base::toUpper(w[i]) : c[t.from + i] != w[i]) return false;
    return true;
}

// How many tokens from i the phrase takes, or 0.
std::size_t phraseAt(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t i, const Phrase& ph) {
    if (ph.words.empty() || i + ph.words.size() > ts.size()) return 0;
    for (std::size_t k = 0; k < ph.words.size(); ++k)
        if (!sameWord(c, ts[i + k], ph.words[k], ph.fold)) return 0;
    return ph.words.size();
}

std::size_t anyAt(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t i, const std::vector<Phrase>& phrases) {
    for (const Phrase& ph : phrases)
        if (const std::size_t k = phraseAt(c, ts, i, ph)) return k;
    return 0;
}

bool isName(const std::uint32_t* c, const Token& t) { return t.mark == 0 && !(c[t.from] >= '0' && c[t.from] <= '9'); }
bool isDigits(const std::uint32_t* c, const Token& t) {
    return t.mark == 0 && std::all_of(c + t.from, c + t.to, [](std::uint32_t v) { return v >= '0' && v <= '9'; });
}

std::string textOf(const std::uint32_t* c, std::size_t from, std::size_t to) { return base::encodeUtf8(c + from, to - from); }

// The learner's code from `from` to the end of its line (comments left out), cut to a quotable length.
std::string restOfLine(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t from) {
    std::size_t end = from;
    for (const Token& t : ts)
        if (t.from >= from && !(t.mark == opaque && c[t.from] == '/')) end = std::max(end, t.to);
    const std::size_t shown = std::min(end, from + quotedLength);
    return textOf(c, from, shown) + (end > shown ? "…" : "");
}

struct Words {
    std::vector<Phrase> declaring, headerOpen, eachOpen, headerClose, equality;
    Phrase ask;
    std::string loopWord;  // the table's word for "of"
};

Words wordsOf(const rules::Vocabulary& v) {
    Words w;
    const std::string ask = rules::learnerWordFor(v, "prompt");
    for (const rules::RuleWords& r : v.rules) {
        Phrase ph{{}, r.ignoreCase, r.phrase};
        for (const std::string& word : r.words) ph.words.push_back(decoded(word));
        if (!r.declares.empty()) w.declaring.push_back(ph);
        if (r.role == rules::WordRole::HeaderOpen) {
            w.headerOpen.push_back(ph);
            if (!r.declares.empty()) w.eachOpen.push_back(ph);
        }
        if (r.role == rules::WordRole::HeaderClose) w.headerClose.push_back(ph);
        if (r.equality) w.equality.push_back(ph);
        if (!ask.empty() && r.phrase == ask && w.ask.words.empty()) w.ask = ph;
    }
    for (const auto& [js, word] : v.keywords)
        if (js == "of" && w.loopWord.empty()) w.loopWord = word;
    return w;
}

}  // namespace

std::vector<OtherWord> parseOtherWords(const std::string& csv) {
    std::vector<OtherWord> out;
    std::size_t start = 0;
    bool heading = true;
    while (start < csv.size()) {
        std::size_t end = csv.find('\n', start);
        if (end == std::string::npos) end = csv.size();
        std::string line = csv.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t comma = line.find(',');
        if (heading) {
            heading = false;
            continue;
        }
        if (comma == std::string::npos || comma == 0 || comma + 1 == line.size()) continue;
        out.push_back({line.substr(0, comma), line.substr(comma + 1)});
    }
    return out;
}

std::vector<OtherWord> otherWords() { return parseOtherWords(std::string(otherWordsCsv)); }

ProgramFacts readProgramFacts(const base::CodeText& source, const translator::SourceRegions& regions,
                              const rules::Vocabulary& vocabulary) {
    const std::uint32_t* c = source.chars.data();
    const Words w = wordsOf(vocabulary);
    ProgramFacts facts;
    std::unordered_set<std::u32string> declared, answers;
    auto name = [&](const Token& t) { return std::u32string(c + t.from, c + t.to); };
    for (const std::vector<Token>& ts : lineTokens(source, regions)) {
        bool joined = false;
        for (std::size_t i = 0; i < ts.size(); ++i) {
            const std::size_t k = anyAt(c, ts, i, w.declaring);
            if (k > 0 && i + k < ts.size() && isName(c, ts[i + k])) {
                if (declared.insert(name(ts[i + k])).second)
                    facts.declared.emplace_back(textOf(c, ts[i + k].from, ts[i + k].to), ts[i + k].line);
                i += k - 1;
                continue;
            }
            // name = <asking word>( … : the name holds an answer, as text; any other value ends that.
            if (isName(c, ts[i]) && i + 1 < ts.size() && ts[i + 1].mark == '=' && (i == 0 || ts[i - 1].mark != '.') &&
                !(i + 2 < ts.size() && (ts[i + 2].mark == '=' || ts[i + 2].mark == '>'))) {
                const bool asked = i + 3 < ts.size() && phraseAt(c, ts, i + 2, w.ask) && ts[i + 2 + w.ask.words.size()].mark == '(';
                if (asked) answers.insert(name(ts[i]));
                else answers.erase(name(ts[i]));
            }
            if (!joined && ts[i].mark == '+' && i > 0 && i + 1 < ts.size() && isName(c, ts[i - 1]) && isName(c, ts[i + 1]) &&
                ts[i + 1].from > ts[i].to - 1 && answers.count(name(ts[i - 1])) && answers.count(name(ts[i + 1])) &&
                (i < 2 || ts[i - 2].mark != '.')) {
                joined = true;
                facts.joinedAnswers.push_back(ts[i].line);
            }
        }
    }
    return facts;
}

void slipHints(const base::CodeText& source, const translator::SourceRegions& regions, const rules::Vocabulary& vocabulary,
               std::vector<Hint>& out) {
    const std::uint32_t* c = source.chars.data();
    const Words w = wordsOf(vocabulary);
    std::u32string inWord;  // the slip written for the loop's word
    for (const OtherWord& o : otherWords())
        if (!w.loopWord.empty() && o.ours == w.loopWord) inWord = decoded(o.word);
    bool headerOpen = false;        // a condition or loop header runs on from an earlier line
    std::uint32_t lastMark = '\n';  // the last mark of the code line before
    for (const std::vector<Token>& ts : lineTokens(source, regions)) {
        std::vector<Token> code;
        for (const Token& t : ts)
            if (!(t.mark == opaque && (c[t.from] == '/'))) code.push_back(t);
        if (code.empty()) continue;
        const std::uint32_t line = code.front().line;
        const bool continues = headerOpen || std::string_view("(,+-*/=&|[<>!").find(static_cast<char>(lastMark < 0x80 ? lastMark : 0)) !=
                                                 std::string_view::npos;
        bool opens = false, closes = false;
        for (std::size_t i = 0; i < code.size(); ++i) {
            if (anyAt(c, code, i, w.headerOpen)) opens = true, closes = false;
            if (anyAt(c, code, i, w.headerClose)) closes = true;
        }
        // «x равно 5» or «пусть x равно 5» as a whole statement: the comparison gives nothing.
        std::size_t at = continues ? code.size() : anyAt(c, code, 0, w.declaring);
        if (at + 1 < code.size() && isName(c, code[at]) && !opens && !closes) {
            if (const std::size_t k = anyAt(c, code, at + 1, w.equality); k > 0 && at + 1 + k < code.size()) {
                const std::string said = textOf(c, code[at + 1].from, code[at + k].to);
                const std::string fixed = textOf(c, code[0].from, code[at].to) + " = " + restOfLine(c, code, code[at + 1 + k].from);
                out.push_back({line, HintKind::ComparisonGivesValue,
                               onLine(line, "«" + said + "» сравнивает, а значение даёт знак «=» — пишите «" + fixed + "»")});
            }
        }
        int depth = 0;
        for (std::size_t i = 0; i < code.size(); ++i) {
            const std::uint32_t m = code[i].mark;
            if (m == '(' || m == '[' || m == '{') ++depth;
            if (m == ')' || m == ']' || m == '}') --depth;
            // name = 3,5 to the end of the line: a number with a comma that no reading needs.
            if (m == '=' && depth == 0 && i > 0 && i + 4 == code.size() && isName(c, code[i - 1]) &&
                std::string_view("=!<>+-*/%&|^").find(static_cast<char>(code[i - 1].mark)) == std::string_view::npos &&
                isDigits(c, code[i + 1]) && code[i + 2].mark == ',' && code[i + 2].from == code[i + 1].to &&
                isDigits(c, code[i + 3]) && code[i + 3].from == code[i + 2].to) {
                const std::string whole = textOf(c, code[i + 1].from, code[i + 1].to), part = textOf(c, code[i + 3].from, code[i + 3].to);
                out.push_back({line, HintKind::DecimalComma,
                               onLine(line, "в числе «" + whole + "," + part + "» дробную часть отделяют точкой, а не запятой — пишите " +
                                                whole + "." + part)});
            }
            // «для каждого x в список»: the loop's word is the table's, not «в».
            if (!inWord.empty()) {
                const std::size_t k = anyAt(c, code, i, w.eachOpen);
                if (k > 0 && i + k + 2 < code.size() + 1 && i + k + 1 < code.size() && isName(c, code[i + k]) &&
                    sameWord(c, code[i + k + 1], inWord, true)) {
                    const Token& slip = code[i + k + 1];
                    const std::string fixed = textOf(c, code[i].from, slip.from) + w.loopWord + restOfLine(c, code, slip.to);
                    out.push_back({line, HintKind::LoopWord,
                                   onLine(line, "в цикле «" + textOf(c, code[i].from, code[i + k - 1].to) + "» пишут «" + w.loopWord +
                                                    "», а не «" + textOf(c, slip.from, slip.to) + "» — " + fixed)});
                }
            }
        }
        if (opens) headerOpen = !closes;
        else if (closes) headerOpen = false;
        lastMark = code.back().mark == 0 ? 'a' : code.back().mark;
    }
}

}  // namespace diagnostics
