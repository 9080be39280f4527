// Checks of a condition against the program's own printed words: a text saying «оканчиваются на 4»
// over a test «x % 4 равно 0» (divisible, not ending in 4), a text saying «не кратных 3» over
// «x % 3 равно 0» (the multiples themselves), a text «от 1 до » + n over a loop «i < n» that
// stops before n. Told only when the printed text names the same number or name as the test.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <string>

namespace diagnostics::programs {

namespace {

// The text in capitals, so that stems are found in either case.
std::string capitals(const std::string& text) {
    base::CodePoints points;
    if (!base::decodeUtf8(text, points)) return "";
    for (std::uint32_t& ch : points) ch = base::toUpper(ch);
    return base::encodeUtf8(points);
}

// Whether `number` stands in the text as a number of its own, no digit next to it.
bool namesNumber(const std::string& text, const std::string& number) {
    const auto digit = [](char ch) { return ch >= '0' && ch <= '9'; };
    for (std::size_t at = text.find(number); at != std::string::npos; at = text.find(number, at + 1))
        if ((at == 0 || !digit(text[at - 1])) && (at + number.size() >= text.size() || !digit(text[at + number.size()])))
            return true;
    return false;
}

struct Printed {
    std::string text;  // as written, quotes kept
    std::string upper;
    std::uint32_t line = 0;
};

}  // namespace

// «если x % 4 равно 0» and a printed «Оканчиваются на 4», or a printed «не кратных 3» over
// «если x % 3 равно 0».
void remainderAgainstText(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    std::vector<Printed> texts;
    std::vector<int> tests;
    bool byTen = false;
    for (int i = 0; i < facts.n; ++i) {
        const Stmt& s = p.stmts[i];
        const std::vector<Token>& ts = tokensOf(p, s);
        for (std::size_t t = 0; t + 1 < ts.size(); ++t) byTen = byTen || (ts[t].mark == '%' && word(p, ts[t + 1]) == "10");
        if (s.kind == StmtKind::If || s.kind == StmtKind::ElseIf) tests.push_back(i);
        const rules::RuleWords* r = s.kind == StmtKind::Other && !ts.empty() ? ruleAt(p.c, ts, 0, p.v) : nullptr;
        if (!r || !produces(*r, "console.log")) continue;
        for (const Token& t : ts)
            if (t.mark == literal) texts.push_back({word(p, t), capitals(word(p, t)), lineOf(p, s)});
    }
    for (const int i : tests) {
        const Stmt& s = p.stmts[i];
        const std::vector<Token>& ts = tokensOf(p, s);
        // «имя % K равно 0», nothing more.
        const std::size_t c = s.condFrom;
        std::size_t taken = 0;
        double zero = 1;
        if (s.condTo < c + 5 || !isPlainName(p.c, ts[c], p.v, ts, c) || ts[c + 1].mark != '%' || !isDigits(p.c, ts[c + 2]))
            continue;
        const std::string sign = signAt(p, ts, c + 3, taken);
        if ((sign != "==" && sign != "===") || !number(p, ts, c + 3 + taken, s.condTo, zero) || zero != 0) continue;
        const std::string k = word(p, ts[c + 2]), name = word(p, ts[c]), test = shown(p, s, s.condFrom, s.condTo);
        for (const Printed& text : texts) {
            if (!namesNumber(text.upper, k)) continue;
            const bool ends = text.upper.find("ОКАНЧИВА") != std::string::npos || text.upper.find("ЗАКАНЧИВА") != std::string::npos;
            const bool notMultiple = text.upper.find("НЕ КРАТН") != std::string::npos || text.upper.find("НЕКРАТН") != std::string::npos ||
                                     text.upper.find("НЕ ДЕЛЯТСЯ") != std::string::npos || text.upper.find("НЕ ДЕЛИТСЯ") != std::string::npos;
            if (ends && !byTen && k != "10") {
                add(p, s, HintKind::Computation,
                    "«" + test + "» верно, когда «" + name + "» делится на " + k + ", а текст на строке " + num(text.line) + " говорит " +
                        text.text + ": на что число оканчивается, показывает его последняя цифра «" + name +
                        " % 10», и это пишется «" + name + " % 10 равно " + k + "»",
                    {name}, out);
                break;
            }
            if (notMultiple) {
                add(p, s, HintKind::Computation,
                    "«" + test + "» выбирает числа, кратные " + k + ", а текст на строке " + num(text.line) + " говорит " + text.text +
                        ": чтобы выбрать некратные, пишите «" + shown(p, s, s.condFrom, c + 3) +
                        (isWord(p, ts[c + 3], equalityWord(p.v)) ? " не " + shown(p, s, c + 3, s.condTo)
                                                                 : " != " + shown(p, s, c + 3 + taken, s.condTo)) +
                        "»",
                    {name}, out);
                break;
            }
        }
    }
}

// «вывести("Сумма от 1 до " + n …)» over «пока i < n»: the words include n, the loop stops before it.
void boundInWords(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (int i = 0; i < facts.n; ++i) {
        const Stmt& s = p.stmts[i];
        const std::vector<Token>& ts = tokensOf(p, s);
        const rules::RuleWords* r = s.kind == StmtKind::Other && !ts.empty() ? ruleAt(p.c, ts, 0, p.v) : nullptr;
        if (!r || !produces(*r, "console.log")) continue;
        for (std::size_t t = 0; t + 2 < ts.size(); ++t) {
            if (ts[t].mark != literal || ts[t + 1].mark != '+' || !isPlainName(p.c, ts[t + 2], p.v, ts, t + 2)) continue;
            std::string upper = capitals(word(p, ts[t]));
            upper = upper.substr(0, upper.size() - 1);  // the closing quote
            while (!upper.empty() && upper.back() == ' ') upper.pop_back();
            static const std::string upTo = " ДО";
            if (upper.size() < upTo.size() || upper.compare(upper.size() - upTo.size(), upTo.size(), upTo) != 0 ||
                upper.find("ОТ ") == std::string::npos)
                continue;
            const std::string n = word(p, ts[t + 2]);
            for (int h = 0; h < facts.n; ++h) {
                const Stmt& loop = p.stmts[h];
                const std::vector<Token>& lt = tokensOf(p, loop);
                std::size_t taken = 0;
                if (loop.kind != StmtKind::Loop || loop.condTo < loop.condFrom + 3 || !isPlainName(p.c, lt[loop.condFrom], p.v, lt, loop.condFrom) ||
                    signAt(p, lt, loop.condFrom + 1, taken) != "<" || loop.condFrom + 1 + taken + 1 != loop.condTo ||
                    !isWord(p, lt[loop.condTo - 1], n))
                    continue;
                const std::string counter = word(p, lt[loop.condFrom]);
                add(p, loop, HintKind::LoopFlow,
                    "текст на строке " + num(lineOf(p, s)) + " говорит " + word(p, ts[t]) + " + " + n + ", а «" +
                        shown(p, loop, loop.condFrom, loop.condTo) + "» останавливает цикл раньше, чем «" + counter + "» станет «" + n +
                        "»: само «" + n + "» не войдёт. Чтобы включить его, пишите «" + counter + " <= " + n + "»",
                    {counter, n}, out);
                return;
            }
        }
    }
}

}  // namespace diagnostics::programs
