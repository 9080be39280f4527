// Checks of loops: a total or a flag reset every round, a loop left on its first round, the number
// that ends the input counted as data, a minimum or maximum from 0, a walk over a list from number
// 1, a nested loop counting with the outer one's name, an inner counter set once outside the outer
// loop, a removal while walking by number, a number tested for its element, a run never restarted,
// "not found" printed for each element.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace diagnostics::programs {

// «сумма = 0» then «сумма = сумма + …» in the same loop body: the total restarts every round.
void totalResetInLoop(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::uint32_t line = lineOf(p, s);
    if (s.kind != StmtKind::Loop) return;
    const std::vector<int> inner = body(p, facts, i);
    for (std::size_t a = 0; a < inner.size(); ++a) {
        const Stmt& reset = p.stmts[inner[a]];
        const std::vector<Token>& rt = tokensOf(p, reset);
        double value = 0;
        const bool constant = valueToken(p, reset) &&
                              (isDigits(p.c, rt[reset.valueFrom]) || rt[reset.valueFrom].mark == literal) &&
                              (number(p, rt, reset.valueFrom, rt.size(), value) || rt[reset.valueFrom].mark == literal);
        if (!constant || reset.valueFrom != 2) continue;
        // Set before the loop, or declared there without a value («пусть сумма») and read after the
        // loop: a total the loop builds, not one made anew and shown on each round.
        bool declaredBefore = setBefore(facts, reset.target, i);
        for (int k = 0; k < i && !declaredBefore; ++k) {
            const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
            if (kt.size() != 2 || !declares(p, p.stmts[k]) || !isWord(p, kt[1], reset.target)) continue;
            for (const int r : readersOf(facts, reset.target)) declaredBefore = declaredBefore || r > lastInBlock(p, facts, i);
        }
        auto grows = [&](const Stmt& grow) {
            const std::vector<Token>& gt = tokensOf(p, grow);
            return grow.target == reset.target && gt.size() > grow.valueFrom + 2 && isWord(p, gt[grow.valueFrom], grow.target) &&
                   (gt[grow.valueFrom + 1].mark == '+' || gt[grow.valueFrom + 1].mark == '*' || gt[grow.valueFrom + 1].mark == '-');
        };
        // Grown directly in the body; or under an «если» of the body, when nothing else in the loop
        // reads it and the lines after the loop do (a count per round shown in the loop is meant).
        bool told = false;
        for (int k = inner[a] + 1; k <= lastInBlock(p, facts, i) && declaredBefore && !told; ++k) {
            const Stmt& grow = p.stmts[k];
            // A loop inside that counts with the name: the number is that loop's start, not a total.
            if (grow.kind == StmtKind::Loop && reads(p, grow, reset.target)) break;
            if (!grows(grow)) continue;
            if (facts.holders[k] != i) {
                if (nearestAround(p, facts, k, StmtKind::Loop) != i) break;
                bool readInLoop = false, readAfter = false;
                for (const int r : readersOf(facts, reset.target)) {
                    readInLoop = readInLoop || (within(p, facts, r, i) && !grows(p.stmts[r]));
                    readAfter = readAfter || r > lastInBlock(p, facts, i);
                }
                if (readInLoop || !readAfter) break;
            }
            add(p, reset, HintKind::LoopFlow,
                "«" + lineText(p, reset) + "» стоит внутри цикла и обнуляет «" + reset.target +
                    "» на каждом круге, поэтому от прошлых кругов в ней ничего не остаётся. Поставьте эту строку перед циклом (строка " +
                    num(line) + ")",
                {reset.target}, out);
            told = true;
        }
    }
}

// In a loop, «если … то флаг = истина иначе флаг = ложь»: only the last element decides.
void flagSetInElse(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop) return;
    const std::vector<int> inner = body(p, facts, i);
    for (int h : inner) {
        const Stmt& branch = p.stmts[h];
        if (branch.kind != StmtKind::If) continue;
        int other = -1;
        for (const int k : facts.branches[h]) {
            if (other >= 0 || p.stmts[k].kind != StmtKind::Else) other = -2;
            else other = k;
        }
        if (other < 0) continue;
        const std::vector<int> yes = body(p, facts, h), no = body(p, facts, other);
        if (yes.size() != 1 || no.size() != 1) continue;
        const Stmt& y = p.stmts[yes[0]];
        const Stmt& x = p.stmts[no[0]];
        const std::vector<Token>& yt = tokensOf(p, y);
        const std::vector<Token>& xt = tokensOf(p, x);
        if (!valueToken(p, y) || !valueToken(p, x) || y.target != x.target) continue;
        const std::string yv = word(p, yt[y.valueFrom]), xv = word(p, xt[x.valueFrom]);
        const bool flags = (yv == p.trueWord && xv == p.falseWord) || (yv == p.falseWord && xv == p.trueWord);
        // A print that speaks of the last one («Последнее число делится на 3: ») means the «иначе».
        bool last = false;
        for (const int r : readersOf(facts, x.target))
            last = last || (r > lastInBlock(p, facts, i) && prints(p, p.stmts[r]) && capitals(lineText(p, p.stmts[r])).find("ПОСЛЕДН") != std::string::npos);
        if (flags && !last && setBefore(facts, x.target, i))
            add(p, x, HintKind::LoopFlow,
                "«" + lineText(p, x) + "» в «" + p.elseWord + "» выполняется для каждого неподходящего элемента, даже после того как нужный нашёлся: после цикла в «" +
                    x.target + "» ответ только про последний элемент. Уберите «" + p.elseWord +
                    "» с этой строкой: значение до цикла уже задано",
                {x.target, xv}, out);
    }
}

// Every path through the body leaves the function: the loop never reaches its second round.
void loopLeavesFirstRound(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::uint32_t line = lineOf(p, s);
    if (s.kind != StmtKind::Loop) return;
    const std::vector<int> inner = body(p, facts, i);
    if (!inner.empty()) {
        const Stmt& last = p.stmts[inner.back()];
        auto leaves = [&](const Stmt& t) {
            const std::vector<Token>& tt = tokensOf(p, t);
            return isWord(p, tt[0], p.returnWord) || isWord(p, tt[0], p.breakWord);
        };
        int told = -1;
        if (leaves(last) && inner.size() > 0 && enclosingFunction(p, facts, i)) told = inner.back();
        // An «если … иначе» whose every branch leaves: the body's last statement, or any before it
        // (then the lines after it never run either).
        for (std::size_t b = 0; b < inner.size() && told < 0; ++b) {
            if (p.stmts[inner[b]].kind != StmtKind::If) continue;
            const int h = inner[b];
            int other = -1;
            bool allLeave = true;
            std::vector<int> heads = {h};
            for (const int k : facts.branches[h]) heads.push_back(k), other = p.stmts[k].kind == StmtKind::Else ? k : other;
            for (const int head : heads) {
                const std::vector<int> bb = body(p, facts, head);
                allLeave = allLeave && !bb.empty() && leaves(p.stmts[bb.back()]);
            }
            if (other >= 0 && allLeave) told = body(p, facts, other).back();
        }
        if (told >= 0) {
            const std::string w = word(p, tokensOf(p, p.stmts[told])[0]);
            add(p, p.stmts[told], HintKind::LoopFlow,
                "с этим «" + w + "» цикл (строка " + num(line) +
                    ") выходит сразу, на первом же круге: до второго он не дойдёт. Если это ответ на случай «не нашли», перенесите его после цикла, за его «" + p.endWord + "»",
                {w}, out);
        }
    }
}

namespace {

// Whether the statement's value asks the user: «спросить(…)», «спросить_число(…)», «число(спросить(…))».
bool asksUser(const Program& p, const Facts& facts, const Stmt& s) {
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t k = s.target.empty() ? ts.size() : s.valueFrom; k + 1 < ts.size(); ++k)
        if ((isWord(p, ts[k], facts.askWord) || isWord(p, ts[k], facts.askNumber)) && ts[k + 1].mark == '(') return true;
    return false;
}

// «если x меньше мин то мин = x конец» (or «мин больше x», «x больше макс»…) with no other branch:
// the name kept as an extreme of `value` (tokens [from, to) of the «если»'s own line), or "".
// `smaller` tells whether it keeps the least value.
std::string keptExtreme(const Program& p, const Facts& facts, int h, const std::string& value, bool& smaller) {
    const Stmt& s = p.stmts[h];
    if (s.kind != StmtKind::If || s.closed || !facts.branches[h].empty()) return "";
    const std::vector<Token>& ts = tokensOf(p, s);
    // The condition: the value, a sign, a name; or a name, a sign, the value.
    std::size_t taken = 0;
    std::string kept, sign;
    for (std::size_t split = s.condFrom + 1; split + 1 < s.condTo && kept.empty(); ++split) {
        sign = signAt(p, ts, split, taken);
        if (!taken || split + taken >= s.condTo) continue;
        const std::string left = shown(p, s, s.condFrom, split), right = shown(p, s, split + taken, s.condTo);
        if (left == value && split + taken + 1 == s.condTo && isPlainName(p.c, ts[split + taken], p.v, ts, split + taken)) {
            kept = right;
            smaller = sign == "<" || sign == "<=";
        } else if (right == value && split == s.condFrom + 1 && isPlainName(p.c, ts[s.condFrom], p.v, ts, s.condFrom)) {
            kept = left;
            smaller = sign == ">" || sign == ">=";
        }
    }
    if (kept.empty() || (sign != "<" && sign != "<=" && sign != ">" && sign != ">=")) return "";
    const std::vector<int> inner = body(p, facts, h);
    if (inner.size() != 1) return "";
    const Stmt& set = p.stmts[inner[0]];
    const std::vector<Token>& st = tokensOf(p, set);
    if (set.target != kept || shown(p, set, set.valueFrom, st.size()) != value) return "";
    return kept;
}

// Whether «если» s, read with `x` at `value`, is certainly true: «x знак число» or «x % число знак
// число»; any other condition is not read, and counts as not true.
bool trueWith(const Program& p, const Stmt& s, const std::string& x, double value) {
    const std::vector<Token>& ts = tokensOf(p, s);
    std::size_t k = s.condFrom;
    if (k + 2 >= s.condTo || word(p, ts[k]) != x || !isPlainName(p.c, ts[k], p.v, ts, k)) return false;
    double left = value;
    ++k;
    if (ts[k].mark == '%' && k + 1 < s.condTo && isDigits(p.c, ts[k + 1])) {
        double by = 0;
        if (!number(p, ts, k + 1, k + 2, by) || by == 0) return false;
        left = std::fmod(value, by);
        k += 2;
    }
    std::size_t taken = 0;
    const std::string sign = signAt(p, ts, k, taken);
    double right = 0;
    bool read = false;
    return taken && number(p, ts, k + taken, s.condTo, right) && holds(sign, left, right, read);
}

}  // namespace

// «пока x не равно 0 делать», whose body reads x anew and then, in the same round and with no test
// of x between, adds x to a total, counts it or compares it for an extreme: the number that ends
// the input is taken as data too. Told only where that number changes the answer: adding 0 or
// multiplying by 1 changes nothing, a 0 that ends the input spoils a minimum and not a maximum of
// ordinary (positive) numbers, and a counter only with a total beside it (a count of tries in
// a guessing game includes the last try rightly). A fix after the loop («количество - 1») is left alone.
void endMarkerCounted(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop || s.closed) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const rules::RuleWords* head = ruleAt(p.c, ts, 0, p.v);
    if (!head || !produces(*head, "__LUM__.whileLoop")) return;
    const std::size_t k = s.condFrom;
    const Compared ended = comparedIn(p, ts, k, s.condTo);
    if (!ended.valid || !isNotEqual(ended.sign)) return;
    const double marker = ended.value;
    const std::string& x = ended.name;
    const std::string end = shown(p, s, ended.valueAt, s.condTo);
    const std::vector<int> inner = body(p, facts, i);
    // The read: a statement of the body itself, before any branch, that sets x from an answer.
    std::vector<std::string> answers;
    std::size_t r = 0;
    for (; r < inner.size(); ++r) {
        const Stmt& t = p.stmts[inner[r]];
        if (t.kind != StmtKind::Other || hasRole(p, t, rules::WordRole::Control)) return;
        if (t.target.empty()) continue;
        bool fresh = asksUser(p, facts, t);
        for (const std::string& a : answers) fresh = fresh || reads(p, t, a);
        if (t.target == x) {
            if (!fresh || ruleAt(p.c, tokensOf(p, t), 0, p.v)) return;  // «пусть x = …» here is another x
            break;
        }
        if (fresh) answers.push_back(t.target);
    }
    if (r + 1 >= inner.size()) return;  // no read, or the read ends the round: the right order
    const int last = lastInBlock(p, facts, i);
    // The name's value just before the loop is the number 0.
    auto startsAtZero = [&](const std::string& name) {
        const int d = lastSetBefore(facts, name, i);
        return d >= 0 && valueIs(p, p.stmts[d], "0");
    };
    // After the loop, «количество - 1» or a new value: the extra round may be taken back.
    auto mended = [&](const std::string& name) {
        for (int d = last + 1; d < facts.n; ++d) {
            const std::vector<Token>& dt = tokensOf(p, p.stmts[d]);
            if (p.stmts[d].target == name) return true;
            for (std::size_t j = 0; j + 2 < dt.size(); ++j)
                if (readsAt(p, dt, j, name) && (dt[j + 1].mark == '-' || dt[j + 1].mark == '+') && isDigits(p.c, dt[j + 2]))
                    return true;
        }
        return false;
    };
    const std::string move = " Прочитайте «" + x + "» перед циклом и ещё раз в конце оборота: перенесите строку " +
                             num(lineOf(p, p.stmts[inner[r]])) + " в конец цикла, перед «" + p.endWord + "»";
    const std::string why = " — число-признак, которым кончается ввод: «" + head->phrase + "» проверяет «" + shown(p, s, k, s.condTo) +
                            "» только в начале следующего оборота.";
    int counted = -1;
    bool totalled = false;
    for (std::size_t u = r + 1; u < inner.size(); ++u) {
        const Stmt& t = p.stmts[inner[u]];
        if (hasRole(p, t, rules::WordRole::Control) || t.target == x) return;
        if (t.kind == StmtKind::If) {
            bool smaller = false;
            const std::string kept = keptExtreme(p, facts, inner[u], x, smaller);
            if (kept.empty()) {
                // A test of x keeps the end out unless the end itself passes it (0 % 3 равно 0).
                if (!trueWith(p, t, x, marker)) return;
                for (const int b : body(p, facts, inner[u])) {
                    const Stmt& c = p.stmts[b];
                    if (c.kind != StmtKind::Other || c.target.empty()) continue;
                    if (!(valueIs(p, c, c.target, '+', "1") && startsAtZero(c.target)) || mended(c.target)) continue;
                    add(p, t, HintKind::LoopFlow,
                        "условие «" + shown(p, t, t.condFrom, t.condTo) + "» верно и при " + x + " = " + end + why +
                            " Так «" + c.target + "» на строке " + num(lineOf(p, c)) + " считает и " + end +
                            ". Добавьте к условию «" + roleWord(p.v, p.table, rules::WordRole::Logic, "&&") + " " + x + " " + shown(p, s, k + 1, s.condTo) + "»",
                        {c.target}, out);
                    return;
                }
                return;
            }
            if (smaller ? marker <= 0 : marker > 0) {
                add(p, t, HintKind::LoopFlow,
                    "с «" + kept + "» сравнивается и " + end + why + " Так " + end + " может стать " +
                        (smaller ? "минимумом" : "максимумом") + "." + move,
                    {kept}, out);
                return;
            }
            continue;
        }
        if (t.kind != StmtKind::Other) return;
        const std::string& total = t.target;
        if (total.empty()) continue;
        const bool adds = valueIs(p, t, total, '+', x) || valueIs(p, t, x, '+', total);
        const bool times = valueIs(p, t, total, '*', x) || valueIs(p, t, x, '*', total);
        if (adds || times) totalled = true;
        if (((adds && marker != 0) || (times && marker != 1)) && !mended(total)) {
            add(p, t, HintKind::LoopFlow,
                std::string(adds ? "к «" + total + "» прибавляется" : "«" + total + "» умножается") + " и " + (adds ? "" : "на ") +
                    end + why + move,
                {total}, out);
            return;
        }
        if (counted < 0 && valueIs(p, t, total, '+', "1") && startsAtZero(total) && !mended(total)) counted = inner[u];
    }
    if (counted >= 0 && totalled) {
        const Stmt& t = p.stmts[counted];
        add(p, t, HintKind::LoopFlow,
            "в «" + t.target + "» засчитывается и " + end + why + move, {t.target}, out);
    }
}

namespace {

// The numbers of a list written out, «[3, -5, 2.5]» from token `from` of `ts` on; false when an
// element is anything else or the list does not close on the line.
bool listedNumbers(const Program& p, const std::vector<Token>& ts, std::size_t from, std::vector<double>& values) {
    if (from >= ts.size() || ts[from].mark != '[') return false;
    std::size_t k = from + 1;
    while (k < ts.size() && ts[k].mark != ']') {
        std::size_t e = k;
        while (e < ts.size() && ts[e].mark != ',' && ts[e].mark != ']') ++e;
        double value = 0;
        if (!number(p, ts, k, e, value)) return false;
        values.push_back(value);
        k = e < ts.size() && ts[e].mark == ',' ? e + 1 : e;
    }
    return k < ts.size() && k + 1 == ts.size();
}

// The numbers a name of a list holds for the whole program: set once to a written-out list and
// never changed by a command or an element written to; false when unknown.
bool fixedList(const Program& p, const Facts& facts, const std::string& name, std::vector<double>& values) {
    int sets = 0;
    for (int d = 0; d < facts.n; ++d) {
        const Stmt& t = p.stmts[d];
        const std::vector<Token>& dt = tokensOf(p, t);
        if (t.target == name && (++sets > 1 || !listedNumbers(p, dt, t.valueFrom, values))) return false;
        for (std::size_t j = 0; j + 2 < dt.size(); ++j) {
            if (!readsAt(p, dt, j, name)) continue;
            const rules::RuleWords* m = dt[j + 1].mark == '.' ? ruleAt(p.c, dt, j + 2, p.v) : nullptr;
            if (m && changesValue(*m)) return false;
            if (dt[j + 1].mark == '[')
                for (std::size_t e = j + 2; e + 1 < dt.size(); ++e)
                    if (dt[e].mark == ']' && dt[e + 1].mark == '=' && !(e + 2 < dt.size() && dt[e + 2].mark == '=')) return false;
        }
    }
    return sets == 1;
}

}  // namespace

// «пусть мин = 0» before a loop that keeps the least element in «мин»: for positive numbers it
// stays 0. A maximum from 0 is told only when every number it meets is known to be negative: over
// input or other numbers it is a right program.
void extremeStartsAtZero(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop || s.closed) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const int last = lastInBlock(p, facts, i);
    // What the loop walks: «для каждого э из список» or «… из [числа]»; «список[i]» is read below.
    const rules::RuleWords* head = ruleAt(p.c, ts, 0, p.v);
    const std::string of = keywordOf(p.v, "of");
    std::string element, list;
    std::vector<double> values;
    bool known = false;
    if (head && !head->declares.empty() && head->words.size() + 2 < s.condTo && isWord(p, ts[head->words.size() + 1], of)) {
        const std::size_t from = head->words.size() + 2;
        element = word(p, ts[head->words.size()]);
        if (from + 1 == s.condTo && isPlainName(p.c, ts[from], p.v, ts, from)) list = word(p, ts[from]);
        else if (ts[from].mark == '[' && ts[s.condTo - 1].mark == ']') {
            std::vector<Token> written(ts.begin() + static_cast<std::ptrdiff_t>(from), ts.begin() + static_cast<std::ptrdiff_t>(s.condTo));
            known = listedNumbers(p, written, 0, values);
        }
    }
    // The values the loop meets: its element, and the names it sets from the user's answers.
    std::vector<std::string> met;
    if (!element.empty()) met.push_back(element);
    for (int h = i + 1; h <= last; ++h)
        if (asksUser(p, facts, p.stmts[h])) met.push_back(p.stmts[h].target);
    for (int h = i + 1; h <= last; ++h) {
        const Stmt& branch = p.stmts[h];
        if (branch.kind != StmtKind::If) continue;
        const std::vector<Token>& bt = tokensOf(p, branch);
        // The compared value: one the loop meets, or «список[номер]».
        std::string value, walked = list;
        for (std::size_t j = branch.condFrom; j < branch.condTo && value.empty(); ++j) {
            if (bt[j].mark == 0 && std::find(met.begin(), met.end(), word(p, bt[j])) != met.end()) value = word(p, bt[j]);
            else if (j + 3 < branch.condTo && bt[j].mark == 0 && bt[j + 1].mark == '[' && bt[j + 2].mark == 0 && bt[j + 3].mark == ']' &&
                     isPlainName(p.c, bt[j], p.v, bt, j))
                value = shown(p, branch, j, j + 4), walked = word(p, bt[j]);
        }
        bool smaller = false;
        const std::string kept = value.empty() ? "" : keptExtreme(p, facts, h, value, smaller);
        if (kept.empty()) continue;
        // Every value «мин» gets in the loop is the compared value under such a test.
        bool only = true;
        for (const int d : settersOf(facts, kept)) {
            if (d <= i || d > last || !only) continue;
            bool ignored = false;
            const std::string other = p.stmts[d].parent >= 0 ? keptExtreme(p, facts, p.stmts[d].parent, value, ignored) : "";
            only = other == kept && ignored == smaller;
        }
        const int start = lastSetBefore(facts, kept, i);
        if (!only || start < 0 || (facts.holders[start] >= 0 && !within(p, facts, i, facts.holders[start]))) continue;
        // The question that gives the compared value, in capitals («ТЕМПЕРАТУРА НОЧЬЮ:»), or "".
        std::string question;
        for (int h2 = i + 1; h2 <= last; ++h2)
            if (p.stmts[h2].target == value && asksUser(p, facts, p.stmts[h2])) question = capitals(lineText(p, p.stmts[h2]));
        if (!valueIs(p, p.stmts[start], "0")) {
            // A start at the bound the question itself gives («не больше 1000»): nothing passes.
            double begin = 0;
            const std::vector<Token>& st = tokensOf(p, p.stmts[start]);
            if (question.empty() || !number(p, st, p.stmts[start].valueFrom, st.size(), begin)) continue;
            const std::vector<TextWord> w = textWords(base::decodeBytes(question));
            for (std::size_t k = 1; k < w.size(); ++k) {
                if (!w[k].number) continue;
                const bool most = (k >= 2 && w[k - 2].upper == "НЕ" && (w[k - 1].upper == "БОЛЬШЕ" || w[k - 1].upper == "ВЫШЕ")) ||
                                  w[k - 1].upper == "ДО" || (k >= 1 && w[k - 1].upper.rfind("ПРЕВЫША", 0) == 0);
                const bool least = (k >= 2 && w[k - 2].upper == "НЕ" && (w[k - 1].upper == "МЕНЬШЕ" || w[k - 1].upper == "НИЖЕ")) ||
                                   w[k - 1].upper == "ОТ";
                if (!(smaller ? least && begin <= w[k].value : most && begin >= w[k].value)) continue;
                add(p, p.stmts[start], HintKind::LoopFlow,
                    "«" + kept + "» начинается с " + numberText(begin) + ", а по вопросу ответы " + (smaller ? "не меньше " : "не больше ") +
                        numberText(w[k].value) + ": «" + shown(p, branch, branch.condFrom, branch.condTo) + "» (строка " +
                        num(lineOf(p, branch)) + ") не выполнится ни разу, и останется " + numberText(begin) +
                        ". Начальное значение должно быть " + (smaller ? "больше" : "меньше") + " любого ответа, или начните с первого подходящего числа",
                    {kept}, out);
                return;
            }
            continue;
        }
        std::vector<double> listed = values;
        const bool fixed = known || (!walked.empty() && fixedList(p, facts, walked, listed));
        if (fixed && listed.empty()) return;  // a list with no numbers: the loop never runs
        const bool anyNotPositive = std::any_of(listed.begin(), listed.end(), [](double v) { return v <= 0; });
        const bool allNegative = !listed.empty() && std::all_of(listed.begin(), listed.end(), [](double v) { return v < 0; });
        const std::string first = walked.empty() ? "первого числа" : "первого элемента: «" + kept + " = " + walked + "[0]»";
        const std::string test = shown(p, branch, branch.condFrom, branch.condTo);
        // The name says the other extreme: the start is not the mistake to name, the sign may be.
        if (namedExtreme(kept) == (smaller ? 1 : -1)) {
            add(p, branch, HintKind::LoopFlow,
                "«" + kept + " = " + value + "» выполняется, когда «" + test + "»: так в «" + kept + "» остаётся " +
                    (smaller ? "наименьшее" : "наибольшее") + " число, а по имени нужно " + (smaller ? "наибольшее" : "наименьшее") +
                    ". Проверьте знак сравнения",
                {kept}, out);
            return;
        }
        if (smaller && !(fixed && anyNotPositive))
            add(p, p.stmts[start], HintKind::LoopFlow,
                "«" + kept + "» начинается с 0, а «" + test + "» (строка " + num(lineOf(p, branch)) +
                    ") верно только для чисел меньше 0: для положительных чисел минимум так и останется 0. Начните с " + first +
                    " или с очень большого числа",
                {kept}, out);
        else if (!smaller && fixed && allNegative)
            add(p, p.stmts[start], HintKind::LoopFlow,
                "«" + kept + "» начинается с 0, а все числа здесь отрицательные: «" + test + "» (строка " +
                    num(lineOf(p, branch)) + ") не будет верно ни разу, и максимум так и останется 0. Начните с " + first,
                {kept}, out);
        else if (!smaller && !fixed && nameHas(question, {"ТЕМПЕРАТ", "МОРОЗ", "ГРАДУС", "ОТРИЦАТ"}))
            add(p, p.stmts[start], HintKind::LoopFlow,
                "«" + kept + "» начинается с 0, а ответы на вопрос могут быть ниже нуля: если все они отрицательные, «" + test +
                    "» (строка " + num(lineOf(p, branch)) + ") не будет верно ни разу, и максимум так и останется 0. Начните с " + first,
                {kept}, out);
        return;
    }
}

// «i = 1» before «пока i меньше список.длина» that reads список[i]: the element number 0 is skipped.
void loopStartsAtOne(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const int n = facts.n;
    const std::string length = reverseOf(p.v, "length");
    for (int j = 0; j + 1 < n && !length.empty(); ++j) {
        const Stmt& start = p.stmts[j];
        if (!valueIs(p, start, "1")) continue;
        const Stmt& loop = p.stmts[j + 1];
        const std::vector<Token>& lt = tokensOf(p, loop);
        std::size_t taken = 0;
        if (loop.kind != StmtKind::Loop || loop.condTo < loop.condFrom + 5 || !isWord(p, lt[loop.condFrom], start.target)) continue;
        const std::string sign = signAt(p, lt, loop.condFrom + 1, taken);
        const std::size_t l = loop.condFrom + 1 + taken;
        if (sign != "<" || l + 3 != loop.condTo || lt[l + 1].mark != '.' || !isWord(p, lt[l + 2], length)) continue;
        const std::string list = word(p, lt[l]);
        bool indexed = false, other = false;
        for (int k = j + 2; k < n && within(p, facts, k, j + 1); ++k) {
            const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
            for (std::size_t t = 0; t + 1 < kt.size(); ++t) {
                if (!isWord(p, kt[t], list) || kt[t + 1].mark != '[') continue;
                // Only «список[i]»: «список[i - 1]» beside it means the start at 1 is meant.
                if (t + 3 < kt.size() && isWord(p, kt[t + 2], start.target) && kt[t + 3].mark == ']') indexed = true;
                else other = true;
            }
        }
        // «макс = список[0]» before the loop: the first element is taken already, and 1 is meant.
        for (int k = 0; k < j && indexed; ++k) {
            const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
            for (std::size_t t = 0; t + 3 < kt.size(); ++t)
                if (isWord(p, kt[t], list) && kt[t + 1].mark == '[' && word(p, kt[t + 2]) == "0" && kt[t + 3].mark == ']') indexed = false;
        }
        if (indexed && !other)
            add(p, start, HintKind::LoopFlow,
                "номера элементов «" + list + "» начинаются с 0, а «" + start.target + "» начинается с 1: первый элемент " + list +
                    "[0] цикл на строке " + num(lineOf(p, loop)) + " пропускает. Начните с «" + start.target + " = 0»",
                {start.target}, out);
    }
}

namespace {

// The name a header's condition starts with when a comparison follows it and no «и», «или», «не»
// joins another condition: «i меньше 5» gives «i»; "" for any other condition.
std::string comparedName(const Program& p, const Stmt& s) {
    const std::vector<Token>& ts = tokensOf(p, s);
    if (s.condTo < s.condFrom + 3 || s.condTo > ts.size() || !isPlainName(p.c, ts[s.condFrom], p.v, ts, s.condFrom))
        return "";
    std::size_t taken = 0;
    if (signAt(p, ts, s.condFrom + 1, taken).empty() || taken == 0) return "";
    // A comparison's own words («меньше или равно») are one sign, not a joint.
    for (std::size_t i = s.condFrom; i < s.condTo; ++i) {
        const rules::RuleWords* r = ruleAt(p.c, ts, i, p.v);
        if (r && r->role == rules::WordRole::Logic) return "";
        if (r && r->role == rules::WordRole::Comparison) i += r->words.size() - 1;
        if (ts[i].mark == '&' || ts[i].mark == '|' || ts[i].mark == '!') return "";
    }
    return word(p, ts[s.condFrom]);
}

}  // namespace

// A loop inside a loop counting with the outer one's name: «пока i <= 3» around «i = 1» and
// «пока i <= 5 … i = i + 1». And «счетчик» read after a «повторить» nested in another: one name
// counts both, so it holds the inner loop's last number there.
void nestedSameCounter(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const int n = facts.n;
    const std::vector<int>& holders = facts.holders;
    for (int o = 0; o < n; ++o) {
        if (p.stmts[o].kind != StmtKind::Loop || p.stmts[o].closed) continue;
        const std::string counter = comparedName(p, p.stmts[o]);
        if (counter.empty()) continue;
        for (int q = o + 1; q < n && within(p, facts, q, o); ++q) {
            if (p.stmts[q].kind != StmtKind::Loop || comparedName(p, p.stmts[q]) != counter) continue;
            bool counts = false;
            for (int k = q + 1; k < n && within(p, facts, k, q); ++k) counts = counts || changesName(p, p.stmts[k], counter);
            // The inner loop starts its count from a number set just before it, or every number the
            // outer loop goes on with keeps the inner one going: either way the outer count is lost.
            bool restarts = false;
            for (int r = o + 1; r < q; ++r) {
                const std::vector<Token>& rt = tokensOf(p, p.stmts[r]);
                double value = 0;
                restarts = restarts || (holders[r] == holders[q] && p.stmts[r].target == counter &&
                                        number(p, rt, p.stmts[r].valueFrom, rt.size(), value));
            }
            if (!counts || !(restarts || subRange(rangeOf(p, p.stmts[o]), rangeOf(p, p.stmts[q])))) continue;
            const std::string other = counter == "i" ? "j" : counter == "j" ? "k" : counter + "2";
            add(p, p.stmts[q], HintKind::LoopFlow,
                "внутренний цикл считает тем же «" + counter + "», что и внешний цикл на строке " + num(lineOf(p, p.stmts[o])) +
                    ", и меняет его счётчик: после внутреннего цикла внешний продолжает не с того «" + counter +
                    "», и кругов у него выходит не столько, сколько задумано. Дайте внутреннему циклу свой счётчик, например «" +
                    other + "»",
                {counter}, out);
            break;
        }
    }
    // The counter of «повторить … раз» is one name for every such loop (translator/counted_loops.cpp).
    // Every rule of the first words is tried: «повторить» is also a method of text, first in the table.
    auto counted = [&](int k) { return countedLoop(p, p.stmts[k]); };
    for (int o = 0; o < n; ++o) {
        if (!counted(o) || p.stmts[o].closed) continue;
        int inner = -1;
        for (int k = o + 1; k < n && within(p, facts, k, o); ++k) {
            if (inner < 0 && counted(k)) inner = k;
            if (inner < 0 || k == inner || within(p, facts, k, inner)) continue;
            bool own = true;  // no other counted loop between the statement and the outer one
            for (int h = holders[k]; h >= 0 && h != o; h = holders[h]) own = own && !counted(h);
            const Stmt& s = p.stmts[k];
            const std::vector<Token>& ts = tokensOf(p, s);
            std::string seen;
            for (std::size_t t = s.target.empty() ? 0 : s.valueFrom; t < ts.size() && seen.empty(); ++t)
                if (readsAt(p, ts, t, word(p, ts[t])) && isRoundCounter(p, word(p, ts[t]))) seen = word(p, ts[t]);
            if (!own || seen.empty()) continue;
            add(p, s, HintKind::LoopFlow,
                "здесь «" + seen + "» — уже не номер круга цикла на строке " + num(lineOf(p, p.stmts[o])) +
                    ": вложенный цикл на строке " + num(lineOf(p, p.stmts[inner])) + " считает тем же «" + seen +
                    "», и после него в «" + seen + "» всегда его последний номер. Для внешнего цикла заведите свой счётчик: «пусть круг = 0» перед ним и «круг = круг + 1» в конце его тела",
                {seen}, out);
            break;
        }
    }
}

namespace {

// How statement s steps `name` by a written whole number: 1 up («n = n + 2», «n += 2», «n++»), -1
// down, 0 for any other change or none.
int stepOf(const Program& p, const Stmt& s, const std::string& name) {
    const std::vector<Token>& ts = tokensOf(p, s);
    std::string a, b;
    if (s.target == name) {
        if (binaryValue(p, s, '+', a, b) && a == name && isDigits(p.c, ts[s.valueFrom + 2])) return 1;
        if (binaryValue(p, s, '-', a, b) && a == name && isDigits(p.c, ts[s.valueFrom + 2])) return -1;
        return 0;
    }
    if (!changesName(p, s, name)) return 0;
    const int sign = ts[1].mark == '+' ? 1 : -1;
    if (ts.size() == 3 && ts[2].mark == ts[1].mark) return sign;
    return ts.size() == 4 && ts[2].mark == '=' && isDigits(p.c, ts[3]) ? sign : 0;
}

// «пока i < список.длина» or «пока i <= список.длина - 1»: the list a loop walks by number, with
// the number's name in `index`; "" for any other condition.
std::string walkedList(const Program& p, const Stmt& s, std::string& index) {
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::string length = reverseOf(p.v, "length");
    std::size_t taken = 0;
    if (s.kind != StmtKind::Loop || s.closed || length.empty() || s.condTo < s.condFrom + 5 ||
        !isPlainName(p.c, ts[s.condFrom], p.v, ts, s.condFrom))
        return "";
    const std::string sign = signAt(p, ts, s.condFrom + 1, taken);
    const std::size_t l = s.condFrom + 1 + taken;
    if (!taken || l + 3 > s.condTo || !isPlainName(p.c, ts[l], p.v, ts, l) || ts[l + 1].mark != '.' || !isWord(p, ts[l + 2], length))
        return "";
    const bool less = sign == "<" && l + 3 == s.condTo;
    const bool upTo = sign == "<=" && l + 5 == s.condTo && ts[l + 3].mark == '-' && isWord(p, ts[l + 4], "1");
    if (!less && !upTo) return "";
    index = word(p, ts[s.condFrom]);
    return word(p, ts[l]);
}

// Whether a statement inside the block of h holds the word w («если … то прервать конец» too).
bool holdsWithin(const Program& p, const Facts& facts, int h, const std::string& w) {
    for (int k = h + 1; k < facts.n && within(p, facts, k, h) && !w.empty(); ++k)
        if (hasWord(p, p.stmts[k], w)) return true;
    return false;
}

// The «конец» that closes the chain of «если» h, its «иначе» branches too, or h itself when its
// block ends on its own line.
int chainEnd(const Program& p, const Facts& facts, int h) {
    int e = h;
    for (int k = h + 1; k < facts.n && (within(p, facts, k, h) || p.stmts[k].chain == h); ++k) e = k;
    return p.stmts[e].kind == StmtKind::End ? e : h;
}

}  // namespace

// «пусть j = 1» before an outer loop whose inner loop counts «j» up to its end, and nothing in the
// outer loop sets «j» again: after the first outer round the inner loop never runs. Only an inner
// loop of one comparison that «j» leaves step by step and no «прервать» or «вернуть» can leave early.
void innerCounterSetOnce(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& o = p.stmts[i];
    if (o.kind != StmtKind::Loop || o.closed) return;
    const int last = lastInBlock(p, facts, i);
    for (int q = i + 1; q <= last; ++q) {
        const Stmt& in = p.stmts[q];
        const std::string j = in.kind == StmtKind::Loop && !in.closed ? comparedName(p, in) : "";
        if (j.empty() || reads(p, o, j)) continue;
        std::size_t taken = 0;
        const std::string sign = signAt(p, tokensOf(p, in), in.condFrom + 1, taken);
        const int away = sign == "<" || sign == "<=" ? 1 : sign == ">" || sign == ">=" ? -1 : 0;
        bool steps = false, other = false;
        for (int k = i + 1; k <= last; ++k) {
            if (k == q || !changesName(p, p.stmts[k], j)) continue;
            const bool inside = within(p, facts, k, q);
            steps = steps || (inside && stepOf(p, p.stmts[k], j) == away);
            other = other || !inside || stepOf(p, p.stmts[k], j) != away;
        }
        const int start = lastSetBefore(facts, j, i);
        if (!away || !steps || other || start < 0 || facts.holders[start] != facts.holders[i] ||
            holdsWithin(p, facts, q, p.breakWord) || holdsWithin(p, facts, q, p.returnWord))
            return;
        const Stmt& set = p.stmts[start];
        const std::vector<Token>& st = tokensOf(p, set);
        double value = 0;
        if (!number(p, st, set.valueFrom, st.size(), value)) return;
        const std::string again = j + " = " + shown(p, set, set.valueFrom, st.size());
        add(p, set, HintKind::LoopFlow,
            "«" + lineText(p, set) + "» стоит перед внешним циклом (строка " + num(lineOf(p, o)) + "), и «" + j +
                "» получает это значение только один раз: после первого круга внешнего цикла «" + j + "» уже не проходит условие «" +
                shown(p, in, in.condFrom, in.condTo) + "», и внутренний цикл на строке " + num(lineOf(p, in)) +
                " больше не выполняется. Задавайте «" + again + "» внутри внешнего цикла, перед внутренним (перед строкой " +
                num(lineOf(p, in)) + ")",
            {j}, out);
        return;
    }
}

namespace {

// «для каждого э из с» with «с.вырезать(…, n)» inside: the elements after the removed one move back
// by one, and the walk, which goes on by place, passes over the one that took the removed one's
// place. Silent when the loop walks a copy («с.часть(0)») or another list, when a «прервать» or
// «вернуть» in it may leave right after the removal, and for «вырезать(…, 0)», which takes nothing
// out. Told at the loop, which is where the walk over a copy is written.
void removedWhileEach(const Program& p, const Facts& facts, int i, const EachLoop& each, std::vector<Hint>& out) {
    if (each.list.empty() || holdsWithin(p, facts, i, p.breakWord) || holdsWithin(p, facts, i, p.returnWord)) return;
    const int last = lastInBlock(p, facts, i);
    for (int k = i + 1; k <= last; ++k) {
        const std::vector<Token>& ts = tokensOf(p, p.stmts[k]);
        for (std::size_t t = 0; t + 3 < ts.size(); ++t) {
            const rules::RuleWords* m = ts[t + 1].mark == '.' && readsAt(p, ts, t, each.list) ? ruleAt(p.c, ts, t + 2, p.v) : nullptr;
            if (!m || !produces(*m, "splice") || t + 2 + m->words.size() >= ts.size()) continue;
            const std::size_t open = t + 2 + m->words.size();
            if (ts[open].mark != '(') continue;
            const auto args = argumentsAt(ts, open);
            double count = 0;
            if (args.size() < 2 || (number(p, ts, args[1].first, args[1].second, count) && count == 0)) continue;
            const Stmt& loop = p.stmts[i];
            const std::string removal = shown(p, ts, t, closingOf(ts, open) + 1);
            // «с.вырезать(с.позиция(э), 1)» finds its place afresh: over a copy it removes the same element.
            const auto& first = args[0];
            const rules::RuleWords* found = first.second == first.first + 6 && readsAt(p, ts, first.first, each.list) &&
                                                    ts[first.first + 1].mark == '.'
                                                ? ruleAt(p.c, ts, first.first + 2, p.v)
                                                : nullptr;
            const bool byValue = found && produces(*found, "indexOf") && found->words.size() == 1 && ts[first.first + 3].mark == '(' &&
                                 isWord(p, ts[first.first + 4], each.element) && ts[first.first + 5].mark == ')';
            const std::string header = shown(p, loop, 0, loop.condTo);
            const std::string copy = header.substr(0, header.size() - each.list.size()) + each.list + "." + facts.slice + "(0)";
            add(p, loop, HintKind::LoopFlow,
                "цикл перебирает «" + each.list + "» и сам удаляет из него элементы: «" + removal + "» (строка " +
                    num(lineOf(p, p.stmts[k])) + "). После удаления следующие элементы сдвигаются на одно место назад, и перебор " +
                    "перескакивает через тот, что встал на место удалённого: этот элемент цикл не проверяет. " +
                    (byValue && !facts.slice.empty()
                         ? "Перебирайте копию списка, а удаляйте из самого списка: «" + copy + "»"
                         : "Перебирайте копию списка или соберите элементы, которые остаются, в новый список"),
                {each.list}, out);
            return;
        }
    }
}

}  // namespace

// «пока i < с.длина»: «с.вырезать(i, 1)» under a condition and «i = i + 1» every round: the
// element that moved into place i is never looked at. Silent when the removal's round steps back,
// or skips the step with «продолжить». And the same removal in «для каждого» over the list itself.
void removedWhileWalking(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const EachLoop each = eachLoopOf(p, p.stmts[i]);
    if (each.valid) return removedWhileEach(p, facts, i, each, out);
    std::string index;
    const std::string list = walkedList(p, p.stmts[i], index);
    if (list.empty() || holdsWithin(p, facts, i, keywordOf(p.v, "continue"))) return;
    const int last = lastInBlock(p, facts, i);
    int removal = -1, step = -1;
    for (int k = i + 1; k <= last; ++k) {
        const Stmt& s = p.stmts[k];
        const std::vector<Token>& ts = tokensOf(p, s);
        if (changesName(p, s, index)) {
            if (step >= 0 || facts.holders[k] != i || stepOf(p, s, index) != 1) return;
            step = k;
        }
        for (std::size_t t = 0; t + 5 < ts.size() && removal < 0; ++t) {
            const rules::RuleWords* m = ts[t + 1].mark == '.' ? ruleAt(p.c, ts, t + 2, p.v) : nullptr;
            if (!m || !produces(*m, "splice")) continue;
            const std::size_t open = t + 2 + m->words.size();
            if (readsAt(p, ts, t, list) && open + 2 < ts.size() && ts[open].mark == '(' && isWord(p, ts[open + 1], index) &&
                (ts[open + 2].mark == ',' || ts[open + 2].mark == ')') && facts.holders[k] != i && step < 0)
                removal = k;
        }
    }
    if (removal < 0 || step < 0) return;
    const Stmt& s = p.stmts[step];
    add(p, s, HintKind::LoopFlow,
        "«" + lineText(p, s) + "» выполняется и после «" + lineText(p, p.stmts[removal]) + "» (строка " + num(lineOf(p, p.stmts[removal])) +
            "): после удаления на место " + index + " встаёт следующий элемент, и цикл переходит дальше, не проверив его. Увеличивайте «" +
            index + "» только когда ничего не удалили: перенесите эту строку в «" + p.elseWord + "»",
        {index}, out);
}

// «пока i < числа.длина» whose body never reads «числа[i]» and tests «i» itself («i % 2 равно 0»):
// the test asks about the element's number, not the element. Silent when «i» or the list is
// read in any other way: printed, an index of another list, an argument.
void positionTestedForElement(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    std::string index;
    const std::string list = walkedList(p, p.stmts[i], index);
    if (list.empty()) return;
    const int last = lastInBlock(p, facts, i);
    int test = -1;
    for (int k = i + 1; k <= last; ++k) {
        const Stmt& s = p.stmts[k];
        const std::vector<Token>& ts = tokensOf(p, s);
        if (stepOf(p, s, index) == 1) continue;
        bool tested = false;
        if ((s.kind == StmtKind::If || s.kind == StmtKind::ElseIf) && s.condTo >= s.condFrom + 3 && readsAt(p, ts, s.condFrom, index)) {
            std::size_t from = s.condFrom + 1, taken = 0;
            if (ts[from].mark == '%' && from + 1 < s.condTo && isDigits(p.c, ts[from + 1])) from += 2;
            double value = 0;
            signAt(p, ts, from, taken);
            tested = taken && number(p, ts, from + taken, s.condTo, value);
        }
        for (std::size_t t = tested ? s.condTo : 0; t < ts.size(); ++t)
            if (readsAt(p, ts, t, index) || readsAt(p, ts, t, list)) return;
        if (tested && test < 0) test = k;
    }
    if (test < 0) return;
    const Stmt& s = p.stmts[test];
    add(p, s, HintKind::LoopFlow,
        "«" + shown(p, s, s.condFrom, s.condTo) + "» проверяет номер «" + index + "», а не число из «" + list + "»: цикл на строке " +
            num(lineOf(p, p.stmts[i])) + " перебирает номера элементов, но сам элемент «" + list + "[" + index +
            "]» нигде не читает. Чтобы проверить число, пишите «" + list + "[" + index + "]" +
            shown(p, s, s.condFrom + 1, s.condTo).insert(0, " ") + "»",
        {index}, out);
}

// «пока поз < числа.длина» with «если числа[поз] % 2 равно 0 то сумма = сумма + поз»: the test reads
// the element and the sum adds its number. Silent when the print of the sum speaks of numbers of
// places («номеров», «позиций», «индексов»).
void positionAddedForElement(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    std::string index;
    const std::string list = walkedList(p, p.stmts[i], index);
    if (list.empty()) return;
    const std::string element = list + "[" + index + "]";
    for (int k = i + 1; k <= lastInBlock(p, facts, i); ++k) {
        const Stmt& s = p.stmts[k];
        std::string total, added;
        const int test = facts.holders[k];
        if (!binaryValue(p, s, '+', total, added) || total != s.target || added != index || test <= i ||
            p.stmts[test].kind != StmtKind::If)
            continue;
        const Stmt& h = p.stmts[test];
        if (shown(p, h, h.condFrom, h.condTo).find(element) == std::string::npos) continue;
        bool shownAsPlaces = false, readAfter = false;
        for (const int r : readersOf(facts, total)) {
            if (r <= lastInBlock(p, facts, i)) continue;
            readAfter = true;
            shownAsPlaces = shownAsPlaces || nameHas(lineText(p, p.stmts[r]), {"НОМЕР", "ПОЗИЦ", "ИНДЕКС", "МЕСТ"});
        }
        if (!readAfter || shownAsPlaces) continue;
        add(p, s, HintKind::LoopFlow,
            "«" + lineText(p, s) + "» прибавляет номер элемента «" + index + "», а условие (строка " + num(lineOf(p, h)) +
                ") проверяло сам элемент «" + element + "». Чтобы сложить сами числа, пишите «" + total + " = " + total + " + " + element + "»",
            {index}, out);
        return;
    }
}

// «если серия > лучшая то лучшая = серия конец» in a loop where «серия» only grows, under a
// condition, and nothing sets it back: the record is the whole count, not the longest run. Told
// at the «конец» of the «если» that grows it, where the run should start again.
void streakNeverRestarts(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& loop = p.stmts[i];
    // A loop inside another may start its run anew with each outer round: that is not read here.
    if (loop.kind != StmtKind::Loop || loop.closed || ancestor(p, facts, i, StmtKind::Loop) >= 0) return;
    const int last = lastInBlock(p, facts, i);
    for (int h = i + 1; h <= last; ++h) {
        const Stmt& keep = p.stmts[h];
        if (keep.kind != StmtKind::If) continue;
        const std::vector<Token>& kt = tokensOf(p, keep);
        for (std::size_t t = keep.condFrom; t < keep.condTo; ++t) {
            if (!isPlainName(p.c, kt[t], p.v, kt, t)) continue;
            const std::string run = word(p, kt[t]);
            bool smaller = true;
            const std::string kept = keptExtreme(p, facts, h, run, smaller);
            if (kept.empty() || smaller) continue;
            int grows = -1;
            bool other = false;
            for (int k = i + 1; k <= last; ++k) {
                if (!changesName(p, p.stmts[k], run)) continue;
                if (stepOf(p, p.stmts[k], run) != 1 || facts.holders[k] == i || grows >= 0) other = true;
                grows = k;
            }
            const int start = lastSetBefore(facts, run, i);
            if (other || grows < 0 || start < 0) return;
            int branch = facts.holders[grows];
            if (p.stmts[branch].kind == StmtKind::Loop) return;
            const int head = p.stmts[branch].chain >= 0 ? p.stmts[branch].chain : branch;
            bool hasElse = false;
            for (const int b : facts.branches[head]) hasElse = hasElse || p.stmts[b].kind == StmtKind::Else;
            const Stmt& at = p.stmts[chainEnd(p, facts, head)];
            const std::string reset = run + " = 0";
            add(p, at, HintKind::LoopFlow,
                "«" + run + "» в цикле только растёт («" + lineText(p, p.stmts[grows]) + "», строка " + num(lineOf(p, p.stmts[grows])) +
                    ") и нигде не начинается заново, поэтому «" + kept + "» (строка " + num(lineOf(p, keep)) +
                    ") запоминает просто весь счёт, а не самую длинную серию подряд. Когда серия прерывается, начинайте её снова: " +
                    (hasElse ? "допишите «" + reset + "» в «" + p.elseWord + "» этого «" + p.ifWord + "»"
                             : "«" + p.elseWord + " " + reset + "» перед этим «" + p.endWord + "»"),
                {run}, out);
            return;
        }
    }
}

// In a loop over a list, «если x равно искомое то вывести(…) иначе вывести("нет") конец»: the
// «иначе» prints for every element that differs, the answer "not found" many times. Silent when
// the «иначе» prints the element itself or when there is no «иначе».
void notFoundForEachElement(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& loop = p.stmts[i];
    const std::vector<Token>& lt = tokensOf(p, loop);
    std::vector<std::string> element;  // the names that read the element
    std::string index;
    const std::string list = walkedList(p, loop, index);
    const rules::RuleWords* head = ruleAt(p.c, lt, 0, p.v);
    if (!list.empty()) element = {list, index};
    else if (loop.kind == StmtKind::Loop && !loop.closed && head && !head->declares.empty() && head->words.size() + 2 < loop.condTo &&
             isWord(p, lt[head->words.size() + 1], keywordOf(p.v, "of")))
        element = {word(p, lt[head->words.size()])};
    if (element.empty()) return;
    auto readsElement = [&](const Stmt& s) {
        for (const std::string& e : element)
            if (reads(p, s, e)) return true;
        return false;
    };
    auto prints = [&](const Stmt& s) { return s.kind == StmtKind::Other && hasRole(p, s, rules::WordRole::Output); };
    for (const int h : body(p, facts, i)) {
        const Stmt& s = p.stmts[h];
        if (s.kind != StmtKind::If || s.closed || facts.branches[h].size() != 1) continue;
        const int other = facts.branches[h][0];
        if (p.stmts[other].kind != StmtKind::Else || p.stmts[other].closed) continue;
        // «элемент равно искомое»: one side the element itself («э», «с[i]»), the other a value the
        // loop keeps. «э % 2 равно 0» sorts each element, it does not search.
        const std::vector<Token>& ts = tokensOf(p, s);
        auto sideIs = [&](std::size_t from, std::size_t to) {
            if (element.size() == 1) return to == from + 1 && readsAt(p, ts, from, element[0]);
            return to == from + 4 && readsAt(p, ts, from, element[0]) && ts[from + 1].mark == '[' &&
                   isWord(p, ts[from + 2], element[1]) && ts[from + 3].mark == ']';
        };
        auto sideReads = [&](std::size_t from, std::size_t to) {
            for (std::size_t t = from; t < to; ++t)
                for (const std::string& e : element)
                    if (readsAt(p, ts, t, e)) return true;
            return false;
        };
        auto sideKept = [&](std::size_t from, std::size_t to) {
            for (std::size_t t = from; t < to; ++t)
                for (int k = i + 1; k < facts.n && within(p, facts, k, i); ++k)
                    if (ts[t].mark == 0 && changesName(p, p.stmts[k], word(p, ts[t]))) return false;
            return !sideReads(from, to);
        };
        bool search = false;
        for (std::size_t t = s.condFrom + 1; t + 1 < s.condTo && !search; ++t) {
            std::size_t taken = 0;
            const std::string sign = signAt(p, ts, t, taken);
            if (!taken || (sign != "==" && sign != "===")) continue;
            search = (sideIs(s.condFrom, t) && sideKept(t + taken, s.condTo)) || (sideKept(s.condFrom, t) && sideIs(t + taken, s.condTo));
            t += taken - 1;
        }
        if (!search || hasRole(p, s, rules::WordRole::Logic)) continue;
        const std::vector<int> yes = body(p, facts, h), no = body(p, facts, other);
        const bool yesPrints = std::any_of(yes.begin(), yes.end(), [&](int k) { return prints(p.stmts[k]); });
        const bool noOnlyPrints = !no.empty() && std::all_of(no.begin(), no.end(), [&](int k) { return prints(p.stmts[k]) && !readsElement(p.stmts[k]); });
        if (!yesPrints || !noOnlyPrints) continue;
        const Stmt& told = p.stmts[no[0]];
        add(p, told, HintKind::LoopFlow,
            "«" + lineText(p, told) + "» в «" + p.elseWord + "» (строка " + num(lineOf(p, p.stmts[other])) + ") выполняется для каждого элемента, для которого «" +
                shown(p, s, s.condFrom, s.condTo) + "» неверно, — ответ «не нашли» выведется много раз, даже когда нужный элемент есть. Ответить «не нашли» можно только после цикла: перед циклом «пусть нашли = " +
                p.falseWord + "», в «то» — «нашли = " + p.trueWord + "», а после «" + p.endWord + "» цикла — «" + p.ifWord + " не нашли то … " +
                p.endWord + "»",
            {p.elseWord}, out);
        return;
    }
}

// «если о равно 5 то серия = серия + 1 иначе серия = 1 конец» under a record «если серия > лучшая»:
// the «иначе» runs for an element the test refused, which is not in the run, so the run starts at
// 1 instead of 0. Silent when the test compares with a name (a run of equal neighbours, where the
// element that breaks the run starts the next one: 1 is meant).
void streakRestartsAtOne(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = facts.holders[i];
    if (s.kind != StmtKind::If || loop < 0 || p.stmts[loop].kind != StmtKind::Loop || facts.branches[i].size() != 1 ||
        p.stmts[facts.branches[i][0]].kind != StmtKind::Else)
        return;
    const Compared test = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    const std::vector<int> yes = body(p, facts, i), no = body(p, facts, facts.branches[i][0]);
    if (!test.valid || yes.size() != 1 || no.size() != 1) return;
    const std::string run = p.stmts[yes[0]].target;
    if (run.empty() || stepOf(p, p.stmts[yes[0]], run) != 1 || p.stmts[no[0]].target != run || !valueIs(p, p.stmts[no[0]], "1")) return;
    for (int k = i + 1; k <= lastInBlock(p, facts, loop); ++k) {
        bool smaller = true;
        const std::string kept = p.stmts[k].kind == StmtKind::If ? keptExtreme(p, facts, k, run, smaller) : "";
        if (kept.empty() || smaller) continue;
        add(p, p.stmts[no[0]], HintKind::LoopFlow,
            "сюда цикл попадает, когда «" + shown(p, s, s.condFrom, s.condTo) + "» не выполнилось: этот элемент в серию не входит, а «" +
                lineText(p, p.stmts[no[0]]) + "» его считает. После каждого такого элемента серия начнётся с 1, а не с 0, и «" + kept +
                "» (строка " + num(lineOf(p, p.stmts[k])) + ") может выйти на 1 больше. Пишите «" + run + " = 0»",
            {run}, out);
        return;
    }
}

// «если вес > тяжёлый то тяжёлый = тяжёлый + вес» or «… то лучший = попытка» (the loop's counter):
// the «если» compares a value with the name that keeps the greatest (or least), and the line under
// it puts something else there, a sum or a round's number, which the next rounds compare with.
void extremeKeptWrong(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const WordPair pair = s.kind == StmtKind::If ? wordPairOf(p, s) : WordPair{};
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    if (!pair.valid || loop < 0 || !facts.branches[i].empty() ||
        (pair.sign != ">" && pair.sign != "<" && pair.sign != ">=" && pair.sign != "<="))
        return;
    const std::vector<int> inner = body(p, facts, i);
    if (inner.size() != 1) return;
    const Stmt& set = p.stmts[inner[0]];
    if (set.target != pair.left && set.target != pair.right) return;
    const std::string& kept = set.target;
    const std::string& value = kept == pair.left ? pair.right : pair.left;
    std::string a, b;
    const std::string fix = kept + " = " + value;
    if (binaryValue(p, set, '+', a, b) && ((a == kept && b == value) || (a == value && b == kept))) {
        if (namedExtreme(kept) != 0) return;  // told by the name's own check
        add(p, set, HintKind::LoopFlow,
            "«" + lineText(p, set) + "» прибавляет, хотя «" + p.ifWord + "» (строка " + num(lineOf(p, s)) + ") сравнивало «" + value +
                "» с «" + kept + "», чтобы запомнить " + (pair.sign[0] == (kept == pair.right ? '>' : '<') ? "большее" : "меньшее") +
                ": после этого в «" + kept + "» сумма, а не само число. Пишите «" + fix + "»",
            {kept}, out);
        return;
    }
    const Token* v = valueToken(p, set);
    const std::string counter = v && v->mark == 0 ? word(p, *v) : "";
    if (counter.empty() || counter == value || counter == kept) return;
    bool stepped = false;
    for (const int k : settersOf(facts, counter)) stepped = stepped || (within(p, facts, k, loop) && stepOf(p, p.stmts[k], counter) == 1);
    if (!stepped) return;
    add(p, set, HintKind::LoopFlow,
        "«" + lineText(p, set) + "» кладёт в «" + kept + "» номер круга «" + counter + "», а «" + p.ifWord + "» (строка " + num(lineOf(p, s)) +
            ") сравнивало с «" + kept + "» само значение «" + value + "»: дальше «" + value + "» сравнивается с номером. Пишите «" + fix +
            "»; номер, если он нужен, храните в отдельном имени",
        {kept}, out);
}

// «пусть сколько = спросить_число("Сколько будет чисел?")», then «номер = 1; пока номер < сколько»
// with a question each round: the loop asks one number fewer than the answer says. Told when the
// bound's name or its question says it is a count («сколько», «количество»).
void askedCountOneShort(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const WordPair walk = s.kind == StmtKind::Loop ? wordPairOf(p, s) : WordPair{};
    if (!walk.valid || walk.sign != "<") return;
    const int start = lastSetBefore(facts, walk.left, i);
    const std::vector<int>& bound = settersOf(facts, walk.right);
    if (start < 0 || !valueIs(p, p.stmts[start], "1") || bound.size() != 1 || bound[0] > i || !asksUser(p, facts, p.stmts[bound[0]]) ||
        !nameHas(lineText(p, p.stmts[bound[0]]), {"СКОЛЬКО", "КОЛИЧЕСТВ"}))
        return;
    bool asks = false;
    for (int k = i + 1; k <= lastInBlock(p, facts, i); ++k) asks = asks || asksUser(p, facts, p.stmts[k]);
    if (!asks || !stepsOnceByOne(p, facts, walk.left, i)) return;
    const std::string fix = roleWord(p.v, p.table, rules::WordRole::Comparison, "<=");
    add(p, s, HintKind::LoopFlow,
        "«" + walk.left + "» идёт от 1, и при «" + shown(p, s, s.condFrom, s.condTo) + "» цикл выполнится «" + walk.right +
            "» − 1 раз: последнее число так и не будет спрошено. Пишите «" + walk.left + " " + (fix.empty() ? "<=" : fix) + " " + walk.right + "»",
        {walk.left}, out);
}

// «пусть очки_раунда = спросить_число(…)» in a loop, never read, beside «очки = очки + 1»: the
// answers are lost and the total counts the rounds. Told at the line that adds 1.
void answerLostBesideCount(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = facts.holders[i];
    if (loop < 0 || p.stmts[loop].kind != StmtKind::Loop || s.target.empty() || !valueIs(p, s, s.target, '+', "1")) return;
    const int start = lastSetBefore(facts, s.target, loop);
    if (start < 0 || !valueIs(p, p.stmts[start], "0")) return;
    bool readAfter = false;
    for (const int r : readersOf(facts, s.target)) readAfter = readAfter || r > lastInBlock(p, facts, loop);
    if (!readAfter) return;
    for (const int k : body(p, facts, loop)) {
        const Stmt& a = p.stmts[k];
        if (a.target.empty() || a.target == s.target || !asksUser(p, facts, a) || !readersOf(facts, a.target).empty() ||
            settersOf(facts, a.target).size() != 1)
            continue;
        add(p, s, HintKind::LostValue,
            "«" + lineText(p, s) + "» прибавляет 1, а ответ «" + a.target + "» (строка " + num(lineOf(p, a)) +
                ") нигде не читается: ответы пропадают, и «" + s.target + "» считает круги. Чтобы сложить ответы, пишите «" + s.target +
                " = " + s.target + " + " + a.target + "»",
            {s.target, a.target}, out);
        return;
    }
}

// «пока оценка < 1: спросить снова» and right after it «пока оценка > 5: спросить снова»: an answer
// the second loop takes is never checked by the first test again («0», then «9», then «0» passes).
void checksOneAfterAnother(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int next = s.kind == StmtKind::Loop ? afterBlock(p, facts, i) : -1;
    if (next < 0 || p.stmts[next].kind != StmtKind::Loop) return;
    const Stmt& t = p.stmts[next];
    const Compared a = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo), b = comparedIn(p, tokensOf(p, t), t.condFrom, t.condTo);
    if (!a.valid || !b.valid || a.name != b.name) return;
    const bool aLow = a.sign == "<" || a.sign == "<=", bLow = b.sign == "<" || b.sign == "<=";
    const bool aHigh = a.sign == ">" || a.sign == ">=", bHigh = b.sign == ">" || b.sign == ">=";
    if (!((aLow && bHigh) || (aHigh && bLow))) return;
    const auto reasks = [&](int loop) {
        const std::vector<int> inner = body(p, facts, loop);
        return std::any_of(inner.begin(), inner.end(), [&](int k) { return p.stmts[k].target == a.name && asksUser(p, facts, p.stmts[k]); });
    };
    const std::string either = roleWord(p.v, p.table, rules::WordRole::Logic, "||");
    if (!reasks(i) || !reasks(next) || either.empty()) return;
    add(p, s, HintKind::LoopFlow,
        "после этого цикла второй (строка " + num(lineOf(p, t)) + ") снова спрашивает «" + a.name + "», и новый ответ уже не проверяется на «" +
            shown(p, s, s.condFrom, s.condTo) + "». Объедините проверки в один цикл: «" + shown(p, s, s.condFrom, s.condTo) + " " + either + " " +
            shown(p, t, t.condFrom, t.condTo) + "»",
        {a.name}, out);
}

}  // namespace diagnostics::programs
