// Checks of where a loop's values start and stop, told only where the program's own text makes it
// certain: an element number equal to the length (one past the last), a digit loop that stops at
// 10 and leaves a digit out, a product multiplied by a counter that is 0 on the first round, a
// total or a product that starts with the value its loop adds or multiplies by again, a kept extreme
// of remainders that starts past every remainder, a count that starts at 1 and is then tested
// against 0, a kept extreme that starts with a value the loop's filter never checked, a power that starts at its base and is multiplied as many times
// as the exponent, a divisor walk that reaches the number itself and so always finds a divisor, a
// plain division that keeps a fraction and so never brings «пока n > 0» to 0, a walk «i < L.длина -
// 1» that reads only «L[i]» and so never the last element, a sum or a count that starts at 1, a
// walk from 1 that stops before the number its print names, a count from 0 through the bound, a
// step taken before the value is added.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <string>

namespace diagnostics::programs {

namespace {

// Whether the name is 0 when the loop `loop` starts and the body changes it only after statement
// `at` (so at `at` on the first round it is still 0).
bool zeroOnFirstRound(const Program& p, const Facts& facts, const std::string& name, int loop, int at) {
    if (isRoundCounter(p, name)) return countedLoop(p, p.stmts[loop]);
    const int start = lastSetBefore(facts, name, loop);
    if (start < 0 || !valueIs(p, p.stmts[start], "0")) return false;
    for (const int k : settersOf(facts, name))
        if (k > loop && k < at) return false;
    return true;
}

// The statement that gives `v` its value on the loop's first round, before statement `at`: its own
// «для каждого v из L» header (when `start` is «L[0]»), or the first «v = …» in the body. The
// value is the same as `start`'s when it is written the same and nothing it reads changes first.
bool firstRoundGives(const Program& p, const Facts& facts, const Stmt& start, int loop, const std::string& v, int at) {
    const std::vector<Token>& st = tokensOf(p, start);
    const std::string begin = shown(p, st, start.valueFrom, st.size());
    const EachLoop each = eachLoopOf(p, p.stmts[loop]);
    if (each.valid && !each.list.empty()) return each.element == v && begin == each.list + "[0]";
    for (int k = loop + 1; k < at; ++k) {
        if (!changesName(p, p.stmts[k], v)) continue;
        const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
        if (p.stmts[k].target != v || facts.holders[k] != loop || shown(p, kt, p.stmts[k].valueFrom, kt.size()) != begin)
            return false;
        for (int m = loop + 1; m < k; ++m)
            for (std::size_t t = start.valueFrom; t < st.size(); ++t)
                if (st[t].mark == 0 && changesName(p, p.stmts[m], word(p, st[t]))) return false;
        return true;
    }
    return false;
}

// The start of `name` just before `loop` when it is a value other than a plain number, or -1.
int computedStart(const Program& p, const Facts& facts, const std::string& name, int loop) {
    const int start = lastSetBefore(facts, name, loop);
    if (start < 0 || facts.holders[start] != facts.holders[loop]) return -1;
    const std::vector<Token>& st = tokensOf(p, p.stmts[start]);
    double value = 0;
    if (st.size() <= p.stmts[start].valueFrom || number(p, st, p.stmts[start].valueFrom, st.size(), value)) return -1;
    // What the start reads stays as it was until the loop: «n = n / 10» between would make the
    // loop's first value another one.
    for (int m = start + 1; m < loop; ++m)
        for (std::size_t t = p.stmts[start].valueFrom; t < st.size(); ++t)
            if (st[t].mark == 0 && changesName(p, p.stmts[m], word(p, st[t]))) return -1;
    return start;
}

}  // namespace

namespace {

// «имя = имя + …» or «имя = имя * …»: the sign, and the tokens of what is added or multiplied by
// (brackets that hold it whole taken off); 0 for any other value. After "*" only one word or a
// group in brackets is read («п * n % 10» is «(п * n) % 10»); after "+" a term without "+" or "-".
std::uint32_t gathersInto(const Program& p, const Stmt& s, std::size_t& from, std::size_t& to) {
    const std::vector<Token>& ts = tokensOf(p, s);
    if (s.target.empty() || ts.size() < s.valueFrom + 3 || !isWord(p, ts[s.valueFrom], s.target) ||
        ts[s.valueFrom].mark != 0)
        return 0;
    const std::uint32_t sign = ts[s.valueFrom + 1].mark;
    from = s.valueFrom + 2, to = ts.size();
    if ((sign != '+' && sign != '*') || ts[from].mark == sign || ts[from].mark == '=') return 0;  // not "++", "**", "+="
    if (from + 1 == to) return ts[from].mark == 0 ? sign : 0;
    if (ts[from].mark == '(' && closingOf(ts, from) + 1 == to) {
        unwrap(ts, from, to);
        return from < to ? sign : 0;
    }
    if (sign == '*') return 0;
    int depth = 0;
    for (std::size_t k = from; k < to; ++k) {
        const std::uint32_t m = ts[k].mark;
        depth += (m == '(' || m == '[') - (m == ')' || m == ']');
        if (depth == 0 && m != 0 && m != '%' && m != '*' && m != '/' && m != ')' && m != ']' && m != '.') return 0;
    }
    return sign;
}

// Whether tokens [from, to) of statement i in `loop` write the start's value again, and nothing the
// start reads changes in the loop before i: the first round takes that same value.
bool sameAsStart(const Program& p, const Stmt& start, int loop, int i, std::size_t from, std::size_t to) {
    const std::vector<Token>& st = tokensOf(p, start);
    std::size_t a = start.valueFrom, b = st.size();
    unwrap(st, a, b);
    if (shown(p, tokensOf(p, p.stmts[i]), from, to) != shown(p, st, a, b)) return false;
    for (int m = loop + 1; m < i; ++m)
        for (std::size_t t = a; t < b; ++t)
            if (st[t].mark == 0 && changesName(p, p.stmts[m], word(p, st[t]))) return false;
    return true;
}

}  // namespace

// «сумма = n % 10» before a loop whose first round adds «n % 10» again (by way of «цифра = n % 10»,
// or written out), or «произведение = n % 10» before «произведение = произведение * (n % 10)»: that
// value is counted twice, or counted though the loop's «если» would have left it out.
void startAddedAgain(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    std::size_t from = 0, to = 0;
    const std::uint32_t sign = gathersInto(p, s, from, to);
    if (sign == 0) return;
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    if (loop < 0) return;
    const int start = computedStart(p, facts, s.target, loop);
    if (start < 0) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const bool again = from + 1 == to && ts[from].mark == 0 ? firstRoundGives(p, facts, p.stmts[start], loop, word(p, ts[from]), i)
                                                            : sameAsStart(p, p.stmts[start], loop, i, from, to);
    if (!again) return;
    const std::vector<Token>& st = tokensOf(p, p.stmts[start]);
    const std::string begin = shown(p, st, p.stmts[start].valueFrom, st.size());
    const bool sum = sign == '+';
    const int guard = facts.holders[i] != loop ? facts.holders[i] : -1;
    const std::string when =
        guard < 0 ? (sum ? "прибавляет это же значение ещё раз (строка " + num(lineOf(p, s)) + "): оно посчитается дважды"
                         : "умножает на это же значение ещё раз (строка " + num(lineOf(p, s)) + "): оно войдёт в произведение дважды")
                  : std::string(sum ? "сам берёт это же значение и прибавляет его" : "сам берёт это же значение и умножает на него") +
                        " (строка " + num(lineOf(p, s)) + "), только если «" +
                        shown(p, p.stmts[guard], p.stmts[guard].condFrom, p.stmts[guard].condTo) +
                        "»: подходящее посчитается дважды, а неподходящее попадёт в " + (sum ? "сумму" : "произведение") + " всё равно";
    const std::string set = lineText(p, p.stmts[start]);
    add(p, p.stmts[start], HintKind::Computation,
        "«" + s.target + "» начинается с «" + begin + "», а цикл (строка " + num(lineOf(p, p.stmts[loop])) +
            ") на первом круге " + when + ". Начальное значение " + (sum ? "суммы — 0" : "произведения — 1") + ": «" +
            set.substr(0, set.size() - begin.size()) + (sum ? "0" : "1") + "»",
        {s.target}, out);
}

// «макс = n % 10» (or «мин = числа[0]») before a loop that keeps «макс = цифра» only when
// «цифра % 3 равно 0 и цифра > макс»: the start never passed that filter, and stays the answer
// whenever it beats every value that does. Silent without a filter: then the first value is right.
void extremeStartUnfiltered(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const Token* v = valueToken(p, s);
    if (!v || v->mark != 0) return;
    const std::string value = word(p, *v);
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    if (loop < 0) return;
    const int start = computedStart(p, facts, s.target, loop);
    if (start < 0 || !firstRoundGives(p, facts, p.stmts[start], loop, value, i)) return;
    // The «если» around: one part compares the value with the name, another (the filter) reads
    // only the value; parts are joined by «и», in one header or in nested ones.
    const std::string both = roleWord(p.v, p.table, rules::WordRole::Logic, "&&");
    std::string filter;
    int filterAt = -1;
    int sign = 0;  // 1 when a greater value is kept, -1 a smaller one
    for (int h = facts.holders[i]; h >= 0 && h != loop; h = facts.holders[h]) {
        const Stmt& head = p.stmts[h];
        if (head.kind != StmtKind::If) return;
        const std::vector<Token>& ht = tokensOf(p, head);
        std::size_t from = head.condFrom;
        for (std::size_t t = head.condFrom; t <= head.condTo; ++t) {
            if (t < head.condTo && !isWord(p, ht[t], both)) continue;
            bool name = false, val = false;
            for (std::size_t m = from; m < t; ++m)
                name = name || readsAt(p, ht, m, s.target), val = val || readsAt(p, ht, m, value);
            std::size_t taken = 0;
            if (name && val && t == from + 3) {
                const std::string cmp = signAt(p, ht, from + 1, taken);
                const bool less = cmp == "<" || cmp == "<=", more = cmp == ">" || cmp == ">=";
                if (taken == 1 && (less || more)) sign = (less == readsAt(p, ht, from, value)) ? -1 : 1;
            } else if (val && !name && filter.empty()) {
                filter = shown(p, ht, from, t);
                filterAt = h;
            } else if (name) {
                return;
            }
            from = t + 1;
        }
    }
    if (filter.empty() || sign == 0) return;
    const std::vector<Token>& st = tokensOf(p, p.stmts[start]);
    const std::string begin = shown(p, st, p.stmts[start].valueFrom, st.size());
    add(p, p.stmts[start], HintKind::Computation,
        "«" + s.target + "» начинается с «" + begin + "» — значения, которое условие «" + filter + "» (строка " +
            num(lineOf(p, p.stmts[filterAt])) + ") не проверяло: если оно этому условию не подходит, но " +
            (sign > 0 ? "больше" : "меньше") + " всех подходящих, ответом останется оно. Начальное значение возьмите такое, которое уступит любому подходящему (" +
            (sign > 0 ? "например -1 или очень маленькое число" : "например очень большое число") + "), или первое подходящее",
        {s.target}, out);
}

// «пусть макс = 9» before a loop that keeps «макс = цифра» when «цифра > макс», «цифра» being
// «n % 10»: a remainder of division by 10 is never more than 9, so the «если» never lets one in and
// the answer stays the start. The least side the same: «мин = 0» against «цифра < мин» where the
// loop's own condition keeps «n» from going below 0. Told at the start.
void extremeStartPastDigits(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    if (s.kind != StmtKind::If || loop < 0) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    for (const auto& [from, to] : bothParts(p, s)) {
        const WordPair pair = wordPairIn(p, ts, from, to);
        if (!pair.valid) continue;
        const bool strict = pair.sign == "<" || pair.sign == ">";
        if (!strict && pair.sign != "<=" && pair.sign != ">=") continue;
        // «цифра > макс» or «макс < цифра»: `greater` when a greater value is kept.
        for (const bool valueLeft : {true, false}) {
            const std::string& value = valueLeft ? pair.left : pair.right;
            const std::string& kept = valueLeft ? pair.right : pair.left;
            const bool greater = (pair.sign[0] == '>') == valueLeft;
            std::string of;
            const double by = value == kept ? 0 : remainderIn(p, facts, value, loop, of);
            if (by == 0) continue;
            bool keeps = false;
            for (const int k : body(p, facts, i)) keeps = keeps || (p.stmts[k].target == kept && valueIs(p, p.stmts[k], value));
            const int start = lastSetBefore(facts, kept, loop);
            double begin = 0;
            const std::vector<Token>* st = start >= 0 ? &tokensOf(p, p.stmts[start]) : nullptr;
            if (!keeps || !st || within(p, facts, start, loop) || !number(p, *st, p.stmts[start].valueFrom, st->size(), begin) ||
                changedBesidesSetters(p, facts, kept))
                continue;
            bool onlyKept = true;  // every change of «макс» in the loop takes the value
            for (const int d : settersOf(facts, kept))
                onlyKept = onlyKept && (!within(p, facts, d, loop) || valueIs(p, p.stmts[d], value));
            // A remainder is never above m - 1; below 0 only for a negative number, which the
            // loop's «n > 0» (or «n >= 0», …) keeps out.
            const Range walked = rangeOf(p, p.stmts[loop]);
            const bool notNegative = walked.valid && walked.name == of && walked.lo >= 0;
            const bool never = greater ? (strict ? begin >= by - 1 : begin > by - 1) : notNegative && (strict ? begin <= 0 : begin < 0);
            if (!onlyKept || !never) continue;
            const std::string set = lineText(p, p.stmts[start]);
            const std::string written = shown(p, *st, p.stmts[start].valueFrom, st->size());
            const std::string fix = set.substr(0, set.size() - written.size()) + (greater ? "0" : numberText(by - 1));
            add(p, p.stmts[start], HintKind::LoopFlow,
                "«" + kept + "» начинается с " + written + ", а «" + value + "» — остаток от деления на " + numberText(by) +
                    (greater ? "" : " положительного числа") + " — не бывает " + (greater ? "больше " + numberText(by - 1) : "меньше 0") +
                    ": «" + shown(p, ts, from, to) + "» (строка " + num(lineOf(p, s)) + ") не будет верно ни разу, и «" + kept +
                    "» так и останется " + written + ". Начните с " + (greater ? "наименьшего" : "наибольшего") +
                    " возможного значения" + (greater && !notNegative ? " или с первой цифры" : ": «" + fix + "»"),
                {kept}, out);
            return;
        }
    }
}

// «пусть k = 1» before a loop that only adds 1 to «k», and after the loop «если k равно 0»: «k»
// never comes down to 0, so the test is decided; started at 0, it would not be. The count is told
// to start at 0, at its start.
void counterStartsPastZero(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If && s.kind != StmtKind::ElseIf) return;
    const Compared k = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    if (!k.valid || k.valueAt + 1 < s.condTo) return;
    const std::vector<int>& setters = settersOf(facts, k.name);
    if (setters.size() < 2 || setters[0] > i || changedBesidesSetters(p, facts, k.name)) return;
    // The start runs whenever the test does: not under an «если» of its own.
    const int around = facts.holders[setters[0]];
    if (around >= 0 && (p.stmts[around].kind != StmtKind::Loop && p.stmts[around].kind != StmtKind::Function)) return;
    if (around >= 0 && !within(p, facts, i, around)) return;
    const Stmt& start = p.stmts[setters[0]];
    const std::vector<Token>& st = tokensOf(p, start);
    double begin = 0;
    if (!number(p, st, start.valueFrom, st.size(), begin) || begin != static_cast<double>(static_cast<long long>(begin))) return;
    // Every other change adds 1, in a loop that closes before the test.
    int grows = -1;
    for (std::size_t d = 1; d < setters.size(); ++d) {
        const int loop = nearestAround(p, facts, setters[d], StmtKind::Loop);
        if (loop < 0 || loop < setters[0] || lastInBlock(p, facts, loop) >= i || !growsByOne(p, p.stmts[setters[d]], k.name)) return;
        if (grows < 0) grows = setters[d];
    }
    // The test's outcome over every value from `from` on: only the values near the number matter.
    const auto decided = [&](double from, bool& outcome) {
        bool read = false, first = true;
        for (const double x : {from, k.value - 1, k.value, k.value + 1, k.value + 2}) {
            if (x < from) continue;
            const bool h = holds(k.sign, x, k.value, read);
            if (!read || (!first && h != outcome)) return false;
            outcome = h, first = false;
        }
        return true;
    };
    bool outcome = false, fromZero = false;
    if (begin <= 0 || !decided(begin, outcome) || decided(0, fromZero)) return;
    const std::string set = lineText(p, start);
    const std::string written = shown(p, st, start.valueFrom, st.size());
    add(p, start, HintKind::LoopFlow,
        "«" + k.name + "» начинается с " + written + " и дальше только растёт на 1 (строка " + num(lineOf(p, p.stmts[grows])) +
            "), так что «" + shown(p, s, s.condFrom, s.condTo) + "» (строка " + num(lineOf(p, s)) + ") " +
            (outcome ? "верно всегда" : "не будет верно ни разу") + ": «" + k.name + "» на " + written +
            " больше, чем насчитано. Счёт начинают с нуля: «" + set.substr(0, set.size() - written.size()) + "0»",
        {k.name}, out);
}

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
// 10 itself, and that first digit (both digits of 10) is never taken. «n > 9» and «n >= 10» stop on
// the first digit on purpose in a walk to it: they are told only when a name takes the digits
// «n % 10» round by round (a total, a kept greatest) and nothing reads n after the loop to take the
// last one.
void digitLoopStopsAtTen(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop || s.closed) return;
    const Compared k = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    if (!k.valid) return;
    const bool atTen = k.sign == ">" && k.value == 10;
    const bool atOneDigit = (k.sign == ">" && k.value == 9) || (k.sign == ">=" && k.value == 10);
    if (!atTen && !atOneDigit) return;
    bool divides = false;
    std::vector<std::string> digits = {k.name};  // the number, and names set to its last digit
    std::string total;                           // a name that takes a digit round by round
    for (int t = i + 1; t < facts.n && within(p, facts, t, i); ++t) {
        const Stmt& d = p.stmts[t];
        if (d.target.empty()) continue;
        const std::vector<Token>& dt = tokensOf(p, d);
        if (d.target == k.name) {
            for (std::size_t m = d.valueFrom; m + 1 < dt.size(); ++m)
                divides = divides || (dt[m].mark == '/' && word(p, dt[m + 1]) == "10");
            continue;
        }
        bool lastDigit = false, gathers = false;
        for (std::size_t m = d.valueFrom; m < dt.size(); ++m) {
            lastDigit = lastDigit || (m + 2 < dt.size() && isWord(p, dt[m], k.name) && dt[m + 1].mark == '%' && word(p, dt[m + 2]) == "10");
            for (std::size_t g = 1; g < digits.size(); ++g) gathers = gathers || isWord(p, dt[m], digits[g]);
        }
        // Set under an «если» that tests a digit («если ц равно 5 то к = к + 1»): it takes the digit too.
        const int test = facts.holders[t];
        for (std::size_t g = 1; g < digits.size() && test > i; ++g) gathers = gathers || (hasCondition(p.stmts[test]) && reads(p, p.stmts[test], digits[g]));
        if (lastDigit && !reads(p, d, d.target)) digits.push_back(d.target);
        else if (lastDigit || gathers) total = d.target;
    }
    if (!divides) return;
    if (atTen) {
        add(p, s, HintKind::LoopFlow,
            "цикл делит «" + k.name + "» на 10 и остановится, как только «" + k.name +
                "» станет 10 или меньше: эта старшая (первая) цифра — а у 10 обе цифры — в цикле не обработается. Чтобы пройти все цифры, пишите «" +
                k.name + " > 0»",
            {k.name}, out);
        return;
    }
    // «> 9» is right for a walk to the first digit, and for a total that takes it after the loop.
    if (total.empty()) return;
    for (const int r : readersOf(facts, k.name))
        if (r > lastInBlock(p, facts, i)) return;
    add(p, s, HintKind::LoopFlow,
        "цикл делит «" + k.name + "» на 10 и остановится, когда в «" + k.name +
            "» останется одна цифра: эта первая (старшая) цифра в «" + total + "» не войдёт. Чтобы пройти все цифры, пишите «" +
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

// «р = основание» then «повторить показатель раз: р = р * основание»: one multiplication more
// than the exponent asks. Silent for «показатель - 1 раз» and for a start of 1.
void powerOneTooMany(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    std::string a, b;
    const int loop = facts.holders[i];
    if (!binaryValue(p, s, '*', a, b) || a != s.target || loop < 0 || p.stmts[loop].closed) return;
    const Stmt& head = p.stmts[loop];
    const std::vector<Token>& ht = tokensOf(p, head);
    const rules::RuleWords* counted = ruleAt(p.c, ht, 0, p.v, [](const rules::RuleWords& r) { return produces(r, "__LUM__.countLoop"); });
    // «повторить X раз»: X one word, so «показатель - 1» is left alone.
    const std::size_t at = counted ? counted->words.size() : 0;
    if (!counted || ht.size() < at + 2 || !isPlainName(p.c, ht[at], p.v, ht, at) || ht[at + 1].mark != 0) return;
    const std::string times = word(p, ht[at]);
    const int start = lastSetBefore(facts, s.target, loop);
    if (start < 0 || !valueIs(p, p.stmts[start], b)) return;
    for (const int k : settersOf(facts, s.target))
        if (k != start && k != i) return;
    for (const int k : settersOf(facts, b))
        if (k > start && k <= lastInBlock(p, facts, loop)) return;  // the base changes on the way
    add(p, p.stmts[start], HintKind::Computation,
        "«" + s.target + "» начинается с «" + b + "», и цикл (строка " + num(lineOf(p, head)) + ") ещё «" + times +
            "» раз умножает его на «" + b + "»: выйдет «" + b + "» в степени «" + times +
            " + 1», одно умножение лишнее. Начальное значение степени — 1: «" +
            lineText(p, p.stmts[start]).substr(0, lineText(p, p.stmts[start]).size() - b.size()) + "1»",
        {s.target}, out);
}

// «пока д <= n: если n % д равно 0 то простое = ложь»: on the last round «д» is «n», «n % n» is
// 0 for every n, and the flag is set whatever the number. Only for a flag (a truth value set); a
// count of divisors up to n itself is meant.
void divisorWalkReachesNumber(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop || s.closed) return;
    // «д <= n»: the name, the sign, one other name.
    const WordPair walk = wordPairOf(p, s);
    if (!walk.valid || walk.sign != "<=" || isDigits(p.c, tokensOf(p, s)[s.condTo - 1])) return;
    const std::string d = walk.left, n = walk.right;
    for (int h = i + 1; h < facts.n && within(p, facts, h, i); ++h) {
        const Stmt& test = p.stmts[h];
        if (test.kind != StmtKind::If || facts.holders[h] != i || !facts.branches[h].empty()) continue;
        const std::vector<Token>& tt = tokensOf(p, test);
        std::size_t eq = 0;
        double zero = 1;
        if (test.condTo != test.condFrom + 5 || !isWord(p, tt[test.condFrom], n) || tt[test.condFrom + 1].mark != '%' ||
            !isWord(p, tt[test.condFrom + 2], d))
            continue;
        const std::string equal = signAt(p, tt, test.condFrom + 3, eq);
        if ((equal != "==" && equal != "===") || !number(p, tt, test.condFrom + 3 + eq, test.condTo, zero) || zero != 0) continue;
        for (const int set : body(p, facts, h)) {
            const Stmt& flag = p.stmts[set];
            if (flag.target.empty()) continue;
            if (valueIs(p, flag, p.trueWord) || valueIs(p, flag, p.falseWord)) {
                add(p, s, HintKind::LoopFlow,
                    "на последнем круге «" + d + "» равно «" + n + "», а «" + n + " % " + n + "» — 0 для любого числа: «" + lineText(p, flag) +
                        "» (строка " + num(lineOf(p, flag)) + ") выполнится всегда. Чтобы само число не считалось делителем, пишите «" + d +
                        " < " + n + "»",
                    {d, n}, out);
                return;
            }
            // A count of divisors from 2 that the program later tests against 0: «n» itself is
            // always counted, so the count is never 0. From 1 to «n» with «равно 2» is meant.
            const int start = lastSetBefore(facts, d, i);
            double from = 0;
            const std::vector<Token>& st = start >= 0 ? tokensOf(p, p.stmts[start]) : tt;
            if (!valueIs(p, flag, flag.target, '+', "1") || start < 0 || !number(p, st, p.stmts[start].valueFrom, st.size(), from) || from < 2)
                continue;
            for (const int r : readersOf(facts, flag.target)) {
                const Stmt& use = p.stmts[r];
                const Compared zero = r > lastInBlock(p, facts, i) && hasCondition(use) ? comparedIn(p, tokensOf(p, use), use.condFrom, use.condTo) : Compared{};
                if (!zero.valid || zero.name != flag.target || zero.value != 0) continue;
                add(p, s, HintKind::LoopFlow,
                    "на последнем круге «" + d + "» равно «" + n + "», а «" + n + " % " + n + "» — 0 для любого числа: само «" + n +
                        "» посчитается делителем (строка " + num(lineOf(p, flag)) + "), и «" + shown(p, use, use.condFrom, use.condTo) + "» (строка " +
                        num(lineOf(p, use)) + ") " + (isNotEqual(zero.sign) || zero.sign == ">" ? "верно всегда" : "не выполнится никогда") +
                        ". Чтобы само число не считалось делителем, пишите «" + d + " < " + n + "»",
                    {d, n}, out);
                return;
            }
        }
    }
}

// «пока n > 0» (or «не равно 0») around «n = n / 10»: the division keeps the fraction (4096, 409.6,
// 40.96, …), so «n» comes near 0 but reaches it only after hundreds of rounds. «n >= 1» stops in
// time and is left alone.
void divisionNeverReachesZero(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop || s.closed) return;
    const Compared k = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    if (!k.valid || k.value != 0 || (k.sign != ">" && !isNotEqual(k.sign))) return;
    for (int t = i + 1; t < facts.n && within(p, facts, t, i); ++t) {
        const Stmt& d = p.stmts[t];
        std::string a, b;
        double divisor = 0;
        const std::vector<Token>& dt = tokensOf(p, d);
        if (d.target != k.name || facts.holders[t] != i || !binaryValue(p, d, '/', a, b) || a != k.name ||
            !number(p, dt, dt.size() - 1, dt.size(), divisor) || divisor < 2)
            continue;
        const std::string floor = reverseOf(p.v, "Math.floor");
        add(p, d, HintKind::Computation,
            "«" + k.name + " / " + b + "» делит с дробной частью: 4096, 409.6, 40.96, … — «" + k.name +
                "» становится всё меньше, но до 0 доходит только через сотни кругов, и условие «" + shown(p, s, s.condFrom, s.condTo) +
                "» (строка " + num(lineOf(p, s)) + ") держит цикл всё это время. Отбрасывайте дробную часть: «" + k.name + " = " +
                (floor.empty() ? "Math.floor" : floor) + "(" + k.name + " / " + b + ")»",
            {k.name}, out);
        return;
    }
}

// «пока i < цены.длина - 1» reading «цены[i]» alone: the last number the walk takes is the one
// before the last, so the last element is never read. Silent when the body reads «цены[i + 1]»
// (pairs of neighbours need that bound).
void walkStopsBeforeLast(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::string length = reverseOf(p.v, "length");
    if (s.kind != StmtKind::Loop || s.closed || length.empty()) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    std::size_t taken = 0;
    const std::size_t c = s.condFrom;
    if (s.condTo < c + 7 || !isPlainName(p.c, ts[c], p.v, ts, c) || signAt(p, ts, c + 1, taken) != "<" || taken != 1) return;
    const std::size_t l = c + 2;
    if (l + 5 != s.condTo || !isPlainName(p.c, ts[l], p.v, ts, l) || ts[l + 1].mark != '.' || !isWord(p, ts[l + 2], length) ||
        ts[l + 3].mark != '-' || word(p, ts[l + 4]) != "1")
        return;
    const std::string index = word(p, ts[c]), list = word(p, ts[l]);
    bool plain = false;
    for (int k = i + 1; k < facts.n && within(p, facts, k, i); ++k) {
        const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
        for (std::size_t t = 0; t + 2 < kt.size(); ++t) {
            if (!isWord(p, kt[t], list) || kt[t + 1].mark != '[') continue;
            if (isWord(p, kt[t + 2], index) && t + 3 < kt.size() && kt[t + 3].mark == ']') plain = true;
            else return;  // «цены[i + 1]» or another number: neighbours are meant
        }
    }
    if (!plain) return;
    add(p, s, HintKind::LoopFlow,
        "«" + shown(p, s, s.condFrom, s.condTo) + "» останавливает цикл на предпоследнем номере: последний элемент «" + list + "[" +
            list + "." + length + " - 1]» цикл не читает. Чтобы пройти до конца, пишите «" + index + " < " + list + "." + length + "»",
        {index, list}, out);
}

// «пусть сумма = 1» before a loop that adds each element to it, or «пусть пятёрок = 1» before a loop
// that adds 1 when the element equals a written number: the start counts one more than the loop
// finds. Silent for a run of equal neighbours (the first element starts the run at 1), for a
// product, and when the name is set again before the loop reads it.
void gatheredFromOne(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    std::string a, b;
    if (loop < 0 || !binaryValue(p, s, '+', a, b) || a != s.target) return;
    const int start = lastSetBefore(facts, s.target, loop);
    const std::vector<int>& setters = settersOf(facts, s.target);
    if (start < 0 || !valueIs(p, p.stmts[start], "1") || setters.size() != 2 || facts.holders[start] != facts.holders[loop]) return;
    const EachLoop each = eachLoopOf(p, p.stmts[loop]);
    const bool sum = each.valid && b == each.element && facts.holders[i] == loop;
    bool count = false;
    if (b == "1" && facts.holders[i] != loop && each.valid) {
        const Stmt& test = p.stmts[facts.holders[i]];
        const Compared k = test.kind == StmtKind::If ? comparedIn(p, tokensOf(p, test), test.condFrom, test.condTo) : Compared{};
        count = k.valid && k.name == each.element && facts.holders[facts.holders[i]] == loop;
    }
    if (!sum && !count) return;
    bool readAfter = false;
    for (const int r : readersOf(facts, s.target)) readAfter = readAfter || r > lastInBlock(p, facts, loop);
    if (!readAfter) return;
    add(p, p.stmts[start], HintKind::Computation,
        "«" + s.target + "» начинается с 1, и к тому, что " + (sum ? "сложит" : "насчитает") + " цикл (строка " + num(lineOf(p, p.stmts[loop])) +
            "), добавится лишняя единица. Начальное значение " + (sum ? "суммы" : "счётчика") + " — 0: «" +
            shown(p, p.stmts[start], 0, p.stmts[start].valueFrom) + " 0»",
        {s.target}, out);
}

// «день = 1; пока день < 10» with a print after the loop that names 10 («За 10 дней»): the loop
// stops before the 10th round the text counts.
void walkShortOfPrintedBound(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop || s.closed) return;
    const Compared k = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    const int start = k.valid ? lastSetBefore(facts, k.name, i) : -1;
    if (!k.valid || k.sign != "<" || start < 0 || !valueIs(p, p.stmts[start], "1") || k.value < 2 || k.value > 1e6) return;
    if (!stepsOnceByOne(p, facts, k.name, i)) return;
    const std::string bound = numberText(k.value);
    for (int r = lastInBlock(p, facts, i) + 1; r < facts.n; ++r) {
        if (!prints(p, p.stmts[r])) continue;
        for (const Token& t : tokensOf(p, p.stmts[r])) {
            if (t.mark != literal) continue;
            const std::vector<TextWord> w = textWords(base::CodePoints(p.c + t.from, p.c + t.to));
            bool named = false;
            for (const TextWord& x : w) named = named || (x.number && x.value == k.value);
            if (!named) continue;
            const std::string fix = roleWord(p.v, p.table, rules::WordRole::Comparison, "<=");
            add(p, s, HintKind::LoopFlow,
                "«" + k.name + "» идёт от 1, и при «" + shown(p, s, s.condFrom, s.condTo) + "» цикл выполнится " + numberText(k.value - 1) +
                    " раз: последний, " + bound + "-й, не войдёт, а текст на строке " + num(lineOf(p, p.stmts[r])) + " говорит о " + bound +
                    ". Пишите «" + k.name + " " + (fix.empty() ? "<=" : fix) + " " + bound + "»",
                {k.name}, out);
            return;
        }
    }
}

// «номер = 0; пока номер <= билетов» whose body numbers from 1 («номер + 1»): counted from 0 up to
// the bound itself, the loop runs one round more than the bound says.
void countFromZeroThroughBound(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const WordPair walk = s.kind == StmtKind::Loop ? wordPairOf(p, s) : WordPair{};
    if (!walk.valid || walk.sign != "<=") return;
    const int start = lastSetBefore(facts, walk.left, i);
    if (start < 0 || !valueIs(p, p.stmts[start], "0")) return;
    bool fromOne = false;
    for (int m = i + 1; m <= lastInBlock(p, facts, i); ++m) {
        const Stmt& d = p.stmts[m];
        const std::vector<Token>& dt = tokensOf(p, d);
        for (std::size_t t = 0; t + 2 < dt.size(); ++t)
            fromOne = fromOne || (isWord(p, dt[t], walk.left) && dt[t + 1].mark == '+' && word(p, dt[t + 2]) == "1" && !changesName(p, d, walk.left));
    }
    double bound = 0;
    const std::vector<int>& bs = settersOf(facts, walk.right);
    const bool known = bs.size() == 1 && number(p, tokensOf(p, p.stmts[bs[0]]), p.stmts[bs[0]].valueFrom, tokensOf(p, p.stmts[bs[0]]).size(), bound);
    if (!fromOne || !stepsOnceByOne(p, facts, walk.left, i)) return;
    const std::string fix = roleWord(p.v, p.table, rules::WordRole::Comparison, "<");
    add(p, s, HintKind::LoopFlow,
        "«" + walk.left + "» идёт от 0, и при «" + shown(p, s, s.condFrom, s.condTo) + "» цикл выполнится «" + walk.right + "» + 1 раз" +
            (known ? " (" + numberText(bound + 1) + ")" : "") + ": один круг лишний. Считая с 0, пишите «" + walk.left + " " +
            (fix.empty() ? "<" : fix) + " " + walk.right + "»",
        {walk.left}, out);
}

// «пока к <= предел: к = к + 1; сумма = сумма + к»: the counter steps before it is added, so the
// first value is skipped and the last one added is «предел + 1».
void stepBeforeUse(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const WordPair walk = s.kind == StmtKind::Loop ? wordPairOf(p, s) : WordPair{};
    if (!walk.valid || walk.sign != "<=") return;
    const std::vector<int> inner = body(p, facts, i);
    int step = -1, use = -1;
    for (std::size_t k = 0; k < inner.size(); ++k) {
        const Stmt& d = p.stmts[inner[k]];
        std::string a, b;
        if (changesName(p, d, walk.left)) {
            if (step >= 0 || !valueIs(p, d, walk.left, '+', "1")) return;
            step = inner[k];
        } else if (step >= 0 && use < 0 && binaryValue(p, d, '+', a, b) && a == d.target && b == walk.left) {
            use = inner[k];
        } else if (reads(p, d, walk.left)) {
            return;
        }
    }
    if (step < 0 || use < 0) return;
    add(p, p.stmts[step], HintKind::LoopFlow,
        "«" + lineText(p, p.stmts[step]) + "» стоит раньше, чем «" + lineText(p, p.stmts[use]) + "» (строка " + num(lineOf(p, p.stmts[use])) +
            "): первое значение «" + walk.left + "» не прибавится, а на последнем круге прибавится «" + walk.right +
            " + 1». Поменяйте строки местами: сначала прибавить, потом увеличить",
        {walk.left}, out);
}

}  // namespace diagnostics::programs
