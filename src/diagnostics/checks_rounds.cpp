// Checks of what a loop's rounds do to the names around them: a new name made every round from a
// counter that itself never moves, a «прервать» that leaves only the inner of two loops while the
// outer one overwrites what was found, a count of the greatest that goes on when a greater one
// appears.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace diagnostics::programs {

// «пусть следующая = страница + 1» in a loop, «следующая» never read and «страница» never changed:
// the loop shows the same «страница» every round.
void nextNeverUsed(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    std::string a, b;
    const int loop = facts.holders[i];
    if (loop < 0 || p.stmts[loop].kind != StmtKind::Loop || !declares(p, s) || !readersOf(facts, s.target).empty() ||
        (!binaryValue(p, s, '+', a, b) && !binaryValue(p, s, '-', a, b)) || !isDigits(p.c, tokensOf(p, s).back()))
        return;
    for (const int k : settersOf(facts, a))
        if (k > loop && k <= lastInBlock(p, facts, loop)) return;  // the counter moves after all
    if (!setBefore(facts, a, loop)) return;
    bool readInLoop = false;
    for (const int r : readersOf(facts, a)) readInLoop = readInLoop || (r != i && within(p, facts, r, loop));
    if (!readInLoop) return;
    const std::string sign = shown(p, tokensOf(p, s), s.valueFrom + 1, s.valueFrom + 2);
    add(p, s, HintKind::LostValue,
        "«" + s.target + "» нигде не читается, а «" + a + "» в цикле (строка " + num(lineOf(p, p.stmts[loop])) +
            ") не меняется: на каждом круге «" + a + "» то же самое. Чтобы перейти дальше, меняйте само «" + a + "»: «" + a + " = " + a +
            " " + sign + " " + b + "»",
        {s.target, a}, out);
}

// «x = 30 + 45» in a loop where «x» starts at 30 and nothing else in the loop changes it: every
// round gives «x» the same number, so after the first round it stands still. Silent when the loop
// also changes «x» elsewhere (a reset at the start of each row is meant).
void numbersOnlyStep(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = facts.holders[i];
    std::string a, b;
    if (loop < 0 || p.stmts[loop].kind != StmtKind::Loop || declares(p, s) || s.target.empty()) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    std::uint32_t sign = 0;
    for (const std::uint32_t mark : {std::uint32_t('+'), std::uint32_t('-'), std::uint32_t('*')})
        if (binaryValue(p, s, mark, a, b)) sign = mark;
    double x = 0, y = 0;
    if (sign == 0 || !number(p, ts, s.valueFrom, s.valueFrom + 1, x) || !number(p, ts, s.valueFrom + 2, s.valueFrom + 3, y) ||
        std::abs(x) > 1e9 || std::abs(y) > 1e9)
        return;
    const int start = lastSetBefore(facts, s.target, loop);
    if (start < 0 || !valueIs(p, p.stmts[start], a)) return;
    for (const int k : settersOf(facts, s.target))
        if (k != i && within(p, facts, k, loop)) return;
    bool readInLoop = false;
    for (const int r : readersOf(facts, s.target)) readInLoop = readInLoop || within(p, facts, r, loop);
    if (!readInLoop) return;
    const double result = sign == '+' ? x + y : sign == '-' ? x - y : x * y;
    const std::string op = shown(p, ts, s.valueFrom + 1, s.valueFrom + 2);
    add(p, s, HintKind::LostValue,
        "«" + lineText(p, s) + "» даёт «" + s.target + "» одно и то же число " + numberText(result) + " на каждом круге цикла (строка " +
            num(lineOf(p, p.stmts[loop])) + "): «" + s.target + "» начинается с " + a + ", а после первого круга больше не меняется. Чтобы «" +
            s.target + "» " + (sign == '*' ? "умножался" : "менялся") + " на " + b + " каждый круг, пишите «" + s.target + " = " + s.target + " " + op + " " + b + "»",
        {s.target}, out);
}

// «прервать» under an «если» that sets «найдено», inside a loop inside another: it leaves only the
// inner loop, the outer one goes on, and a later match overwrites «найдено». Silent when the outer
// loop checks «найдено» or leaves too.
void breakLeavesInnerOnly(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    if (ts.size() != 1 || !isWord(p, ts[0], p.breakWord)) return;
    const int h = facts.holders[i];
    if (h < 0 || p.stmts[h].kind != StmtKind::If) return;
    const int inner = facts.holders[h];
    if (inner < 0 || p.stmts[inner].kind != StmtKind::Loop) return;
    const int outer = nearestAround(p, facts, inner, StmtKind::Loop);
    if (outer < 0) return;
    std::string found;
    for (const int k : body(p, facts, h))
        if (k < i && !p.stmts[k].target.empty()) found = p.stmts[k].target;
    if (found.empty()) return;
    for (int k = outer; k <= lastInBlock(p, facts, outer); ++k) {
        if (within(p, facts, k, inner) || k == inner) continue;
        const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
        if (reads(p, p.stmts[k], found) || (!kt.empty() && (isWord(p, kt[0], p.breakWord) || isWord(p, kt[0], p.returnWord)))) return;
    }
    bool readAfter = false;
    for (const int r : readersOf(facts, found)) readAfter = readAfter || r > lastInBlock(p, facts, outer);
    if (!readAfter) return;
    add(p, s, HintKind::LoopFlow,
        "«" + p.breakWord + "» выходит только из внутреннего цикла (строка " + num(lineOf(p, p.stmts[inner])) +
            "): внешний (строка " + num(lineOf(p, p.stmts[outer])) + ") идёт дальше, и следующее совпадение перезапишет «" + found +
            "». Чтобы остановить и внешний, проверьте «" + found + "» после внутреннего цикла и выйдите из внешнего тоже",
        {p.breakWord}, out);
}

// «если о больше лучшая то лучшая = о» and then «если о равно лучшая то сколько = сколько + 1»: when a
// greater value comes, «сколько» goes on with the count of the smaller one.
void countOfBestNotRestarted(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If || !facts.branches[i].empty()) return;
    const WordPair kept = wordPairOf(p, s);
    if (!kept.valid || (kept.sign != ">" && kept.sign != "<")) return;
    const std::string value = kept.left, best = kept.right;
    const std::vector<int> yes = body(p, facts, i);
    if (yes.size() != 1 || p.stmts[yes[0]].target != best || !valueIs(p, p.stmts[yes[0]], value)) return;
    const int loop = facts.holders[i];
    if (loop < 0 || p.stmts[loop].kind != StmtKind::Loop) return;
    // The count: under «если value равно best» in the same loop, grown by 1, never set in the «если» above.
    for (const int k : body(p, facts, loop)) {
        const WordPair same = wordPairOf(p, p.stmts[k]);
        if (p.stmts[k].kind != StmtKind::If || k == i || !same.valid || (same.sign != "==" && same.sign != "===")) continue;
        if (!((same.left == value && same.right == best) || (same.left == best && same.right == value))) continue;
        for (const int c : body(p, facts, k)) {
            const std::string count = p.stmts[c].target;
            if (count.empty() || !valueIs(p, p.stmts[c], count, '+', "1")) continue;
            for (const int y : yes)
                if (p.stmts[y].target == count) return;
            add(p, p.stmts[yes[0]], HintKind::LoopFlow,
                "когда находится новое «" + best + "» (строка " + num(lineOf(p, s)) + "), «" + count +
                    "» продолжает считать прежнее: в нём окажутся и те, что равнялись старому «" + best +
                    "». Начинайте счёт заново здесь же: «" + count + " = 0» рядом с «" + lineText(p, p.stmts[yes[0]]) + "»",
                {count}, out);
            return;
        }
    }
}

// «делителей = 0» before a loop whose inner loop counts «делителей = делителей + 1» and whose own
// rounds then test «делителей» against a number: the count is set to 0 once, for all rounds, so
// every round after the first tests the count of all rounds so far. Silent when the test leaves
// the loop (stopping at the first round that counts is meant) or the outer loop sets it again.
void countStartedOnceForAll(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& start = p.stmts[i];
    if (start.target.empty() || !valueIs(p, start, "0")) return;
    const std::string& count = start.target;
    int outer = -1, grow = -1;
    for (const int k : settersOf(facts, count)) {
        if (k <= i) continue;
        const int inner = nearestAround(p, facts, k, StmtKind::Loop);
        const int around = inner >= 0 ? nearestAround(p, facts, inner, StmtKind::Loop) : -1;
        if (grow >= 0 || around < 0 || !valueIs(p, p.stmts[k], count, '+', "1") || within(p, facts, i, around)) return;
        grow = k;
        outer = around;
    }
    if (grow < 0 || lastSetBefore(facts, count, outer) != i) return;
    const int inner = nearestAround(p, facts, grow, StmtKind::Loop);
    for (const int r : readersOf(facts, count)) {
        const Stmt& use = p.stmts[r];
        if (r <= lastInBlock(p, facts, inner) || !within(p, facts, r, outer) || use.kind != StmtKind::If) continue;
        const Compared test = comparedIn(p, tokensOf(p, use), use.condFrom, use.condTo);
        if (!test.valid || test.name != count) continue;
        for (int b = r + 1; b <= lastInBlock(p, facts, r); ++b) {
            const std::vector<Token>& bt = tokensOf(p, p.stmts[b]);
            if (isWord(p, bt[0], p.breakWord) || isWord(p, bt[0], p.returnWord)) return;
        }
        add(p, start, HintKind::LostValue,
            "«" + count + "» обнуляется только здесь, до цикла (строка " + num(lineOf(p, p.stmts[outer])) + "), а растёт во внутреннем цикле (строка " +
                num(lineOf(p, p.stmts[inner])) + "): на каждом новом круге внешнего цикла счёт идёт дальше от прошлого, и «" +
                shown(p, use, use.condFrom, use.condTo) + "» (строка " + num(lineOf(p, use)) + ") видит счёт за все круги сразу. Обнуляйте его в начале каждого круга: «" +
                count + " = 0» перед строкой " + num(lineOf(p, p.stmts[inner])),
            {count}, out);
        return;
    }
}

}  // namespace diagnostics::programs
