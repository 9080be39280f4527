// Checks of bounds one off, told only where the program's own numbers make it certain: an element
// number equal to the length (one past the last), a digit loop that stops at 10 and leaves a digit
// out, a product multiplied by a counter that is 0 on the first round.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <string>

namespace diagnostics::programs {

namespace {

// The counter of «повторить … раз» (translator/counted_loops.cpp): 0 on the first round.
const std::string countName = "счетчик";

// Whether the name is 0 when the loop `loop` starts and the body changes it only after statement
// `at` (so at `at` on the first round it is still 0).
bool zeroOnFirstRound(const Program& p, const Facts& facts, const std::string& name, int loop, int at) {
    if (name == countName || name == reverseOf(p.v, countName.c_str()))
        return ruleAt(p.c, tokensOf(p, p.stmts[loop]), 0, p.v,
                      [](const rules::RuleWords& r) { return produces(r, "__LUM__.countLoop"); }) != nullptr;
    const int start = lastSetBefore(facts, name, loop);
    if (start < 0 || !valueIs(p, p.stmts[start], "0")) return false;
    for (const int k : settersOf(facts, name))
        if (k > loop && k < at) return false;
    return true;
}

}  // namespace

// «слово[слово.длина]», or «слово[слово.длина - i]» where «i» is 0 on the loop's first round: the
// number one past the last element, so the page reads «неопределено».
void elementPastEnd(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::string length = reverseOf(p.v, "length");
    if (length.empty()) return;
    for (std::size_t k = 0; k + 5 < ts.size(); ++k) {
        if (ts[k + 1].mark != '[' || !isPlainName(p.c, ts[k], p.v, ts, k) || !isWord(p, ts[k + 2], word(p, ts[k])) ||
            ts[k + 3].mark != '.' || !isWord(p, ts[k + 4], length))
            continue;
        const std::string list = word(p, ts[k]);
        const std::string end = list + "." + length;
        std::string when;
        if (ts[k + 5].mark == ']') {
            when = "«" + shown(p, ts, k, k + 6) + "»";
        } else if (k + 7 < ts.size() && ts[k + 5].mark == '-' && ts[k + 7].mark == ']' &&
                   isPlainName(p.c, ts[k + 6], p.v, ts, k + 6)) {
            const int loop = nearestAround(p, facts, i, StmtKind::Loop);
            const std::string counter = word(p, ts[k + 6]);
            if (loop < 0 || !zeroOnFirstRound(p, facts, counter, loop, i)) continue;
            when = "«" + shown(p, ts, k, k + 8) + "» на первом круге, когда «" + counter + "» ещё 0,";
        } else {
            continue;
        }
        add(p, s, HintKind::Computation,
            when + " читает элемент с номером «" + end + "»: номера идут от 0, последний — «" + end +
                " - 1», а за концом — «неопределено». Вычтите ещё 1: «" + list + "[" + end + " - 1" +
                (ts[k + 5].mark == ']' ? "" : " - " + word(p, ts[k + 6])) + "]»",
            {list}, out);
        return;
    }
}

// «пока n > 10» around «n = округлить_вниз(n / 10)»: the loop stops at a number of one digit or at
// 10 itself, and that first digit (both digits of 10) is never taken. «n >= 10» is left alone: it
// stops on the first digit on purpose.
void digitLoopStopsAtTen(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop || s.closed) return;
    const Compared k = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    if (!k.valid || k.sign != ">" || k.value != 10) return;
    bool divides = false;
    for (int t = i + 1; t < facts.n && within(p, facts, t, i); ++t) {
        const Stmt& d = p.stmts[t];
        if (d.target != k.name) continue;
        const std::vector<Token>& dt = tokensOf(p, d);
        for (std::size_t m = d.valueFrom; m + 1 < dt.size(); ++m)
            divides = divides || (dt[m].mark == '/' && word(p, dt[m + 1]) == "10");
    }
    if (!divides) return;
    add(p, s, HintKind::LoopFlow,
        "цикл делит «" + k.name + "» на 10 и остановится, как только «" + k.name +
            "» станет 10 или меньше: эта старшая (первая) цифра — а у 10 обе цифры — в цикле не обработается. Чтобы пройти все цифры, пишите «" +
            k.name + " > 0»",
        {k.name}, out);
}

// «факториал = факториал * счётчик» in «повторить»: the counter is 0 on the first round, so the
// product becomes 0 there and stays 0. The same for a name set to 0 before the loop and grown
// after the product in the body.
void productTimesZeroCounter(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    std::string a, b;
    if (!binaryValue(p, s, '*', a, b) || a != s.target) return;
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    if (loop < 0 || !setBefore(facts, s.target, loop) || !zeroOnFirstRound(p, facts, b, loop, i)) return;
    add(p, s, HintKind::Computation,
        "«" + b + "» на первом круге цикла (строка " + num(lineOf(p, p.stmts[loop])) + ") равен 0, и «" + lineText(p, s) +
            "» умножает на 0: «" + s.target + "» станет 0 и таким останется. Чтобы умножать на 1, 2, 3, …, пишите «" +
            s.target + " * (" + b + " + 1)»",
        {b, s.target}, out);
}

}  // namespace diagnostics::programs
