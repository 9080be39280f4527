// Checks of values and names: a value lost (a swap, one list under two names, a formula worked out
// before its name changed, a value replaced before it is read, a total never read), round brackets
// for an element, an answer of «спросить» compared as text, a name printed in quotes, a name set
// where it changes nothing, a name that says what it gathers changed against it (a sum that counts,
// a maximum that adds, a total replaced every round, a counter copied from another), a value
// replaced under an «если» beside a counter of the same values, an answer printed as it was set.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <algorithm>
#include <string>

#include "base/text.h"

namespace diagnostics::programs {

// «а = б» then «б = а»: the second puts back what is already there; «а»'s value is lost.
void swapLosesValue(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const int n = facts.n;
    const std::vector<int>& holders = facts.holders;
    if (i + 1 < n && !s.target.empty() && holders[i + 1] == holders[i]) {
        const Stmt& t = p.stmts[i + 1];
        const std::vector<Token>& tt = tokensOf(p, t);
        if (valueToken(p, s) && valueToken(p, t) &&
            word(p, ts[s.valueFrom]) == t.target && word(p, tt[t.valueFrom]) == s.target && s.target != t.target)
            add(p, s, HintKind::LostValue,
                "здесь в «" + s.target + "» кладётся значение «" + t.target + "», и прежнее значение «" + s.target +
                    "» пропадает: строка " + num(lineOf(p, t)) + " «" + lineText(p, t) + "» кладёт в «" + t.target +
                    "» его же значение. Чтобы обменять значения, сначала сохраните одно во временной (третьей) переменной",
                {s.target}, out);
    }
}

// «пусть копия = оценки» of a list, then «копия.добавить(…)», then «оценки» read: one list, two names.
void copyIsSameList(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const int n = facts.n;
    const std::string& slice = facts.slice;
    if (valueToken(p, s) && isPlainName(p.c, ts[s.valueFrom], p.v, ts, s.valueFrom)) {
        const std::string from = word(p, ts[s.valueFrom]);
        const int set = lastSetBefore(facts, from, i);
        const bool list = set >= 0 && tokensOf(p, p.stmts[set])[p.stmts[set].valueFrom].mark == '[';
        int changed = -1, readAfter = -1;
        for (int k = i + 1; k < n && list; ++k) {
            const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
            if (changed < 0 && kt.size() > 2 && isWord(p, kt[0], s.target) && kt[1].mark == '.') {
                const rules::RuleWords* m = ruleAt(p.c, kt, 2, p.v);
                if (m && changesValue(*m)) changed = k;
            } else if (changed >= 0 && reads(p, p.stmts[k], from)) {
                readAfter = k;
                break;
            }
            if (p.stmts[k].target == s.target || p.stmts[k].target == from) break;
        }
        if (readAfter >= 0 && !slice.empty())
            add(p, s, HintKind::LostValue,
                "«" + lineText(p, s) + "» не копирует массив: «" + s.target + "» и «" + from +
                    "» — один и тот же массив, и строка " + num(lineOf(p, p.stmts[changed])) + " меняет его и для «" + from +
                    "» (строка " + num(lineOf(p, p.stmts[readAfter])) + "). Копия массива — " + from + "." + slice + "()",
                {s.target}, out);
    }
}

// «цены(1)» where «цены» is a list: the element's number is written in square brackets.
void roundBracketsForElement(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    // Names that hold a list wherever they are set, and are neither functions, parameters nor loop names.
    std::vector<std::string> lists, others;
    for (const Function& f : facts.functions) {
        others.push_back(f.name);
        others.insert(others.end(), f.params.begin(), f.params.end());
    }
    for (int d = 0; d < facts.n; ++d) {
        const Stmt& t = p.stmts[d];
        const std::vector<Token>& dt = tokensOf(p, t);
        const rules::RuleWords* head = ruleAt(p.c, dt, 0, p.v);
        if (t.kind == StmtKind::Loop && head && !head->declares.empty() && head->words.size() < dt.size())
            others.push_back(word(p, dt[head->words.size()]));
        if (t.kind == StmtKind::Function && dt.size() > 1) others.push_back(word(p, dt[1]));
        if (t.target.empty()) continue;
        (dt[t.valueFrom].mark == '[' ? lists : others).push_back(t.target);
    }
    for (int d = 0; d < facts.n; ++d) {
        const Stmt& t = p.stmts[d];
        if (t.kind == StmtKind::Function) continue;
        const std::vector<Token>& dt = tokensOf(p, t);
        for (std::size_t j = 0; j + 2 < dt.size(); ++j) {
            if (dt[j + 1].mark != '(' || dt[j].mark != 0 || (j > 0 && dt[j - 1].mark == '.')) continue;
            const std::string name = word(p, dt[j]);
            if (std::find(lists.begin(), lists.end(), name) == lists.end() ||
                std::find(others.begin(), others.end(), name) != others.end())
                continue;
            // One number inside: no "," at the top, and the bracket closes on the line.
            bool comma = false;
            const std::size_t close = closingOf(dt, j + 1, &comma);
            if (close >= dt.size() || close == j + 2 || comma || dt[close].mark != ')') continue;
            const std::string inner = textOf(p.c, dt[j + 2].from, dt[close - 1].to);
            const std::string fix = "[" + inner + "]";
            out.push_back(naming(at(lineOf(p, t), HintKind::ElementBrackets,
                                    "«" + name + "» — список, а не функция: элемент по номеру пишут в квадратных скобках: «" + name +
                                        fix + "»",
                                    p.c, dt[j + 1].from, dt[close].to, &fix),
                                 {name}));
            break;
        }
    }
}

// Top level: «площадь = ширина * 3», then «ширина = 5» whose value nothing reads, then «площадь» read:
// the formula was worked out once, with the old value.
void staleFormula(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const int n = facts.n;
    const std::vector<int>& holders = facts.holders;
    for (int k = 0; k < n; ++k) {
        const Stmt& change = p.stmts[k];
        if (change.target.empty() || holders[k] >= 0 || tokensOf(p, change)[0].mark != 0 ||
            ruleAt(p.c, tokensOf(p, change), 0, p.v) != nullptr)
            continue;
        bool readLater = false, readInFunction = false;
        for (const int r : readersOf(facts, change.target)) {
            if (r == k) continue;
            readLater = readLater || r > k;
            readInFunction = readInFunction || enclosingFunction(p, facts, r);
        }
        if (readLater || readInFunction) continue;
        for (int j = k - 1; j >= 0; --j) {
            const Stmt& formula = p.stmts[j];
            if (holders[j] >= 0 || formula.target.empty() || formula.target == change.target || !reads(p, formula, change.target) ||
                tokensOf(p, formula).size() < formula.valueFrom + 3)
                continue;
            int use = -1;
            for (int r = j + 1; r < n && use < 0; ++r) {
                if (p.stmts[r].target == formula.target) break;
                if (r > k && holders[r] < 0 && reads(p, p.stmts[r], formula.target)) use = r;
            }
            if (use < 0) break;  // the nearest formula decides, so the look back stays short
            add(p, p.stmts[use], HintKind::LostValue,
                "«" + formula.target + "» посчитана на строке " + num(lineOf(p, formula)) + " по старому значению «" + change.target +
                    "»: формула не пересчитывается сама, а новое значение «" + change.target + "» со строки " +
                    num(lineOf(p, change)) + " дальше нигде не используется. Посчитайте «" + formula.target +
                    "» заново после строки " + num(lineOf(p, change)),
                {formula.target}, out);
            break;
        }
    }
}

// An answer of «спросить» is text: compared strictly with a number, or by size with another answer
// or with a name that keeps it; added to a total that starts as a number.
void textAnswerCompared(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const int n = facts.n;
    const std::string& askWord = facts.askWord;
    const std::string& askNumber = facts.askNumber;
    if (!askWord.empty()) {
        std::vector<int> answers;
        for (int i = 0; i < n; ++i) {
            const Stmt& s = p.stmts[i];
            const std::vector<Token>& ts = tokensOf(p, s);
            if (!s.target.empty() && s.valueFrom + 1 < ts.size() && isWord(p, ts[s.valueFrom], askWord) &&
                ts[s.valueFrom + 1].mark == '(' && ts.back().mark == ')' && !setsAnywhere(facts, s.target, i))
                answers.push_back(i);
        }
        auto answerOf = [&](const std::string& name) {
            for (int a : answers)
                if (p.stmts[a].target == name) return a;
            return -1;
        };
        // «итого = итого + цена» where «итого» starts as a number: the answer is glued on as letters.
        for (int i = 0; i < n; ++i) {
            const Stmt& s = p.stmts[i];
            std::string total, added;
            const int a = binaryValue(p, s, '+', total, added) && total == s.target ? answerOf(added) : -1;
            const int start = a >= 0 ? lastSetBefore(facts, total, i) : -1;
            double first = 0;
            if (start < 0 || !number(p, tokensOf(p, p.stmts[start]), p.stmts[start].valueFrom, tokensOf(p, p.stmts[start]).size(), first)) continue;
            add(p, p.stmts[a], HintKind::TextAnswer,
                "ответ «" + askWord + "» в «" + added + "» — текст, и «" + lineText(p, s) + "» (строка " + num(lineOf(p, s)) + ") склеит его с «" +
                    total + "» как буквы: " + numberText(first) + " + \"120\" даст \"" + numberText(first) + "120\"." +
                    (askNumber.empty() ? "" : " Для чисел спрашивайте «" + askNumber + "»") +
                    (reverseOf(p.v, "Number").empty() ? "" : " или пишите «" + reverseOf(p.v, "Number") + "(" + added + ")»"),
                {added}, out);
            break;
        }
        for (int i = 0; i < n; ++i) {
            const Stmt& s = p.stmts[i];
            if (!hasCondition(s)) continue;
            const std::vector<Token>& ts = tokensOf(p, s);
            for (std::size_t j = s.condFrom; j + 2 < s.condTo + 1 && j < s.condTo; ++j) {
                const int a = ts[j].mark == 0 ? answerOf(word(p, ts[j])) : -1;
                if (a < 0) continue;
                std::size_t taken = 0;
                const std::string sign = signAt(p, ts, j + 1, taken);
                if (!taken || j + 1 + taken >= s.condTo) continue;
                const Token& other = ts[j + 1 + taken];
                const std::string tail = askNumber.empty() ? "" : " Для чисел спрашивайте «" + askNumber + "»";
                if ((sign == "===" || sign == "!==") && isDigits(p.c, other)) {
                    add(p, p.stmts[a], HintKind::TextAnswer,
                        "ответ «" + askWord + "» в «" + p.stmts[a].target + "» — текст, а «" + shown(p, s, j, j + 2 + taken) +
                            "» на строке " + num(lineOf(p, s)) + " сравнивает строго: текст \"" + word(p, other) + "\" не равен числу " +
                            word(p, other) + ", и условие " + (sign == "===" ? "всегда ложно." : "всегда истинно.") + tail,
                        {p.stmts[a].target}, out);
                    break;
                }
                int b = other.mark == 0 ? answerOf(word(p, other)) : -1;
                // A name that keeps the answer («если прыжок > лучший то лучший = прыжок»): from the
                // second answer on, text is compared with text.
                const std::string keeper = other.mark == 0 && b < 0 ? word(p, other) : "";
                bool keeps = false;
                for (const int k : settersOf(facts, keeper)) keeps = keeps || valueIs(p, p.stmts[k], p.stmts[a].target);
                if ((sign == ">" || sign == "<" || sign == ">=" || sign == "<=") && keeps) {
                    add(p, p.stmts[a], HintKind::TextAnswer,
                        "ответ «" + askWord + "» в «" + p.stmts[a].target + "» — текст, и «" + keeper + "» получает его же: «" +
                            shown(p, s, j, j + 2 + taken) + "» на строке " + num(lineOf(p, s)) +
                            " со второго ответа сравнивает текст с текстом, по буквам, как в алфавите: \"95\" окажется больше \"130\"." + tail,
                        {p.stmts[a].target}, out);
                    break;
                }
                if ((sign == ">" || sign == "<" || sign == ">=" || sign == "<=") && b >= 0) {
                    add(p, p.stmts[std::min(a, b)], HintKind::TextAnswer,
                        "«" + p.stmts[a].target + "» и «" + p.stmts[b].target + "» — ответы «" + askWord +
                            "», то есть текст, и «" + shown(p, s, j, j + 2) + "» на строке " + num(lineOf(p, s)) +
                            " сравнит их как текст, по буквам: \"10\" окажется меньше \"9\"." + tail,
                        {p.stmts[a].target}, out);
                    break;
                }
            }
        }
    }
}

// «части[0] > части[1]» where «части = ответ.разделить(" ")»: the pieces of a split text are text,
// compared letter by letter («"95" > "120"»). Told at the comparison.
void splitPiecesCompared(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::string split = reverseOf(p.v, "split"), toNumber = reverseOf(p.v, "Number");
    if (!hasCondition(s) || split.empty() || toNumber.empty()) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    // «L[…]» starting at token k: the list's name when it was set once from «….разделить(…)».
    const auto piece = [&](std::size_t k, std::size_t& end) -> std::string {
        if (k + 1 >= s.condTo || !isPlainName(p.c, ts[k], p.v, ts, k) || ts[k + 1].mark != '[') return "";
        end = closingOf(ts, k + 1) + 1;
        const std::string list = word(p, ts[k]);
        const std::vector<int>& setters = settersOf(facts, list);
        if (end > s.condTo || setters.size() != 1) return "";
        const std::vector<Token>& lt = tokensOf(p, p.stmts[setters[0]]);
        for (std::size_t t = p.stmts[setters[0]].valueFrom; t + 1 < lt.size(); ++t)
            if (lt[t].mark == '.' && isWord(p, lt[t + 1], split)) return list;
        return "";
    };
    for (std::size_t k = s.condFrom; k < s.condTo; ++k) {
        std::size_t end = 0, otherEnd = 0, taken = 0;
        const std::string list = piece(k, end);
        if (list.empty() || end >= s.condTo) continue;
        const std::string sign = signAt(p, ts, end, taken);
        if ((sign != ">" && sign != "<" && sign != ">=" && sign != "<=") || piece(end + taken, otherEnd) != list) continue;
        const std::string left = shown(p, ts, k, end), right = shown(p, ts, end + taken, otherEnd);
        add(p, s, HintKind::TextAnswer,
            "«" + shown(p, ts, k, otherEnd) + "» сравнивает куски текста по буквам: «" + split + "» даёт текст, и, например, \"95\" окажется больше \"120\". Чтобы сравнить числа, пишите «" +
                toNumber + "(" + left + ") " + shown(p, ts, end, end + taken) + " " + toNumber + "(" + right + ")»",
            {list}, out);
        return;
    }
}

// «вывести("сумма")» where «сумма» already holds a value that nothing else reads: the five letters
// are printed, not the value.
void quotedName(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const int n = facts.n;
    for (int i = 0; i < n; ++i) {
        const Stmt& s = p.stmts[i];
        const std::vector<Token>& ts = tokensOf(p, s);
        const rules::RuleWords* print = ruleAt(p.c, ts, 0, p.v);
        if (s.kind != StmtKind::Other || !print || print->role != rules::WordRole::Output ||
            !(produces(*print, "console.log") || produces(*print, "alert") || produces(*print, "consolelog")))
            continue;
        const std::size_t w = print->words.size();
        if (ts.size() != w + 3 || ts[w].mark != '(' || ts[w + 1].mark != literal || ts[w + 2].mark != ')') continue;
        const Token& text = ts[w + 1];
        if (text.to < text.from + 3 || p.c[text.to - 1] != p.c[text.from]) continue;
        if (!std::all_of(p.c + text.from + 1, p.c + text.to - 1, [](std::uint32_t v) { return translator::isWordCode(v); }) ||
            (p.c[text.from + 1] >= '0' && p.c[text.from + 1] <= '9'))
            continue;
        const std::string name = textOf(p.c, text.from + 1, text.to - 1);
        // Where «сумма» got its value: a statement before this one, or a parameter of the function around it.
        int set = -1;
        for (int k = 0; k < i && set < 0; ++k) {
            const int around = nearestAround(p, facts, k, StmtKind::Function);  // seen only inside it
            if (p.stmts[k].target == name && (around < 0 || within(p, facts, i, around))) set = k;
        }
        for (const Function& f : facts.functions)
            if (set < 0 && within(p, facts, i, f.at) && std::find(f.params.begin(), f.params.end(), name) != f.params.end())
                set = f.at;
        if (set < 0) continue;
        // The value is read nowhere but in its own updates: else the word may be a message
        // («вывести("готово")» beside «если готово то»), or a label before the value.
        bool readElsewhere = false;
        for (const int k : readersOf(facts, name))
            readElsewhere = readElsewhere || (k != i && p.stmts[k].kind != StmtKind::Function && p.stmts[k].target != name);
        if (readElsewhere) continue;
        out.push_back(naming(at(lineOf(p, s), HintKind::PlainQuotesTemplate,
                                "выводится слово «" + name + "», а не значение переменной «" + name + "» (строка " +
                                    num(lineOf(p, p.stmts[set])) + "): в кавычках имя — просто буквы; уберите кавычки: «" +
                                    shown(p, s, 0, w) + "(" + name + ")»",
                                p.c, text.from, text.to, &name),
                             {name}));
    }
}

namespace {

// Whether the statement reads `name`, itself or through a call of a function of the program whose
// body reads it.
bool readsWithCalls(const Program& p, const Facts& facts, int i, const std::string& name) {
    if (reads(p, p.stmts[i], name)) return true;
    for (const Function& f : facts.functions) {
        if (!hasWord(p, p.stmts[i], f.name)) continue;
        for (int k = f.at; k <= f.last; ++k)
            if (reads(p, p.stmts[k], name)) return true;
    }
    return false;
}

// The statement's text with each read of `name` written as `with`.
std::string replacedName(const Program& p, const Stmt& s, const std::string& name, const std::string& with) {
    const std::vector<Token>& ts = tokensOf(p, s);
    std::string out;
    for (std::size_t i = 0; i < ts.size(); ++i) {
        if (i > 0) out += textOf(p.c, ts[i - 1].to, ts[i].from);
        out += readsAt(p, ts, i, name) ? with : word(p, ts[i]);
    }
    return out;
}

}  // namespace

// «если … то y = 1 конец» then «y = 2» at once: the value set in the block is replaced before
// anything reads it (an «иначе» forgotten).
void setInIfThenReplaced(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If || s.closed || !facts.branches[i].empty()) return;
    const std::vector<int> inner = body(p, facts, i);
    if (inner.empty()) return;
    const Stmt& set = p.stmts[inner.back()];
    const int next = afterBlock(p, facts, i);
    if (set.target.empty() || declares(p, set) || next < 0) return;
    const Stmt& again = p.stmts[next];
    if (again.target != set.target || declares(p, again) || readsWithCalls(p, facts, next, set.target)) return;
    add(p, set, HintKind::LostValue,
        "значение «" + set.target + "» со строки " + num(lineOf(p, set)) + " не успевает пригодиться: на строке " +
            num(lineOf(p, again)) + " оно сразу заменяется («" + lineText(p, again) + "» выполняется всегда). Если «" +
            lineText(p, again) + "» нужно, только когда «" + shown(p, s, s.condFrom, s.condTo) +
            "» неверно, поставьте эту строку в «" + p.elseWord + "»",
        {set.target}, out);
}

// «пусть x = число(спросить())», then a loop whose first line asks again into «x»: the first answer is lost.
void answerReplacedInLoop(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.target.empty()) return;
    bool asks = false;
    for (std::size_t k = s.valueFrom; k < tokensOf(p, s).size(); ++k)
        asks = asks || isWord(p, tokensOf(p, s)[k], facts.askWord) || isWord(p, tokensOf(p, s)[k], facts.askNumber);
    // The loop after it in the same block, past statements that neither read nor set the name.
    int l = i + 1;
    while (l < facts.n && facts.holders[l] == facts.holders[i] && p.stmts[l].kind == StmtKind::Other &&
           p.stmts[l].target != s.target && !readsWithCalls(p, facts, l, s.target))
        ++l;
    if (!asks || l >= facts.n || facts.holders[l] != facts.holders[i]) return;
    const Stmt& loop = p.stmts[l];
    if (loop.kind != StmtKind::Loop || loop.closed || reads(p, loop, s.target)) return;
    const std::vector<int> inner = body(p, facts, l);
    if (inner.empty()) return;
    const Stmt& again = p.stmts[inner.front()];
    if (again.target != s.target || declares(p, again) || readsWithCalls(p, facts, inner.front(), s.target)) return;
    for (int k = l + 1; k < facts.n; ++k)  // read after the loop: the first answer is kept when the loop never runs
        if (!within(p, facts, k, l) && readsWithCalls(p, facts, k, s.target)) return;
    add(p, s, HintKind::LostValue,
        "значение «" + s.target + "» со строки " + num(lineOf(p, s)) + " не успевает пригодиться: на строке " +
            num(lineOf(p, again)) + " в цикле оно сразу заменяется, и первый ответ пропадает. Спрашивайте в одном месте: здесь или в цикле",
        {s.target}, out);
}

// «а = б» then «б = а + б»: «а» already holds «б», and its old value is gone.
void setThenBothRead(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    if (!valueToken(p, s) || declares(p, s) ||
        !isPlainName(p.c, ts[s.valueFrom], p.v, ts, s.valueFrom) || i + 1 >= facts.n || facts.holders[i + 1] != facts.holders[i])
        return;
    const std::string from = word(p, ts[s.valueFrom]);
    const Stmt& t = p.stmts[i + 1];
    if (from == s.target || t.target != from || tokensOf(p, t).size() <= t.valueFrom + 1 || !reads(p, t, s.target) ||
        !reads(p, t, from) || !setsAnywhere(facts, s.target, i))
        return;
    const std::string keep = s.target == "т" ? "т2" : "т";
    add(p, s, HintKind::LostValue,
        "после «" + lineText(p, s) + "» на строке " + num(lineOf(p, s)) + " в «" + s.target + "» уже лежит значение «" + from +
            "», и строка " + num(lineOf(p, t)) + " «" + lineText(p, t) + "» берёт «" + from + "» дважды: прежнее значение «" +
            s.target + "» пропало. Сохраните его перед этой строкой в третьей переменной («пусть " + keep + " = " + s.target +
            "») и на строке " + num(lineOf(p, t)) + " пишите «" + replacedName(p, t, s.target, keep) + "»",
        {s.target, from}, out);
}

// «для каждого ц из цены делать ц = ц * 2»: the element's name is set, the list stays as it was.
void eachElementSet(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::string of = keywordOf(p.v, "of"), length = reverseOf(p.v, "length");
    if (s.kind != StmtKind::Loop || s.closed || of.empty() || s.condFrom + 2 >= s.condTo ||
        !isPlainName(p.c, ts[s.condFrom], p.v, ts, s.condFrom) || !isWord(p, ts[s.condFrom + 1], of))
        return;
    const std::string name = word(p, ts[s.condFrom]);
    const std::string list = shown(p, s, s.condFrom + 2, s.condTo);
    const bool plain = s.condFrom + 3 == s.condTo && isPlainName(p.c, ts[s.condFrom + 2], p.v, ts, s.condFrom + 2);
    for (int k = i + 1; k < facts.n && within(p, facts, k, i); ++k) {
        const Stmt& set = p.stmts[k];
        if (set.target != name || declares(p, set)) continue;
        const std::string way = plain && !length.empty()
                                    ? "«" + replacedName(p, set, name, list + "[i]") + "» в цикле по номерам «пока i < " + list + "." +
                                          length + "»"
                                    : "«" + list + "[i] = …» в цикле по номерам элементов";
        add(p, set, HintKind::LostValue,
            "«" + lineText(p, set) + "» не меняет «" + list + "»: «" + name + "» в «" + shown(p, s, 0, s.condTo) + "» (строка " + num(lineOf(p, s)) +
                ") — только значение элемента, и менять её нельзя. Элемент меняют по его номеру: " + way,
            {name}, out);
        return;
    }
}

// «пусть x = …» inside a block at the top level when an «x» is declared before the block and read
// after it: the line makes a second «x» that lives until the block's end.
void declaredAgainInBlock(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int h = facts.holders[i];
    if (s.target.empty() || h < 0 || !declares(p, s) || reads(p, s, s.target) || enclosingFunction(p, facts, i))
        return;
    int outer = -1;
    for (const int k : settersOf(facts, s.target))
        if (outer < 0 && k < i && facts.holders[k] < 0 && declares(p, p.stmts[k])) outer = k;
    if (outer < 0) return;
    for (int k = i + 1; k < facts.n; ++k) {
        const Stmt& t = p.stmts[k];
        if (t.target == s.target && !within(p, facts, k, h)) return;  // the outer one set again first
        if (facts.holders[k] >= 0 || t.kind == StmtKind::End || t.kind == StmtKind::Else || t.kind == StmtKind::ElseIf) continue;
        if (readsWithCalls(p, facts, k, s.target)) {
            add(p, s, HintKind::LostValue,
                "«" + lineText(p, s) + "» внутри «" + word(p, tokensOf(p, p.stmts[h])[0]) + "» (строка " +
                    num(lineOf(p, p.stmts[h])) + ") делает новую «" + s.target + "», которая живёт только до «" + p.endWord +
                    "»; «" + s.target + "» со строки " + num(lineOf(p, p.stmts[outer])) + " не меняется, и строка " +
                    num(lineOf(p, t)) + " возьмёт её прежнее значение. Чтобы изменить её, уберите «" +
                    word(p, tokensOf(p, s)[0]) + "»",
                {s.target}, out);
            return;
        }
    }
}

// «имя[0] = "Б"» where «имя» holds text: the letters of a text are not changed this way.
void letterOfTextSet(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    if (s.kind != StmtKind::Other || ts.size() < 6 || !isPlainName(p.c, ts[0], p.v, ts, 0) || ts[1].mark != '[') return;
    const std::size_t close = closingOf(ts, 1);
    if (close + 2 >= ts.size() || close == 2 || ts[close + 1].mark != '=' || ts[close + 2].mark == '=') return;
    const std::string name = word(p, ts[0]);
    int text = -1;
    for (const int k : settersOf(facts, name)) {
        const Stmt& d = p.stmts[k];
        const std::vector<Token>& dt = tokensOf(p, d);
        const bool literalText = valueToken(p, d) && dt[d.valueFrom].mark == literal && p.c[dt[d.valueFrom].from] != '`';
        const bool asked = d.valueFrom + 1 < dt.size() && isWord(p, dt[d.valueFrom], facts.askWord) &&
                           dt[d.valueFrom + 1].mark == '(' && closingOf(dt, d.valueFrom + 1) + 1 == dt.size();
        if (!literalText && !asked) return;  // set to something else somewhere: not certain
        if (text < 0 && k < i) text = k;
    }
    for (const Function& f : facts.functions)
        if (std::find(f.params.begin(), f.params.end(), name) != f.params.end()) return;
    if (text < 0 || facts.slice.empty()) return;
    const std::string index = shown(p, s, 2, close), value = shown(p, s, close + 2, ts.size());
    const std::string rebuilt = index == "0" ? value + " + " + name + "." + facts.slice + "(1)"
                                             : name + "." + facts.slice + "(0, " + index + ") + " + value + " + " + name + "." +
                                                   facts.slice + "(" + index + " + 1)";
    add(p, s, HintKind::LostValue,
        "«" + lineText(p, s) + "» ничего не меняет: «" + name + "» — текст (строка " + num(lineOf(p, p.stmts[text])) +
            "), а буквы в тексте не заменяются. Соберите новый текст: «" + name + " = " + rebuilt + "»",
        {name}, out);
}

// «сумма = сумма + цифра» in a loop, and «сумма» read nowhere but in its own changes.
void totalNeverRead(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    std::vector<std::string> told;
    for (int i = 0; i < facts.n; ++i) {
        const Stmt& s = p.stmts[i];
        const std::vector<Token>& ts = tokensOf(p, s);
        if (s.target.empty() || declares(p, s) || ts.size() < s.valueFrom + 3 || !isWord(p, ts[s.valueFrom], s.target) ||
            !(ts[s.valueFrom + 1].mark == '+' || ts[s.valueFrom + 1].mark == '-' || ts[s.valueFrom + 1].mark == '*'))
            continue;
        const int loop = ancestor(p, facts, i, StmtKind::Loop);
        if (loop < 0 || std::find(told.begin(), told.end(), s.target) != told.end()) continue;
        bool declared = false, read = false;
        for (const int k : settersOf(facts, s.target)) declared = declared || (k < i && declares(p, p.stmts[k]));
        for (const int k : readersOf(facts, s.target)) read = read || p.stmts[k].target != s.target;
        for (int k = 0; k < facts.n && !read; ++k) {
            const Stmt& t = p.stmts[k];
            // A name inside text or a template's "${…}" (left out of the tokens): read, to be safe.
            const std::string raw = textOf(p.c, tokensOf(p, t).front().from, tokensOf(p, t).back().to);
            read = read || (raw.find('`') != std::string::npos && raw.find(s.target) != std::string::npos);
            for (const Token& tok : tokensOf(p, t))
                read = read || (tok.mark == literal && textOf(p.c, tok.from, tok.to).find(s.target) != std::string::npos);
        }
        int shownAt = -1;
        for (int k = loop + 1; k < facts.n && shownAt < 0; ++k)
            if (!within(p, facts, k, loop) && hasRole(p, p.stmts[k], rules::WordRole::Output)) shownAt = k;
        if (!declared || read || shownAt < 0) continue;
        told.push_back(s.target);
        add(p, s, HintKind::LostValue,
            "«" + s.target + "» считается на строке " + num(lineOf(p, s)) + ", но её значение нигде не читается, кроме её же изменения. Если ответ — «" +
                s.target + "», выведите её: строка " + num(lineOf(p, p.stmts[shownAt])) + " «" + lineText(p, p.stmts[shownAt]) +
                "» выводит другое",
            {s.target}, out);
    }
}


namespace {


// Whether the value the loop `loop` walks changes in it: its element, or a name a statement of
// its body sets from other names.
bool changesInLoop(const Program& p, const Facts& facts, int loop, const std::string& name) {
    if (eachLoopOf(p, p.stmts[loop]).element == name) return true;
    for (const int k : settersOf(facts, name))
        if (within(p, facts, k, loop)) return true;
    return false;
}

// Whether statement k's value reads a name the loop around changes.
bool readsChanging(const Program& p, const Facts& facts, int k, int loop) {
    const Stmt& s = p.stmts[k];
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t j = s.valueFrom; j < ts.size(); ++j)
        if (isPlainName(p.c, ts[j], p.v, ts, j) && !(j > 0 && ts[j - 1].mark == '.') &&
            changesInLoop(p, facts, loop, word(p, ts[j])))
            return true;
    return false;
}

}  // namespace

// A name that says what it gathers, changed against it: a sum that only grows by 1 (it counts), a
// maximum or a minimum that adds (it sums), a sum, a product or a count set anew every round and
// read after the loop (only the last round's value stays). Told at the line that changes it.
void accumulatorAgainstName(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    std::vector<std::string> told;
    for (int k = 0; k < facts.n; ++k) {
        const Stmt& s = p.stmts[k];
        const int loop = nearestAround(p, facts, k, StmtKind::Loop);
        // «всего» says a total, a sum or a count: told only when it is replaced by what the loop meets.
        const bool total = nameHas(s.target, {"ВСЕГО"});
        if (s.target.empty() || loop < 0 || declares(p, s) ||
            (namedGathered(s.target) == Gathered::None && namedExtreme(s.target) == 0 && !total) ||
            std::find(told.begin(), told.end(), s.target) != told.end() || changedBesidesSetters(p, facts, s.target))
            continue;
        const std::string& name = s.target;
        const std::vector<Token>& ts = tokensOf(p, s);
        const Gathered gathered = namedGathered(name);
        const int start = lastSetBefore(facts, name, loop);
        bool readAfter = false;  // read after the loop by a statement that does not set it
        for (const int r : readersOf(facts, name))
            readAfter = readAfter || (r > loop && !within(p, facts, r, loop) && p.stmts[r].target != name);
        const std::string element = eachLoopOf(p, p.stmts[loop]).element;
        // A sum that only grows by 1, every round or under an «если» of the loop that tests a digit
        // («цифра = n % 10»): it counts the rounds, or the digits its «если» lets through. Under an
        // «если» of anything else it may be a score («сумма = сумма + 1» for each right answer).
        const int guard = facts.holders[k] != loop ? facts.holders[k] : -1;
        if (gathered == Gathered::Sum && start >= 0 && readAfter && (guard < 0 || p.stmts[guard].kind == StmtKind::If)) {
            bool counts = true;
            for (const int d : settersOf(facts, name)) counts = counts && (d == start || growsByOne(p, p.stmts[d], name));
            if (counts && growsByOne(p, s, name)) {
                // What to add: the loop's element, or the one changing name the «если» tests.
                std::string value = element;
                bool several = false;  // two such names: which one is not told
                if (guard >= 0) {
                    const Stmt& g = p.stmts[guard];
                    const std::vector<Token>& gt = tokensOf(p, g);
                    for (std::size_t t = g.condFrom; t < g.condTo; ++t) {
                        if (!isPlainName(p.c, gt[t], p.v, gt, t) || (t > 0 && gt[t - 1].mark == '.') || word(p, gt[t]) == value ||
                            !changesInLoop(p, facts, loop, word(p, gt[t])))
                            continue;
                        several = several || !value.empty();
                        value = word(p, gt[t]);
                    }
                }
                if (several) value.clear();
                std::string of;
                if (guard >= 0 && (value.empty() || remainderIn(p, facts, value, loop, of) == 0)) continue;
                const std::string fix = value.empty() ? "" : ": «" + name + " = " + name + " + " + value + "»";
                told.push_back(name);
                if (guard < 0)
                    add(p, s, HintKind::LoopFlow,
                        "«" + lineText(p, s) + "» прибавляет к «" + name + "» каждый раз 1: так «" + name +
                            "» считает круги цикла, а не складывает числа, хотя имя говорит о сумме. Прибавляйте само число" + fix,
                        {name}, out);
                else
                    add(p, s, HintKind::LoopFlow,
                        "«" + lineText(p, s) + "» прибавляет к «" + name + "» единицу каждый раз, когда «" +
                            shown(p, p.stmts[guard], p.stmts[guard].condFrom, p.stmts[guard].condTo) + "» (строка " +
                            num(lineOf(p, p.stmts[guard])) + "): так «" + name +
                            "» считает количество таких цифр, а не складывает их, хотя имя говорит о сумме. Прибавляйте саму цифру" + fix,
                        {name}, out);
                continue;
            }
        }
        // A maximum or a minimum that adds what the loop meets: it gathers a sum.
        std::string a, b;
        const int extreme = namedExtreme(name);
        if (extreme != 0 && gathered == Gathered::None && binaryValue(p, s, '+', a, b) && a == name && b != name &&
            isPlainName(p.c, ts[s.valueFrom + 2], p.v, ts, s.valueFrom + 2) && changesInLoop(p, facts, loop, b) &&
            !growsByOne(p, s, name)) {
            told.push_back(name);
            add(p, s, HintKind::LoopFlow,
                "«" + lineText(p, s) + "» складывает: в «" + name + "» накопится сумма чисел, а по имени там нужно " +
                    (extreme > 0 ? "наибольшее" : "наименьшее") + " число. Его находят сравнением: «" + p.ifWord + " " + b +
                    (extreme > 0 ? " > " : " < ") + name + " то " + name + " = " + b + " " + p.endWord + "»",
                {name}, out);
            continue;
        }
        // A sum, a product or a count set anew every round from what the loop meets, read only after it.
        const Gathered replaced = gathered == Gathered::None && total && extreme == 0 ? Gathered::Sum : gathered;
        if (replaced == Gathered::None || start < 0 || !readAfter || reads(p, s, name) || valueToken(p, s) == nullptr ||
            !readsChanging(p, facts, k, loop))
            continue;
        bool readInLoop = false;
        for (const int r : readersOf(facts, name)) readInLoop = readInLoop || r == loop || within(p, facts, r, loop);
        if (readInLoop) continue;
        const std::string value = word(p, ts[s.valueFrom]);
        const std::string kept = replaced == Gathered::Sum       ? "нужна сумма всех"
                                 : replaced == Gathered::Product ? "нужно произведение всех"
                                                                 : "нужно их количество";
        const std::string fix = replaced == Gathered::Sum       ? name + " = " + name + " + " + value
                                : replaced == Gathered::Product ? name + " = " + name + " * " + value
                                                                : name + " = " + name + " + 1";
        told.push_back(name);
        add(p, s, HintKind::LoopFlow,
            "«" + lineText(p, s) + "» каждый раз заменяет «" + name + "» новым значением: после цикла (строка " +
                num(lineOf(p, p.stmts[loop])) + ") в «" + name + "» останется только последнее из них, а по имени там " +
                kept + ". " + (replaced == Gathered::Product ? "Умножайте" : "Прибавляйте") + ": «" + fix + "»",
            {name}, out);
    }
}

// «чётных = всего + 1» in a loop where «всего = всего + 1» counts: «чётных» takes the other counter's
// value and never counts itself. Told when «чётных» starts at 0, never reads itself, is read, and
// either its name says a count or it changes under a condition the other counter does not.
void counterFromSibling(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (int k = 0; k < facts.n; ++k) {
        const Stmt& s = p.stmts[k];
        std::string other, one;
        const int loop = nearestAround(p, facts, k, StmtKind::Loop);
        if (loop < 0 || !binaryValue(p, s, '+', other, one) || one != "1" || other == s.target || declares(p, s)) continue;
        const std::string& name = s.target;
        int grows = -1;
        for (const int d : settersOf(facts, other))
            if (grows < 0 && within(p, facts, d, loop) && growsByOne(p, p.stmts[d], other)) grows = d;
        const int start = lastSetBefore(facts, name, loop);
        if (grows < 0 || start < 0 || !valueIs(p, p.stmts[start], "0") || changedBesidesSetters(p, facts, name)) continue;
        bool selfRead = false, read = false, otherRead = false;
        for (const int d : settersOf(facts, name)) selfRead = selfRead || reads(p, p.stmts[d], name);
        for (const int r : readersOf(facts, name)) read = read || p.stmts[r].target != name;
        // The other counter only counts in the loop: read there as a number or a position, it is no sibling.
        for (const int r : readersOf(facts, other))
            otherRead = otherRead || (r != k && p.stmts[r].target != other && (r == loop || within(p, facts, r, loop)));
        if (selfRead || !read || otherRead ||
            !(namedGathered(name) == Gathered::Count || facts.holders[k] != facts.holders[grows]))
            continue;
        add(p, s, HintKind::LoopFlow,
            "«" + lineText(p, s) + "» не считает: «" + name + "» каждый раз получает значение «" + other + "» (оно растёт на строке " +
                num(lineOf(p, p.stmts[grows])) + ") плюс 1, а своё прежнее значение теряет. Чтобы считать в «" + name +
                "», пишите «" + name + " = " + name + " + 1»",
            {name, other}, out);
    }
}

// «s = d» under an «если» of a loop, beside «k = k + 1» in the same block: «k» counts every value
// the «если» lets through, while «s» keeps only the last of them. Told when the name is too short
// to say what it keeps, «s» starts at 0 as a sum does, is read only after the loop and only by prints, and the text printed says a sum or has
// no words at all (a text that names the kept value, «первая из них», is a right program).
void valueReplacedBesideCounter(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const Token* v = valueToken(p, s);
    const int h = facts.holders[i];
    if (!v || v->mark != 0 || h < 0 || p.stmts[h].kind != StmtKind::If || declares(p, s)) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::string& name = s.target;
    const std::string value = word(p, *v);
    const int loop = nearestAround(p, facts, i, StmtKind::Loop);
    // A name of one or two letters says nothing of what it keeps; a longer one («последняя»,
    // «сумма») says it, and a sum by name is told by accumulatorAgainstName.
    std::size_t letters = 0;
    for (const char ch : name) letters += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    if (letters > 2 || loop < 0 || value == name || !isPlainName(p.c, ts[s.valueFrom], p.v, ts, s.valueFrom) || !changesInLoop(p, facts, loop, value))
        return;
    int counter = -1;
    for (const int k : body(p, facts, h)) {
        const std::string& other = p.stmts[k].target;
        if (counter < 0 && !other.empty() && other != name && other != value && growsByOne(p, p.stmts[k], other)) counter = k;
    }
    const int start = lastSetBefore(facts, name, loop);
    const std::vector<int>& setters = settersOf(facts, name);
    if (counter < 0 || start < 0 || !valueIs(p, p.stmts[start], "0") || setters.size() != 2 || setters[1] != i ||
        changedBesidesSetters(p, facts, name))
        return;
    const int end = lastInBlock(p, facts, loop);
    bool printed = false, named = false, otherText = false;
    for (const int r : readersOf(facts, name)) {
        if (r <= end || !prints(p, p.stmts[r])) return;  // read in the loop, or used for more than a print
        printed = true;
        for (const Token& t : tokensOf(p, p.stmts[r])) {
            if (t.mark != literal) continue;
            bool words = false;  // a text of letters, not only spaces and signs
            for (std::size_t ch = t.from; ch < t.to; ++ch)
                words = words || base::toUpper(p.c[ch]) != p.c[ch] || (p.c[ch] >= 'A' && p.c[ch] <= 'Z') ||
                        (p.c[ch] >= 0x410 && p.c[ch] <= 0x42F) || p.c[ch] == 0x401;
            if (nameHas(textOf(p.c, t.from, t.to), {"СУММ"})) named = true;
            else if (words) otherText = true;
        }
    }
    if (!printed || (otherText && !named)) return;
    const std::string& count = p.stmts[counter].target;
    add(p, s, HintKind::LoopFlow,
        "«" + lineText(p, s) + "» каждый раз заменяет «" + name + "»: после цикла (строка " + num(lineOf(p, p.stmts[loop])) + ") в «" +
            name + "» останется только последнее значение «" + value + "», для которого «" +
            shown(p, p.stmts[h], p.stmts[h].condFrom, p.stmts[h].condTo) + "», хотя «" + count + "» рядом (строка " +
            num(lineOf(p, p.stmts[counter])) + ") считает их все. Если в «" + name + "» нужна их сумма, накапливайте: «" + name +
            " = " + name + " + " + value + "»",
        {name}, out);
}

// «пусть ответ = 0» never set again and printed or given back, in a program that computes in a
// loop: the answer shown is the one it started with. Told at the line that shows it.
void resultNeverComputed(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const std::string nothing = valueWord(p.v, p.table, "null");
    bool computes = false;  // a loop sets some name
    for (int k = 0; k < facts.n && !computes; ++k)
        computes = !p.stmts[k].target.empty() && nearestAround(p, facts, k, StmtKind::Loop) >= 0;
    if (!computes) return;
    for (int d = 0; d < facts.n; ++d) {
        const Stmt& s = p.stmts[d];
        const Token* v = valueToken(p, s);
        if (!v || !declares(p, s) || facts.holders[d] >= 0) continue;
        const std::string value = word(p, *v);
        const bool blank = value == "0" || (v->mark == literal && v->to == v->from + 2) || (!nothing.empty() && value == nothing);
        if (!blank || settersOf(facts, s.target).size() != 1 || changedBesidesSetters(p, facts, s.target)) continue;
        // Every read is «вывести(…)» or «вернуть …» with no other name: the value shown as it was set.
        int shownAt = -1;
        bool onlyShown = true;
        for (const int r : readersOf(facts, s.target)) {
            const Stmt& t = p.stmts[r];
            const std::vector<Token>& tt = tokensOf(p, t);
            const rules::RuleWords* first = ruleAt(p.c, tt, 0, p.v);
            const bool gives = isWord(p, tt[0], p.returnWord);
            if (t.kind != StmtKind::Other || !t.target.empty() || !first || !(first->role == rules::WordRole::Output || gives)) {
                onlyShown = false;
                break;
            }
            for (std::size_t j = 0; j < tt.size(); ++j)
                if (isPlainName(p.c, tt[j], p.v, tt, j) && word(p, tt[j]) != s.target) onlyShown = false;
            if (shownAt < 0 && r > d) shownAt = r;
        }
        if (!onlyShown || shownAt < 0) continue;
        const Stmt& t = p.stmts[shownAt];
        const bool gives = isWord(p, tokensOf(p, t)[0], p.returnWord);
        add(p, t, HintKind::LostValue,
            "значение «" + s.target + "» " + (gives ? "возвращается" : "выводится") + " таким, каким оно задано на строке " + num(lineOf(p, s)) +
                " («" + lineText(p, s) + "»): ничего в программе его не меняет. Если ответ должен быть в «" + s.target +
                "», положите его туда: «" + s.target + " = …»",
            {s.target}, out);
    }
}

}  // namespace diagnostics::programs
