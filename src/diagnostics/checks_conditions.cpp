// Checks of conditions: a position used as yes or no, «не» of a name alone, a branch that never
// runs, a condition its own constants decide, both branches alike, two «если» that both print, a
// condition the values set just before it decide, a text that lets in a number the sign leaves out.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <algorithm>
#include <map>
#include <string>

namespace diagnostics::programs {

// «если x.позиция(…) то»: the position is 0 at the start and -1 when not found.
void positionAsCondition(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::uint32_t line = lineOf(p, s);
    const std::string& indexOf = facts.indexOf;
    const std::string& includes = facts.includes;
    if (hasCondition(s) && !indexOf.empty()) {
        std::size_t k = s.condFrom;
        const rules::RuleWords* neg = ruleAt(p.c, ts, k, p.v);
        if (neg && neg->role == rules::WordRole::Logic && neg->words.size() == 1) ++k;
        if (k + 4 < s.condTo + 1 && ts[k].mark == 0 && ts[k + 1].mark == '.' && isWord(p, ts[k + 2], indexOf) &&
            k + 3 < s.condTo && ts[k + 3].mark == '(' && ts[s.condTo - 1].mark == ')') {
            if (wholeInBrackets(ts, k + 3, s.condTo)) {
                const std::string call = shown(p, s, k, s.condTo);
                const std::string fix = includes.empty() ? "" : "; чтобы спросить, есть ли оно, пишите «" +
                                                                     shown(p, s, k, k + 2) + includes + shown(p, s, k + 3, s.condTo) + "»";
                out.push_back(naming(at(line, HintKind::BranchFlow,
                                        "«" + call + "» даёт номер, а не да или нет: -1, когда не найдено (и это считается истиной), и 0, когда найдено в самом начале (это ложь)" +
                                            fix + " или сравните номер с -1",
                                        p.c, ts[k + 2].from, ts[k + 2].to, includes.empty() ? nullptr : &includes),
                                     {indexOf}));
            }
        }
    }
}

// «не x равно 5»: «не» takes «x» alone, then the result is compared.
void notTakesNameAlone(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::uint32_t line = lineOf(p, s);
    if (hasCondition(s) && s.condTo >= s.condFrom + 4) {
        const rules::RuleWords* neg = negationAt(p, ts, s.condFrom);
        std::size_t taken = 0;
        if (neg && neg->words.size() == 1 && isPlainName(p.c, ts[s.condFrom + 1], p.v, ts, s.condFrom + 1) &&
            !signAt(p, ts, s.condFrom + 2, taken).empty() && taken) {
            const std::string rest = shown(p, s, s.condFrom + 1, s.condTo);
            out.push_back(naming(at(line, HintKind::BranchFlow,
                                    "«" + neg->phrase + "» здесь относится только к «" + word(p, ts[s.condFrom + 1]) +
                                        "», а не ко всему сравнению: сравнивается уже «" + neg->phrase + " " +
                                        word(p, ts[s.condFrom + 1]) + "» (истина или ложь). Возьмите сравнение в скобки: «" +
                                        neg->phrase + " (" + rest + ")»",
                                    p.c, ts[s.condFrom].from, ts[s.condTo - 1].to),
                                 {neg->phrase}));
        }
    }
}

// An «иначе если» whose numbers all pass an earlier condition of its chain: it never runs. When
// one condition takes the numbers of two or more branches after it, the conditions stand in the
// wrong order (the loosest first): told once, at that condition, with the branches it hides. Read
// once a chain, at its «если»: each condition's numbers, then the first earlier one holding them.
void elseIfNeverRuns(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    if (p.stmts[i].kind != StmtKind::If) return;
    std::vector<int> chain{i};
    for (const int b : facts.branches[i])
        if (p.stmts[b].kind == StmtKind::ElseIf) chain.push_back(b);
    std::vector<Range> ranges;
    for (const int b : chain) ranges.push_back(rangeOf(p, p.stmts[b]));
    std::vector<int> cover(chain.size(), -1);           // the first earlier branch holding every number of this one
    std::vector<std::vector<std::size_t>> covered(chain.size());
    for (std::size_t b = 1; b < chain.size(); ++b)
        for (std::size_t k = 0; k < b && cover[b] < 0 && ranges[b].valid; ++k)
            if (subRange(ranges[b], ranges[k])) cover[b] = static_cast<int>(k), covered[k].push_back(b);
    auto condition = [&](std::size_t b) { return shown(p, p.stmts[chain[b]], p.stmts[chain[b]].condFrom, p.stmts[chain[b]].condTo); };
    for (std::size_t k = 0; k < chain.size(); ++k) {
        if (covered[k].size() < 2) continue;
        // The hidden branches as the learner wrote them, and the one whose numbers all pass every
        // other (none when they do not nest: «равно 60», «равно 70»).
        std::string hidden, strictest;
        for (const std::size_t b : covered[k]) {
            hidden += std::string(hidden.empty() ? "" : b == covered[k].back() ? " и " : ", ") + "«" + condition(b) + "» (строка " +
                      num(lineOf(p, p.stmts[chain[b]])) + ")";
            bool inEvery = true;
            for (const std::size_t o : covered[k]) inEvery = inEvery && subRange(ranges[b], ranges[o]);
            if (inEvery) strictest = condition(b);
        }
        add(p, p.stmts[chain[k]], HintKind::BranchFlow,
            "условия проверяются по порядку, сверху вниз, и выполняется только первая верная ветка. «" + condition(k) +
                "» стоит раньше, чем " + hidden + ", и верно для всех их чисел: их ветки никогда не выполнятся. " +
                (strictest.empty() ? std::string("Сначала проверяйте более строгие условия, а это ставьте после них")
                                   : "Сначала проверяйте самое строгое условие, «" + strictest + "», а это ставьте после более строгих"),
            {condition(k)}, out);
    }
    for (std::size_t b = 1; b < chain.size(); ++b) {
        if (cover[b] < 0 || covered[cover[b]].size() >= 2) continue;  // none, or told at the condition that hides it
        add(p, p.stmts[chain[b]], HintKind::BranchFlow,
            "эта ветка никогда не выполнится: когда верно «" + condition(b) + "», верно и «" + condition(cover[b]) + "» на строке " +
                num(lineOf(p, p.stmts[chain[cover[b]]])) + ", и выполняется та ветка. Поставьте более строгое условие первым",
            {condition(b)}, out);
    }
}

namespace {

// No number passes both comparisons of one name.
bool neverBoth(const Compared& a, const Compared& b) {
    if (isNotEqual(a.sign) && isNotEqual(b.sign)) return false;
    if (isNotEqual(a.sign) || isNotEqual(b.sign)) {
        // «x равно 1 и x не равно 1»: the one number the other lets through is the one it refuses.
        const Compared& other = isNotEqual(a.sign) ? b : a;
        const Range r = rangeFrom(other);
        return r.valid && r.lo == r.hi && (isNotEqual(a.sign) ? a.value : b.value) == r.lo;
    }
    const Range x = rangeFrom(a), y = rangeFrom(b);
    if (!x.valid || !y.valid) return false;
    const double lo = std::max(x.lo, y.lo), hi = std::min(x.hi, y.hi);
    const bool loIn = (x.lo != lo || x.loIn) && (y.lo != lo || y.loIn);
    const bool hiIn = (x.hi != hi || x.hiIn) && (y.hi != hi || y.hiIn);
    return lo > hi || (lo == hi && !(loIn && hiIn));
}

// Every number passes one of two comparisons of one name.
bool alwaysOne(const Compared& a, const Compared& b) {
    if (isNotEqual(a.sign) && isNotEqual(b.sign)) return a.value != b.value;
    if (isNotEqual(a.sign) || isNotEqual(b.sign)) {
        const Range r = rangeFrom(isNotEqual(a.sign) ? b : a);
        return r.valid && lets(r, isNotEqual(a.sign) ? a.value : b.value);
    }
    const Range x = rangeFrom(a), y = rangeFrom(b);
    if (!x.valid || !y.valid) return false;
    const Range& below = x.lo == Range{}.lo ? x : y;  // «меньше …»: open downwards
    const Range& above = &below == &x ? y : x;          // «больше …»: open upwards
    if (below.lo != Range{}.lo || above.hi != Range{}.hi) return false;
    return above.lo < below.hi || (above.lo == below.hi && (below.hiIn || above.loIn));
}

// One part of a condition that its own constants decide: a name compared with itself
// («x равно x»), or two numbers («5 больше 3»). Says which, or "" when the part is neither.
// «x не равно x» is left alone: it is how a "not a number" value is told.
std::string decidedPart(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to, bool loop) {
    std::size_t taken = 0;
    double left = 0, right = 0;
    if (to >= from + 3 && isPlainName(p.c, ts[from], p.v, ts, from)) {
        const std::string sign = signAt(p, ts, from + 1, taken);
        const std::size_t k = from + 1 + taken;
        if (!taken || k + 1 != to || !isWord(p, ts[k], word(p, ts[from]))) return "";
        const std::string shownPart = "«" + shown(p, ts, from, to) + "» сравнивает «" + word(p, ts[from]) + "» с самим собой";
        if (sign == "==" || sign == "===" || sign == "<=" || sign == ">=") return shownPart + " и всегда истинно";
        if (sign == "<" || sign == ">") return shownPart + " и всегда ложно";
        return "";
    }
    const std::size_t l = numberAt(p, ts, from, to, left);
    if (!l) return "";
    const std::string sign = signAt(p, ts, from + l, taken);
    if (!taken || !number(p, ts, from + l + taken, to, right)) return "";
    bool read = false;
    const bool yes = holds(sign, left, right, read);
    if (!read) return "";
    if (yes && loop) return "";  // «пока 1 равно 1»: a loop meant to run until «прервать»
    return "«" + shown(p, ts, from, to) + "» сравнивает два числа и " + (yes ? "всегда истинно" : "всегда ложно") +
           ": от значений программы оно не зависит";
}

}  // namespace

// «x не равно 1 или x не равно 2», «x больше 10 и x меньше 5», «x равно x», «5 больше 3»: a
// condition of an «если», «иначе если» or «пока» that its constants decide. Two parts of one
// name and a number each are read as the numbers they let through, all joined by «и» or all by
// «или»; the other parts, whatever they are, do not change the answer.
void decidedCondition(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (!hasCondition(s) || s.condTo <= s.condFrom) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const Joined j = joinedIn(p, ts, s.condFrom, s.condTo);
    const std::string whole = shown(p, s, s.condFrom, s.condTo);
    for (const auto& [from, to] : j.parts) {
        const std::string said = decidedPart(p, ts, from, to, s.kind == StmtKind::Loop);
        if (said.empty()) continue;
        add(p, s, HintKind::BranchFlow, (j.parts.size() > 1 ? "в условии «" + whole + "» " : "условие ") + said,
            {shown(p, ts, from, to)}, out);
        return;
    }
    if (j.parts.size() < 2) return;
    // «x не равно "+" или x не равно "-"»: two texts, read as the two numbers are below.
    if (j.parts.size() == 2) {
        std::string names[2], texts[2], signs[2];
        for (int k = 0; k < 2; ++k) {
            const auto [from, to] = j.parts[k];
            std::size_t taken = 0;
            if (to < from + 3 || !isPlainName(p.c, ts[from], p.v, ts, from)) break;
            signs[k] = signAt(p, ts, from + 1, taken);
            if (!taken || from + 1 + taken + 1 != to || ts[to - 1].mark != literal) break;
            names[k] = word(p, ts[from]);
            texts[k] = word(p, ts[to - 1]);
        }
        const bool both = j.joint == "&&";
        const bool differ = !names[0].empty() && names[0] == names[1] && !texts[0].empty() && !texts[1].empty() && texts[0] != texts[1];
        const bool notEither = !both && isNotEqual(signs[0]) && isNotEqual(signs[1]);
        const bool bothEqual = both && signs[0].substr(0, 2) == "==" && signs[1].substr(0, 2) == "==";
        const std::string swapped = ts[j.jointFrom].mark != 0 ? (both ? "||" : "&&") : roleWord(p.v, p.table, rules::WordRole::Logic, both ? "||" : "&&");
        if (differ && (notEither || bothEqual) && !swapped.empty()) {
            const std::string first = shown(p, ts, j.parts[0].first, j.parts[0].second), second = shown(p, ts, j.parts[1].first, j.parts[1].second);
            add(p, s, HintKind::BranchFlow,
                "условие «" + whole + "» всегда " + (both ? "ложно" : "истинно") + ": «" + names[0] + "» не может быть равно " + texts[0] +
                    " и " + texts[1] + " сразу, так что " + (both ? "оба сравнения верны не бывают" : "хотя бы одно «не равно» верно всегда") +
                    ". " + (both ? "Если подходит любое из них" : "Чтобы оно не было равно ни одному из них") + ", соедините сравнения словом «" + swapped +
                    "»: «" + first + " " + swapped + " " + second + "»",
                {names[0]}, out);
            return;
        }
    }
    std::vector<Compared> read;
    for (const auto& [from, to] : j.parts) read.push_back(comparedIn(p, ts, from, to));
    const bool both = j.joint == "&&";
    for (std::size_t a = 0; a < read.size(); ++a)
        for (std::size_t b = a + 1; b < read.size(); ++b) {
            const Compared& x = read[a];
            const Compared& y = read[b];
            if (!x.valid || !y.valid || x.name != y.name || !(both ? neverBoth(x, y) : alwaysOne(x, y))) continue;
            const std::string first = shown(p, ts, j.parts[a].first, j.parts[a].second);
            const std::string second = shown(p, ts, j.parts[b].first, j.parts[b].second);
            const std::string firstTail = shown(p, ts, j.parts[a].first + 1, j.parts[a].second);
            const std::string secondTail = shown(p, ts, j.parts[b].first + 1, j.parts[b].second);
            const std::string written = shown(p, ts, j.jointFrom, j.jointTo);
            // The other joining word, in the form the learner wrote theirs: a word for a word, signs for signs.
            const std::string swapped = ts[j.jointFrom].mark != 0 ? (both ? "||" : "&&") : roleWord(p.v, p.table, rules::WordRole::Logic, both ? "||" : "&&");
            const bool pair = read.size() == 2 && !swapped.empty();
            std::string message = "условие «" + whole + "» всегда " + (both ? "ложно" : "истинно") + ": ";
            const std::string* fix = nullptr;
            if (!both && isNotEqual(x.sign) && isNotEqual(y.sign)) {
                message += x.name + " всегда " + firstTail + " или " + secondTail + ", ведь равно обоим сразу оно быть не может";
                if (pair) {
                    message += ". Чтобы " + x.name + " не было равно ни одному из них, соедините сравнения словом «" + swapped +
                               "»: «" + first + " " + swapped + " " + second + "»";
                    fix = &swapped;
                }
            } else if (both && x.sign.substr(0, 2) == "==" && y.sign.substr(0, 2) == "==") {
                message += x.name + " не может быть " + firstTail + " и " + secondTail + " сразу";
                if (pair) {
                    message += ". Если подходит любое из них, соедините сравнения словом «" + swapped + "»: «" + first + " " +
                               swapped + " " + second + "»";
                    fix = &swapped;
                }
            } else if (both) {
                message += "нет числа, для которого верно и «" + first + "», и «" + second + "»";
                if (pair)
                    message += ". Если достаточно, чтобы было верно одно из них, соедините сравнения словом «" + swapped +
                               "»: «" + first + " " + swapped + " " + second + "»";
            } else {
                message += "для любого числа в «" + x.name + "» верно «" + first + "» или «" + second + "»";
                if (pair)
                    message += ". Если нужно, чтобы были верны оба, соедините сравнения словом «" + swapped + "»: «" + first +
                               " " + swapped + " " + second + "»";
            }
            const Token& at0 = ts[j.jointFrom];
            const Token& at1 = ts[j.jointTo - 1];
            out.push_back(naming(at(lineOf(p, s), HintKind::BranchFlow, message, p.c, fix ? at0.from : ts.front().from,
                                    fix ? at1.to : ts.back().to, fix),
                                 {written}));
            return;
        }
}

// «если … то A иначе A конец»: both branches the same lines, so the condition changes nothing.
// Only an «если» with one «иначе» and blocks on lines of their own; the lines are compared token by token.
void sameBranches(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If || s.closed) return;
    int other = -1, end = -1;
    for (int k = i + 1; k < facts.n && (p.stmts[k].chain == i || within(p, facts, k, i)); ++k) {
        if (p.stmts[k].chain == i) {
            if (other >= 0 || p.stmts[k].kind != StmtKind::Else || p.stmts[k].closed) return;
            other = k;
        }
        end = k;
    }
    if (other < 0 || end < 0 || p.stmts[end].kind != StmtKind::End || other - i != end - other || other == i + 1) return;
    for (int k = 1; k < other - i; ++k) {
        const std::vector<Token>& a = tokensOf(p, p.stmts[i + k]);
        const std::vector<Token>& b = tokensOf(p, p.stmts[other + k]);
        if (a.size() != b.size()) return;
        for (std::size_t t = 0; t < a.size(); ++t)
            if (a[t].mark != b[t].mark || word(p, a[t]) != word(p, b[t])) return;
    }
    const std::string lines = other - i == 2 ? "«" + lineText(p, p.stmts[i + 1]) + "»"
                                             : "строки " + num(lineOf(p, p.stmts[i + 1])) + "–" + num(lineOf(p, p.stmts[other - 1]));
    add(p, s, HintKind::BranchFlow,
        "у этого «" + p.ifWord + "» обе ветки одинаковые: и когда «" + shown(p, s, s.condFrom, s.condTo) + "» верно, и когда нет («" +
            p.elseWord + "» на строке " + num(lineOf(p, p.stmts[other])) + "), выполняется одно и то же — " + lines +
            "; условие ничего не меняет",
        {p.ifWord}, out);
}

// Two «если» in a row, both printing or both setting one name, where the first's numbers all pass
// the second.
void twoIfsBothRun(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::uint32_t line = lineOf(p, s);
    if (s.kind == StmtKind::If && s.chain < 0) {
        const int next = afterBlock(p, facts, i);
        const Range a = rangeOf(p, s);
        if (next >= 0 && facts.branches[i].empty() && p.stmts[next].kind == StmtKind::If && a.valid) {
            const Range b = rangeOf(p, p.stmts[next]);
            bool setsInBetween = false;
            for (int k = i; k < next; ++k) setsInBetween = setsInBetween || p.stmts[k].target == a.name;
            bool firstPrints = hasRole(p, s, rules::WordRole::Output), secondPrints = hasRole(p, p.stmts[next], rules::WordRole::Output);
            for (int k : body(p, facts, i)) firstPrints = firstPrints || hasRole(p, p.stmts[k], rules::WordRole::Output);
            for (int k : body(p, facts, next)) secondPrints = secondPrints || hasRole(p, p.stmts[k], rules::WordRole::Output);
            // Or both set one name: the second replaces what the first set.
            int firstSets = -1, secondSets = -1;
            for (int k : body(p, facts, i))
                for (int m : body(p, facts, next))
                    if (firstSets < 0 && !p.stmts[k].target.empty() && p.stmts[k].target == p.stmts[m].target) firstSets = k, secondSets = m;
            const std::string both = "когда верно «" + shown(p, s, s.condFrom, s.condTo) + "» (строка " + num(line) + "), верно и «" +
                                     shown(p, p.stmts[next], p.stmts[next].condFrom, p.stmts[next].condTo) + "»: выполнятся оба «" + p.ifWord + "», и ";
            const std::string oneOnly = ". Если нужен один, пишите «" + p.elseWord + " " + p.ifWord + "»";
            if (subRange(a, b) && !setsInBetween && firstPrints && secondPrints)
                add(p, p.stmts[next], HintKind::BranchFlow, both + "выведутся оба ответа" + oneOnly, {p.ifWord}, out);
            else if (subRange(a, b) && !setsInBetween && firstSets >= 0 && !reads(p, p.stmts[next], p.stmts[firstSets].target))
                add(p, p.stmts[next], HintKind::BranchFlow,
                    both + "«" + lineText(p, p.stmts[secondSets]) + "» (строка " + num(lineOf(p, p.stmts[secondSets])) +
                        ") заменит то, что задала строка " + num(lineOf(p, p.stmts[firstSets])) + oneOnly,
                    {p.ifWord}, out);
        }
    }
}

namespace {

// A value a name holds for certain: a number, a text in plain quotes, or a truth word.
struct Known {
    enum Kind : std::uint8_t { Number, Text, Truth } kind = Number;
    double number = 0;  // a number; a truth word as 1 or 0
    std::string letters;
    int at = -1;        // the statement that set it; -1 for a value written in the condition
};

// Tokens [from, to) as one written value, false for anything else.
bool writtenValue(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to, Known& v) {
    if (number(p, ts, from, to, v.number)) {
        v.kind = Known::Number;
        return true;
    }
    if (to != from + 1) return false;
    const Token& t = ts[from];
    if (t.mark == literal && (p.c[t.from] == '"' || p.c[t.from] == '\'') && t.to >= t.from + 2) {
        v.kind = Known::Text;
        v.letters = textOf(p.c, t.from + 1, t.to - 1);
        return true;
    }
    if (isWord(p, t, p.trueWord) || isWord(p, t, p.falseWord)) {
        v.kind = Known::Truth;
        v.number = isWord(p, t, p.trueWord) ? 1 : 0;
        return true;
    }
    return false;
}

// A side of a comparison: a name whose value is known, or a written value.
bool sideValue(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to,
               const std::map<std::string, Known>& known, Known& v, std::vector<std::string>& named) {
    if (to == from + 1 && isPlainName(p.c, ts[from], p.v, ts, from)) {
        const auto found = known.find(word(p, ts[from]));
        if (found == known.end()) return false;
        v = found->second;
        if (std::find(named.begin(), named.end(), found->first) == named.end()) named.push_back(found->first);
        return true;
    }
    return writtenValue(p, ts, from, to, v);
}

// One part of a condition worked out with the known values: «a знак b» or a truth name alone,
// «не» before it or not. False when the part reads anything else.
bool partValue(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to,
               const std::map<std::string, Known>& known, bool& result, std::vector<std::string>& named) {
    if (from < to && negationAt(p, ts, from)) {
        std::size_t a = from + negationAt(p, ts, from)->words.size(), b = to;
        unwrap(ts, a, b);
        if (!(b == a + 1 || wholeInBrackets(ts, a, b))) return false;  // «не x равно 5» binds to x alone
        if (!partValue(p, ts, a, b, known, result, named)) return false;
        result = !result;
        return true;
    }
    Known left, right;
    if (to == from + 1) {
        if (!sideValue(p, ts, from, to, known, left, named) || left.kind != Known::Truth || left.at < 0) return false;
        result = left.number != 0;
        return true;
    }
    for (std::size_t split = from + 1; split < to; ++split) {
        std::size_t taken = 0;
        const std::string sign = signAt(p, ts, split, taken);
        if (!taken || split + taken >= to) continue;
        const std::size_t before = named.size();
        if (!sideValue(p, ts, from, split, known, left, named) || !sideValue(p, ts, split + taken, to, known, right, named) ||
            left.kind != right.kind || named.size() == before)
            return false;
        bool read = false;
        if (left.kind == Known::Number) {
            result = holds(sign, left.number, right.number, read);
            return read;
        }
        if (sign == "==" || sign == "===" || isNotEqual(sign)) {
            result = (left.letters == right.letters && left.number == right.number) != isNotEqual(sign);
            return true;
        }
        return false;
    }
    return false;
}

// The value the top-level statements just before statement i leave in each name, read back to
// the nearest block, a call of the program's own function or the program's start. A name set
// there to anything but a written value is left out, and so is one changed by «+=» or «++».
std::map<std::string, Known> knownBefore(const Program& p, const Facts& facts, int i) {
    std::map<std::string, Known> known;
    std::vector<std::string> unknown;
    auto decided = [&](const std::string& name) {
        return known.count(name) || std::find(unknown.begin(), unknown.end(), name) != unknown.end();
    };
    for (int k = i - 1; k >= 0; --k) {
        int top = k;
        while (facts.holders[top] >= 0) top = facts.holders[top];
        if (p.stmts[top].kind == StmtKind::Function) continue;  // a function's lines run only when called
        const Stmt& s = p.stmts[k];
        if (top != k || s.kind != StmtKind::Other) break;
        const std::vector<Token>& ts = tokensOf(p, s);
        if (callsAny(facts, k)) break;
        if (!s.target.empty() && !decided(s.target)) {
            Known v;
            v.at = k;
            if (writtenValue(p, ts, s.valueFrom, ts.size(), v)) known[s.target] = v;
            else unknown.push_back(s.target);
        } else if (s.target.empty() && ts[0].mark == 0 && changesName(p, s, word(p, ts[0])) && !decided(word(p, ts[0]))) {
            unknown.push_back(word(p, ts[0]));
        }
    }
    return known;
}

}  // namespace

// «пусть пароль = ""» then «пока пароль равно "секрет"», or «пусть очки = 0» then «если очки >= 10»
// before the loop that changes «очки»: a condition of the program's top level that the written
// values set just before it make false. A loop so told never runs; an «если» is told only when a
// name it reads changes after it, for a name set once and tested once is a setting of the program.
void decidedByValuesBefore(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if ((s.kind != StmtKind::Loop && s.kind != StmtKind::If) || facts.holders[i] >= 0 || s.condTo <= s.condFrom) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const Joined j = joinedIn(p, ts, s.condFrom, s.condTo);
    const std::map<std::string, Known> known = knownBefore(p, facts, i);
    if (known.empty() || j.parts.empty()) return;
    std::vector<std::string> named;
    bool value = j.joint != "||";
    for (const auto& [from, to] : j.parts) {
        bool part = false;
        if (!partValue(p, ts, from, to, known, part, named)) return;
        value = j.joint == "||" ? value || part : value && part;
    }
    if (value || named.empty()) return;
    std::vector<int> sets;
    for (const std::string& name : named) sets.push_back(known.at(name).at);
    std::sort(sets.begin(), sets.end());
    std::string before;
    for (std::size_t k = 0; k < sets.size(); ++k)
        before += std::string(k == 0 ? "" : k + 1 == sets.size() ? " и " : ", ") + "«" + lineText(p, p.stmts[sets[k]]) +
                  "» (строка " + num(lineOf(p, p.stmts[sets[k]])) + ")";
    const std::string condition = shown(p, s, s.condFrom, s.condTo);
    int last = i;  // the last statement of the block, of every branch of an «если»
    for (int k = i + 1; k < facts.n && (within(p, facts, k, i) || p.stmts[k].chain == i); ++k) last = k;
    if (s.kind == StmtKind::Loop) {
        std::string message = "цикл не выполнится ни разу: перед ним " + before + ", а условие «" + condition + "» при этом ложно";
        // «пока x равно …» whose body changes x: written as if the loop ran until the condition held.
        std::size_t taken = 0;
        for (std::size_t split = s.condFrom + 1; j.parts.size() == 1 && split + 1 < s.condTo && !taken; ++split) {
            const std::string sign = signAt(p, ts, split, taken);
            if (!taken || (sign != "==" && sign != "===")) continue;
            bool changed = false;
            for (int k = i + 1; k <= last; ++k)
                for (const std::string& name : named) changed = changed || changesName(p, p.stmts[k], name);
            const std::string other = ts[split].mark == 0 ? roleWord(p.v, p.table, rules::WordRole::Comparison, "!=") : "!=";
            const std::string left = shown(p, s, s.condFrom, split), right = shown(p, s, split + taken, s.condTo);
            if (changed && !other.empty())
                message += ". «" + word(p, ts[0]) + "» повторяет тело, пока условие верно, а не пока оно не станет верным: чтобы повторять, пока «" +
                           left + "» не равно " + right + ", пишите «" + left + " " + other + " " + right + "»";
        }
        add(p, s, HintKind::LoopFlow, message, named, out);
        return;
    }
    // The «если» checks once: a name it reads changes later, where it no longer looks.
    int change = -1;
    std::string changed;
    for (int k = last + 1; k < facts.n && change < 0; ++k)
        for (const std::string& name : named)
            if (change < 0 && changesName(p, p.stmts[k], name)) change = k, changed = name;
    if (change < 0) return;
    int loop = -1;
    for (int k = facts.holders[change]; k >= 0; k = facts.holders[k])
        if (p.stmts[k].kind == StmtKind::Loop) loop = k;
    const int end = loop >= 0 ? lastInBlock(p, facts, loop) : -1;
    const std::string place = end >= 0 && end < facts.n && p.stmts[end].kind == StmtKind::End
                                  ? "после цикла (после «" + p.endWord + "» на строке " + num(lineOf(p, p.stmts[end])) + ")"
                                  : "после строки " + num(lineOf(p, p.stmts[change]));
    add(p, s, HintKind::BranchFlow,
        "условие «" + condition + "» проверяется один раз, здесь: перед ним " + before + ", и оно ложно, так что строки этого «" +
            p.ifWord + "» не выполнятся. «" + p.ifWord + "» не следит за «" + changed + "»: что «" + changed + "» меняется на строке " +
            num(lineOf(p, p.stmts[change])) + ", оно уже не увидит. Поставьте эту проверку " + place,
        named, out);
}

namespace {

// Whether the text says the number `n` is included as the least (`least`) or the greatest value:
// «18 и больше», «от 18», «не меньше 18»; «10 и меньше», «не больше 10», «до 10 включительно».
// One word may stand between the number and «и больше» («1000 рублей и больше»).
bool saysIncluded(const std::vector<TextWord>& w, double n, bool least) {
    using Words = std::vector<std::string>;
    static const Words joins = {"И", "ИЛИ"}, up = {"БОЛЬШЕ", "БОЛЕЕ", "ВЫШЕ"}, down = {"МЕНЬШЕ", "МЕНЕЕ", "НИЖЕ"};
    static const Words upTo = {"БОЛЬШЕ", "БОЛЕЕ"}, downTo = {"МЕНЬШЕ", "МЕНЕЕ"};
    auto is = [&](std::size_t k, const Words& any) { return k < w.size() && std::find(any.begin(), any.end(), w[k].upper) != any.end(); };
    auto wordIs = [&](std::size_t k, const char* one) { return k < w.size() && w[k].upper == one; };
    const Words& more = least ? up : down;
    const Words& notLess = least ? downTo : upTo;
    for (std::size_t k = 0; k < w.size(); ++k) {
        if (!w[k].number || w[k].value != n) continue;
        for (std::size_t a = k + 1; a <= k + 2 && a + 1 < w.size(); ++a)
            if (is(a, joins) && is(a + 1, more) && (a == k + 1 || !w[k + 1].number)) return true;
        if (least && k >= 1 && (wordIs(k - 1, "ОТ") || wordIs(k - 1, "С"))) return true;
        if (k >= 2 && wordIs(k - 2, "НЕ") && is(k - 1, notLess)) return true;
        if (!least && k >= 1 && wordIs(k - 1, "ДО") && (wordIs(k + 1, "ВКЛЮЧИТЕЛЬНО") || wordIs(k + 2, "ВКЛЮЧИТЕЛЬНО"))) return true;
    }
    return false;
}

// Whether statement k stands in the block of branch h itself, not in a later branch of its chain.
bool inOwnBranch(const Facts& facts, int k, int h) {
    for (int x = facts.holders[k]; x >= 0; x = facts.holders[x])
        if (x == h) return true;
    return false;
}

}  // namespace

// «если возраст > 18 то вывести("Вход: 18 лет и больше")»: the text of the branch, or of a print
// that shows what the branch counts, says the number is let in, the comparison leaves it out. Told at the condition, with the sign that lets it in.
void boundSaidIncluded(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If && s.kind != StmtKind::ElseIf) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const Joined j = joinedIn(p, ts, s.condFrom, s.condTo);
    if (j.joint == "||") return;
    for (const auto& [from, to] : j.parts) {
        const Compared k = comparedIn(p, ts, from, to);
        if (!k.valid || (k.sign != ">" && k.sign != "<")) continue;
        const bool least = k.sign == ">";
        // The texts written on the branch's own lines, its header first; then the prints that show
        // what the branch counts («вывести("Сдали (50 и больше): " + сдали)»).
        std::vector<int> texts;
        std::vector<std::string> counted;
        for (int d = i; d < facts.n && (d == i || inOwnBranch(facts, d, i)); ++d) {
            texts.push_back(d);
            if (d != i && !p.stmts[d].target.empty()) counted.push_back(p.stmts[d].target);
        }
        for (const std::string& name : counted)
            for (const int r : readersOf(facts, name))
                if (r > texts.back() && prints(p, p.stmts[r]) && std::find(texts.begin(), texts.end(), r) == texts.end())
                    texts.push_back(r);
        // The «иначе» of the chain, which says who is refused («Паспорт выдают с 14 лет»), and the
        // prints before the «если» at the top of the program («Скидка при покупке от 1000 руб.»).
        const int head = s.chain >= 0 ? s.chain : i;
        for (const int b : facts.branches[head])
            if (p.stmts[b].kind == StmtKind::Else)
                for (int d = b + 1; d < facts.n && inOwnBranch(facts, d, b); ++d) texts.push_back(d);
        for (int d = 0; d < i; ++d)
            if (facts.holders[d] < 0 && prints(p, p.stmts[d])) texts.push_back(d);
        for (const int d : texts) {
            for (const Token& t : tokensOf(p, p.stmts[d])) {
                if (t.mark != literal || t.to < t.from + 2) continue;
                const base::CodePoints letters(p.c + t.from + 1, p.c + t.to - 1);
                if (!saysIncluded(textWords(letters), k.value, least)) continue;
                const std::string sign = least ? ">=" : "<=";
                const std::string fix = ts[from + 1].mark == 0 ? roleWord(p.v, p.table, rules::WordRole::Comparison, sign.c_str()) : sign;
                if (fix.empty()) return;
                const std::string number = shown(p, ts, k.valueAt, to);
                const std::string written = shown(p, ts, from, to);
                const std::string right = word(p, ts[from]) + " " + fix + " " + number;
                out.push_back(naming(at(lineOf(p, s), HintKind::BranchFlow,
                                        "текст " + textOf(p.c, t.from, t.to) + " (строка " + num(lineOf(p, p.stmts[d])) + ") говорит, что " +
                                            number + " подходит, а «" + written + "» его не пропускает: при " + k.name + " = " + number +
                                            " эта ветка не выполнится. Пишите «" + right + "»",
                                        p.c, ts[from + 1].from, ts[k.valueAt - 1].to, &fix),
                                     {written}));
                return;
            }
        }
    }
}

// A chain «если … иначе если … иначе вывести("… от 0 до 100")» over one name: the «иначе»'s text, or
// the question that asked the name, says the numbers from A to B are the right ones, and A or B passes none of the conditions, so it
// lands in the «иначе». Told at the condition whose own bound leaves it out.
void boundLeftToElse(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If || facts.branches[i].empty() || p.stmts[facts.branches[i].back()].kind != StmtKind::Else) return;
    const int other = facts.branches[i].back();
    // Each condition as the ranges of its «и» parts, all of one name.
    struct Part {
        Range range;
        std::size_t from = 0, to = 0, signFrom = 0, signTo = 0;
    };
    std::vector<int> heads = {i};
    for (const int b : facts.branches[i])
        if (p.stmts[b].kind == StmtKind::ElseIf) heads.push_back(b);
    std::vector<std::vector<Part>> conditions;
    std::string name;
    for (const int h : heads) {
        const Stmt& c = p.stmts[h];
        const std::vector<Token>& ts = tokensOf(p, c);
        const Joined j = joinedIn(p, ts, c.condFrom, c.condTo);
        if (j.joint == "||") return;
        std::vector<Part> parts;
        for (const auto& [from, to] : j.parts) {
            const Compared k = comparedIn(p, ts, from, to);
            const Range r = rangeFrom(k);
            if (!r.valid || (!name.empty() && r.name != name)) return;
            name = r.name;
            parts.push_back({r, from, to, from + 1, k.valueAt});
        }
        conditions.push_back(parts);
    }
    // «от A до B» in a text of the «иначе»'s own lines, or in the question that asked the name.
    double lo = 0, hi = 0;
    bool said = false;
    int saidAt = -1;
    std::vector<int> texts;
    for (int d = other + 1; d < facts.n && inOwnBranch(facts, d, other); ++d) texts.push_back(d);
    const int asked = lastSetBefore(facts, name, i);
    if (asked >= 0) texts.push_back(asked);
    for (const int d : texts)
        for (const Token& t : tokensOf(p, p.stmts[d])) {
            if (t.mark != literal || t.to < t.from + 2 || said) continue;
            const std::vector<TextWord> w = textWords(base::CodePoints(p.c + t.from + 1, p.c + t.to - 1));
            for (std::size_t k = 0; k + 3 < w.size() && !said; ++k)
                if (w[k].upper == "ОТ" && w[k + 1].number && w[k + 2].upper == "ДО" && w[k + 3].number)
                    lo = w[k + 1].value, hi = w[k + 3].value, said = lo < hi, saidAt = d;
        }
    if (!said) return;
    const auto lets = [](const std::vector<Part>& parts, double v, std::size_t except) {
        for (std::size_t k = 0; k < parts.size(); ++k)
            if (k != except && !programs::lets(parts[k].range, v)) return false;
        return true;
    };
    for (const double v : {hi, lo}) {
        bool passes = false;
        for (const std::vector<Part>& parts : conditions) passes = passes || lets(parts, v, parts.size());
        if (passes) continue;
        for (std::size_t c = 0; c < conditions.size(); ++c)
            for (std::size_t k = 0; k < conditions[c].size(); ++k) {
                const Part& part = conditions[c][k];
                const bool top = v == hi && part.range.hi == v && !part.range.hiIn, bottom = v == lo && part.range.lo == v && !part.range.loIn;
                if ((!top && !bottom) || !lets(conditions[c], v, k)) continue;
                const Stmt& h = p.stmts[heads[c]];
                const std::vector<Token>& ts = tokensOf(p, h);
                const std::string sign = top ? "<=" : ">=";
                const std::string fix = ts[part.signFrom].mark == 0 ? roleWord(p.v, p.table, rules::WordRole::Comparison, sign.c_str()) : sign;
                if (fix.empty()) return;
                add(p, h, HintKind::BranchFlow,
                    "текст на строке " + num(lineOf(p, p.stmts[saidAt])) + " говорит, что «" + name + "» бывает от " +
                        numberText(lo) + " до " + numberText(hi) + ", а " + numberText(v) + " не пропускает ни одно условие: «" +
                        shown(p, ts, part.from, part.to) + "» его отсекает, и при " + name + " = " + numberText(v) + " выполнится «" +
                        p.elseWord + "». Пишите «" + name + " " + fix + " " + shown(p, ts, part.signTo, part.to) + "»",
                    {name}, out);
                return;
            }
    }
}

// «a + b > c или a + c > b или b + c > a»: for any positive sides two of the three sums are always
// greater than the third side (the greatest side plus any other beats the least), so the test is
// true for every three lengths. A triangle needs all three.
void triangleAnyOfThree(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (!hasCondition(s)) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const Joined j = joinedIn(p, ts, s.condFrom, s.condTo);
    if (j.joint != "||" || j.parts.size() != 3) return;
    std::vector<std::string> alone;  // the side on its own in each part
    std::vector<std::string> names;
    for (const auto& [from, to] : j.parts) {
        std::size_t taken = 0;
        if (to != from + 4 + (to > from + 4 ? to - from - 4 : 0) || to < from + 5 || ts[from + 1].mark != '+' ||
            !isPlainName(p.c, ts[from], p.v, ts, from) || !isPlainName(p.c, ts[from + 2], p.v, ts, from + 2))
            return;
        const std::string sign = signAt(p, ts, from + 3, taken);
        if ((sign != ">" && sign != ">=") || from + 3 + taken + 1 != to || !isPlainName(p.c, ts[to - 1], p.v, ts, to - 1)) return;
        std::vector<std::string> three = {word(p, ts[from]), word(p, ts[from + 2]), word(p, ts[to - 1])};
        std::sort(three.begin(), three.end());
        if (std::adjacent_find(three.begin(), three.end()) != three.end() || (!names.empty() && names != three)) return;
        names = three;
        alone.push_back(word(p, ts[to - 1]));
    }
    std::sort(alone.begin(), alone.end());
    if (alone != names) return;
    const std::string both = ts[j.jointFrom].mark != 0 ? "&&" : roleWord(p.v, p.table, rules::WordRole::Logic, "&&");
    add(p, s, HintKind::BranchFlow,
        "«" + shown(p, s, s.condFrom, s.condTo) + "» верно для любых трёх положительных длин: наибольшая сторона вместе с любой другой всегда больше третьей, так что два из трёх неравенств выполняются всегда. Треугольник есть, когда верны все три: соедините их «" +
            both + "»",
        names, out);
}

}  // namespace diagnostics::programs
