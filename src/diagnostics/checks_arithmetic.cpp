// Arithmetic checks: digits taken with "/", an average with its brackets missing, a product from 0,
// a remainder or a quotient taken for divisibility, «"ложь"» in quotes as a condition, «добавить»
// kept as the list, a divisor search from 1, a whole division kept as a fraction, a count divided
// by a sum (an average upside down), a remainder taken the wrong way round in a divisor walk, a
// remainder of a number smaller than the divisor (it changes nothing), a count of buses rounded to
// the nearest.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <algorithm>
#include <string>

namespace diagnostics::programs {

// In a loop, «цифра = n % 10» and «n = n / 10»: "/" keeps the fraction, so «n» never becomes whole
// and the remainders after the first are not digits. Silent where a condition reads «n % 10»
// (dropping the zeros at the end divides exactly).
void digitsByPlainDivision(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const int n = facts.n;
    const std::string floorWord = reverseOf(p.v, "Math.floor");
    for (int k = 0; k < n; ++k) {
        const Stmt& s = p.stmts[k];
        const std::vector<Token>& ts = tokensOf(p, s);
        std::string x, d;
        if (!binaryValue(p, s, '/', x, d) || x != s.target || !isDigits(p.c, ts[s.valueFrom + 2]) || d.size() > 6 ||
            std::stoi(d) < 2)
            continue;
        const int loop = nearestAround(p, facts, k, StmtKind::Loop);
        if (loop < 0) continue;
        auto remainder = [&](int m) {
            const std::vector<Token>& mt = tokensOf(p, p.stmts[m]);
            for (std::size_t t = 0; t + 2 < mt.size(); ++t)
                if (readsAt(p, mt, t, s.target) && mt[t + 1].mark == '%' && isDigits(p.c, mt[t + 2]) && word(p, mt[t + 2]) == d)
                    return true;
            return false;
        };
        int digit = -1;
        bool tested = remainder(loop);
        for (int m = loop + 1; m < n && within(p, facts, m, loop); ++m) {
            if (!remainder(m)) continue;
            if (p.stmts[m].kind != StmtKind::Other) tested = true;
            else if (digit < 0) digit = m;
        }
        if (digit < 0 || tested) continue;
        const std::string whole = floorWord.empty() ? "(" + s.target + " - " + s.target + " % " + d + ") / " + d
                                                    : floorWord + "(" + s.target + " / " + d + ")";
        const std::string example = d == "10" ? " (125 / 10 — это 12.5, а не 12)" : "";
        out.push_back(naming(at(lineOf(p, s), HintKind::Computation,
                                "«/» делит с дробью" + example + ": «" + s.target + "» так и не становится целым числом, и «" +
                                    s.target + " % " + d + "» на строке " + num(lineOf(p, p.stmts[digit])) +
                                    " на следующих кругах даёт не цифры, а дроби. Чтобы отбросить последнюю цифру, пишите «" +
                                    s.target + " = " + whole + "»",
                                p.c, ts[s.valueFrom].from, ts.back().to, &whole),
                             {s.target + " / " + d}));
    }
}

// «пусть среднее = а + б / 2»: division comes before addition, so only the last term is halved.
void averageWithoutBrackets(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (int k = 0; k < facts.n; ++k) {
        const Stmt& s = p.stmts[k];
        if (s.target.empty()) continue;
        const base::CodePoints name = base::decodeBytes(s.target), stem = base::decodeBytes("СРЕД");
        bool average = false;
        for (std::size_t i = 0; i + stem.size() <= name.size() && !average; ++i)
            average = std::equal(stem.begin(), stem.end(), name.begin() + i, [](std::uint32_t a, std::uint32_t b) {
                return a == base::toUpper(b);
            });
        const std::vector<Token>& ts = tokensOf(p, s);
        // Terms joined by "+", then "/" and the number of the terms: «а + б + в / 3».
        std::size_t terms = 0, t = s.valueFrom;
        while (average && t < ts.size() && (isDigits(p.c, ts[t]) || isPlainName(p.c, ts[t], p.v, ts, t)) &&
               !(t + 1 < ts.size() && (ts[t + 1].mark == '(' || ts[t + 1].mark == '[' || ts[t + 1].mark == '.'))) {
            ++terms;
            if (t + 1 >= ts.size() || ts[t + 1].mark != '+') break;
            t += 2;
        }
        if (terms < 2 || t + 3 != ts.size() || ts[t + 1].mark != '/' || !isDigits(p.c, ts[t + 2]) ||
            word(p, ts[t + 2]) != std::to_string(terms))
            continue;
        const std::string sum = shown(p, s, s.valueFrom, t + 1), last = word(p, ts[t]), d = word(p, ts[t + 2]);
        const std::string fix = "(" + sum + ") / " + d;
        out.push_back(naming(at(lineOf(p, s), HintKind::Computation,
                                "на " + d + " здесь делится только «" + last + "»: деление выполняется раньше сложения, и «" +
                                    s.target + "» получает " + shown(p, s, s.valueFrom, t) + " (" + last + " / " + d +
                                    "). Возьмите сумму в скобки: «" + fix + "»",
                                p.c, ts[s.valueFrom].from, ts.back().to, &fix),
                             {last + " / " + d}));
    }
}

namespace {

bool isBranchHeader(const Stmt& s) { return s.kind == StmtKind::If || s.kind == StmtKind::ElseIf; }

// The sign at token i is "==" or "===", written as signs or as the table's word.
bool equalsAt(const Program& p, const std::vector<Token>& ts, std::size_t i, std::size_t& taken) {
    const std::string sign = signAt(p, ts, i, taken);
    return taken && (sign == "==" || sign == "===");
}

// Whether `name` changes other than by a statement «name = …»: "+=", "++", a parameter of that
// name, or the name a loop's header declares («для каждого name из …»).
bool changedOtherwise(const Program& p, const Facts& facts, const std::string& name) {
    for (const Function& f : facts.functions)
        if (std::find(f.params.begin(), f.params.end(), name) != f.params.end()) return true;
    for (const Stmt& s : p.stmts) {
        const std::vector<Token>& ts = tokensOf(p, s);
        const rules::RuleWords* first = ruleAt(p.c, ts, 0, p.v);
        if (s.kind == StmtKind::Loop && first && !first->declares.empty() && hasWord(p, s, name)) return true;
        for (std::size_t i = 0; i < ts.size(); ++i) {
            if (!readsAt(p, ts, i, name)) continue;
            const auto joined = [&](std::size_t a, std::uint32_t m) {
                return a < ts.size() && ts[a].mark == m && ts[a].from == ts[a - 1].to;
            };
            const std::uint32_t next = i + 1 < ts.size() ? ts[i + 1].mark : 0;
            if ((next == '+' || next == '-' || next == '*' || next == '/' || next == '%') && joined(i + 2, '='))
                return true;
            if ((next == '+' || next == '-') && joined(i + 2, next)) return true;
            if (next == '=' && !joined(i + 2, '=') && s.target != name) return true;
            if (i >= 2 && (ts[i - 1].mark == '+' || ts[i - 1].mark == '-') && ts[i - 2].mark == ts[i - 1].mark &&
                ts[i - 1].from == ts[i - 2].to)
                return true;
        }
    }
    return false;
}

// «x = x * …» where the value is 0 whenever x is: only "*", "/" and "%" after «x *», brackets aside.
bool keepsZero(const Program& p, const Stmt& s) {
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::size_t v = s.valueFrom;
    if (ts.size() < v + 3 || !isWord(p, ts[v], s.target) || ts[v + 1].mark != '*' || ts[v + 2].mark == '*') return false;
    int depth = 0;
    for (std::size_t k = v + 2; k < ts.size(); ++k) {
        const std::uint32_t m = ts[k].mark;
        if (m == '(' || m == '[') ++depth;
        else if (m == ')' || m == ']') --depth;
        else if (depth > 0) continue;
        else if (m == 0) {
            const rules::RuleWords* r = ruleAt(p.c, ts, k, p.v);
            if (r && (r->role == rules::WordRole::Logic || r->role == rules::WordRole::Comparison)) return false;
        } else if (m != '*' && m != '/' && m != '%' && m != '.') {
            return false;
        }
    }
    return depth == 0;
}

}  // namespace

// «пусть произведение = 0», changed only by «произведение = произведение * …»: it stays 0.
void productStartsAtZero(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (int j = 0; j < facts.n; ++j) {
        const Stmt& start = p.stmts[j];
        const std::vector<Token>& st = tokensOf(p, start);
        if (!declares(p, start) || !valueIs(p, start, "0")) continue;
        int grow = -1;
        bool only = true;
        for (const int k : settersOf(facts, start.target)) {
            if (k == j || !only) continue;
            only = keepsZero(p, p.stmts[k]);
            if (grow < 0) grow = k;
        }
        if (!only || grow < 0 || changedOtherwise(p, facts, start.target)) continue;
        const Token& zero = st[start.valueFrom];
        static const std::string one = "1";
        out.push_back(naming(at(lineOf(p, start), HintKind::LoopFlow,
                                "«" + start.target + "» начинается с 0 и меняется только умножением («" + lineText(p, p.stmts[grow]) +
                                    "», строка " + num(lineOf(p, p.stmts[grow])) + "): 0, умноженный на любое число, остаётся нулём, и «" +
                                    start.target + "» всегда будет 0. Произведение начинают с 1: «" + shown(p, start, 0, start.valueFrom) + " 1»",
                                p.c, zero.from, zero.to, &one),
                             {start.target}));
    }
}

// «если x % 3 то»: the remainder as a condition is true when x is not divisible by 3.
void remainderAsCondition(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (!isBranchHeader(s)) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    std::size_t a = s.condFrom, b = s.condTo;
    if (b == a + 5 && ts[a].mark == '(' && ts[b - 1].mark == ')') ++a, --b;
    if (b != a + 3 || ts[a + 1].mark != '%' || !isPlainName(p.c, ts[a], p.v, ts, a)) return;
    const Token& k = ts[a + 2];
    if (!(isPlainName(p.c, k, p.v, ts, a + 2) || (isDigits(p.c, k) && word(p, k) != "0" && word(p, k) != "1"))) return;
    // A text of the branch that says «не…» («не делится», «нечётное») shows the remainder is meant.
    auto saysNot = [&](const Stmt& t) {
        for (const Token& x : tokensOf(p, t)) {
            if (x.mark != literal) continue;
            for (std::size_t q = x.from + 1; q + 1 < x.to; ++q)
                if (!translator::isWordCode(p.c[q - 1]) && base::sameLetter(p.c[q], 0x043D) && base::sameLetter(p.c[q + 1], 0x0435))
                    return true;
        }
        return false;
    };
    if (saysNot(s)) return;
    const int chain = s.chain >= 0 ? s.chain : i;  // every branch of the chain, «иначе» too
    for (int t = chain + 1; t < facts.n && (within(p, facts, t, chain) || p.stmts[t].chain == chain); ++t)
        if (saysNot(p.stmts[t])) return;
    const std::string rem = shown(p, s, a, a + 3), x = word(p, ts[a]), by = word(p, k);
    const std::string fix = rem + " " + equalityWord(p.v) + " 0";
    add(p, s, HintKind::BranchFlow,
        "«" + rem + "» — это остаток от деления «" + x + "» на " + by + ", а не вопрос «делится ли»: как условие он верен, когда остаток не 0, то есть когда «" +
            x + "» НЕ делится на " + by + ". Чтобы проверить, что делится, пишите «" + fix + "»",
        {rem}, out);
}

// «если x / 2 равно 0 то»: the quotient keeps its fraction and is 0 only when x is 0.
void divisionComparedWithZero(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (!isBranchHeader(s)) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::size_t a = s.condFrom;
    std::size_t taken = 0;
    if (s.condTo < a + 5 || ts[a + 1].mark != '/' || !isPlainName(p.c, ts[a], p.v, ts, a) || !isDigits(p.c, ts[a + 2]) ||
        word(p, ts[a + 2]) == "0" || !equalsAt(p, ts, a + 3, taken) || a + 4 + taken != s.condTo ||
        word(p, ts[a + 3 + taken]) != "0")
        return;
    const std::string x = word(p, ts[a]), by = word(p, ts[a + 2]);
    static const std::string remainder = "%";
    out.push_back(naming(at(lineOf(p, s), HintKind::BranchFlow,
                            "«" + shown(p, s, a, s.condTo) + "» верно только при «" + x + "» = 0: «/» делит с дробной частью (7 / 2 = 3.5), и 0 получается, только когда делят 0. Делимость проверяют остатком: «" +
                                x + " % " + by + " " + shown(p, s, a + 3, s.condTo) + "»",
                            p.c, ts[a + 1].from, ts[a + 1].to, &remainder),
                         {"/"}));
}

// «пусть готово = "ложь"», then «если готово то»: a text that is not empty is always true.
void quotedTruthWord(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    if (p.trueWord.empty() || p.falseWord.empty()) return;
    std::vector<std::string> told;
    for (int j = 0; j < facts.n; ++j) {
        const Stmt& set = p.stmts[j];
        const std::vector<Token>& st = tokensOf(p, set);
        if (!valueToken(p, set) || st[set.valueFrom].mark != literal ||
            std::find(told.begin(), told.end(), set.target) != told.end())
            continue;
        const Token& quoted = st[set.valueFrom];
        const std::string inner = textOf(p.c, quoted.from + 1, quoted.to - 1);
        if (inner != p.trueWord && inner != p.falseWord) continue;
        // Every value it gets is a text that is not empty, so the condition is true whatever happens.
        bool texts = true;
        for (const int k : settersOf(facts, set.target)) {
            const Token* v = valueToken(p, p.stmts[k]);
            texts = texts && v && v->mark == literal && v->to - v->from > 2;
        }
        int use = -1;
        bool negated = false;
        for (int k = 0; k < facts.n && use < 0 && texts; ++k) {
            const Stmt& t = p.stmts[k];
            if (!hasCondition(t)) continue;
            const std::vector<Token>& tt = tokensOf(p, t);
            const rules::RuleWords* neg = negationAt(p, tt, t.condFrom);
            const bool no = neg != nullptr;
            const std::size_t n = no ? t.condFrom + neg->words.size() : t.condFrom;
            if (n + 1 == t.condTo && isWord(p, tt[n], set.target)) use = k, negated = no;
        }
        if (use < 0 || changedOtherwise(p, facts, set.target)) continue;
        told.push_back(set.target);
        const Stmt& u = p.stmts[use];
        const std::string cond = shown(p, u, 0, std::min(u.condTo + 1, tokensOf(p, u).size()));
        out.push_back(naming(at(lineOf(p, set), HintKind::BranchFlow,
                                "«" + textOf(p.c, quoted.from, quoted.to) + "» в кавычках — это текст из букв, а не значение «" + inner +
                                    "»: любой непустой текст в условии считается истиной, поэтому условие «" + cond + "» на строке " +
                                    num(lineOf(p, u)) + (negated ? " не верно никогда" : " верно всегда") +
                                    ". Пишите без кавычек: «" + shown(p, set, 0, set.valueFrom) + " " + inner + "»",
                                p.c, quoted.from, quoted.to, &inner),
                             {inner}));
    }
}

// «список = список.добавить(x)»: «добавить» gives the new length, and the list is replaced by it.
void pushReplacesList(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::size_t v = s.valueFrom;
    if (s.target.empty() || v != 2 || ts.size() < v + 5 || !isWord(p, ts[v], s.target) || ts[v + 1].mark != '.') return;
    const rules::RuleWords* m = ruleAt(p.c, ts, v + 2, p.v);
    if (!m || m->role != rules::WordRole::Method || !produces(*m, "push")) return;
    const std::size_t open = v + 2 + m->words.size();
    if (open >= ts.size() || ts[open].mark != '(' || closingOf(ts, open) + 1 != ts.size()) return;
    const std::string call = shown(p, s, v, ts.size());
    static const std::string none;
    out.push_back(naming(at(lineOf(p, s), HintKind::LostValue,
                            "«" + call + "» сам добавляет элемент в «" + s.target + "», а отдаёт новую длину — число; «" + s.target +
                                " = …» кладёт это число на место массива, и дальше «" + s.target + "» уже не массив. Пишите просто «" +
                                call + "»",
                            p.c, ts[0].from, ts[v].from, &none),
                         {m->phrase}));
}

// «пусть д = 1», then a loop whose body tests «n % д равно 0» first and then sets a flag or
// leaves: every number divides by 1, so the test is true on the first round for every n.
void divisorFromOne(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (int j = 0; j + 1 < facts.n; ++j) {
        const Stmt& start = p.stmts[j];
        const Stmt& loop = p.stmts[j + 1];
        const rules::RuleWords* head = ruleAt(p.c, tokensOf(p, loop), 0, p.v);
        if (!valueIs(p, start, "1") || loop.kind != StmtKind::Loop || facts.holders[j + 1] != facts.holders[j] || !head || !head->declares.empty() ||
            !hasWord(p, loop, start.target))
            continue;
        const std::string& d = start.target;
        for (int b : body(p, facts, j + 1)) {
            const Stmt& test = p.stmts[b];
            if (test.target == d || (test.kind != StmtKind::If && hasWord(p, test, d))) break;
            if (test.kind != StmtKind::If) continue;
            const std::vector<Token>& tt = tokensOf(p, test);
            const std::size_t a = test.condFrom;
            std::size_t taken = 0;
            if (test.condTo < a + 5 || tt[a + 1].mark != '%' || !isWord(p, tt[a + 2], d) || isWord(p, tt[a], d) ||
                !(isPlainName(p.c, tt[a], p.v, tt, a) || isDigits(p.c, tt[a])) || !equalsAt(p, tt, a + 3, taken) ||
                a + 4 + taken != test.condTo || word(p, tt[a + 3 + taken]) != "0")
                break;
            int act = -1;
            for (int k : body(p, facts, b)) {
                const Stmt& t = p.stmts[k];
                const std::vector<Token>& kt = tokensOf(p, t);
                const Token* v = valueToken(p, t);
                const bool flag = v && (isWord(p, *v, p.trueWord) || isWord(p, *v, p.falseWord));
                if (flag || isWord(p, kt[0], p.breakWord) || isWord(p, kt[0], p.returnWord)) {
                    act = k;
                    break;
                }
            }
            if (act >= 0)
                add(p, start, HintKind::LoopFlow,
                    "«" + d + "» начинается с 1, а на 1 делится любое число: на первом же круге цикла (строка " + num(lineOf(p, loop)) +
                        ") «" + shown(p, test, a, test.condTo) + "» на строке " + num(lineOf(p, test)) + " верно при любом «" +
                        word(p, tt[a]) + "», и «" + lineText(p, p.stmts[act]) + "» выполняется всегда. Делители ищут с 2: «" +
                        shown(p, start, 0, start.valueFrom) + " 2»",
                    {d}, out);
            break;
        }
    }
}

// «часы = минуты / 60» beside «остаток = минуты % 60»: the remainder shows a whole division was
// meant, and "/" keeps the fraction. A dividend changed inside a loop (a loop over digits) is left alone.
void wholeDivisionKept(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const std::string floorWord = reverseOf(p.v, "Math.floor");
    if (floorWord.empty()) return;
    auto parts = [&](const Stmt& s, std::uint32_t sign, std::string& m, std::string& k) {
        const std::vector<Token>& ts = tokensOf(p, s);
        const std::size_t v = s.valueFrom;
        if (!binaryValue(p, s, sign, m, k) || !isPlainName(p.c, ts[v], p.v, ts, v) ||
            !(isDigits(p.c, ts[v + 2]) || isPlainName(p.c, ts[v + 2], p.v, ts, v + 2)))
            return false;
        return m != s.target && k != "0" && k != "1";
    };
    for (int a = 0; a < facts.n; ++a) {
        std::string m, k;
        if (!parts(p.stmts[a], '/', m, k)) continue;
        bool loopSets = false;
        for (const int t : settersOf(facts, m)) loopSets = loopSets || ancestor(p, facts, t, StmtKind::Loop) >= 0;
        for (int b = 0; b < facts.n && !loopSets; ++b) {
            std::string m2, k2;
            if (!parts(p.stmts[b], '%', m2, k2) || m2 != m || k2 != k || p.stmts[b].target == p.stmts[a].target) continue;
            const Stmt& s = p.stmts[a];
            const std::vector<Token>& ts = tokensOf(p, s);
            const std::string division = shown(p, s, s.valueFrom, ts.size());
            const std::string fix = floorWord + "(" + division + ")";
            out.push_back(naming(at(lineOf(p, s), HintKind::LostValue,
                                    "«" + division + "» делит с дробной частью (например, 7 / 2 = 3.5), а «" + shown(p, p.stmts[b], p.stmts[b].valueFrom, tokensOf(p, p.stmts[b]).size()) +
                                        "» на строке " + num(lineOf(p, p.stmts[b])) + " берёт остаток, значит в «" + s.target +
                                        "» нужна целая часть. Целую часть даёт «" + fix + "»",
                                    p.c, ts[s.valueFrom].from, ts.back().to, &fix),
                                 {division}));
            break;
        }
    }
}


namespace {

// Whether `name` counts: its name says a count, or it starts at a number and only grows by 1.
bool countLike(const Program& p, const Facts& facts, const std::string& name) {
    if (namedGathered(name) == Gathered::Count) return true;
    // «число_оценок» says a count; «число» alone is a number, and «число_1» one of several.
    const base::CodePoints points = base::decodeBytes(name), stem = base::decodeBytes("ЧИСЛО");
    std::size_t at = stem.size();
    if (points.size() > at && std::equal(stem.begin(), stem.end(), points.begin(),
                                         [](std::uint32_t a, std::uint32_t b) { return a == base::toUpper(b); })) {
        if (points[at] == '_') ++at;
        if (at < points.size() && points[at] >= 0x0400 && points[at] <= 0x04FF) return true;
    }
    const std::vector<int>& setters = settersOf(facts, name);
    int grows = 0;
    for (const int d : setters) {
        const Stmt& s = p.stmts[d];
        const std::vector<Token>& ts = tokensOf(p, s);
        if (valueIs(p, s, name, '+', "1")) ++grows;
        else if (!(valueToken(p, s) && isDigits(p.c, ts[s.valueFrom]))) return false;
    }
    return grows > 0;
}

// Whether `name` holds a sum: its name says so, and it says «сумма» itself or grows by more than 1
// somewhere («итого» alone may be a count of people).
bool sumLike(const Program& p, const Facts& facts, const std::string& name) {
    if (namedGathered(name) != Gathered::Sum) return false;
    if (nameHas(name, {"СУММ", "SUM"})) return true;
    std::string a, b;
    for (const int d : settersOf(facts, name))
        if (binaryValue(p, p.stmts[d], '+', a, b) && a == name && b != "1") return true;
    return false;
}

}  // namespace

// «количество / сумма» or «оценки.длина / сумма» on a line that speaks of an average: the count
// divided by the sum, an average upside down. Told at that line.
void averageUpsideDown(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const std::string length = reverseOf(p.v, "length");
    for (int k = 0; k < facts.n; ++k) {
        const Stmt& s = p.stmts[k];
        const std::vector<Token>& ts = tokensOf(p, s);
        // The line speaks of an average: its name, or a text it prints («Среднее время: »); a count
        // over a sum is meant elsewhere («частота = круги / время»).
        bool average = nameHas(s.target, {"СРЕДН", "AVG", "AVERAGE", "MEAN"});
        for (const Token& t : ts) average = average || (t.mark == literal && nameHas(word(p, t), {"СРЕДН"}));
        for (std::size_t j = 1; j + 1 < ts.size() && average; ++j) {
            if (ts[j].mark != '/' || !isPlainName(p.c, ts[j + 1], p.v, ts, j + 1) || !sumLike(p, facts, word(p, ts[j + 1])) ||
                (j + 2 < ts.size() && (ts[j + 2].mark == '.' || ts[j + 2].mark == '(' || ts[j + 2].mark == '[')))
                continue;
            // What is divided: «список.длина» or a name that counts, with nothing multiplied or divided before it.
            std::size_t from = j - 1;
            bool count = false;
            if (j >= 3 && !length.empty() && isWord(p, ts[j - 1], length) && ts[j - 2].mark == '.' &&
                isPlainName(p.c, ts[j - 3], p.v, ts, j - 3)) {
                from = j - 3;
                count = true;
            } else if (isPlainName(p.c, ts[j - 1], p.v, ts, j - 1)) {
                count = countLike(p, facts, word(p, ts[j - 1]));
            }
            if (!count || (from > 0 && (ts[from - 1].mark == '.' || ts[from - 1].mark == '*' || ts[from - 1].mark == '/' ||
                                        ts[from - 1].mark == '%')))
                continue;
            const std::string counted = shown(p, s, from, j), sum = word(p, ts[j + 1]);
            add(p, s, HintKind::Computation,
                "«" + shown(p, s, from, j + 2) + "» делит количество на сумму: так получается не среднее, а обратное ему число. Среднее — сумма, делённая на количество: «" +
                    sum + " / " + counted + "»",
                {sum}, out);
            break;
        }
    }
}

// «часы = минуты % 60»: a name of whole hours (or minutes of whole seconds) taken as the remainder
// of the division, which is the part left over; the whole part is «округлить_вниз(минуты / 60)».
void wholePartByRemainder(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    std::string a, b;
    if (s.target.empty() || !binaryValue(p, s, '%', a, b) || b != "60" || !nameHas(s.target, {"ЧАС", "HOUR"}) ||
        nameHas(s.target, {"МИН"}))
        return;
    const std::string floor = reverseOf(p.v, "Math.floor");
    add(p, s, HintKind::Computation,
        "«" + a + " % 60» — остаток от деления на 60, то есть минуты сверх целых часов, а «" + s.target +
            "» по имени — целые часы: это целая часть деления, «" + (floor.empty() ? "Math.floor" : floor) + "(" + a + " / 60)»",
        {s.target}, out);
}

// «если d % n равно 0» where «d» walks from 1 (or more) up to «n»: a smaller number never divides a
// greater one, so the test holds only at «d» = «n» (or never, for «d < n»). The walk is «пока d <= n»
// from a written start, or «повторить n раз» with «d = счётчик + 1».
void remainderReversed(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& test = p.stmts[i];
    if (test.kind != StmtKind::If && test.kind != StmtKind::ElseIf) return;
    const std::vector<Token>& tt = tokensOf(p, test);
    const std::size_t a = test.condFrom;
    std::size_t taken = 0;
    if (test.condTo < a + 5 || tt[a + 1].mark != '%' || !isPlainName(p.c, tt[a], p.v, tt, a) || !isPlainName(p.c, tt[a + 2], p.v, tt, a + 2) ||
        !equalsAt(p, tt, a + 3, taken) || a + 4 + taken != test.condTo || word(p, tt[a + 3 + taken]) != "0")
        return;
    const std::string d = word(p, tt[a]), n = word(p, tt[a + 2]);
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    if (loop < 0 || d == n) return;
    const Stmt& head = p.stmts[loop];
    const std::vector<Token>& ht = tokensOf(p, head);
    bool reaches = false;  // «d» takes the value «n» on the last round
    const WordPair walk = wordPairOf(p, head);
    const int start = lastSetBefore(facts, d, loop);
    double from = 0;
    if (walk.valid && walk.left == d && walk.right == n && (walk.sign == "<" || walk.sign == "<=") && start >= 0 &&
        number(p, tokensOf(p, p.stmts[start]), p.stmts[start].valueFrom, tokensOf(p, p.stmts[start]).size(), from) && from >= 1) {
        reaches = walk.sign == "<=";
    } else {
        const rules::RuleWords* counted = ruleAt(p.c, ht, 0, p.v, [](const rules::RuleWords& r) { return produces(r, "__LUM__.countLoop"); });
        const std::size_t at = counted ? counted->words.size() : 0;
        if (!counted || ht.size() < at + 2 || !isWord(p, ht[at], n) || ht[at + 1].mark != 0) return;
        const int set = lastSetBefore(facts, d, i);
        if (set <= loop || facts.holders[set] != loop) return;
        const Stmt& one = p.stmts[set];
        const std::vector<Token>& ot = tokensOf(p, one);
        if (ot.size() != one.valueFrom + 3 || ot[one.valueFrom + 1].mark != '+' || word(p, ot[one.valueFrom + 2]) != "1" ||
            !isRoundCounter(p, word(p, ot[one.valueFrom])))
            return;
        reaches = true;
    }
    for (const int k : settersOf(facts, n))
        if (within(p, facts, k, loop)) return;
    const std::string written = shown(p, test, a, test.condTo);
    add(p, test, HintKind::Computation,
        "«" + written + "» " + (reaches ? "верно, только когда «" + d + "» равно «" + n + "»" : "не выполнится никогда") + ": «" + d +
            "» здесь идёт от 1 до «" + n + "» (строка " + num(lineOf(p, head)) +
            "), а меньшее число на большее без остатка не делится. Чтобы проверить, делится ли «" + n + "» на «" + d + "», пишите «" + n +
            " % " + d + " " + shown(p, tt, a + 3, test.condTo) + "»",
        {d, n}, out);
}

// «вклад * (ставка % 100)» where «ставка» is a number written once below 100: the remainder is the
// number itself, so «%» changes nothing; a share («процент») is a division. Told only where the
// remainder is a factor of a product or a quotient (a remainder shown alone, «минуты % 60» of 45,
// is meant), and only for a name that nothing changes.
void remainderChangesNothing(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.target.empty() && !prints(p, s)) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t k = s.target.empty() ? 1 : s.valueFrom + 1; k + 1 < ts.size(); ++k) {
        double by = 0, value = 0;
        if (ts[k].mark != '%' || !isPlainName(p.c, ts[k - 1], p.v, ts, k - 1) || !isDigits(p.c, ts[k + 1]) ||
            !number(p, ts, k + 1, k + 2, by) || (k + 2 < ts.size() && ts[k + 2].mark == '.'))
            continue;
        // A factor of a product or a quotient: «(x % N) * y», «y * (x % N)», «x % N * y».
        const auto timesOrBy = [&](std::size_t t) { return t < ts.size() && (ts[t].mark == '*' || ts[t].mark == '/'); };
        const bool bracketed = k >= 2 && ts[k - 2].mark == '(' && k + 2 < ts.size() && ts[k + 2].mark == ')';
        const bool factor = bracketed ? ((k >= 3 && timesOrBy(k - 3)) || timesOrBy(k + 3)) : (timesOrBy(k + 2) && !(k >= 2 && timesOrBy(k - 2)));
        const std::string x = word(p, ts[k - 1]);
        const std::vector<int>& setters = settersOf(facts, x);
        if (!factor || setters.size() != 1 || setters[0] >= i || nearestAround(p, facts, setters[0], StmtKind::Loop) >= 0) continue;
        const std::vector<Token>& st = tokensOf(p, p.stmts[setters[0]]);
        if (!number(p, st, p.stmts[setters[0]].valueFrom, st.size(), value) || value < 0 || value >= by) continue;
        const std::string written = shown(p, ts, k - 1, k + 2);
        add(p, s, HintKind::Computation,
            "«" + written + "» — остаток от деления " + numberText(value) + " на " + numberText(by) + ", то есть само " + numberText(value) +
                ": «%» здесь ничего не меняет. Если нужна доля (процент), делите: «" + x + " / " + numberText(by) + "»",
            {x}, out);
        return;
    }
}

// «автобусов = округлить(учеников / мест)»: a count of buses, boxes or desks that must hold all of
// something, rounded to the nearest: when the division leaves less than a half, that part is left
// without a place. Told only when a name says so: the result counts containers («автобусов», «коробок»),
// or the divisor is what one of them holds («мест», «в_коробке»).
void containersRoundedDown(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::string up = reverseOf(p.v, "Math.ceil");
    if (s.target.empty() || up.empty() || ts.size() != s.valueFrom + 6) return;
    const std::size_t v = s.valueFrom;
    // «округлить_вниз» is left alone: the count of buses filled whole is meant with it.
    const rules::RuleWords* r = ruleAt(p.c, ts, v, p.v, [](const rules::RuleWords& w) { return produces(w, "Math.round"); });
    if (!r || r->words.size() != 1 || ts[v + 1].mark != '(' || ts[v + 3].mark != '/' || ts[v + 5].mark != ')' ||
        !isPlainName(p.c, ts[v + 2], p.v, ts, v + 2) || !isPlainName(p.c, ts[v + 4], p.v, ts, v + 4))
        return;
    const std::string by = word(p, ts[v + 4]);
    const std::string byUpper = capitals(by);
    const bool holds = nameHas(by, {"МЕСТ", "ВМЕЩ", "ВМЕСТИМ"}) || byUpper.rfind("В_", 0) == 0;
    const bool containers = nameHas(s.target, {"АВТОБУС", "МАШИН", "КОРОБ", "ЯЩИК", "ПАЧ", "ЛОДК", "ЛОДОК", "ВАГОН", "РЕЙС", "УПАКОВ", "ПАРТ", "КОМНАТ", "АВТОМОБ"});
    if (!holds && !containers) return;
    const std::string written = shown(p, ts, v, v + 6);
    add(p, s, HintKind::Computation,
        "«" + written + "» округляет до ближайшего целого: когда «" + word(p, ts[v + 2]) + "» не делится на «" + by +
            "» нацело, часто выходит меньше, чем нужно, и на остаток места не хватит. Чтобы хватило всем, округляйте вверх: «" + up + "(" + word(p, ts[v + 2]) + " / " + by + ")»",
        {s.target}, out);
}

}  // namespace diagnostics::programs
