// Slips told by the table's words, and the facts of a program the run-time layer explains with.
// Tests: tests/diagnostics/hints_test.cpp, tests/browser/mistakes_test.cpp.
#include "diagnostics/slips.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "diagnostics/hint_structure.h"

namespace diagnostics {

namespace {

constexpr std::size_t quotedLength = 60;  // code points of a learner's line quoted at most

// A word (mark 0), one mark of code, or a literal or comment stretch (mark opaque).
struct Token {
    std::uint32_t from = 0, to = 0;  // a text's length fits its line numbers' type
    std::uint32_t line = 0;
    std::uint32_t mark = 0;
};
constexpr std::uint32_t opaque = 0xFFFFFFFF;

// The tokens of one line: a view into the flat array of all of them.
struct Tokens {
    const Token* first = nullptr;
    std::size_t count = 0;
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const Token& operator[](std::size_t i) const { return first[i]; }
    const Token& back() const { return first[count - 1]; }
    const Token& front() const { return first[0]; }
    const Token* begin() const { return first; }
    const Token* end() const { return first + count; }
};

// The tokens of a text one line at a time, in text order; a stretch is one token on the line it
// starts on, and the lines it covers come after it empty. One buffer serves every line, so a long
// program costs no allocation per line and no array of all its tokens.
class LineReader {
public:
    LineReader(const base::CodeText& text, const translator::SourceRegions& regions)
        : c_(text.chars.data()), lines_(text.lines.data()), n_(static_cast<std::uint32_t>(text.chars.size())),
          regions_(regions) {
        next_ = regions_.stretches.empty() ? n_ : static_cast<std::uint32_t>(regions_.stretches[0].from);
    }

    // The next line's tokens; false after the last line.
    bool next(Tokens& line) {
        if (done_) return false;
        tokens_.clear();
        if (pendingLines_ > 0) {  // lines inside a stretch that began on an earlier line
            --pendingLines_;
            line = Tokens{tokens_.data(), 0};
            return true;
        }
        while (p_ < n_) {
            if (p_ >= next_) {
                const std::uint32_t to = static_cast<std::uint32_t>(regions_.stretches[s_].to);
                tokens_.push_back({p_, to, lines_[p_], opaque});
                for (std::uint32_t k = p_; k < to; ++k)
                    if (translator::isLineFeed(c_[k])) ++pendingLines_;
                p_ = to;
                ++s_;
                next_ = s_ < regions_.stretches.size() ? static_cast<std::uint32_t>(regions_.stretches[s_].from) : n_;
                if (pendingLines_ > 0) {
                    --pendingLines_;
                    line = Tokens{tokens_.data(), tokens_.size()};
                    return true;
                }
                continue;
            }
            const std::uint32_t v = c_[p_];
            if (v == ' ' || v == '\t' || v == 0x0D) {
                ++p_;
            } else if (translator::isLineFeed(v)) {
                ++p_;
                line = Tokens{tokens_.data(), tokens_.size()};
                return true;
            } else if (translator::isWordCode(v)) {
                std::uint32_t e = p_ + 1;
                while (e < next_ && translator::isWordCode(c_[e])) ++e;
                tokens_.push_back({p_, e, lines_[p_], 0});
                p_ = e;
            } else {
                tokens_.push_back({p_, p_ + 1, lines_[p_], v});
                ++p_;
            }
        }
        done_ = true;  // the last line, which no line feed ends
        line = Tokens{tokens_.data(), tokens_.size()};
        return true;
    }

private:
    const std::uint32_t* c_;
    const std::uint32_t* lines_;
    std::uint32_t n_;
    const translator::SourceRegions& regions_;
    std::uint32_t p_ = 0, next_ = 0;
    std::size_t s_ = 0;
    std::size_t pendingLines_ = 0;
    bool done_ = false;
    std::vector<Token> tokens_;
};

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
std::size_t phraseAt(const std::uint32_t* c, const Tokens& ts, std::size_t i, const Phrase& ph) {
    if (ph.words.empty() || i + ph.words.size() > ts.size()) return 0;
    for (std::size_t k = 0; k < ph.words.size(); ++k)
        if (!sameWord(c, ts[i + k], ph.words[k], ph.fold)) return 0;
    return ph.words.size();
}

// Phrases by the first letter they start with (in capitals), so that a token costs only the
// phrases that could start at it.
struct Phrases {
    std::vector<Phrase> list;
    std::vector<std::vector<std::uint16_t>> byFirst = std::vector<std::vector<std::uint16_t>>(0x460);
    std::vector<std::uint16_t> others;  // first code point past the table
    std::vector<bool> starts = std::vector<bool>(0x460);
    void add(const Phrase& ph) {
        list.push_back(ph);
        if (ph.words.empty() || ph.words[0].empty()) return;
        const std::uint32_t f = base::toUpper(ph.words[0][0]);
        (f < byFirst.size() ? byFirst[f] : others).push_back(static_cast<std::uint16_t>(list.size() - 1));
        if (f < starts.size()) starts[f] = true;
    }
    // Whether some phrase could start at a word whose first code point is c: one look.
    bool mayStart(std::uint32_t c) const {
        const std::uint32_t f = base::toUpper(c);
        return f < starts.size() ? starts[f] : !others.empty();
    }
};

std::size_t anyAtSlow(const std::uint32_t* c, const Tokens& ts, std::size_t i, const Phrases& phrases) {
    const std::uint32_t f = base::toUpper(c[ts[i].from]);
    for (const std::uint16_t k : f < phrases.byFirst.size() ? phrases.byFirst[f] : phrases.others)
        if (const std::size_t taken = phraseAt(c, ts, i, phrases.list[k])) return taken;
    return 0;
}

// How many tokens from i one of the phrases takes, or 0. Most words are turned away inline.
inline std::size_t anyAt(const std::uint32_t* c, const Tokens& ts, std::size_t i, const Phrases& phrases) {
    if (i >= ts.size() || ts[i].mark != 0 || !phrases.mayStart(c[ts[i].from])) return 0;
    return anyAtSlow(c, ts, i, phrases);
}

bool isName(const std::uint32_t* c, const Token& t) { return t.mark == 0 && !(c[t.from] >= '0' && c[t.from] <= '9'); }
bool isDigits(const std::uint32_t* c, const Token& t) {
    return t.mark == 0 && std::all_of(c + t.from, c + t.to, [](std::uint32_t v) { return v >= '0' && v <= '9'; });
}

std::string textOf(const std::uint32_t* c, std::size_t from, std::size_t to) { return base::encodeUtf8(c + from, to - from); }

// The learner's code from `from` to the end of its line (comments left out), cut to a quotable length.
std::string restOfLine(const std::uint32_t* c, const Tokens& ts, std::size_t from) {
    std::size_t end = from;
    for (const Token& t : ts)
        if (t.from >= from && !(t.mark == opaque && c[t.from] == '/')) end = std::max<std::size_t>(end, t.to);
    const std::size_t shown = std::min(end, from + quotedLength);
    return textOf(c, from, shown) + (end > shown ? "…" : "");
}

struct Words {
    Phrases declaring, headerOpen, eachOpen, headerClose, equality;
    Phrase ask;
    std::string loopWord;  // the table's word for "of"
};

Words wordsOf(const rules::Vocabulary& v) {
    Words w;
    const std::string ask = rules::learnerWordFor(v, "prompt");
    for (const rules::RuleWords& r : v.rules) {
        Phrase ph{{}, r.ignoreCase, r.phrase};
        for (const std::string& word : r.words) ph.words.push_back(decoded(word));
        if (!r.declares.empty()) w.declaring.add(ph);
        if (r.role == rules::WordRole::HeaderOpen) {
            w.headerOpen.add(ph);
            if (!r.declares.empty()) w.eachOpen.add(ph);
        }
        if (r.role == rules::WordRole::HeaderClose) w.headerClose.add(ph);
        if (r.equality) w.equality.add(ph);
        if (!ask.empty() && r.phrase == ask && w.ask.words.empty()) w.ask = ph;
    }
    for (const auto& [js, word] : v.keywords)
        if (js == "of" && w.loopWord.empty()) w.loopWord = word;
    return w;
}

}  // namespace

ProgramFacts readProgramFacts(const base::CodeText& source, const translator::SourceRegions& regions,
                              const rules::Vocabulary& vocabulary) {
    const std::uint32_t* c = source.chars.data();
    const Words w = wordsOf(vocabulary);
    ProgramFacts facts;
    std::unordered_set<std::u32string> declared, answers;
    std::u32string undefinedWord = decoded(rules::learnerWordFor(vocabulary, "undefined"));
    for (const auto& [js, word] : vocabulary.keywords)
        if (undefinedWord.empty() && js == "undefined") undefinedWord = decoded(word);
    auto name = [&](const Token& t) { return std::u32string(c + t.from, c + t.to); };
    LineReader reader(source, regions);
    for (Tokens ts; reader.next(ts);) {
        bool joined = false, undefinedSeen = false;
        for (std::size_t i = 0; i < ts.size(); ++i) {
            if (!undefinedSeen && !undefinedWord.empty() && sameWord(c, ts[i], undefinedWord, true)) {
                undefinedSeen = true;
                facts.undefinedWritten.push_back(ts[i].line);
            }
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
               const std::vector<OtherWord>& otherWords, std::vector<Hint>& out) {
    const std::uint32_t* c = source.chars.data();
    const Words w = wordsOf(vocabulary);
    std::u32string inWord;  // the slip written for the loop's word
    for (const OtherWord& o : otherWords)
        if (!w.loopWord.empty() && o.ours == w.loopWord) inWord = decoded(o.word);
    bool headerOpen = false;        // a condition or loop header runs on from an earlier line
    std::uint32_t lastMark = '\n';  // the last mark of the code line before
    LineReader reader(source, regions);
    std::vector<Token> kept;  // the line's tokens but its comments, when it has any
    for (Tokens code; reader.next(code);) {
        if (std::any_of(code.begin(), code.end(), [&](const Token& t) { return t.mark == opaque && c[t.from] == '/'; })) {
            kept.clear();
            for (const Token& t : code)
                if (!(t.mark == opaque && c[t.from] == '/')) kept.push_back(t);
            code = Tokens{kept.data(), kept.size()};
        }
        if (code.empty()) continue;
        const std::uint32_t line = code.front().line;
        const bool continues = headerOpen || std::string_view("(,+-*/=&|[<>!").find(static_cast<char>(lastMark < 0x80 ? lastMark : 0)) !=
                                                 std::string_view::npos;
        bool opens = false, closes = false;
        for (std::size_t i = 0; i < code.size(); ++i) {
            if (code[i].mark != 0) continue;
            if (anyAt(c, code, i, w.headerOpen)) opens = true, closes = false;
            if (anyAt(c, code, i, w.headerClose)) closes = true;
        }
        // «x равно 5» or «пусть x равно 5» as a whole statement: the comparison gives nothing.
        std::size_t at = continues ? code.size() : anyAt(c, code, 0, w.declaring);
        if (at + 1 < code.size() && isName(c, code[at]) && !opens && !closes) {
            if (const std::size_t k = anyAt(c, code, at + 1, w.equality); k > 0 && at + 1 + k < code.size()) {
                const std::string said = textOf(c, code[at + 1].from, code[at + k].to);
                const std::string fixed = textOf(c, code[0].from, code[at].to) + " = " + restOfLine(c, code, code[at + 1 + k].from);
                const std::string sign = "=";
                out.push_back(spanned({line, HintKind::ComparisonGivesValue,
                                       onLine(line, "«" + said + "» сравнивает, а значение даёт знак «=» — пишите «" + fixed + "»")},
                                      c, code[at + 1].from, code[at + k].to, &sign));
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
                const std::string number = whole + "." + part;
                out.push_back(spanned({line, HintKind::DecimalComma,
                                       onLine(line, "в числе «" + whole + "," + part + "» дробную часть отделяют точкой, а не запятой — пишите " +
                                                        number)},
                                      c, code[i + 1].from, code[i + 3].to, &number));
            }
            // «для каждого x в список»: the loop's word is the table's, not «в».
            if (!inWord.empty()) {
                const std::size_t k = anyAt(c, code, i, w.eachOpen);
                if (k > 0 && i + k + 2 < code.size() + 1 && i + k + 1 < code.size() && isName(c, code[i + k]) &&
                    sameWord(c, code[i + k + 1], inWord, true)) {
                    const Token& slip = code[i + k + 1];
                    const std::string fixed = textOf(c, code[i].from, slip.from) + w.loopWord + restOfLine(c, code, slip.to);
                    out.push_back(spanned({line, HintKind::LoopWord,
                                           onLine(line, "в цикле «" + textOf(c, code[i].from, code[i + k - 1].to) + "» пишут «" + w.loopWord +
                                                            "», а не «" + textOf(c, slip.from, slip.to) + "» — " + fixed)},
                                          c, slip.from, slip.to, &w.loopWord));
                }
            }
        }
        if (opens) headerOpen = !closes;
        else if (closes) headerOpen = false;
        lastMark = code.back().mark == 0 ? 'a' : code.back().mark;
    }
}

}  // namespace diagnostics
