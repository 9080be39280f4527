// The detector of the program checks: the line checks, read off the learner's code by the table's
// roles (strings and comments skipped by the translator's own reading of them, so no check fires
// inside text or a comment), and the two tables that list every statement check in the order it
// runs; the checks themselves are one family a file (program_check_list.h), over the reading they
// share (program_reading.h).
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_checks.h"

#include <string>

#include "diagnostics/program_check_list.h"
#include "translator/source_regions.h"

namespace diagnostics {

namespace programs {
namespace {

// Methods that give a new value and leave the value they are called on as it was.
bool givesNewValue(const rules::RuleWords& r) {
    static const char* const names[] = {"toUpperCase", "toLowerCase", "trim",     "trimStart", "trimEnd",  "replace",
                                        "replaceAll",  "slice",       "substring", "concat",    "padStart", "padEnd",
                                        "repeat",      "split",       "join",      "toFixed",   "indexOf",  "includes",
                                        "charAt",      "startsWith",  "endsWith",  "map",       "filter"};
    for (const char* name : names)
        if (produces(r, name)) return true;
    return false;
}

bool isOperator(std::uint32_t m) {
    return m == '+' || m == '-' || m == '*' || m == '/' || m == '%' || m == '=' || m == '<' || m == '>' ||
           m == '&' || m == '|' || m == '(' || m == '[' || m == ',' || m == '.' || m == '?' || m == ':' || m == '!';
}

// Whether a line ending with `ts` goes on on the next line: it ends with a sign, and not with the
// ":" of a header that opens a block («функция ф(x):»).
bool goesOn(const std::uint32_t* c, const std::vector<Token>& ts, const Table& v) {
    return isOperator(ts.back().mark) && !(ts.back().mark == ':' && ruleAt(c, ts, 0, v) != nullptr);
}

// «шаги + 1» or «имя.заглавными()» alone on its line, neither continuing the line before nor
// continued by the next: the value is made and dropped.
void droppedValue(const std::uint32_t* c, const std::vector<Line>& lines, std::size_t li, const Table& v,
                  std::vector<Hint>& out) {
    const std::vector<Token>& ts = lines[li].tokens;
    if (li > 0 && goesOn(c, lines[li - 1].tokens, v)) return;
    if (li + 1 < lines.size() && isOperator(lines[li + 1].tokens.front().mark) &&
        lines[li + 1].tokens.front().mark != '(' && lines[li + 1].tokens.front().mark != '[')
        return;
    if (!isPlainName(c, ts[0], v, ts, 0)) return;
    const std::uint32_t line = lines[li].number;
    const std::string name = textOf(c, ts[0].from, ts[0].to);
    const std::string set = name + " = ";
    if (ts.size() == 3 && (ts[1].mark == '+' || ts[1].mark == '-' || ts[1].mark == '*' || ts[1].mark == '/') &&
        (isDigits(c, ts[2]) || ts[2].mark == literal || isPlainName(c, ts[2], v, ts, 2))) {
        const std::string shown = textOf(c, ts[0].from, ts[2].to);
        out.push_back(naming(at(line, HintKind::DroppedValue,
                                "«" + shown + "» вычисляет значение и никуда его не кладёт: «" + name +
                                    "» не меняется; чтобы изменить, пишите «" + set + shown + "»",
                                c, ts[0].from, ts[0].from, &set),
                             {shown}));
        return;
    }
    if (ts.size() >= 3 && ts[1].mark == '.' && ts.back().mark == 0) {
        // «числа.сортировать» alone: a method named but never called.
        const rules::RuleWords* method = ruleAt(c, ts, 2, v);
        if (!method || 2 + method->words.size() != ts.size() || method->role != rules::WordRole::Method ||
            !(givesNewValue(*method) || changesValue(*method)))
            return;
        const std::string shown = textOf(c, ts[0].from, ts.back().to);
        static const std::string brackets = "()";
        out.push_back(naming(at(line, HintKind::DroppedValue,
                                "«" + shown + "» без скобок только называет действие и не выполняет его; чтобы выполнить, пишите «" +
                                    shown + "()»",
                                c, ts.back().to, ts.back().to, &brackets),
                             {shown}));
        return;
    }
    if (ts.size() >= 5 && ts[1].mark == '.' && ts.back().mark == ')') {
        const rules::RuleWords* method = ruleAt(c, ts, 2, v);
        if (!method || !givesNewValue(*method)) return;
        // The call's brackets close at the line's end and nowhere before it.
        if (!wholeInBrackets(ts, 2, ts.size())) return;
        const std::string shown = textOf(c, ts[0].from, ts.back().to);
        out.push_back(naming(at(line, HintKind::DroppedValue,
                                "«" + shown + "» даёт новое значение, а «" + name + "» оставляет как было; чтобы сохранить его, пишите «" +
                                    set + shown + "»",
                                c, ts[0].from, ts[0].from, &set),
                             {shown}));
    }
}

bool closesBlock(const std::uint32_t* c, const std::vector<Token>& ts, const Table& table) {
    if (ts.front().mark == '}') return true;
    // Any rule of the words there: «иначе» has one rule before a "{" and one that closes a block.
    return ruleAt(c, ts, 0, table, [&](const rules::RuleWords& r) {
               if (r.role == rules::WordRole::BlockClose || r.role == rules::WordRole::BlockMiddle) return true;
               for (const auto& [js, word] : table.v.keywords)
                   if ((js == "case" || js == "default" || js == "else") && word == r.phrase) return true;
               return false;
           }) != nullptr;
}

// A line that starts with the word of a condition or a loop («если», «пока», «для»).
bool opensHeader(const std::uint32_t* c, const std::vector<Token>& ts, const Table& table) {
    const rules::Vocabulary& v = table.v;
    if (ts.front().mark != 0) return false;
    const std::string word = textOf(c, ts.front().from, ts.front().to);
    for (const auto& [js, learner] : v.keywords)
        if ((js == "if" || js == "while" || js == "for") && learner.substr(0, learner.find(' ')) == word) return true;
    return false;
}

// Run on each statement in turn, in this order: the findings come out statement by statement.
constexpr StatementCheck statementTable[] = {
    swapLosesValue,  // «а = б» then «б = а»: a swap without a third name
    copyIsSameList,  // «копия = оценки» of a list: one list, two names
    positionAsCondition,  // «позиция(…)» used as yes or no
    notTakesNameAlone,  // «не x равно 5»: «не» binds to «x» alone
    elseIfNeverRuns,  // an «иначе если» shadowed by an earlier condition; a chain loosest first
    decidedCondition,  // a condition its own constants make always true or always false
    sameBranches,  // an «если» whose «иначе» does the same lines
    twoIfsBothRun,  // two «если» in a row that both print
    boundSaidIncluded,  // a text that lets a number in that «>» or «<» leaves out
    boundLeftToElse,  // «иначе» saying «от 0 до 100» while no condition lets 100 through
    triangleAnyOfThree,  // «a + b > c или a + c > b или b + c > a»: true for any sides
    decidedByValuesBefore,  // a «пока» or «если» the values set just before it decide
    totalResetInLoop,  // a total set to a constant inside the loop
    flagSetInElse,  // a flag reset by «иначе» in a loop
    loopLeavesFirstRound,  // a loop left on its first round
    endMarkerCounted,  // the number that ends the input taken as data
    extremeStartsAtZero,  // a minimum (or a maximum of negatives) that starts at 0
    innerCounterSetOnce,  // an inner loop's counter set once, before the outer loop
    removedWhileWalking,  // an element removed at i, and i stepped on all the same
    positionTestedForElement,  // a walk by number that tests the number, not the element
    positionAddedForElement,  // a walk by number that tests the element and adds its number
    streakNeverRestarts,  // a record of a run that never starts again
    streakRestartsAtOne,  // «иначе серия = 1» after a test against a number: the refused element counted
    extremeKeptWrong,  // «если v > м то м = м + v» or «м = номер»: not the value compared
    askedCountOneShort,  // «номер = 1; пока номер < сколько» asking each round: one answer short
    answerLostBesideCount,  // an answer never read beside «очки = очки + 1»
    checksOneAfterAnother,  // «пока x < 1» then «пока x > 5», each asking again
    notFoundForEachElement,  // "not found" printed in «иначе» for each element
    resultDropped,  // a computed result of a call thrown away
    // Arithmetic checks:
    remainderAsCondition,  // «если x % 3 то»: true when x is not divisible
    divisionComparedWithZero,  // «x / 2 равно 0»: true only for 0
    pushReplacesList,  // «список = список.добавить(x)»: the list replaced by its length
    // Values lost or never changed:
    setInIfThenReplaced,  // «если … то y = 1 конец» then «y = 2»
    answerReplacedInLoop,  // an answer asked again before it is read
    setThenBothRead,  // «а = б» then «б = а + б»
    eachElementSet,  // the name of «для каждого» set
    declaredAgainInBlock,  // «пусть x» inside a block hiding the x outside
    letterOfTextSet,  // «имя[0] = "Б"» of a text
    splitPiecesCompared,  // «части[0] > части[1]» of a split text: compared letter by letter
    wholePartByRemainder,  // «часы = минуты % 60»
    remainderReversed,  // «d % n равно 0» while «d» walks up to «n»
    remainderChangesNothing,  // «ставка % 100» of a written 6: the number itself
    containersRoundedDown,  // «автобусов = округлить(учеников / мест)»: some left without a place
    // Bounds one off:
    elementPastEnd,  // «слово[слово.длина - i]» with i 0: one past the last element
    digitLoopStopsAtTen,  // «пока n > 10» dividing by 10, or «> 9» gathering digits: a digit left out
    productTimesZeroCounter,  // «ф = ф * счётчик»: times 0 on the first round
    startAddedAgain,  // a total that starts with the value its first round adds again
    extremeStartUnfiltered,  // a kept extreme that starts with a value the filter never checked
    powerOneTooMany,  // a power from its base, multiplied as many times as the exponent
    divisorWalkReachesNumber,  // «д <= n» setting a flag on «n % д равно 0»: always set
    divisionNeverReachesZero,  // «пока n > 0» around «n = n / 10»: fractions, hundreds of rounds
    walkStopsBeforeLast,  // «i < L.длина - 1» reading «L[i]» alone: the last element missed
    gatheredFromOne,  // «сумма = 1» before adding each element, «пятёрок = 1» before counting
    walkShortOfPrintedBound,  // «день = 1; пока день < 10» under a printed «За 10 дней»
    countFromZeroThroughBound,  // «номер = 0; пока номер <= n» numbering from «номер + 1»
    stepBeforeUse,  // «к = к + 1» before «сумма = сумма + к» in «пока к <= n»
    extremeStartPastDigits,  // «макс = 9» kept against «цифра > макс», «цифра» a remainder of 10: never more
    counterStartsPastZero,  // «k = 1» only grown by 1, then «если k равно 0»: never
    valueReplacedBesideCounter,  // «s = d» beside «k = k + 1» under one «если»: only the last value kept
    // A name or a sign in the wrong role:
    plusAfterAssign,  // «очки =+ 1»: set to +1
    recordAssignedBackwards,  // «если п > рекорд то п = рекорд»: the record never changes
    functionWithoutCall,  // «если среднее > 4» of a function: no call
    elementAsOwnNumber,  // «баллы[б]» where «б» is an element of «баллы»
    doubleComparison,  // «18 < t < 25»
    // A value taken for another kind:
    fixedTextAdded,  // «итог + цена.до_знаков(2)»: text glued
    listsCompared,  // «ответы равно верные» of two lists
    negativeRemainder,  // «ч % 2 равно 1» over a list with a negative odd number
    // What a loop's rounds do to the names around them:
    nextNeverUsed,  // «пусть следующая = страница + 1», «страница» never moving
    breakLeavesInnerOnly,  // «прервать» leaving only the inner loop
    countOfBestNotRestarted,  // a count of the greatest going on past a greater one
    numbersOnlyStep,  // «x = 30 + 45» in a loop, «x» started at 30: the same number every round
    countStartedOnceForAll,  // a count set to 0 once before the loop whose inner loop grows it
    // What is built or printed around a loop:
    separatorAfterLast,  // «текст = текст + x + ", "» every round: a separator after the last one too
    numberUsedUpThenPrinted,  // an answer divided down to 0 by the loop, printed after it
    fractionsComparedExactly,  // a sum of written fractions compared exactly with a number it misses
    averageOverOtherRounds,  // a sum of picked numbers divided by a count of every round
    digitsWeightedAlike,  // «r = 10 * d + r»: ten times the digits' sum
    averageByNearCount,  // «сумма / 4» of a written list of 5 numbers
    builtInSameOrder,  // «наоборот = наоборот + буква»: the same text, not turned round
    roundNumberedFromZero,  // «"Урок " + счетчик» in «повторить»: «Урок 0» first
    resultPrintedEveryRound,  // the answer for the bound printed inside the loop that builds it
    elseOfOuterWords,  // an inner «иначе» whose text refuses on the outer «если»'s number
    spacesPrintedAsWords,  // a count of spaces printed as the count of words
    firstKeptAsLast,  // a «первый» kept without leaving the loop
    countOutsideItsIf,  // a count of every round printed under its «если»'s words
    capitalLetterSkipped,  // «буква равно "а"» over a written text that holds «А»
    roundParityForValue,  // «счётчик % 2» under a printed «чётных чисел»
    leapYearRule,  // a test under a printed «високосный» that gets a year wrong
    firstElementAtOne,  // «"Первой: " + очередь[1]»: the second element
    shapeEveryRoundAlike,  // a shape of written numbers in a loop; growing circles with one centre
    arcInRadians,  // «дуга(…, ПИ)»: degrees are taken
};

// Run once each over the whole program, after the statement checks.
constexpr WholeCheck wholeTable[] = {
    staleFormula,  // a formula worked out before its input changed
    loopStartsAtOne,  // a loop over a list that starts at 1
    unusedParameter,  // a parameter never read or overwritten at once
    uncalledFunction,  // a function never called nor named anywhere else
    argumentsSwapped,  // a call with its parameters' own names in another order
    valueOnOnePath,  // a used result given only inside an «если» or a loop
    textAnswerCompared,  // an answer of «спросить» compared as a number
    roundBracketsForElement,  // «цены(1)» of a list, for «цены[1]»
    quotedName,  // «вывести("сумма")»: the name's letters printed, not its value
    nestedSameCounter,  // a nested loop counting with the outer loop's name
    parameterChangedForNobody,  // a parameter changed in a function that gives nothing back
    // Names kept against their words, values never computed:
    accumulatorAgainstName,  // a sum that counts, a maximum that adds, a total replaced every round
    counterFromSibling,  // «чётных = всего + 1»: a counter copied from another
    resultNeverComputed,  // an answer printed as it was set
    counterRestartsEveryCall,  // «пусть н = 0» and «н = н + 1» once in a function
    recursionEndsInZero,  // «вернуть 0» under «вернуть n * ф(n - 1)»
    primeTestTakesOne,  // a prime test from 2 without «n < 2», called with 1
    digitsByPlainDivision,  // «n = n / 10» beside «n % 10»: the fraction stays
    averageWithoutBrackets,  // «среднее = а + б / 2»: only «б» is divided
    // Arithmetic checks:
    productStartsAtZero,  // a product that starts at 0 and only multiplies
    quotedTruthWord,  // «"ложь"» in quotes used as a condition
    divisorFromOne,  // a divisor search from 1
    wholeDivisionKept,  // «минуты / 60» beside «минуты % 60»
    averageUpsideDown,  // «количество / сумма»: an average upside down
    // Values lost or never changed:
    totalNeverRead,  // a total counted and never read
    remainderAgainstText,  // «x % 4 равно 0» under a printed «оканчиваются на 4»
    boundInWords,  // a printed «от 1 до » + n over «i < n»
    parityAgainstText,  // a count from 1 by 2 under a printed «чётных»
    functionCounterShared,  // a function's «i = 1» without «пусть», the program's loop counter
    // Shapes on the canvas:
    roundAtCorner,  // a circle centred on a square's corner, its radius half the side
    canvasOrder,  // the canvas painted or resized after shapes, a colour after the last shape
    cornerAsSize,  // «прямоугольник(100, 150, 200, 250)» running off the canvas: a second corner for the size
    barsHangFromTop,  // «прямоугольник(x, 0, 40, рост[i])» in a loop: bars hanging from the top edge
    colourNeverUsed,  // «цвет("green")» replaced at once by another colour
};

void statementChecks(const Program& p, std::vector<Hint>& out) {
    const Facts facts = factsOf(p);
    for (int i = 0; i < facts.n; ++i)
        for (StatementCheck check : statementTable) check(p, facts, i, out);
    for (WholeCheck check : wholeTable) check(p, facts, out);
}

// "${…}" in ordinary quotes stays letters.
void plainQuotesTemplate(const base::CodeText& text, const translator::SourceRegions& regions, std::vector<Hint>& out) {
    const std::uint32_t* c = text.chars.data();
    for (const translator::Stretch& st : regions.stretches) {
        if (st.region != translator::Region::Literal || (c[st.from] != '"' && c[st.from] != '\'')) continue;
        for (std::size_t p = st.from + 1; p + 2 < st.to; ++p) {
            if (c[p] != '$' || c[p + 1] != '{') continue;
            std::size_t close = p + 2;
            while (close < st.to && c[close] != '}') ++close;
            if (close >= st.to || close == p + 2) break;
            const std::string inner = textOf(c, p + 2, close);
            const std::uint32_t line = text.lines[p];
            out.push_back(naming(at(line, HintKind::PlainQuotesTemplate,
                                    "«${" + inner + "}» в кавычках не подставляет значение: выведутся сами эти буквы; чтобы вставить «" +
                                        inner + "», соедините текст и значение знаком «+»",
                                    c, p, close + 1),
                                 {"${" + inner + "}"}));
            break;
        }
    }
}

// One line of code, with what every line check reads.
struct LineView {
    const std::uint32_t* c;
    const std::vector<Line>& lines;
    std::size_t li;  // the index of this line in lines
    const Table& v;
    const std::vector<rules::Rule>& table;
    const std::vector<Token>& ts;  // lines[li].tokens
    std::uint32_t line;            // lines[li].number
    const rules::RuleWords* first;  // the rule the line starts with, or nullptr
    const std::string& function;    // the name of the function the line stands in, "" outside any
};

// A «вернуть» whose block has not closed yet: the line after it never runs.
struct ReturnSeen {
    std::uint32_t line = 0;  // 0: none pending
    std::string word;
};

// A line after a «вернуть» that left the function, before its block closes.
void neverRunsAfterReturn(const LineView& x, ReturnSeen& seen, std::vector<Hint>& out) {
    const std::uint32_t* c = x.c;
    const Table& v = x.v;
    const std::vector<Token>& ts = x.ts;
    const std::uint32_t line = x.line;
    const rules::RuleWords* first = x.first;
    if (seen.line != 0 && !closesBlock(c, ts, v))
        out.push_back(naming(at(line, HintKind::NeverRuns,
                                "эта строка никогда не выполнится: «" + seen.word + "» на строке " + std::to_string(seen.line) +
                                    " уже вышел из функции",
                                c, ts.front().from, ts.back().to),
                             {seen.word}));
    seen.line = 0;
    if (first && !v.returnWord.empty() && first->phrase == v.returnWord) {
        int depth = 0;
        for (const Token& t : ts) {
            if (t.mark == '(' || t.mark == '[' || t.mark == '{') ++depth;
            if (t.mark == ')' || t.mark == ']' || t.mark == '}') --depth;
        }
        const std::uint32_t last = ts.back().mark;
        if (depth == 0 && !isOperator(last)) {
            seen.line = line;
            seen.word = first->phrase;
        }
    }
}

// Tokens from `j` on hold one operand: a number, a text, a group in brackets, or a name with its
// fields, elements and calls («цифр(n / 10)», «с.длина», «с[0]»). Returns the token after it, or
// `from` itself when none stands there.
std::size_t operandEnd(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t from, const Table& v) {
    if (from >= ts.size()) return from;
    if (isDigits(c, ts[from]) || ts[from].mark == literal) return from + 1;
    std::size_t j = from;
    if (ts[j].mark == '(') {
        j = closingOf(ts, j);
        if (j >= ts.size()) return from;
    } else if (!isPlainName(c, ts[j], v, ts, j)) {
        return from;
    }
    ++j;
    while (j < ts.size()) {
        if (ts[j].mark == '.' && j + 1 < ts.size() && ts[j + 1].mark == 0) {
            j += 2;
        } else if (ts[j].mark == '(' || ts[j].mark == '[') {
            const std::size_t close = closingOf(ts, j);
            if (close >= ts.size()) return from;
            j = close + 1;
        } else {
            break;
        }
    }
    return j;
}

// «1 + цифр(n / 10)» alone on its line: operands joined by "+", "-", "*", "/" or "%", the value
// made and dropped. Inside a function, where it is mostly the function's answer, «вернуть» is named.
void droppedExpression(const LineView& x, std::vector<Hint>& out) {
    const std::vector<Token>& ts = x.ts;
    if (x.li > 0 && goesOn(x.c, x.lines[x.li - 1].tokens, x.v)) return;
    if (x.li + 1 < x.lines.size() && isOperator(x.lines[x.li + 1].tokens.front().mark) &&
        x.lines[x.li + 1].tokens.front().mark != '(' && x.lines[x.li + 1].tokens.front().mark != '[')
        return;
    std::size_t j = operandEnd(x.c, ts, 0, x.v), signs = 0;
    while (j > 0 && j < ts.size()) {
        const std::uint32_t m = ts[j].mark;
        if (m != '+' && m != '-' && m != '*' && m != '/' && m != '%') return;
        if (j + 1 < ts.size() && ts[j + 1].from == ts[j].to && ts[j + 1].mark != 0 && ts[j + 1].mark != literal &&
            ts[j + 1].mark != '(')
            return;  // "+=", "++", "**"
        const std::size_t next = operandEnd(x.c, ts, j + 1, x.v);
        if (next == j + 1) return;
        j = next;
        ++signs;
    }
    if (j != ts.size() || signs == 0) return;
    const std::string shown = textOf(x.c, ts.front().from, ts.back().to);
    const std::string given = x.v.returnWord + " " + shown;
    const std::string message =
        x.function.empty() || x.v.returnWord.empty()
            ? "«" + shown + "» вычисляет значение и никуда его не кладёт: положите его в переменную или выведите"
            : "«" + shown + "» вычисляет значение и никуда его не кладёт: функция «" + x.function +
                  "» его не отдаёт. Если это её ответ, здесь не хватает «" + x.v.returnWord + "»: «" + given + "»";
    out.push_back(naming(at(x.line, HintKind::DroppedValue, message, x.c, ts.front().from, ts.back().to), {shown}));
}

// A line that starts with a keyword of the table is a command; a value alone is checked.
void valueAlone(const LineView& x, std::vector<Hint>& out) {
    if (x.first) return;
    const std::size_t before = out.size();
    droppedValue(x.c, x.lines, x.li, x.v, out);
    if (out.size() == before) droppedExpression(x, out);
}

// «пусть моё имя = …»: a name of two words.
void twoWordName(const LineView& x, std::vector<Hint>& out) {
    const std::uint32_t* c = x.c;
    const Table& v = x.v;
    const std::vector<Token>& ts = x.ts;
    const std::uint32_t line = x.line;
    const rules::RuleWords* first = x.first;
    if (first && first->role == rules::WordRole::Declaration && !first->declares.empty()) {
        const std::size_t k = first->words.size();
        if (k + 2 < ts.size() && isPlainName(c, ts[k], v, ts, k) && isPlainName(c, ts[k + 1], v, ts, k + 1) &&
            ts[k + 2].mark == '=') {
            const std::string two = textOf(c, ts[k].from, ts[k + 1].to);
            static const std::string joined = "_";
            out.push_back(naming(at(line, HintKind::NameShape,
                                    "в имени не бывает пробела: «" + two + "» — это два слова; соедините их знаком «_»: «" +
                                        textOf(c, ts[k].from, ts[k].to) + "_" + textOf(c, ts[k + 1].from, ts[k + 1].to) + "»",
                                    c, ts[k].to, ts[k + 1].from, &joined),
                                 {two}));
        }
    }
}

// «пусть 2место = …»: a name that starts with a digit.
void digitFirstName(const LineView& x, std::vector<Hint>& out) {
    const std::uint32_t* c = x.c;
    const std::vector<Token>& ts = x.ts;
    const std::uint32_t line = x.line;
    for (const Token& t : ts) {
        if (t.mark != 0 || !(c[t.from] >= '0' && c[t.from] <= '9')) continue;
        std::size_t d = t.from;
        while (d < t.to && c[d] >= '0' && c[d] <= '9') ++d;
        if (d == t.to || !(c[d] >= 0x0400 && c[d] <= 0x04FF)) continue;  // 2px, 1e5 and 0x1F are left alone
        const std::string name = textOf(c, t.from, t.to);
        out.push_back(naming(at(line, HintKind::NameShape,
                                "имя не может начинаться с цифры: «" + name + "»; начните его с буквы, а цифру поставьте в конец: «" +
                                    textOf(c, d, t.to) + textOf(c, t.from, d) + "»",
                                c, t.from, t.to),
                             {name}));
        break;
    }
}

// "^" taken for a power, and "=>" or "=<" for a comparison; token by token, so both keep their order.
void signMistakes(const LineView& x, std::vector<Hint>& out) {
    const std::uint32_t* c = x.c;
    const std::vector<Token>& ts = x.ts;
    const std::uint32_t line = x.line;
    for (std::size_t i = 0; i < ts.size(); ++i) {
        const Token& t = ts[i];
        if (t.mark == '^' && !(i > 0 && ts[i - 1].mark == '[' && ts[i - 1].to == t.from)) {  // not "[^…]" of a pattern
            static const std::string power = "**";
            out.push_back(naming(at(line, HintKind::CaretPower,
                                    "«^» здесь не степень, а действие над битами числа; степень пишется «**»", c, t.from,
                                    t.to, &power),
                                 {"^"}));
        }
        // "=>" or "=<", the "=" first: the learner's order of "больше или равно" in signs.
        if (t.mark == '=' && i + 1 < ts.size() && ts[i + 1].from == t.to &&
            (ts[i + 1].mark == '>' || ts[i + 1].mark == '<') &&
            !(i > 0 && ts[i - 1].to == t.from &&
              (ts[i - 1].mark == '=' || ts[i - 1].mark == '!' || ts[i - 1].mark == '<' || ts[i - 1].mark == '>')) &&
            !(i + 2 < ts.size() && ts[i + 2].from == ts[i + 1].to && ts[i + 2].mark == '=')) {
            const bool greater = ts[i + 1].mark == '>';
            // An arrow "x => …" is a function; a number or text after it is a comparison.
            const bool compared = i + 2 < ts.size() && (isDigits(c, ts[i + 2]) || ts[i + 2].mark == literal ||
                                                        ts[i + 2].mark == '-');
            if (greater && !compared) continue;
            const std::string sign = greater ? ">=" : "<=";
            const std::string written = greater ? "=>" : "=<";
            out.push_back(naming(at(line, HintKind::SwappedComparison,
                                    "«" + written + "» не сравнивает; «" + (greater ? "больше или равно" : "меньше или равно") +
                                        "» пишется «" + sign + "»",
                                    c, t.from, ts[i + 1].to, &sign),
                                 {written}));
        }
    }
}

// «если день равно 6 или 7 то»: the number after «или» is compared with nothing and is true.
void orNumberAlone(const LineView& x, std::vector<Hint>& out) {
    const std::uint32_t* c = x.c;
    const Table& v = x.v;
    const std::vector<Token>& ts = x.ts;
    const std::uint32_t line = x.line;
    if (opensHeader(c, ts, v)) {
        for (std::size_t i = 2; i + 1 < ts.size(); ++i) {
            const rules::RuleWords* either = ruleAt(c, ts, i, v);
            if (!either || either->role != rules::WordRole::Logic ||
                replacementOf(x.table, *either) != "||")
                continue;
            const Token& value = ts[i + either->words.size() < ts.size() ? i + either->words.size() : i];
            const bool truthy = (isDigits(c, value) && c[value.from] != '0') || (value.mark == literal && value.to - value.from > 2);
            const std::size_t after = i + either->words.size() + 1;
            const rules::RuleWords* next = after < ts.size() ? ruleAt(c, ts, after, v) : nullptr;
            const bool ends = after == ts.size() || ts[after].mark == ')' ||
                              (next && (next->role == rules::WordRole::HeaderClose || next->role == rules::WordRole::Logic));
            // What stands before «или» must be a comparison: a comparison word two tokens back.
            const rules::RuleWords* compared = i >= 2 ? ruleAt(c, ts, i - 2, v) : nullptr;
            if (!truthy || !ends || !compared || compared->role != rules::WordRole::Comparison || i < 3 ||
                ts[i - 3].mark != 0)
                continue;
            const std::string word = textOf(c, ts[i].from, ts[i].to);
            const std::string shown = textOf(c, value.from, value.to);
            out.push_back(naming(at(line, HintKind::DroppedValue,
                                    "«" + word + " " + shown + "» ни с чем не сравнивает «" + shown + "»: оно само считается истиной, и условие верно всегда; повторите сравнение: «" +
                                        word + " " + textOf(c, ts[i - 3].from, ts[i - 3].to) + " " + compared->phrase + " " + shown + "»",
                                    c, ts[i].from, value.to),
                                 {word}));
            break;
        }
    }
}

// «если(x > 0); {»: the ";" ends the condition, and the block after it runs every time.
void semicolonAfterCondition(const LineView& x, std::vector<Hint>& out) {
    const std::uint32_t* c = x.c;
    const Table& v = x.v;
    const std::vector<Token>& ts = x.ts;
    const std::uint32_t line = x.line;
    if (opensHeader(c, ts, v)) {
        for (std::size_t i = 1; i < ts.size(); ++i) {
            if (ts[i].mark != ';' || ts[i - 1].mark != ')') continue;
            if (!(i + 1 == ts.size() || ts[i + 1].mark == '{')) continue;
            static const std::string none;
            out.push_back(naming(at(line, HintKind::EmptyCondition,
                                    "«;» сразу после условия заканчивает «" + textOf(c, ts[0].from, ts[0].to) +
                                        "»: блок после него выполнится в любом случае; уберите «;»",
                                    c, ts[i].from, ts[i].to, &none),
                                 {";"}));
            break;
        }
    }
}

using LineCheck = void (*)(const LineView&, std::vector<Hint>&);

// Run on each line in turn, in this order, after neverRunsAfterReturn.
constexpr LineCheck lineTable[] = {
    valueAlone,               // a value computed and dropped
    twoWordName,              // a name of two words
    digitFirstName,           // a name that starts with a digit
    signMistakes,             // "^" for a power, "=>" for ">="
    orNumberAlone,            // «или 7» compared with nothing
    semicolonAfterCondition,  // «если(…);» with an empty body
};

}  // namespace
}  // namespace programs

void programChecks(const DetectorInput& input, std::vector<Hint>& out) {
    using namespace programs;
    const base::CodeText& text = input.source;
    const std::uint32_t* c = text.chars.data();
    const Table v = tableOf(input.language.vocabulary);
    const translator::SourceRegions regions = translator::scanRegions(c, text.chars.size());
    plainQuotesTemplate(text, regions, out);

    const std::vector<Line> lines = codeLines(text, regions);
    Program program{c, lines, v, input.language.table, {}, keywordOf(v, "if"), keywordOf(v, "else"),
                    keywordOf(v, "function"), v.returnWord, keywordOf(v, "break"), valueWord(v, input.language.table, "true"),
                    valueWord(v, input.language.table, "false")};
    program.input = &input;
    program.regions = &regions;
    const bool ok = readStatements(program);
    // The function each line stands in, read off the statements (one a line) when they read whole.
    std::vector<std::string> functionOf(lines.size());
    for (std::size_t li = 0; ok && li < program.stmts.size() && li < lines.size(); ++li)
        for (int h = program.stmts[li].parent; h >= 0 && functionOf[li].empty(); h = program.stmts[h].parent)
            if (program.stmts[h].kind == StmtKind::Function && tokensOf(program, program.stmts[h]).size() > 1)
                functionOf[li] = word(program, tokensOf(program, program.stmts[h])[1]);

    ReturnSeen seen;
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const LineView x{c, lines, li, v, input.language.table, lines[li].tokens, lines[li].number,
                         ruleAt(c, lines[li].tokens, 0, v), functionOf[li]};
        neverRunsAfterReturn(x, seen, out);
        for (LineCheck check : lineTable) check(x, out);
    }

    // The statement checks look back and ahead over the statements, quadratic at worst: a program
    // longer than any learner writes (a generated one, a megabyte benchmark) goes without them
    // rather than wait seconds for them.
    constexpr std::size_t maxCheckedStatements = 2000;
    if (!program.ifWord.empty() && !program.elseWord.empty() && ok && program.stmts.size() <= maxCheckedStatements)
        statementChecks(program, out);
}

}  // namespace diagnostics
