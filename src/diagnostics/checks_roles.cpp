// Checks of a name or a sign in the wrong role: «=+» where adding was meant, a record assigned the
// wrong way round (the fresh value overwritten by the record, which never changes), a function
// compared or counted with as a value (no call), an element of «для каждого» used as a number into
// its own list, a function's loop counter without «пусть» that is the program's own counter, a
// double comparison «18 < t < 25» (the first comparison's truth compared with the number).
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <algorithm>
#include <string>

namespace diagnostics::programs {

namespace {

// A mark that makes the name beside it an operand of a comparison or of arithmetic.
bool operandMark(std::uint32_t m) {
    return m == '<' || m == '>' || m == '+' || m == '-' || m == '*' || m == '/' || m == '%';
}

}  // namespace

// «очки =+ 1»: "=" and "+" written together set «очки» to +1; adding was meant.
void plusAfterAssign(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::size_t v = s.valueFrom;
    if (s.target.empty() || v == 0 || v + 1 >= ts.size() || ts[v - 1].mark != '=' || (ts[v].mark != '+' && ts[v].mark != '-') ||
        ts[v].from != ts[v - 1].to || declares(p, s))
        return;
    const std::string sign(1, static_cast<char>(ts[v].mark));
    const std::string rest = shown(p, ts, v + 1, ts.size());
    const std::string fix = s.target + " = " + s.target + " " + sign + " " + rest;
    add(p, s, HintKind::Computation,
        "«=" + sign + "» — это «= " + sign + rest + "»: «" + s.target + "» станет " + sign + rest + ", а не " +
            (sign == "+" ? "вырастет" : "уменьшится") + " на " + rest + ". Пишите «" + fix + "» (или «" + s.target + " " + sign +
            "= " + rest + "»)",
        {s.target}, out);
}

// «если попытка больше рекорд то попытка = рекорд» (or «если ц % 2 не равно 0 и ц < мин то ц = мин»):
// the kept record is never changed (it stays as set before the loop, and is read after it); the
// fresh value is overwritten instead.
void recordAssignedBackwards(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const Token* v = valueToken(p, s);
    const int h = facts.holders[i];
    if (!v || h < 0 || p.stmts[h].kind != StmtKind::If || declares(p, s)) return;
    const std::string record = word(p, *v);
    const int loop = nearestAround(p, facts, h, StmtKind::Loop);
    const std::vector<int>& recordSetters = settersOf(facts, record);
    if (loop < 0 || recordSetters.size() != 1 || recordSetters[0] > loop) return;
    // The «если» compares exactly these two names, by size: its whole condition, or one part of
    // those joined by «и» (the others filter: «ц % 2 не равно 0 и ц < мин»).
    bool compared = false;
    for (const auto& [from, to] : bothParts(p, p.stmts[h])) {
        const WordPair pair = wordPairIn(p, tokensOf(p, p.stmts[h]), from, to);
        compared = compared || (pair.valid && pair.sign != "==" && pair.sign != "===" && !isNotEqual(pair.sign) &&
                                ((pair.left == s.target && pair.right == record) || (pair.left == record && pair.right == s.target)));
    }
    if (!compared) return;
    // The record is read after the loop; the fresh value is set again in the loop before the «если».
    bool readAfter = false;
    for (const int r : readersOf(facts, record)) readAfter = readAfter || r > lastInBlock(p, facts, loop);
    bool fresh = false;
    for (const int k : settersOf(facts, s.target)) fresh = fresh || (k > loop && k < h && within(p, facts, k, loop));
    if (!readAfter || !fresh) return;
    add(p, s, HintKind::LostValue,
        "«" + lineText(p, s) + "» меняет «" + s.target + "», а «" + record + "» так и остаётся, каким его задала строка " +
            num(lineOf(p, p.stmts[recordSetters[0]])) + ": значение идёт справа налево, в имя слева от «=». Чтобы запомнить новое значение, пишите «" +
            record + " = " + s.target + "»",
        {s.target, record}, out);
}

// «если среднее > 4» where «среднее» is a function of the program: without brackets it is not
// called, and the function itself is compared. Only as an operand of a comparison or arithmetic:
// a function handed to another («после(100, шаг)») is meant.
void functionWithoutCall(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind == StmtKind::Function) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t k = 0; k < ts.size(); ++k) {
        if (ts[k].mark != 0) continue;
        const Function* f = nullptr;
        for (const Function& g : facts.functions)
            if (!f && isWord(p, ts[k], g.name)) f = &g;
        if (!f || (k > 0 && ts[k - 1].mark == '.') || (k + 1 < ts.size() && (ts[k + 1].mark == '(' || ts[k + 1].mark == '.'))) continue;
        std::size_t taken = 0;
        const bool compared = (k + 1 < ts.size() && (!signAt(p, ts, k + 1, taken).empty() || operandMark(ts[k + 1].mark))) ||
                              (k > 0 && operandMark(ts[k - 1].mark));
        if (!compared || setsAnywhere(facts, f->name, -1)) continue;
        const std::string call = f->name + "(" + (f->params.empty() ? "" : "…") + ")";
        add(p, s, HintKind::FunctionFlow,
            "«" + f->name + "» — функция (строка " + num(lineOf(p, p.stmts[f->at])) +
                "); без скобок она не вызывается, и здесь участвует сама функция, а не её результат. Чтобы взять результат, вызовите её: «" +
                call + "»",
            {f->name}, out);
        return;
    }
}

// «для каждого б из баллы делать сумма = сумма + баллы[б]»: «б» is already the element, and
// «баллы[б]» takes the element whose number equals it.
void elementAsOwnNumber(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const EachLoop each = eachLoopOf(p, s);
    if (s.closed || each.list.empty()) return;
    const std::string &element = each.element, &list = each.list;
    for (int k = i + 1; k < facts.n && within(p, facts, k, i); ++k) {
        const std::vector<Token>& ts = tokensOf(p, p.stmts[k]);
        for (std::size_t t = 0; t + 3 < ts.size(); ++t) {
            if (!isWord(p, ts[t], list) || ts[t + 1].mark != '[' || !isWord(p, ts[t + 2], element) || ts[t + 3].mark != ']' ||
                (t > 0 && ts[t - 1].mark == '.'))
                continue;
            add(p, p.stmts[k], HintKind::Computation,
                "«" + element + "» в «" + shown(p, s, 0, s.condTo) + "» (строка " + num(lineOf(p, s)) + ") — уже сам элемент, а не его номер: «" +
                    list + "[" + element + "]» берёт элемент с номером, равным значению «" + element + "». Пишите просто «" + element + "»",
                {element}, out);
            return;
        }
    }
}

// In a function, «i = 1» without «пусть» where «i» is not the function's own: it is the program's
// «i», and when a loop over «i» calls the function, the call moves that loop's count.
void functionCounterShared(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (const Function& f : facts.functions) {
        for (int k = f.at + 1; k <= f.last; ++k) {
            const Stmt& s = p.stmts[k];
            if (s.target.empty() || declares(p, s)) continue;
            const std::string& name = s.target;
            bool own = std::find(f.params.begin(), f.params.end(), name) != f.params.end();
            for (const int d : settersOf(facts, name)) own = own || (d > f.at && d <= f.last && declares(p, p.stmts[d]));
            const std::string let = keywordOf(p.v, "let");
            if (own || let.empty()) continue;
            // A loop outside the function counting with the name and calling the function.
            for (int loop = 0; loop < facts.n; ++loop) {
                if (p.stmts[loop].kind != StmtKind::Loop || (loop > f.at && loop <= f.last) || !reads(p, p.stmts[loop], name)) continue;
                bool calls = false, counts = false;
                for (const Call& call : facts.calls) calls = calls || (call.function >= 0 && &facts.functions[call.function] == &f && within(p, facts, call.stmt, loop));
                for (int b = loop + 1; b < facts.n && within(p, facts, b, loop); ++b) {
                    counts = counts || changesName(p, p.stmts[b], name);
                }
                if (!calls || !counts) continue;
                add(p, s, HintKind::FunctionFlow,
                    "«" + lineText(p, s) + "» без «" + let + "» меняет общую «" + name + "» — ту же, которой считает цикл на строке " + num(lineOf(p, p.stmts[loop])) +
                        ", а он зовёт «" + f.name + "»: после вызова его «" + name + "» уже другое. Заведите в функции свою: «" +
                        let + " " + lineText(p, s) + "»",
                    {name}, out);
                return;
            }
        }
    }
}

// «если 18 < t < 25»: read as «(18 < t) < 25», the truth of the first comparison (1 or 0) is
// compared with 25. Two comparisons in a row, no «и» or «или» between, no brackets around one.
void doubleComparison(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (!hasCondition(s)) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    std::vector<std::pair<std::size_t, std::size_t>> signs;  // each comparison: its first token, its length
    int depth = 0;
    for (std::size_t k = s.condFrom; k < s.condTo; ++k) {
        if (ts[k].mark == '(' || ts[k].mark == '[') ++depth;
        if (ts[k].mark == ')' || ts[k].mark == ']') --depth;
        const rules::RuleWords* r = ruleAt(p.c, ts, k, p.v);
        if (r && r->role == rules::WordRole::Logic && depth == 0) signs.clear();  // «и», «или», «не» part the chain
        std::size_t taken = 0;
        const std::string sign = depth == 0 ? signAt(p, ts, k, taken) : "";
        if (taken == 0 || (sign != "<" && sign != ">" && sign != "<=" && sign != ">=")) continue;
        signs.emplace_back(k, taken);
        k += taken - 1;
        if (signs.size() == 2) break;
    }
    if (signs.size() != 2) return;
    const std::size_t middleFrom = signs[0].first + signs[0].second, middleTo = signs[1].first;
    const std::string first = shown(p, ts, s.condFrom, middleTo), middle = shown(p, ts, middleFrom, middleTo);
    const std::string rest = shown(p, ts, signs[1].first, s.condTo);
    const std::string both = roleWord(p.v, p.table, rules::WordRole::Logic, "&&");
    if (middle.empty() || both.empty()) return;
    add(p, s, HintKind::BranchFlow,
        "«" + shown(p, s, s.condFrom, s.condTo) + "» читается как «(" + first + ") " + rest + "»: сначала выходит истина или ложь, и уже она сравнивается дальше как 1 или 0, а не «" +
            middle + "». Двойное неравенство пишут двумя сравнениями: «" + first + " " + both + " " + middle + " " + rest + "»",
        {middle}, out);
}

}  // namespace diagnostics::programs
