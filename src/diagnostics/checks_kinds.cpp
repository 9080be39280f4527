// Checks of a value treated as another kind than it is: the text «до_знаков» gives added to a
// number (glued), two lists compared with «равно» (the same list or not, never the elements), «% 2
// равно 1» for a list that holds a negative odd number (its remainder is -1).
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <cmath>
#include <string>

namespace diagnostics::programs {

namespace {

// The value a name is first set to starts with "[": a list.
bool listName(const Program& p, const Facts& facts, const std::string& name) {
    const std::vector<int>& setters = settersOf(facts, name);
    if (setters.empty()) return false;
    const Stmt& s = p.stmts[setters[0]];
    const std::vector<Token>& ts = tokensOf(p, s);
    return s.valueFrom < ts.size() && ts[s.valueFrom].mark == '[';
}

}  // namespace

// «итог = итог + цена.до_знаков(2)» where «итог» holds a number: «до_знаков» gives text, and «+»
// glues it. Silent after a text («"Итого: " + x.до_знаков(2)»), where text is meant.
void fixedTextAdded(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t k = 3; k + 1 < ts.size(); ++k) {
        const rules::RuleWords* r = ts[k - 1].mark == '.' ? ruleAt(p.c, ts, k, p.v) : nullptr;
        if (!r || !produces(*r, "toFixed") || k + r->words.size() >= ts.size() || ts[k + r->words.size()].mark != '(') continue;
        const std::size_t receiver = k - 2;
        if (receiver < 2 || ts[receiver - 1].mark != '+' || !isPlainName(p.c, ts[receiver - 2], p.v, ts, receiver - 2)) continue;
        const std::string total = word(p, ts[receiver - 2]);
        const std::vector<int>& setters = settersOf(facts, total);
        double start = 0;
        if (setters.empty()) continue;
        const Stmt& first = p.stmts[setters[0]];
        const std::vector<Token>& ft = tokensOf(p, first);
        if (!number(p, ft, first.valueFrom, ft.size(), start)) continue;
        const std::size_t close = closingOf(ts, k + r->words.size());
        const std::string called = shown(p, ts, receiver, close + 1);
        add(p, s, HintKind::Computation,
            "«" + called + "» даёт текст, а не число, и «+» склеит его с «" + total + "» как текст: «" + total +
                "» станет строкой цифр подряд. Складывайте числа, а «" + word(p, ts[k]) + "» пишите при выводе: «" +
                shown(p, ts, receiver, k - 1) + "» здесь и «" + total + "." + word(p, ts[k]) + "(…)» в «вывести»",
            {total}, out);
        return;
    }
}

// «если ответы равно верные» of two lists: «равно» asks whether both names are one list, not
// whether their elements are the same, so two lists made apart are never equal.
void listsCompared(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const WordPair pair = wordPairOf(p, s);
    if (!pair.valid || (pair.sign != "==" && pair.sign != "===" && !isNotEqual(pair.sign))) return;
    const std::string a = pair.left, b = pair.right;
    if (a == b || !listName(p, facts, a) || !listName(p, facts, b)) return;
    const std::string join = reverseOf(p.v, "join");
    add(p, s, HintKind::Computation,
        "«" + shown(p, s, s.condFrom, s.condTo) + "» сравнивает не элементы, а сами списки: это верно, только когда «" + a + "» и «" + b +
            "» — один и тот же список, а списки со строк " + num(lineOf(p, p.stmts[settersOf(facts, a)[0]])) + " и " +
            num(lineOf(p, p.stmts[settersOf(facts, b)[0]])) + " — разные, даже с одинаковыми элементами. Сравнивайте элементы по одному" +
            (join.empty() ? "" : " или тексты «" + a + "." + join + "(\",\")» и «" + b + "." + join + "(\",\")»"),
        {a, b}, out);
}

// «если ч % 2 равно 1» for «ч» of a written list that holds a negative odd number: its remainder
// is -1, so it is not counted as odd.
void negativeRemainder(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If && s.kind != StmtKind::ElseIf) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::size_t c = s.condFrom;
    std::size_t taken = 0;
    double one = 0;
    if (s.condTo < c + 5 || !isPlainName(p.c, ts[c], p.v, ts, c) || ts[c + 1].mark != '%' || word(p, ts[c + 2]) != "2") return;
    const std::string sign = signAt(p, ts, c + 3, taken);
    if ((sign != "==" && sign != "===") || !number(p, ts, c + 3 + taken, s.condTo, one) || one != 1) return;
    const std::string x = word(p, ts[c]);
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    const EachLoop each = loop < 0 ? EachLoop{} : eachLoopOf(p, p.stmts[loop]);
    std::vector<double> numbers;
    if (each.element != x || each.list.empty() || !writtenNumbers(p, facts, each.list, numbers)) return;
    for (const double n : numbers) {
        if (n >= 0 || n != std::floor(n) || std::fmod(n, 2) == 0) continue;
        const std::string shownNumber = std::to_string(static_cast<long long>(n));
        add(p, s, HintKind::Computation,
            "для отрицательных нечётных «" + x + " % 2» равно -1, а не 1: " + shownNumber + " % 2 = -1, и " + shownNumber +
                " не пройдёт это условие. Нечётность проверяйте так: «" + x + " % 2 не " + equalityWord(p.v) + " 0»",
            {x}, out);
        return;
    }
}

}  // namespace diagnostics::programs
