// Whole-program checks read off the learner's code by the table's roles; strings and comments are
// skipped by the translator's own reading of them, so no check fires inside text or a comment.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_checks.h"

#include <algorithm>
#include <string>

#include "translator/source_regions.h"

namespace diagnostics {

namespace {

constexpr std::uint32_t literal = 0xFFFFFFFF;  // the mark of a string literal; a word has mark 0

struct Token {
    std::uint32_t from = 0, to = 0;
    std::uint32_t mark = 0;
};

struct Line {
    std::uint32_t number = 0;
    std::vector<Token> tokens;
};

// The code of the text line by line: words, single marks, and each literal as one token on the
// line it starts on. Comments and template text are left out; lines without code are left out.
std::vector<Line> codeLines(const base::CodeText& text, const translator::SourceRegions& regions) {
    std::vector<Line> lines;
    const std::uint32_t* c = text.chars.data();
    const std::size_t n = text.chars.size();
    std::size_t s = 0;
    auto add = [&](std::size_t at, Token t) {
        const std::uint32_t number = text.lines[at];
        if (lines.empty() || lines.back().number != number) lines.push_back({number, {}});
        lines.back().tokens.push_back(t);
    };
    for (std::size_t p = 0; p < n;) {
        if (s < regions.stretches.size() && p >= regions.stretches[s].from) {
            const translator::Stretch& st = regions.stretches[s++];
            if (st.region == translator::Region::Literal)
                add(st.from, {static_cast<std::uint32_t>(st.from), static_cast<std::uint32_t>(st.to), literal});
            p = std::max(p, st.to);
            continue;
        }
        const std::size_t end = s < regions.stretches.size() ? regions.stretches[s].from : n;
        const std::uint32_t v = c[p];
        if (v == ' ' || v == '\t' || v == 0x0D || translator::isLineFeed(v)) {
            ++p;
        } else if (translator::isWordCode(v)) {
            std::size_t e = p + 1;
            while (e < end && translator::isWordCode(c[e])) ++e;
            add(p, {static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(e), 0});
            p = e;
        } else {
            add(p, {static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(p + 1), v});
            ++p;
        }
    }
    return lines;
}

std::string textOf(const std::uint32_t* c, std::size_t from, std::size_t to) { return base::encodeUtf8(c + from, to - from); }

bool sameWord(const std::uint32_t* c, const Token& t, const base::CodePoints& w, bool fold) {
    if (t.mark != 0 || w.size() != t.to - t.from) return false;
    for (std::size_t i = 0; i < w.size(); ++i)
        if (fold ? base::toUpper(c[t.from + i]) != base::toUpper(w[i]) : c[t.from + i] != w[i]) return false;
    return true;
}

// The table's words decoded once, beside the vocabulary they come from.
struct Table {
    const rules::Vocabulary& v;
    std::vector<std::vector<base::CodePoints>> words;  // per rule of `v`
    std::string returnWord;                            // the learner's word for leaving a function
};

Table tableOf(const rules::Vocabulary& v) {
    Table t{v, {}, {}};
    for (const rules::RuleWords& r : v.rules) {
        t.words.emplace_back();
        for (const std::string& w : r.words) t.words.back().push_back(base::decodeBytes(w));
    }
    for (const auto& [js, learner] : v.keywords)
        if (js == "return" && t.returnWord.empty()) t.returnWord = learner;
    return t;
}

bool isDigits(const std::uint32_t* c, const Token& t) {
    return t.mark == 0 && std::all_of(c + t.from, c + t.to, [](std::uint32_t v) { return v >= '0' && v <= '9'; });
}

// The rule whose words start at token i of the line, or null.
const rules::RuleWords* ruleAt(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t i, const Table& table) {
    for (std::size_t r = 0; r < table.v.rules.size(); ++r) {
        const std::vector<base::CodePoints>& words = table.words[r];
        if (words.empty() || i + words.size() > ts.size()) continue;
        bool all = true;
        for (std::size_t k = 0; k < words.size() && all; ++k) all = sameWord(c, ts[i + k], words[k], table.v.rules[r].ignoreCase);
        if (all) return &table.v.rules[r];
    }
    return nullptr;
}

bool produces(const rules::RuleWords& r, const char* name) {
    return std::find(r.produces.begin(), r.produces.end(), name) != r.produces.end();
}

// Methods that give a new value and leave the value they are called on as it was.
bool givesNewValue(const rules::RuleWords& r) {
    static const char* const names[] = {"toUpperCase", "toLowerCase", "trim",     "trimStart", "trimEnd",  "replace",
                                        "replaceAll",  "slice",       "substring", "concat",    "padStart", "padEnd",
                                        "repeat",      "split",       "join",      "toFixed",   "indexOf",  "includes",
                                        "charAt",      "startsWith",  "endsWith",  "map",       "filter"};
    for (const char* name : names)
        if (produces(r, name)) return true;
    return false;
}

// Methods that change the value they are called on.
bool changesValue(const rules::RuleWords& r) {
    static const char* const names[] = {"pop", "shift", "sort", "reverse", "push", "unshift", "splice", "fill"};
    for (const char* name : names)
        if (produces(r, name)) return true;
    return false;
}

bool isOperator(std::uint32_t m) {
    return m == '+' || m == '-' || m == '*' || m == '/' || m == '%' || m == '=' || m == '<' || m == '>' ||
           m == '&' || m == '|' || m == '(' || m == '[' || m == ',' || m == '.' || m == '?' || m == ':' || m == '!';
}

bool isPlainName(const std::uint32_t* c, const Token& t, const Table& v, const std::vector<Token>& ts,
                 std::size_t i) {
    return t.mark == 0 && !(c[t.from] >= '0' && c[t.from] <= '9') && ruleAt(c, ts, i, v) == nullptr;
}

Hint at(std::uint32_t line, HintKind kind, const std::string& message, const std::uint32_t* c, std::size_t from,
        std::size_t to, const std::string* fix = nullptr) {
    return spanned({line, kind, base::onLine(line, message)}, c, from, to, fix);
}

// «шаги + 1» or «имя.заглавными()» alone on its line, neither continuing the line before nor
// continued by the next: the value is made and dropped.
void droppedValue(const std::uint32_t* c, const std::vector<Line>& lines, std::size_t li, const Table& v,
                  std::vector<Hint>& out) {
    const std::vector<Token>& ts = lines[li].tokens;
    if (li > 0 && isOperator(lines[li - 1].tokens.back().mark)) return;
    if (li + 1 < lines.size() && isOperator(lines[li + 1].tokens.front().mark) &&
        lines[li + 1].tokens.front().mark != '(' && lines[li + 1].tokens.front().mark != '[')
        return;
    if (!isPlainName(c, ts[0], v, ts, 0)) return;
    const std::uint32_t line = lines[li].number;
    const std::string name = textOf(c, ts[0].from, ts[0].to);
    const std::string set = name + " = ";
    if (ts.size() == 3 && (ts[1].mark == '+' || ts[1].mark == '-' || ts[1].mark == '*' || ts[1].mark == '/') &&
        (isDigits(c, ts[2]) || ts[2].mark == literal || isPlainName(c, ts[2], v, ts, 2))) {
        const std::string shown = textOf(c, ts[0].from, ts[2].to);
        out.push_back(naming(at(line, HintKind::DroppedValue,
                                "«" + shown + "» вычисляет значение и никуда его не кладёт: «" + name +
                                    "» не меняется; чтобы изменить, пишите «" + set + shown + "»",
                                c, ts[0].from, ts[0].from, &set),
                             {shown}));
        return;
    }
    if (ts.size() >= 3 && ts[1].mark == '.' && ts.back().mark == 0) {
        // «числа.сортировать» alone: a method named but never called.
        const rules::RuleWords* method = ruleAt(c, ts, 2, v);
        if (!method || 2 + method->words.size() != ts.size() || method->role != rules::WordRole::Method ||
            !(givesNewValue(*method) || changesValue(*method)))
            return;
        const std::string shown = textOf(c, ts[0].from, ts.back().to);
        static const std::string brackets = "()";
        out.push_back(naming(at(line, HintKind::DroppedValue,
                                "«" + shown + "» без скобок только называет действие и не выполняет его; чтобы выполнить, пишите «" +
                                    shown + "()»",
                                c, ts.back().to, ts.back().to, &brackets),
                             {shown}));
        return;
    }
    if (ts.size() >= 5 && ts[1].mark == '.' && ts.back().mark == ')') {
        const rules::RuleWords* method = ruleAt(c, ts, 2, v);
        if (!method || !givesNewValue(*method)) return;
        // The call's brackets close at the line's end and nowhere before it.
        int depth = 0;
        for (std::size_t k = 2; k < ts.size(); ++k) {
            if (ts[k].mark == '(') ++depth;
            if (ts[k].mark == ')' && --depth == 0 && k + 1 != ts.size()) return;
        }
        const std::string shown = textOf(c, ts[0].from, ts.back().to);
        out.push_back(naming(at(line, HintKind::DroppedValue,
                                "«" + shown + "» даёт новое значение, а «" + name + "» оставляет как было; чтобы сохранить его, пишите «" +
                                    set + shown + "»",
                                c, ts[0].from, ts[0].from, &set),
                             {shown}));
    }
}

bool closesBlock(const std::uint32_t* c, const std::vector<Token>& ts, const Table& table) {
    const rules::Vocabulary& v = table.v;
    if (ts.front().mark == '}') return true;
    // Any rule of the words there: «иначе» has one rule before a "{" and one that closes a block.
    for (std::size_t r = 0; r < v.rules.size(); ++r) {
        const std::vector<base::CodePoints>& words = table.words[r];
        if (words.empty() || words.size() > ts.size()) continue;
        bool all = true;
        for (std::size_t k = 0; k < words.size() && all; ++k) all = sameWord(c, ts[k], words[k], v.rules[r].ignoreCase);
        if (!all) continue;
        if (v.rules[r].role == rules::WordRole::BlockClose || v.rules[r].role == rules::WordRole::BlockMiddle) return true;
        for (const auto& [js, word] : v.keywords)
            if ((js == "case" || js == "default" || js == "else") && word == v.rules[r].phrase) return true;
    }
    return false;
}

// A line that starts with the word of a condition or a loop («если», «пока», «для»).
bool opensHeader(const std::uint32_t* c, const std::vector<Token>& ts, const Table& table) {
    const rules::Vocabulary& v = table.v;
    if (ts.front().mark != 0) return false;
    const std::string word = textOf(c, ts.front().from, ts.front().to);
    for (const auto& [js, learner] : v.keywords)
        if ((js == "if" || js == "while" || js == "for") && learner.substr(0, learner.find(' ')) == word) return true;
    return false;
}

}  // namespace

void programChecks(const DetectorInput& input, std::vector<Hint>& out) {
    const base::CodeText& text = input.source;
    const std::uint32_t* c = text.chars.data();
    const Table v = tableOf(input.language.vocabulary);
    const translator::SourceRegions regions = translator::scanRegions(c, text.chars.size());

    // "${…}" in ordinary quotes stays letters.
    for (const translator::Stretch& st : regions.stretches) {
        if (st.region != translator::Region::Literal || (c[st.from] != '"' && c[st.from] != '\'')) continue;
        for (std::size_t p = st.from + 1; p + 2 < st.to; ++p) {
            if (c[p] != '$' || c[p + 1] != '{') continue;
            std::size_t close = p + 2;
            while (close < st.to && c[close] != '}') ++close;
            if (close >= st.to || close == p + 2) break;
            const std::string inner = textOf(c, p + 2, close);
            const std::uint32_t line = text.lines[p];
            out.push_back(naming(at(line, HintKind::PlainQuotesTemplate,
                                    "«${" + inner + "}» в кавычках не подставляет значение: выведутся сами эти буквы; чтобы вставить «" +
                                        inner + "», соедините текст и значение знаком «+»",
                                    c, p, close + 1),
                                 {"${" + inner + "}"}));
            break;
        }
    }

    const std::vector<Line> lines = codeLines(text, regions);
    std::uint32_t returnLine = 0;  // the line of a «вернуть» whose block has not closed yet
    std::string returnWord;
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const std::vector<Token>& ts = lines[li].tokens;
        const std::uint32_t line = lines[li].number;
        const rules::RuleWords* first = ruleAt(c, ts, 0, v);

        if (returnLine != 0 && !closesBlock(c, ts, v))
            out.push_back(naming(at(line, HintKind::NeverRuns,
                                    "эта строка никогда не выполнится: «" + returnWord + "» на строке " + std::to_string(returnLine) +
                                        " уже вышел из функции",
                                    c, ts.front().from, ts.back().to),
                                 {returnWord}));
        returnLine = 0;
        if (first && !v.returnWord.empty() && first->phrase == v.returnWord) {
            int depth = 0;
            for (const Token& t : ts) {
                if (t.mark == '(' || t.mark == '[' || t.mark == '{') ++depth;
                if (t.mark == ')' || t.mark == ']' || t.mark == '}') --depth;
            }
            const std::uint32_t last = ts.back().mark;
            if (depth == 0 && !isOperator(last)) {
                returnLine = line;
                returnWord = first->phrase;
            }
        }
        // A line that starts with a keyword of the table is a command; a value alone is checked.
        if (!first) droppedValue(c, lines, li, v, out);

        for (std::size_t i = 0; i < ts.size(); ++i) {
            const Token& t = ts[i];
            if (t.mark == '^' && !(i > 0 && ts[i - 1].mark == '[' && ts[i - 1].to == t.from)) {  // not "[^…]" of a pattern
                static const std::string power = "**";
                out.push_back(naming(at(line, HintKind::CaretPower,
                                        "«^» здесь не степень, а действие над битами числа; степень пишется «**»", c, t.from,
                                        t.to, &power),
                                     {"^"}));
            }
            // "=>" or "=<", the "=" first: the learner's order of "больше или равно" in signs.
            if (t.mark == '=' && i + 1 < ts.size() && ts[i + 1].from == t.to &&
                (ts[i + 1].mark == '>' || ts[i + 1].mark == '<') &&
                !(i > 0 && ts[i - 1].to == t.from &&
                  (ts[i - 1].mark == '=' || ts[i - 1].mark == '!' || ts[i - 1].mark == '<' || ts[i - 1].mark == '>')) &&
                !(i + 2 < ts.size() && ts[i + 2].from == ts[i + 1].to && ts[i + 2].mark == '=')) {
                const bool greater = ts[i + 1].mark == '>';
                // An arrow "x => …" is a function; a number or text after it is a comparison.
                const bool compared = i + 2 < ts.size() && (isDigits(c, ts[i + 2]) || ts[i + 2].mark == literal ||
                                                            ts[i + 2].mark == '-');
                if (greater && !compared) continue;
                const std::string sign = greater ? ">=" : "<=";
                const std::string written = greater ? "=>" : "=<";
                out.push_back(naming(at(line, HintKind::SwappedComparison,
                                        "«" + written + "» не сравнивает; «" + (greater ? "больше или равно" : "меньше или равно") +
                                            "» пишется «" + sign + "»",
                                        c, t.from, ts[i + 1].to, &sign),
                                     {written}));
            }
        }

        // «если день равно 6 или 7 то»: the number after «или» is compared with nothing and is true.
        if (opensHeader(c, ts, v)) {
            for (std::size_t i = 2; i + 1 < ts.size(); ++i) {
                const rules::RuleWords* either = ruleAt(c, ts, i, v);
                if (!either || either->role != rules::WordRole::Logic ||
                    input.language.table[either->rule].replacement != base::decodeBytes("||"))
                    continue;
                const Token& value = ts[i + either->words.size() < ts.size() ? i + either->words.size() : i];
                const bool truthy = (isDigits(c, value) && c[value.from] != '0') || (value.mark == literal && value.to - value.from > 2);
                const std::size_t after = i + either->words.size() + 1;
                const rules::RuleWords* next = after < ts.size() ? ruleAt(c, ts, after, v) : nullptr;
                const bool ends = after == ts.size() || ts[after].mark == ')' ||
                                  (next && (next->role == rules::WordRole::HeaderClose || next->role == rules::WordRole::Logic));
                // What stands before «или» must be a comparison: a comparison word two tokens back.
                const rules::RuleWords* compared = i >= 2 ? ruleAt(c, ts, i - 2, v) : nullptr;
                if (!truthy || !ends || !compared || compared->role != rules::WordRole::Comparison || i < 3 ||
                    ts[i - 3].mark != 0)
                    continue;
                const std::string word = textOf(c, ts[i].from, ts[i].to);
                const std::string shown = textOf(c, value.from, value.to);
                out.push_back(naming(at(line, HintKind::DroppedValue,
                                        "«" + word + " " + shown + "» ни с чем не сравнивает «" + shown + "»: оно само считается истиной, и условие верно всегда; повторите сравнение: «" +
                                            word + " " + textOf(c, ts[i - 3].from, ts[i - 3].to) + " " + compared->phrase + " " + shown + "»",
                                        c, ts[i].from, value.to),
                                     {word}));
                break;
            }
        }

        // «если(x > 0); {»: the ";" ends the condition, and the block after it runs every time.
        if (opensHeader(c, ts, v)) {
            for (std::size_t i = 1; i < ts.size(); ++i) {
                if (ts[i].mark != ';' || ts[i - 1].mark != ')') continue;
                if (!(i + 1 == ts.size() || ts[i + 1].mark == '{')) continue;
                static const std::string none;
                out.push_back(naming(at(line, HintKind::EmptyCondition,
                                        "«;» сразу после условия заканчивает «" + textOf(c, ts[0].from, ts[0].to) +
                                            "»: блок после него выполнится в любом случае; уберите «;»",
                                        c, ts[i].from, ts[i].to, &none),
                                     {";"}));
                break;
            }
        }
    }
}

}  // namespace diagnostics
