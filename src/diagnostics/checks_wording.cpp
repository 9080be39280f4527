// Checks of a condition against the program's own printed words: a text saying «оканчиваются на 4»
// over a test «x % 4 равно 0» (divisible, not ending in 4), a text saying «не кратных 3» over
// «x % 3 равно 0» (the multiples themselves), a text «от 1 до » + n over a loop «i < n» that
// stops before n, a text «чётных» over a count that starts odd and steps by 2, an «иначе» of an
// inner «если» whose text speaks of the outer one's number, a count of spaces printed as the count
// of words, a «первый» kept without leaving the loop (so the last one stays), a count grown on every
// round printed under the words of the «если» beside it. Told only when the printed text names the same number or name as the test.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace diagnostics::programs {

namespace {

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
    std::uint32_t line = 0;
};

// The literals a print statement holds, each with its line; none for any other statement.
std::vector<Printed> printedTexts(const Program& p, const Stmt& s) {
    std::vector<Printed> texts;
    const std::vector<Token>& ts = tokensOf(p, s);
    if (!prints(p, s)) return texts;
    for (const Token& t : ts)
        if (t.mark == literal) texts.push_back({word(p, t), lineOf(p, s)});
    return texts;
}

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
        for (Printed& text : printedTexts(p, s)) texts.push_back(std::move(text));
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
            if (!namesNumber(text.text, k)) continue;
            const bool ends = nameHas(text.text, {"ОКАНЧИВА", "ЗАКАНЧИВА"});
            const bool notMultiple = nameHas(text.text, {"НЕ КРАТН", "НЕКРАТН", "НЕ ДЕЛЯТСЯ", "НЕ ДЕЛИТСЯ"});
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
        if (!prints(p, s)) continue;
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
                const WordPair walk = wordPairOf(p, loop);
                if (loop.kind != StmtKind::Loop || !walk.valid || walk.sign != "<" || walk.right != n) continue;
                const std::string counter = walk.left;
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

// «пусть ч = 1 … ч = ч + 2» summed or printed under a text «чётных» (or from 2 under «нечётных»):
// every value the loop takes is of the other kind.
void parityAgainstText(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    std::vector<Printed> texts;
    for (int i = 0; i < facts.n; ++i)
        for (Printed& text : printedTexts(p, p.stmts[i])) texts.push_back(std::move(text));
    for (int i = 0; i < facts.n; ++i) {
        const Stmt& loop = p.stmts[i];
        if (loop.kind != StmtKind::Loop || loop.closed) continue;
        const Compared k = comparedIn(p, tokensOf(p, loop), loop.condFrom, loop.condTo);
        if (!k.valid) continue;
        const int start = lastSetBefore(facts, k.name, i);
        double first = 0;
        const std::vector<int>& setters = settersOf(facts, k.name);
        if (start < 0 || setters.size() != 2 || !within(p, facts, setters[1], i) || facts.holders[setters[1]] != i ||
            !valueIs(p, p.stmts[setters[1]], k.name, '+', "2"))
            continue;
        const std::vector<Token>& st = tokensOf(p, p.stmts[start]);
        if (!number(p, st, p.stmts[start].valueFrom, st.size(), first) || first != static_cast<long long>(first)) continue;
        const bool odd = static_cast<long long>(first) % 2 != 0;
        for (const Printed& text : texts) {
            const bool saysOdd = nameHas(text.text, {"НЕЧЁТН", "НЕЧЕТН"});
            const bool saysEven = !saysOdd && nameHas(text.text, {"ЧЁТН", "ЧЕТН"});
            if (!(odd ? saysEven : saysOdd)) continue;
            add(p, p.stmts[start], HintKind::Computation,
                "«" + k.name + "» начинается с " + word(p, st[p.stmts[start].valueFrom]) + " и растёт на 2 (строка " +
                    num(lineOf(p, p.stmts[setters[1]])) + "): все его значения " + (odd ? "нечётные" : "чётные") +
                    ", а текст на строке " + num(text.line) + " говорит " + text.text + ". Начальное значение — " +
                    (odd ? "чётное" : "нечётное") + ", например «" + lineText(p, p.stmts[start]).substr(
                        0, lineText(p, p.stmts[start]).size() - word(p, st[p.stmts[start].valueFrom]).size()) +
                    std::to_string(static_cast<long long>(first) + 1) + "»",
                {k.name}, out);
            return;
        }
    }
}

// «если возраст >= 18 то если билет то … иначе вывести("Вход только с 18 лет") конец конец»: the
// «иначе» belongs to the inner «если», but its text refuses on the outer one's number. Only when
// the outer «если» has no other branch and holds the inner one alone, and the text refuses
// («только», «нельзя», «не », «младше», «меньше»).
void elseOfOuterWords(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& e = p.stmts[i];
    if (e.kind != StmtKind::Else || e.chain < 0) return;
    const int inner = e.chain;
    const int outer = facts.holders[inner];
    if (outer < 0 || p.stmts[outer].kind != StmtKind::If || !facts.branches[outer].empty() || body(p, facts, outer).size() != 1)
        return;
    const auto numbers = [&](const Stmt& h) {
        std::vector<std::string> found;
        const std::vector<Token>& ht = tokensOf(p, h);
        for (std::size_t t = h.condFrom; t < h.condTo; ++t)
            if (isDigits(p.c, ht[t])) found.push_back(word(p, ht[t]));
        return found;
    };
    const std::vector<std::string> outerNumbers = numbers(p.stmts[outer]), innerNumbers = numbers(p.stmts[inner]);
    for (const int k : body(p, facts, i))
        for (const Printed& text : printedTexts(p, p.stmts[k])) {
            if (!nameHas(text.text, {"ТОЛЬКО", "НЕЛЬЗЯ", "НЕ ", "МЛАДШЕ", "МЕНЬШЕ"})) continue;
            for (const std::string& n : outerNumbers) {
                if (!namesNumber(text.text, n) || std::find(innerNumbers.begin(), innerNumbers.end(), n) != innerNumbers.end())
                    continue;
                const Stmt& o = p.stmts[outer];
                const Stmt& in = p.stmts[inner];
                add(p, e, HintKind::BranchFlow,
                    "это «" + p.elseWord + "» относится к внутреннему «" + shown(p, in, 0, in.condTo) +
                        "» (строка " + num(lineOf(p, in)) + "): оно выполнится, когда «" + shown(p, o, o.condFrom, o.condTo) +
                        "» верно, а текст " + text.text + " (строка " + num(text.line) + ") говорит о случае, когда оно неверно. Если «" +
                        p.elseWord + "» для внешнего «" + p.ifWord + "» (строка " + num(lineOf(p, o)) + "), поставьте его после «" +
                        p.endWord + "» внутреннего",
                    {p.elseWord}, out);
                return;
            }
        }
}

// «если знак равно " " то пробелов = пробелов + 1» and then «вывести("Слов: " + пробелов)»: words
// are one more than the spaces between them.
void spacesPrintedAsWords(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    for (const Printed& text : printedTexts(p, s)) {
        if (!nameHas(text.text, {"СЛОВ"}) || nameHas(text.text, {"ПРОБЕЛ"})) continue;
        for (std::size_t t = 0; t + 2 < ts.size(); ++t) {
            if (ts[t].mark != literal || word(p, ts[t]) != text.text || ts[t + 1].mark != '+' ||
                !isPlainName(p.c, ts[t + 2], p.v, ts, t + 2) || (t + 3 < ts.size() && ts[t + 3].mark != ')' && ts[t + 3].mark != '+'))
                continue;
            const std::string count = word(p, ts[t + 2]);
            const std::vector<int>& setters = settersOf(facts, count);
            if (setters.size() != 2 || !valueIs(p, p.stmts[setters[1]], count, '+', "1")) continue;
            const int test = facts.holders[setters[1]];
            if (test < 0 || p.stmts[test].kind != StmtKind::If) continue;
            const Stmt& h = p.stmts[test];
            const std::vector<Token>& ht = tokensOf(p, h);
            bool space = false;
            for (std::size_t m = h.condFrom; m < h.condTo; ++m) space = space || (ht[m].mark == literal && word(p, ht[m]) == "\" \"");
            if (!space) continue;
            add(p, s, HintKind::Computation,
                "«" + count + "» считает пробелы (строка " + num(lineOf(p, h)) + "), а текст говорит " + text.text +
                    ": слов на одно больше, чем пробелов между ними, — выводите «" + count + " + 1»",
                {count}, out);
            return;
        }
    }
}

// «если оценки[i] равно 3 то номер = i конец» in a loop that goes on, printed as «Первая тройка…»:
// each match overwrites «номер», so the last one stays. Silent when the branch leaves the loop or
// checks that nothing was found yet.
void firstKeptAsLast(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    for (const Printed& text : printedTexts(p, s)) {
        if (!nameHas(text.text, {"ПЕРВ"})) continue;
        const std::vector<Token>& ts = tokensOf(p, s);
        for (std::size_t t = 0; t < ts.size(); ++t) {
            if (ts[t].mark != 0 || !isPlainName(p.c, ts[t], p.v, ts, t)) continue;
            const std::string kept = word(p, ts[t]);
            const std::vector<int>& setters = settersOf(facts, kept);
            if (setters.size() != 2 || setters[1] > i) continue;
            const int h = facts.holders[setters[1]];
            if (h < 0 || p.stmts[h].kind != StmtKind::If || !facts.branches[h].empty() || reads(p, p.stmts[h], kept)) continue;
            const int loop = facts.holders[h];
            if (loop < 0 || p.stmts[loop].kind != StmtKind::Loop || lastInBlock(p, facts, loop) > i) continue;
            // A walk from the front: «для каждого … из» or a count up to a length. Digits taken with
            // «% 10» come from the back, and there the last match is the first from the left.
            const std::string of = keywordOf(p.v, "of"), length = reverseOf(p.v, "length");
            if (!hasWord(p, p.stmts[loop], of) && !hasWord(p, p.stmts[loop], length)) continue;
            bool leaves = false;
            for (const int b : body(p, facts, h)) {
                const std::vector<Token>& bt = tokensOf(p, p.stmts[b]);
                leaves = leaves || isWord(p, bt[0], p.breakWord) || isWord(p, bt[0], p.returnWord);
            }
            if (leaves) continue;
            add(p, p.stmts[setters[1]], HintKind::LoopFlow,
                "«" + lineText(p, p.stmts[setters[1]]) + "» выполняется при каждом совпадении, и цикл идёт дальше: после него в «" + kept +
                    "» последнее совпадение, а текст на строке " + num(text.line) + " говорит " + text.text +
                    ". Чтобы запомнить первое, выйдите из цикла словом «" + p.breakWord + "» сразу после этой строки",
                {kept}, out);
            return;
        }
    }
}

// «если р больше 160 то вывести(…) конец» then «высоких = высоких + 1» on every round, printed as
// «Выше 160 см: » + высоких: the count is of all rounds, the words are of the «если».
void countOutsideItsIf(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = facts.holders[i];
    if (loop < 0 || p.stmts[loop].kind != StmtKind::Loop || !valueIs(p, s, s.target, '+', "1")) return;
    const std::vector<int> rounds = body(p, facts, loop);
    for (const int h : rounds) {
        if (h > i || p.stmts[h].kind != StmtKind::If || !facts.branches[h].empty()) continue;
        const Compared k = comparedIn(p, tokensOf(p, p.stmts[h]), p.stmts[h].condFrom, p.stmts[h].condTo);
        if (!k.valid) continue;
        const std::string number = shown(p, tokensOf(p, p.stmts[h]), k.valueAt, p.stmts[h].condTo);
        for (const int r : readersOf(facts, s.target)) {
            if (r <= lastInBlock(p, facts, loop)) continue;
            for (const Printed& text : printedTexts(p, p.stmts[r])) {
                if (!namesNumber(text.text, number)) continue;
                add(p, s, HintKind::LoopFlow,
                    "«" + lineText(p, s) + "» выполняется на каждом круге, а текст на строке " + num(text.line) + " говорит " + text.text +
                        " — о тех, для кого «" + shown(p, p.stmts[h], p.stmts[h].condFrom, p.stmts[h].condTo) + "» (строка " +
                        num(lineOf(p, p.stmts[h])) + "). Перенесите эту строку внутрь того «" + p.ifWord + "»",
                    {s.target}, out);
                return;
            }
        }
    }
}

// «если буква равно "а"» in a walk over a text written in the program that also holds «А»: the
// capital letters never pass. Silent when the program speaks of small letters («строчных»,
// «маленьких»), changes the case anywhere, or names the capital letter itself.
void capitalLetterSkipped(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If && s.kind != StmtKind::ElseIf) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    std::size_t taken = 0;
    if (s.condTo < s.condFrom + 3 || signAt(p, ts, s.condFrom + 1, taken) != "==" || s.condFrom + 1 + taken + 1 != s.condTo) return;
    const Token& letter = ts[s.condTo - 1];
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    const EachLoop each = loop >= 0 ? eachLoopOf(p, p.stmts[loop]) : EachLoop{};
    if (letter.mark != literal || !each.valid || each.list.empty() || !isWord(p, ts[s.condFrom], each.element) ||
        settersOf(facts, each.list).size() != 1)
        return;
    const Token* text = valueToken(p, p.stmts[settersOf(facts, each.list)[0]]);
    const std::string small = textOf(p.c, letter.from + 1, letter.to - 1);
    const std::string capital = capitals(small);
    if (!text || text->mark != literal || letter.to != letter.from + 3 || capital.empty() || capital == small) return;
    const std::string written = textOf(p.c, text->from + 1, text->to - 1);
    int capitalsIn = 0;
    for (std::size_t at = written.find(capital); at != std::string::npos; at = written.find(capital, at + 1)) ++capitalsIn;
    if (capitalsIn == 0) return;
    const std::string lower = reverseOf(p.v, "toLowerCase"), upper = reverseOf(p.v, "toUpperCase");
    for (const Line& line : p.lines)
        for (const Token& t : line.tokens) {
            const std::string w = word(p, t);
            if ((t.mark == 0 && (w == lower || w == upper)) || (t.mark == literal && w.size() > 2 && w.substr(1, w.size() - 2) == capital) ||
                nameHas(w, {"СТРОЧН", "МАЛЕНЬК", "МАЛЫХ", "МАЛЫЕ"}))
                return;
        }
    if (lower.empty()) return;
    add(p, s, HintKind::BranchFlow,
        "«" + shown(p, s, s.condFrom, s.condTo) + "» не пропускает заглавную «" + capital + "», а в тексте «" + each.list + "» (строка " +
            num(lineOf(p, p.stmts[settersOf(facts, each.list)[0]])) + ") их " + std::to_string(capitalsIn) +
            ": они не посчитаются. Если нужны и заглавные, сравнивайте «" + each.element + "." + lower + "() " +
            shown(p, ts, s.condFrom + 1, s.condTo) + "»",
        {each.element}, out);
}

// «если счётчик % 2 равно 0 то s = s + n» under a printed «Сумма чётных чисел»: the test reads the
// round's number, not the number added. Silent when the text speaks of places or numbers of rounds
// («на чётных местах», «каждого второго»).
void roundParityForValue(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If || s.closed) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::size_t a = s.condFrom;
    std::size_t taken = 0;
    if (s.condTo < a + 5 || ts[a + 1].mark != '%' || word(p, ts[a + 2]) != "2" || !isPlainName(p.c, ts[a], p.v, ts, a)) return;
    const std::string sign = signAt(p, ts, a + 3, taken);
    if ((sign != "==" && sign != "===") || a + 4 + taken != s.condTo) return;
    const std::string round = word(p, ts[a]);
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    if (loop < 0) return;
    const Stmt& head = p.stmts[loop];
    const bool counted = isRoundCounter(p, round) && countedLoop(p, head);
    const WordPair walk = wordPairOf(p, head);
    bool stepped = false;
    for (const int k : settersOf(facts, round)) stepped = stepped || (within(p, facts, k, loop) && valueIs(p, p.stmts[k], round, '+', "1"));
    if (!counted && !(walk.valid && walk.left == round && stepped)) return;
    for (const int k : body(p, facts, i)) {
        std::string total, value;
        if (!binaryValue(p, p.stmts[k], '+', total, value) || total != p.stmts[k].target || value == round || isDigits(p.c, tokensOf(p, p.stmts[k]).back()))
            continue;
        for (const int r : readersOf(facts, total)) {
            const std::string text = r > lastInBlock(p, facts, loop) && prints(p, p.stmts[r]) ? capitals(lineText(p, p.stmts[r])) : "";
            if ((text.find("ЧЁТН") == std::string::npos && text.find("ЧЕТН") == std::string::npos) ||
                nameHas(text, {"МЕСТ", "НОМЕР", "ПОЗИЦ", "ИНДЕКС", "ШАГ", "ПОРЯД", "ВТОР", "КРУГ"}))
                continue;
            add(p, s, HintKind::BranchFlow,
                "«" + shown(p, s, s.condFrom, s.condTo) + "» проверяет номер круга, а не само число «" + value + "»: текст на строке " +
                    num(lineOf(p, p.stmts[r])) + " говорит о чётных числах, а в «" + total + "» попадает «" + value +
                    "» каждого второго круга, какое бы оно ни было. Пишите «" + value + shown(p, ts, a + 1, s.condTo).insert(0, " ") + "»",
                {round}, out);
            return;
        }
    }
}

namespace {

// A condition over one name made only of «имя % N ЗНАК R» joined by «и», «или», «не» and round
// brackets, read as a tree that can be worked out for any value of the name. Reading stops (false)
// at anything else, or at a divisor not in `divisors`.
struct RemainderTest {
    const Program& p;
    const std::vector<Token>& ts;
    std::string name;
    std::vector<double> divisors;
    std::size_t at = 0, end = 0;
    bool ok = true;

    std::string logicAt() const {
        const rules::RuleWords* r = at < end && ts[at].mark == 0 ? ruleAt(p.c, ts, at, p.v) : nullptr;
        return r && r->role == rules::WordRole::Logic ? replacementOf(p.table, *r) : "";
    }
    std::size_t logicWidth() const { return ruleAt(p.c, ts, at, p.v)->words.size(); }

    // Each reads its part from `at` on and returns whether x passes it; a part of another shape sets
    // ok to false.
    bool either(double x) {
        bool v = both(x);
        while (ok && logicAt() == "||") at += logicWidth(), v = both(x) || v;
        return v;
    }
    bool both(double x) {
        bool v = single(x);
        while (ok && logicAt() == "&&") at += logicWidth(), v = single(x) && v;
        return v;
    }
    bool single(double x) {
        if (!ok || at >= end) return ok = false;
        if (logicAt() == "!") return at += logicWidth(), !single(x);
        if (ts[at].mark == '(') {
            ++at;
            const bool v = either(x);
            if (at >= end || ts[at].mark != ')') return ok = false;
            ++at;
            return v;
        }
        double by = 0, rest = 0;
        std::size_t taken = 0;
        if (at + 4 > end || !isWord(p, ts[at], name) || ts[at + 1].mark != '%' || !number(p, ts, at + 2, at + 3, by) ||
            std::find(divisors.begin(), divisors.end(), by) == divisors.end())
            return ok = false;
        const std::string sign = signAt(p, ts, at + 3, taken);
        if (!taken || numberAt(p, ts, at + 3 + taken, end, rest) != 1) return ok = false;
        at += 4 + taken;
        bool read = false;
        const bool v = holds(sign, std::fmod(x, by), rest, read);
        if (!read) ok = false;
        return v;
    }
    // Whether the whole condition passes for x; ok is false when it is not of this shape.
    bool passes(double x, std::size_t from) {
        at = from;
        const bool v = either(x);
        if (at != end) ok = false;
        return v;
    }
};

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

// «если год % 4 равно 0 то вывести("високосный")»: a leap year test that its own text names, worked
// out for the years 1 to 2400 against the calendar's rule (divisible by 4, but not by 100 unless by
// 400). Told at the condition with the first year it gets wrong, the years of a century first.
void leapYearRule(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If || s.condTo <= s.condFrom + 4) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    // The branch's own text says «високосный» (and not «не високосный»).
    bool leap = false;
    for (int d = i; d < facts.n && (d == i || facts.holders[d] == i); ++d)
        for (const Token& t : tokensOf(p, p.stmts[d])) {
            const std::string text = t.mark == literal ? capitals(word(p, t)) : "";
            const std::size_t at = text.find("ВИСОКОСН");
            leap = leap || (at != std::string::npos && text.find("НЕ ВИСОКОСН") == std::string::npos && text.find("НЕВИСОКОСН") == std::string::npos);
        }
    if (!leap || !isPlainName(p.c, ts[s.condFrom], p.v, ts, s.condFrom)) return;
    RemainderTest test{p, ts, word(p, ts[s.condFrom]), {4, 100, 400}, s.condFrom, s.condTo};
    int wrong = -1;
    for (const int y : {1900, 2100, 2000, 2024, 2023}) {
        const bool says = test.passes(y, s.condFrom);
        if (!test.ok) return;
        if (says != leapYear(y) && wrong < 0) wrong = y;
    }
    for (int y = 1; y <= 2400 && wrong < 0; ++y) {
        if (test.passes(y, s.condFrom) != leapYear(y)) wrong = y;
        if (!test.ok) return;
    }
    if (wrong < 0) return;
    const std::string y = test.name;
    add(p, s, HintKind::BranchFlow,
        "«" + shown(p, s, s.condFrom, s.condTo) + "» " + (leapYear(wrong) ? "не называет високосным " : "называет високосным и ") +
            std::to_string(wrong) + " год, а он " + (leapYear(wrong) ? "високосный" : "не високосный") +
            ": год високосный, когда он делится на 4, но год, кратный 100, — только если он делится и на 400 (2000 — да, 1900 — нет)",
        {y}, out);
}

// «вывести("Первой обслужат: " + очередь[1])»: the text speaks of the first, and «[1]» is the second
// element; numbers of elements start at 0.
void firstElementAtOne(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (!prints(p, s)) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    bool first = false;
    for (const Token& t : ts) first = first || (t.mark == literal && capitals(word(p, t)).find("ПЕРВ") != std::string::npos);
    for (std::size_t k = 0; first && k + 3 < ts.size(); ++k) {
        if (!isPlainName(p.c, ts[k], p.v, ts, k) || ts[k + 1].mark != '[' || word(p, ts[k + 2]) != "1" || ts[k + 3].mark != ']') continue;
        const std::string list = word(p, ts[k]);
        // A list that is read at [0] too takes [1] on purpose (the second of a pair).
        for (const int r : readersOf(facts, list))
            if (shown(p, p.stmts[r], 0, tokensOf(p, p.stmts[r]).size()).find(list + "[0]") != std::string::npos) return;
        add(p, s, HintKind::Computation,
            "текст говорит о первом, а «" + list + "[1]» — второй элемент: номера элементов идут с 0. Первый — «" + list + "[0]»",
            {list}, out);
        return;
    }
}

}  // namespace diagnostics::programs
