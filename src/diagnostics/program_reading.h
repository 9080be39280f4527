// The reading of a program that the statement checks share: its code lines as tokens, the
// table's words, the statements (one a line, blocks opened and closed by the table's words), the
// facts gathered once per program, and the readers the checks ask (a name set or read, the shape of
// a value, a comparison as the numbers it lets through). Internal to diagnostics.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics/analysis.h"
#include "translator/source_regions.h"

namespace diagnostics::programs {

constexpr std::uint32_t literal = 0xFFFFFFFF;  // the mark of a string literal; a word has mark 0

struct Token {
    std::uint32_t from = 0, to = 0;
    std::uint32_t mark = 0;
};

struct Line {
    std::uint32_t number = 0;
    std::vector<Token> tokens;
};

// The code of the text line by line: words, single marks, and each literal as one token on the
// line it starts on. Comments and template text are left out; lines without code are left out.
std::vector<Line> codeLines(const base::CodeText& text, const translator::SourceRegions& regions);

// The UTF-8 text of chars [from, to).
std::string textOf(const std::uint32_t* c, std::size_t from, std::size_t to);

// Whether token t is the word w, letters folded to one case when `fold`.
bool sameWord(const std::uint32_t* c, const Token& t, const base::CodePoints& w, bool fold);

// The table's words decoded once, beside the vocabulary they come from.
struct Table {
    const rules::Vocabulary& v;
    std::vector<std::vector<base::CodePoints>> words;  // per rule of `v`
    std::string returnWord;                            // the learner's word for leaving a function
};

// The learner's keyword for JavaScript's `js` ("if" -> «если»), "" when the table has none.
std::string keywordOf(const Table& v, const char* js);

// The table's words decoded once.
Table tableOf(const rules::Vocabulary& v);

// A word of digits alone.
bool isDigits(const std::uint32_t* c, const Token& t);

// The first rule whose words start at token i of the line and that `wanted` accepts, or null. Not
// only the first rule of those words: «иначе», «раз» and «повторить» each have several.
template <class Wanted>
const rules::RuleWords* ruleAt(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t i, const Table& table,
                               Wanted wanted) {
    for (std::size_t r = 0; r < table.v.rules.size(); ++r) {
        const std::vector<base::CodePoints>& words = table.words[r];
        if (words.empty() || i + words.size() > ts.size()) continue;
        bool all = true;
        for (std::size_t k = 0; k < words.size() && all; ++k) all = sameWord(c, ts[i + k], words[k], table.v.rules[r].ignoreCase);
        // «число(» is the rule; «число» alone is a learner's name.
        const std::size_t after = i + words.size();
        if (all && table.v.rules[r].needsBracket)
            all = after < ts.size() && ts[after].mark == '(';
        if (all && wanted(table.v.rules[r])) return &table.v.rules[r];
    }
    return nullptr;
}

// The rule whose words start at token i of the line, or null.
const rules::RuleWords* ruleAt(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t i, const Table& table);

// Whether the rule writes the JavaScript name `name`.
bool produces(const rules::RuleWords& r, const char* name);

// Methods that change the value they are called on.
bool changesValue(const rules::RuleWords& r);

// The token that closes the bracket at `open`, or ts.size() when the line does not close it; with
// `commas`, whether a "," stands directly inside it.
std::size_t closingOf(const std::vector<Token>& ts, std::size_t open, bool* commas = nullptr);

// The arguments of the call whose "(" is at `open`, each as its tokens [from, to) between the
// commas directly inside; none for «f()» and for brackets the line does not close.
std::vector<std::pair<std::size_t, std::size_t>> argumentsAt(const std::vector<Token>& ts, std::size_t open);

// No round bracket opened in tokens [from, to) closes before the last one: «f(a)» holds one call
// whole, «f(a) + g(b)» and «(a)(b)» do not.
bool wholeInBrackets(const std::vector<Token>& ts, std::size_t from, std::size_t to);

// A word that is a name: no digit first, no rule of the table starting there.
bool isPlainName(const std::uint32_t* c, const Token& t, const Table& v, const std::vector<Token>& ts,
                 std::size_t i);

// A finding at `line` over chars [from, to), with its fix where one is given.
Hint at(std::uint32_t line, HintKind kind, const std::string& message, const std::uint32_t* c, std::size_t from,
        std::size_t to, const std::string* fix = nullptr);

enum class StmtKind : std::uint8_t { If, ElseIf, Else, Loop, Function, End, Other };

struct Stmt {
    std::size_t line = 0;  // index in the code lines
    StmtKind kind = StmtKind::Other;
    int parent = -1;       // the header whose block holds it; a branch's parent is its chain's
    int chain = -1;        // a branch: the «если» that opened its chain
    bool closed = false;   // a header whose block ends on its own line
    std::size_t condFrom = 0, condTo = 0;  // a header's condition tokens
    std::string target;    // «[пусть] имя = …»: the name set
    std::size_t valueFrom = 0;             // the first token of the value after "="
};

// The table's one-word end of a block («конец»).
std::string blockEnd(const Table& v);

struct Program {
    const std::uint32_t* c;
    const std::vector<Line>& lines;
    const Table& v;
    const std::vector<rules::Rule>& table;
    std::vector<Stmt> stmts;
    std::string ifWord, elseWord, functionWord, returnWord, breakWord, trueWord, falseWord;
    std::string endWord = blockEnd(v);
    // The whole text with its regions and the libraries it includes: where a name may stand
    // besides the code lines (in text, in a template, in a library's code).
    const DetectorInput* input = nullptr;
    const translator::SourceRegions* regions = nullptr;
};

// The learner's word of the given role for JavaScript's `js` ("&&" -> «и»), "" when the table has none.
std::string roleWord(const Table& v, const std::vector<rules::Rule>& table, rules::WordRole role, const char* js);

// The learner's word for a value of JavaScript ("true" -> «истина»).
std::string valueWord(const Table& v, const std::vector<rules::Rule>& table, const char* js);

// The table's comparison word for "==" («равно»), or "==" itself.
std::string equalityWord(const Table& v);

// The JavaScript a rule writes ("&&", "==", "!").
std::string replacementOf(const std::vector<rules::Rule>& table, const rules::RuleWords& r);

// The learner's word the table gives back for JavaScript's `js` ("length" -> «длина»), or "".
std::string reverseOf(const Table& v, const char* js);

// A statement's tokens, the text of a token, whether it is the word w, its line number.
const std::vector<Token>& tokensOf(const Program& p, const Stmt& s);
std::string word(const Program& p, const Token& t);
bool isWord(const Program& p, const Token& t, const std::string& w);
std::uint32_t lineOf(const Program& p, const Stmt& s);

// Reads the statements; false when the blocks are not the table's words alone.
bool readStatements(Program& p);

// Functions of the program: the header statement, the name, and the names it takes.
struct Function {
    int at = -1;
    std::string name;
    std::vector<std::string> params;
    int last = -1;       // the last statement of its body: the body is statements at+1 … last
    bool gives = false;  // a «вернуть» with a value somewhere in its body
};

// A call «имя(…)» of a function of the program: the statement, the name's token, its ")".
struct Call {
    int stmt = 0;
    std::size_t name = 0, close = 0;     // close: tokens.size() when the call runs past its line
    int function = -1;  // in Facts::functions; -1 for a function defined twice: which one runs is left alone
};

// What every statement check reads, gathered once per program.
struct Facts {
    int n = 0;                  // the number of statements
    std::vector<int> holders;   // the block each statement sits in, -1 at the top
    std::string askWord, askNumber, indexOf, includes, slice;  // learner's words; empty when the table lacks one
    std::vector<Function> functions;
    std::vector<std::vector<int>> branches;  // an «если»'s «иначе если» and «иначе» lines, in order
    // Each name with the statements that set it («имя = …») and those that read it (as `reads`
    // tells), in text order: a check asks here, not every statement again.
    std::map<std::string, std::vector<int>> setters, readers;
    std::vector<Call> calls;  // every call of the program's functions, in text order; headers are not calls
};

// Whether statement i calls one of the program's functions.
bool callsAny(const Facts& facts, int i);

// The statements that set `name`, or that read it, in text order.
const std::vector<int>& settersOf(const Facts& facts, const std::string& name);
const std::vector<int>& readersOf(const Facts& facts, const std::string& name);

// Whether a statement other than `except` sets `name`.
bool setsAnywhere(const Facts& facts, const std::string& name, int except);

// Whether a statement before i sets `name`.
bool setBefore(const Facts& facts, const std::string& name, int i);

// The last statement before i that sets `name`, or -1.
int lastSetBefore(const Facts& facts, const std::string& name, int i);

// Statements directly in the block of header h (its own branch only), in order.
std::vector<int> body(const Program& p, const Facts& facts, int h);

// Whether statement i stands inside the block of header h, in any of its branches.
bool within(const Program& p, const Facts& facts, int i, int h);

// The nearest header of the given kind around statement i, or -1.
int ancestor(const Program& p, const Facts& facts, int i, StmtKind kind);

// The block header nearest around statement i of the given kind, stopping at a function; -1 when none.
int nearestAround(const Program& p, const Facts& facts, int i, StmtKind kind);

// Whether statement i stands inside a function.
bool enclosingFunction(const Program& p, const Facts& facts, int i);

// The last statement inside the block of header h.
int lastInBlock(const Program& p, const Facts& facts, int h);

// The first statement after the block of header h, in the block that holds h; -1 when none.
int afterBlock(const Program& p, const Facts& facts, int h);

// Whether token i reads `name`: the word itself, not a method or a field after ".".
bool readsAt(const Program& p, const std::vector<Token>& ts, std::size_t i, const std::string& name);

// Whether the statement reads `name` (the name it sets is not read; its value and index are).
bool reads(const Program& p, const Stmt& s, const std::string& name);

// «имя = x»: the value's one token, or null when the statement sets nothing or its value is more.
const Token* valueToken(const Program& p, const Stmt& s);

// The value of `s` is exactly the word `w` («x = 0»).
bool valueIs(const Program& p, const Stmt& s, const std::string& w);

// «имя = a ЗНАК b», `sign` one mark and `a`, `b` words (names or whole numbers): reads `a` and `b`.
bool binaryValue(const Program& p, const Stmt& s, std::uint32_t sign, std::string& a, std::string& b);

// The value of `s` is exactly the tokens `a`, `sign`, `b` (names or a number) in this order.
bool valueIs(const Program& p, const Stmt& s, const std::string& a, std::uint32_t sign, const std::string& b);

// A statement that starts with a declaring word («пусть имя = …»).
bool declares(const Program& p, const Stmt& s);

// The text of tokens [from, to) as written, "" for an empty or outside span.
std::string shown(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to);
std::string shown(const Program& p, const Stmt& s, std::size_t from, std::size_t to);

// The whole statement as written.
std::string lineText(const Program& p, const Stmt& s);

// A finding over the whole statement, naming the words `named`.
void add(const Program& p, const Stmt& s, HintKind kind, const std::string& message, std::vector<std::string> named,
         std::vector<Hint>& out);

// A line number as text.
std::string num(std::uint32_t n);

// A number as the page prints it: the fewest digits that read back as the same double («75»,
// «0.30000000000000004»).
std::string numberText(double x);

// The sign a comparison word or signs write at token i ("==", ">", "<=", "==="…) and the tokens it takes.
std::string signAt(const Program& p, const std::vector<Token>& ts, std::size_t i, std::size_t& taken);

// A condition «имя ЗНАК число» as the numbers it lets through.
struct Range {
    bool valid = false;
    std::string name;
    double lo = -1e300, hi = 1e300;
    bool loIn = false, hiIn = false;
};

// The tokens a number written at i takes ("5", "-3", "2.5"), 0 when none is written there.
std::size_t numberAt(const Program& p, const std::vector<Token>& ts, std::size_t i, std::size_t end, double& value);

// Whether tokens [i, end) are one number and nothing else.
bool number(const Program& p, const std::vector<Token>& ts, std::size_t i, std::size_t end, double& value);

// "!=" or "!==".
bool isNotEqual(const std::string& sign);

// Whether `left sign right` holds, for the signs of a comparison; `read` is false for another sign.
bool holds(const std::string& sign, double left, double right, bool& read);

// A comparison «имя ЗНАК число» in tokens [from, to): the name, the sign it writes, the number.
struct Compared {
    bool valid = false;
    std::string name, sign;
    double value = 0;
    std::size_t valueAt = 0;  // the number's first token
};

// Reads «имя ЗНАК число» from tokens [from, to); invalid for any other shape.
Compared comparedIn(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to);

// «для каждого э из список»: the element's name, and the list's name when the list is one word
// ("" for a list written out or computed); invalid for any other header.
struct EachLoop {
    bool valid = false;
    std::string element, list;
};
EachLoop eachLoopOf(const Program& p, const Stmt& s);

// The numbers a «для каждого» loop walks: its list written once («пусть числа = [3, -5]», see
// writtenNumbers) or written in its own header («из [1, 2, 9]»); false for any other loop.
bool walkedNumbers(const Program& p, const Facts& facts, const Stmt& loop, std::vector<double>& numbers);

// A header's condition that is exactly «a ЗНАК b», one word each side (a name or a number): the two
// words and the sign the comparison writes ("<", "==", "!="…); invalid for any other shape.
struct WordPair {
    bool valid = false;
    std::string left, sign, right;
};
WordPair wordPairOf(const Program& p, const Stmt& s);

// Tokens [from, to) that are exactly «a ЗНАК b», one word each side; invalid for any other shape.
WordPair wordPairIn(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to);

// Tokens [from, to) without the brackets that hold them whole.
void unwrap(const std::vector<Token>& ts, std::size_t& from, std::size_t& to);

// A condition cut at its «и» or its «или» outside brackets. Both kinds in one condition leave it
// uncut (which binds first is not read here); a comparison's own words («больше или равно») never cut.
struct Joined {
    std::string joint;                                       // "&&" or "||"; "" with one part
    std::vector<std::pair<std::size_t, std::size_t>> parts;  // token spans, brackets around each taken off
    std::size_t jointFrom = 0, jointTo = 0;                  // the first joining word or signs
};
Joined joinedIn(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to);

// The parts of a header's condition that must all hold for its block to run: the parts joined by
// «и», or the whole condition alone; none when «или» joins them (no part is needed then).
std::vector<std::pair<std::size_t, std::size_t>> bothParts(const Program& p, const Stmt& s);

// The numbers a comparison lets through; invalid for "!=" (all but one) and for signs it cannot read.
Range rangeFrom(const Compared& k);

// The numbers the condition of header s lets through.
Range rangeOf(const Program& p, const Stmt& s);

// Every number `a` lets through, `b` lets through too.
bool subRange(const Range& a, const Range& b);

// Whether the range lets the number x through.
bool lets(const Range& r, double x);

// The rule at token i when it is the table's «не» ("!"), or null.
const rules::RuleWords* negationAt(const Program& p, const std::vector<Token>& ts, std::size_t i);

// A header with a condition: «если», «иначе если», a loop.
bool hasCondition(const Stmt& s);

// Whether the statement holds the word w anywhere, or a word of the given role.
bool hasWord(const Program& p, const Stmt& s, const std::string& w);
bool hasRole(const Program& p, const Stmt& s, rules::WordRole role);

// Gathers the facts of the statements read by readStatements.
Facts factsOf(const Program& p);

// Whether statement s changes `name` itself: «name = …», «name += …», «name++».
bool changesName(const Program& p, const Stmt& s, const std::string& name);

// «имя = имя + 1» or «имя = 1 + имя».
bool growsByOne(const Program& p, const Stmt& s, const std::string& name);

// Whether the loop `loop` changes `name` exactly once in its body, and by «имя = имя + 1».
bool stepsOnceByOne(const Program& p, const Facts& facts, const std::string& name, int loop);

// Whether header s is «повторить … раз».
bool countedLoop(const Program& p, const Stmt& s);

// Whether the word is the counter of «повторить … раз» (translator/counted_loops.cpp), which is 0
// on the first round: «счетчик», or the table's word for it.
bool isRoundCounter(const Program& p, const std::string& w);

// Whether a statement other than those «имя = …» changes `name`: «имя += x», «имя++», a loop's own
// name, a function's parameter of that name.
bool changedBesidesSetters(const Program& p, const Facts& facts, const std::string& name);

// The divisor m when every value `name` takes is «a % m» (a one name, m a whole number of 2 or
// more), set in `loop` before anything there changes «a»: a digit of «a» for m 10; 0 otherwise.
// `of` gets «a».
double remainderIn(const Program& p, const Facts& facts, const std::string& name, int loop, std::string& of);

// The numbers of a list written once in the program («пусть числа = [3, -5]»), in order; false
// when the name is set more than once or to anything but numbers in brackets.
bool writtenNumbers(const Program& p, const Facts& facts, const std::string& name, std::vector<double>& numbers);

// Whether the statement is a print («вывести(…)»).
bool prints(const Program& p, const Stmt& s);

// The text in capitals, "" when it is not UTF-8.
std::string capitals(const std::string& text);

// A word or a number of a text, letters in upper case.
struct TextWord {
    std::string upper;
    bool number = false;
    double value = 0;
};

// The words and whole numbers of a text; a number written with a point or a comma is left out,
// so that «2.5» never reads as 5.
std::vector<TextWord> textWords(const base::CodePoints& t);

// Whether the name holds one of the word stems (written in capitals), in either case: «Сумма_цен»
// holds «СУММ».
bool nameHas(const std::string& name, std::initializer_list<const char*> stems);

// What a name says it keeps: -1 the least («мин», «наименьшее», «меньшее»…), 1 the greatest
// («макс», «наибольший», «больший»…), 0 neither. Only the word stems are read, in either case.
int namedExtreme(const std::string& name);

// What a name says it gathers: a sum («сумма», «итог»), a product («произведение») or a count
// («количество», «счётчик»); None for any other name, and for a name that says two of them.
enum class Gathered : std::uint8_t { None, Sum, Product, Count };
Gathered namedGathered(const std::string& name);

}  // namespace diagnostics::programs
