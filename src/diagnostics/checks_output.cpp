// Checks of what a program builds or prints around a loop: a separator added after every element,
// the last one too; a number the loop divided down to 0, printed afterwards as if it were the one
// read; a sum of fractions from a written list compared exactly with a number it misses by a
// rounding error; a sum of the numbers an «если» picks divided by a count of every round; a number
// built from digits by adding «10 * цифра», which gives ten times their sum. Each is told only when every round does it, so the run shows it for certain.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <cmath>
#include <string>

namespace diagnostics::programs {

namespace {

// The letters of a literal without its quotes.
std::string unquoted(const Program& p, const Token& t) {
    const std::string w = word(p, t);
    return w.size() >= 2 ? w.substr(1, w.size() - 2) : "";
}

// A separator: its last mark (spaces after it aside) is a comma or a semicolon.
bool endsInSeparator(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return end > 0 && (text[end - 1] == ',' || text[end - 1] == ';');
}

}  // namespace

// «перечень = перечень + ц + ", "» on every round, «перечень» printed after the loop: the text ends
// with the separator. Silent when the line sits under an «если», when the separator comes before
// the element, and when the text is cut or joined after the loop.
void separatorAfterLast(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = facts.holders[i];
    if (s.target.empty() || loop < 0 || p.stmts[loop].kind != StmtKind::Loop) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    if (ts.size() < s.valueFrom + 5 || !isWord(p, ts[s.valueFrom], s.target) || ts[s.valueFrom + 1].mark != '+' ||
        ts.back().mark != literal || ts[ts.size() - 2].mark != '+')
        return;
    const std::string separator = unquoted(p, ts.back());
    if (!endsInSeparator(separator)) return;
    const int start = lastSetBefore(facts, s.target, loop);
    if (start < 0 || !valueToken(p, p.stmts[start]) || tokensOf(p, p.stmts[start])[p.stmts[start].valueFrom].mark != literal)
        return;
    for (const int k : settersOf(facts, s.target))
        if (k != i && k != start) return;
    const int end = lastInBlock(p, facts, loop);
    bool printed = false;
    for (const int k : readersOf(facts, s.target)) {
        if (k <= end) continue;
        const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
        for (std::size_t t = 0; t + 1 < kt.size(); ++t)
            if (isWord(p, kt[t], s.target) && kt[t + 1].mark == '.') return;  // cut or changed after the loop
        printed = printed || prints(p, p.stmts[k]);
    }
    if (!printed) return;
    // «для каждого ц из цвета» adding «ц» itself: the list's own join says it in one line.
    const Stmt& head = p.stmts[loop];
    const EachLoop each = eachLoopOf(p, head);
    const std::string join = reverseOf(p.v, "join");
    std::string way = "или дописывайте «" + separator + "» перед элементом, кроме первого";
    if (!each.list.empty() && !join.empty() && ts.size() == s.valueFrom + 5 && isWord(p, ts[s.valueFrom + 2], each.element))
        way = "например «" + each.list + "." + join + "(" + word(p, ts.back()) + ")» даёт сразу весь текст";
    add(p, s, HintKind::Computation,
        "«" + word(p, ts.back()) + "» дописывается на каждом круге цикла (строка " + num(lineOf(p, head)) +
            "), после последнего элемента тоже: «" + s.target + "» кончится разделителем. Чтобы он стоял только между элементами, " +
            way,
        {s.target}, out);
}

// «пока n > 0» dividing «n» on every round, then a print that reads «n»: it prints 0, not the number
// read. Only for a number the user typed and a loop that ends at 0 («> 0», «не равно 0», «>= 1»);
// a loop that subtracts, or divides keeping the fraction, leaves a remainder the program may well
// mean to print.
void numberUsedUpThenPrinted(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::Loop || s.closed) return;
    const Compared k = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    const bool toZero = k.valid && ((k.value == 0 && (k.sign == ">" || isNotEqual(k.sign))) || (k.value == 1 && k.sign == ">="));
    if (!toZero) return;
    const int read = lastSetBefore(facts, k.name, i);
    if (read < 0) return;
    const std::vector<Token>& rt = tokensOf(p, p.stmts[read]);
    bool asked = false;
    for (std::size_t t = p.stmts[read].valueFrom; t < rt.size(); ++t)
        asked = asked || isWord(p, rt[t], facts.askNumber) || isWord(p, rt[t], facts.askWord);
    if (!asked) return;
    const int end = lastInBlock(p, facts, i);
    int divides = -1;
    for (int t = i + 1; t <= end; ++t) {
        const Stmt& d = p.stmts[t];
        if (d.target != k.name) continue;
        if (facts.holders[t] != i || !reads(p, d, k.name)) return;  // set otherwise, or only on some rounds
        const std::vector<Token>& dt = tokensOf(p, d);
        // A whole division («округлить_вниз(n / 10)»): a plain «n / 2» keeps a fraction, not 0.
        bool slash = false, whole = false;
        for (std::size_t m = d.valueFrom; m < dt.size(); ++m) {
            const rules::RuleWords* r = dt[m].mark == 0 ? ruleAt(p.c, dt, m, p.v) : nullptr;
            whole = whole || (r && (produces(*r, "Math.floor") || produces(*r, "Math.trunc")));
            slash = slash || dt[m].mark == '/';
        }
        if (!slash || !whole) return;
        divides = t;
    }
    if (divides < 0) return;
    for (const int r : readersOf(facts, k.name)) {
        if (r <= end) continue;
        if (lastSetBefore(facts, k.name, r) != divides || !prints(p, p.stmts[r])) return;
        add(p, p.stmts[r], HintKind::LostValue,
            "здесь «" + k.name + "» уже 0: цикл (строка " + num(lineOf(p, s)) + ") делил «" + k.name + "» (строка " +
                num(lineOf(p, p.stmts[divides])) + "), пока «" + shown(p, s, s.condFrom, s.condTo) +
                "» не стало ложным, и введённое число не сохранилось. Чтобы вывести его, запомните копию до цикла: «пусть копия = " +
                k.name + "» — и делите в цикле копию",
            {k.name}, out);
        return;
    }
}

// «если итого равно 0.3» where «итого» is 0 plus each number of a list written in the program
// («[0.1, 0.2]»), added in a «для каждого» loop: the sum is worked out here exactly as the page
// will, and the finding is told only when it misses the number by a rounding error alone.
void fractionsComparedExactly(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If && s.kind != StmtKind::ElseIf) return;
    const Compared k = comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    if (!k.valid || (k.sign != "==" && k.sign != "===" && !isNotEqual(k.sign)) || k.value == std::floor(k.value)) return;
    // The sum: set once to 0 before, grown only by «итого = итого + э» in a loop over a written list.
    const std::vector<int>& setters = settersOf(facts, k.name);
    if (setters.size() != 2 || setters[1] > i || !valueIs(p, p.stmts[setters[0]], "0")) return;
    const Stmt& grow = p.stmts[setters[1]];
    const int loop = facts.holders[setters[1]];
    std::string a, b;
    if (loop < 0 || !binaryValue(p, grow, '+', a, b) || a != k.name) return;
    const EachLoop each = eachLoopOf(p, p.stmts[loop]);
    if (each.element != b || each.list.empty()) return;
    const std::string& list = each.list;
    std::vector<double> numbers;
    if (!writtenNumbers(p, facts, list, numbers) || settersOf(facts, list)[0] > loop) return;
    double sum = 0;
    for (const double x : numbers) sum += x;
    if (sum == k.value || std::fabs(sum - k.value) > 1e-9 * std::fmax(1.0, std::fabs(k.value))) return;
    const std::string value = numberText(sum);
    const std::string compared = shown(p, s, s.condFrom, s.condTo);
    const std::string number = shown(p, tokensOf(p, s), k.valueAt, s.condTo);
    add(p, s, HintKind::Computation,
        "«" + k.name + "» здесь " + value + ", а не " + number +
            ": дробные числа компьютер хранит и складывает с крошечной ошибкой, поэтому «" + compared + "» " +
            (isNotEqual(k.sign) ? "верно" : "ложно") + ". Сравнивайте с допуском: «модуль(" + k.name + " - " + number +
            ") < 0.000001», или округлите сумму",
        {k.name}, out);
}

// «сумма / количество» after a loop where «сумма = сумма + x» stands under an «если» and
// «количество = количество + 1» on every round: the sum of the picked numbers over the count of all.
// Silent when the sum grows by a constant (a share of rounds, «кратных / всего», is meant).
void averageOverOtherRounds(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t k = 1; k + 1 < ts.size(); ++k) {
        if (ts[k].mark != '/' || !isPlainName(p.c, ts[k - 1], p.v, ts, k - 1) || !isPlainName(p.c, ts[k + 1], p.v, ts, k + 1)) continue;
        const std::string sum = word(p, ts[k - 1]), count = word(p, ts[k + 1]);
        // Each is set once before its loop and grown once in it, the loop ending before this line.
        auto grownIn = [&](const std::string& name, int& loop) {
            const std::vector<int>& setters = settersOf(facts, name);
            if (setters.size() != 2 || setters[1] > i) return -1;
            loop = nearestAround(p, facts, setters[1], StmtKind::Loop);
            return loop >= 0 && setters[0] < loop && lastInBlock(p, facts, loop) < i ? setters[1] : -1;
        };
        int sumLoop = -1, countLoop = -1;
        const int grow = grownIn(sum, sumLoop), tally = grownIn(count, countLoop);
        std::string a, b;
        if (grow < 0 || tally < 0 || sumLoop != countLoop || facts.holders[tally] != countLoop || facts.holders[grow] == sumLoop ||
            p.stmts[facts.holders[grow]].kind != StmtKind::If || !valueIs(p, p.stmts[tally], count, '+', "1") ||
            !binaryValue(p, p.stmts[grow], '+', a, b) || a != sum || isDigits(p.c, tokensOf(p, p.stmts[grow]).back()))
            continue;
        const Stmt& pick = p.stmts[facts.holders[grow]];
        add(p, p.stmts[tally], HintKind::Computation,
            "«" + sum + "» копит только числа, для которых «" + shown(p, pick, pick.condFrom, pick.condTo) + "» (строка " +
                num(lineOf(p, pick)) + "), а «" + count + "» растёт на каждом круге: «" + shown(p, ts, k - 1, k + 2) + "» (строка " +
                num(lineOf(p, s)) + ") делит сумму отобранных на число всех. Перенесите «" + lineText(p, p.stmts[tally]) +
                "» внутрь этого «если»",
            {count}, out);
        return;
    }
}

// «сумма / 4» after «для каждого о из оценки: сумма = сумма + о» over a list written with 5 numbers:
// the sum of every element divided by one more or one less than their count. Only a divisor one
// away from the count is told: «/ 2» or «/ 100» is meant for something else.
void averageByNearCount(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t k = 1; k + 1 < ts.size(); ++k) {
        if (ts[k].mark != '/' || !isPlainName(p.c, ts[k - 1], p.v, ts, k - 1) || !isDigits(p.c, ts[k + 1]) ||
            (k + 2 < ts.size() && (ts[k + 2].mark == '.' || ts[k + 2].mark == '*' || ts[k + 2].mark == '/')))
            continue;
        const std::string sum = word(p, ts[k - 1]);
        const std::vector<int>& setters = settersOf(facts, sum);
        if (setters.size() != 2 || setters[1] > i) continue;
        const int grow = setters[1], loop = facts.holders[grow];
        std::string a, b;
        const EachLoop each = loop >= 0 ? eachLoopOf(p, p.stmts[loop]) : EachLoop{};
        std::vector<double> numbers;
        if (!each.valid || each.list.empty() || setters[0] > loop || lastInBlock(p, facts, loop) > i ||
            !binaryValue(p, p.stmts[grow], '+', a, b) || a != sum || b != each.element ||
            !writtenNumbers(p, facts, each.list, numbers))
            continue;
        double divisor = 0;
        if (!number(p, ts, k + 1, k + 2, divisor)) continue;
        const double count = static_cast<double>(numbers.size());
        if (divisor != count - 1 && divisor != count + 1) continue;
        const std::string length = reverseOf(p.v, "length");
        if (length.empty()) return;
        add(p, s, HintKind::Computation,
            "«" + shown(p, ts, k - 1, k + 2) + "» делит сумму всех " + num(static_cast<std::uint32_t>(numbers.size())) + " чисел списка «" + each.list +
                "» (цикл в строке " + num(lineOf(p, p.stmts[loop])) + ") на " + word(p, ts[k + 1]) +
                ". Чтобы делить на их число, пишите «" + sum + " / " + each.list + "." + length + "»",
            {sum}, out);
        return;
    }
}

// «наоборот = 10 * цифра + наоборот» (or «наоборот + цифра * 10») in a loop: every digit gets the
// same weight 10, so the result is ten times the digits' sum, not a number written with them.
// Silent when the weight is a name that grows («вес * цифра»).
void digitsWeightedAlike(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    if (s.target.empty() || ts.size() != s.valueFrom + 5 || nearestAround(p, facts, i, StmtKind::Loop) < 0) return;
    const std::size_t v = s.valueFrom;
    // «10 * d + X», «d * 10 + X», «X + 10 * d», «X + d * 10».
    std::size_t product = 0;
    if (isWord(p, ts[v + 4], s.target) && ts[v + 3].mark == '+') product = v;
    else if (isWord(p, ts[v], s.target) && ts[v + 1].mark == '+') product = v + 2;
    else return;
    if (ts[product + 1].mark != '*') return;
    const bool tenFirst = word(p, ts[product]) == "10", tenLast = word(p, ts[product + 2]) == "10";
    if (tenFirst == tenLast) return;
    const Token& digit = ts[tenFirst ? product + 2 : product];
    if (!isPlainName(p.c, digit, p.v, ts, tenFirst ? product + 2 : product)) return;
    const std::string d = word(p, digit);
    add(p, s, HintKind::Computation,
        "на каждом круге «" + s.target + "» растёт на «" + shown(p, ts, product, product + 3) + "»: у каждой цифры один и тот же вес 10, и в итоге выйдет 10 × сумма цифр, а не число из них. Чтобы дописать «" +
            d + "» справа, сдвиньте то, что уже есть: «" + s.target + " = " + s.target + " * 10 + " + d + "»",
        {s.target}, out);
}

// «наоборот = наоборот + буква» in a walk over a text, «наоборот» started at "": each letter goes to
// the end, so the result is the text itself, letters in the same order. Told when the name says it
// is turned round («наоборот», «обратное», «перевёрнутое») or when the program compares it with the
// text it walked (a palindrome test that always says yes).
void builtInSameOrder(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    std::string a, b;
    const int loop = facts.holders[i];
    if (loop < 0 || !binaryValue(p, s, '+', a, b) || a != s.target) return;
    const EachLoop each = eachLoopOf(p, p.stmts[loop]);
    const int start = lastSetBefore(facts, s.target, loop);
    const Token* begin = start >= 0 ? valueToken(p, p.stmts[start]) : nullptr;
    if (!each.valid || each.list.empty() || each.element != b || !begin || begin->mark != literal || begin->to != begin->from + 2)
        return;
    for (const int k : settersOf(facts, s.target))
        if (k != start && k != i) return;
    bool compared = false;
    for (const int r : readersOf(facts, s.target)) {
        const WordPair pair = r > i && hasCondition(p.stmts[r]) ? wordPairOf(p, p.stmts[r]) : WordPair{};
        compared = compared || (pair.valid && (pair.sign == "==" || isNotEqual(pair.sign)) &&
                                ((pair.left == a && pair.right == each.list) || (pair.right == a && pair.left == each.list)));
    }
    if (!compared && !nameHas(s.target, {"НАОБОРОТ", "ОБРАТН", "ПЕРЕВ", "ЗЕРКАЛ", "РЕВЕРС"})) return;
    add(p, s, HintKind::Computation,
        "«" + lineText(p, s) + "» дописывает каждую букву в конец: «" + s.target + "» выйдет тем же текстом, что «" + each.list +
            "», буквы в том же порядке. Чтобы перевернуть, ставьте букву в начало: «" + s.target + " = " + b + " + " + s.target + "»",
        {s.target}, out);
}

// «повторить уроков раз: вывести("Урок " + счетчик + …)»: the counter of «повторить» starts at 0, so
// the first line reads «Урок 0». Told when a text ending in a word stands right before the counter
// in a print, and the counter is not shifted anywhere in the loop (a list's elements by number are
// meant with 0).
void roundNumberedFromZero(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = facts.holders[i];
    if (!prints(p, s) || loop < 0 || !countedLoop(p, p.stmts[loop]))
        return;
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t k = 2; k < ts.size(); ++k) {
        if (ts[k].mark != 0 || !isRoundCounter(p, word(p, ts[k])) || ts[k - 1].mark != '+' || ts[k - 2].mark != literal) continue;
        // The text before ends in a letter or «№» («"Урок "», «" x "» is a sign: left alone unless a word).
        const std::string before = word(p, ts[k - 2]);
        const base::CodePoints letters = base::decodeBytes(before);
        std::size_t e = letters.size() >= 2 ? letters.size() - 2 : 0;  // before the closing quote
        while (e > 0 && letters[e] == ' ') --e;
        const std::uint32_t last = letters.empty() ? 0 : letters[e];
        // A label: the text ends in a word or «№». A factor of a multiplication table: «" x "».
        const bool times = last == 'x' || last == 0xD7 || last == '*';
        const bool label = last == 0x2116 || (last >= 0x410 && last <= 0x44F) || last == 0x451;
        if ((!label && !times) || (k + 1 < ts.size() && (ts[k + 1].mark == '*' || ts[k + 1].mark == '['))) continue;
        // Shifted somewhere, an element's number, or (for a label) used in a value too: a count
        // from 0 is meant («"Отметка " + счётчик + ": " + шаг * счётчик»).
        bool meant = false;
        for (int m = loop + 1; m <= lastInBlock(p, facts, loop); ++m) {
            const std::vector<Token>& mt = tokensOf(p, p.stmts[m]);
            for (std::size_t t = 0; t < mt.size(); ++t) {
                if (!isWord(p, mt[t], word(p, ts[k])) || (m == i && t == k)) continue;
                meant = meant || (t + 2 < mt.size() && mt[t + 1].mark == '+' && isDigits(p.c, mt[t + 2])) || (t > 0 && mt[t - 1].mark == '[') || label;
            }
        }
        if (meant) return;
        const std::string counter = word(p, ts[k]);
        add(p, s, HintKind::LoopFlow,
            "«" + counter + "» в «повторить» считает с 0: на первом круге выйдет " + before.substr(0, before.size() - 1) + "0\". Чтобы нумеровать с единицы, пишите «(" +
                counter + " + 1)»",
            {counter}, out);
        return;
    }
}

// «вывести(н + "! = " + факториал)» inside the loop that builds «факториал», the text naming the
// loop's bound that never changes: the final answer's line is printed on every round, with the
// values so far. Silent when the print reads the loop's counter (a table of every round is meant).
void resultPrintedEveryRound(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = facts.holders[i];
    const WordPair walk = loop >= 0 ? wordPairOf(p, p.stmts[loop]) : WordPair{};
    if (!prints(p, s) || !walk.valid || reads(p, s, walk.left) || !reads(p, s, walk.right)) return;
    for (const int m : settersOf(facts, walk.right))
        if (within(p, facts, m, loop)) return;
    for (int m = loop + 1; m < i; ++m) {
        const Stmt& d = p.stmts[m];
        std::string a, b;
        if (facts.holders[m] != loop || d.target.empty() || !reads(p, s, d.target) ||
            !((binaryValue(p, d, '*', a, b) || binaryValue(p, d, '+', a, b)) && a == d.target && b == walk.left))
            continue;
        bool after = false;
        for (const int r : readersOf(facts, d.target)) after = after || r > lastInBlock(p, facts, loop);
        if (after) return;
        add(p, s, HintKind::LoopFlow,
            "«" + lineText(p, s) + "» стоит внутри цикла (строка " + num(lineOf(p, p.stmts[loop])) + ") и выведет ответ для «" + walk.right +
                "» на каждом круге, с промежуточным «" + d.target + "». Если нужен один ответ, перенесите вывод после цикла, за его «" +
                p.endWord + "»",
            {d.target}, out);
        return;
    }
}

}  // namespace diagnostics::programs
