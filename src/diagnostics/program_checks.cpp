// Whole-program checks read off the learner's code by the table's roles; strings and comments are
// skipped by the translator's own reading of them, so no check fires inside text or a comment.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_checks.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "translator/source_regions.h"

namespace diagnostics {

namespace {

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
std::vector<Line> codeLines(const base::CodeText& text, const translator::SourceRegions& regions) {
    std::vector<Line> lines;
    const std::uint32_t* c = text.chars.data();
    const std::size_t n = text.chars.size();
    std::size_t s = 0;
    auto add = [&](std::size_t at, Token t) {
        const std::uint32_t number = text.lines[at];
        if (lines.empty() || lines.back().number != number) lines.push_back({number, {}});
        lines.back().tokens.push_back(t);
    };
    for (std::size_t p = 0; p < n;) {
        if (s < regions.stretches.size() && p >= regions.stretches[s].from) {
            const translator::Stretch& st = regions.stretches[s++];
            if (st.region == translator::Region::Literal)
                add(st.from, {static_cast<std::uint32_t>(st.from), static_cast<std::uint32_t>(st.to), literal});
            p = std::max(p, st.to);
            continue;
        }
        const std::size_t end = s < regions.stretches.size() ? regions.stretches[s].from : n;
        const std::uint32_t v = c[p];
        if (v == ' ' || v == '\t' || v == 0x0D || translator::isLineFeed(v)) {
            ++p;
        } else if (translator::isWordCode(v)) {
            std::size_t e = p + 1;
            while (e < end && translator::isWordCode(c[e])) ++e;
            add(p, {static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(e), 0});
            p = e;
        } else {
            add(p, {static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(p + 1), v});
            ++p;
        }
    }
    return lines;
}

std::string textOf(const std::uint32_t* c, std::size_t from, std::size_t to) { return base::encodeUtf8(c + from, to - from); }

bool sameWord(const std::uint32_t* c, const Token& t, const base::CodePoints& w, bool fold) {
    if (t.mark != 0 || w.size() != t.to - t.from) return false;
    for (std::size_t i = 0; i < w.size(); ++i)
        if (fold ? base::toUpper(c[t.from + i]) != base::toUpper(w[i]) : c[t.from + i] != w[i]) return false;
    return true;
}

// The table's words decoded once, beside the vocabulary they come from.
struct Table {
    const rules::Vocabulary& v;
    std::vector<std::vector<base::CodePoints>> words;  // per rule of `v`
    std::string returnWord;                            // the learner's word for leaving a function
};

std::string keywordOf(const Table& v, const char* js) {
    for (const auto& [k, learner] : v.v.keywords)
        if (k == js) return learner;
    return "";
}

Table tableOf(const rules::Vocabulary& v) {
    Table t{v, {}, {}};
    for (const rules::RuleWords& r : v.rules) {
        t.words.emplace_back();
        for (const std::string& w : r.words) t.words.back().push_back(base::decodeBytes(w));
    }
    t.returnWord = keywordOf(t, "return");
    return t;
}

bool isDigits(const std::uint32_t* c, const Token& t) {
    return t.mark == 0 && std::all_of(c + t.from, c + t.to, [](std::uint32_t v) { return v >= '0' && v <= '9'; });
}

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
        if (all && wanted(table.v.rules[r])) return &table.v.rules[r];
    }
    return nullptr;
}
// The rule whose words start at token i of the line, or null.
const rules::RuleWords* ruleAt(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t i, const Table& table) {
    return ruleAt(c, ts, i, table, [](const rules::RuleWords&) { return true; });
}

bool produces(const rules::RuleWords& r, const char* name) {
    return std::find(r.produces.begin(), r.produces.end(), name) != r.produces.end();
}

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

// Methods that change the value they are called on.
bool changesValue(const rules::RuleWords& r) {
    static const char* const names[] = {"pop", "shift", "sort", "reverse", "push", "unshift", "splice", "fill"};
    for (const char* name : names)
        if (produces(r, name)) return true;
    return false;
}

// The token that closes the bracket at `open`, or ts.size() when the line does not close it; with
// `commas`, whether a "," stands directly inside it.
std::size_t closingOf(const std::vector<Token>& ts, std::size_t open, bool* commas = nullptr) {
    int depth = 0;
    for (std::size_t k = open; k < ts.size(); ++k) {
        if (ts[k].mark == '(' || ts[k].mark == '[' || ts[k].mark == '{') ++depth;
        if ((ts[k].mark == ')' || ts[k].mark == ']' || ts[k].mark == '}') && --depth == 0) return k;
        if (commas && ts[k].mark == ',' && depth == 1) *commas = true;
    }
    return ts.size();
}

// No round bracket opened in tokens [from, to) closes before the last one: «f(a)» holds one call
// whole, «f(a) + g(b)» and «(a)(b)» do not.
bool wholeInBrackets(const std::vector<Token>& ts, std::size_t from, std::size_t to) {
    int depth = 0;
    for (std::size_t k = from; k < to; ++k) {
        if (ts[k].mark == '(') ++depth;
        if (ts[k].mark == ')' && --depth == 0 && k + 1 != to) return false;
    }
    return true;
}

bool isOperator(std::uint32_t m) {
    return m == '+' || m == '-' || m == '*' || m == '/' || m == '%' || m == '=' || m == '<' || m == '>' ||
           m == '&' || m == '|' || m == '(' || m == '[' || m == ',' || m == '.' || m == '?' || m == ':' || m == '!';
}

bool isPlainName(const std::uint32_t* c, const Token& t, const Table& v, const std::vector<Token>& ts,
                 std::size_t i) {
    return t.mark == 0 && !(c[t.from] >= '0' && c[t.from] <= '9') && ruleAt(c, ts, i, v) == nullptr;
}

Hint at(std::uint32_t line, HintKind kind, const std::string& message, const std::uint32_t* c, std::size_t from,
        std::size_t to, const std::string* fix = nullptr) {
    return spanned({line, kind, base::onLine(line, message)}, c, from, to, fix);
}

// «шаги + 1» or «имя.заглавными()» alone on its line, neither continuing the line before nor
// continued by the next: the value is made and dropped.
void droppedValue(const std::uint32_t* c, const std::vector<Line>& lines, std::size_t li, const Table& v,
                  std::vector<Hint>& out) {
    const std::vector<Token>& ts = lines[li].tokens;
    if (li > 0 && isOperator(lines[li - 1].tokens.back().mark)) return;
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

}  // namespace


// ---- Checks over the statements: one statement a line, blocks opened and closed by the table's
// words. A program with braces for blocks is left to the checks above. ----
namespace {

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
std::string blockEnd(const Table& v) {
    for (const rules::RuleWords& r : v.v.rules)
        if (r.role == rules::WordRole::BlockClose && r.words.size() == 1 && r.opensBrace == 0) return r.phrase;
    return "";
}

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
std::string roleWord(const Table& v, const std::vector<rules::Rule>& table, rules::WordRole role, const char* js) {
    for (const rules::RuleWords& r : v.v.rules)
        if (r.role == role && table[r.rule].replacement == base::decodeBytes(js)) return r.phrase;
    return "";
}
// The learner's word for a value of JavaScript ("true" -> «истина»).
std::string valueWord(const Table& v, const std::vector<rules::Rule>& table, const char* js) {
    const std::string w = roleWord(v, table, rules::WordRole::Value, js);
    return w.empty() ? keywordOf(v, js) : w;
}
// The table's comparison word for "==" («равно»), or "==" itself.
std::string equalityWord(const Table& v) {
    for (const rules::RuleWords& r : v.v.rules)
        if (r.equality) return r.phrase;
    return "==";
}
// The JavaScript a rule writes ("&&", "==", "!").
std::string replacementOf(const std::vector<rules::Rule>& table, const rules::RuleWords& r) {
    return base::encodeUtf8(table[r.rule].replacement.data(), table[r.rule].replacement.size());
}
std::string reverseOf(const Table& v, const char* js) {
    for (const auto& [k, learner] : v.v.reverse)
        if (k == js) return learner;
    return "";
}

const std::vector<Token>& tokensOf(const Program& p, const Stmt& s) { return p.lines[s.line].tokens; }
std::string word(const Program& p, const Token& t) { return textOf(p.c, t.from, t.to); }
bool isWord(const Program& p, const Token& t, const std::string& w) { return t.mark == 0 && !w.empty() && word(p, t) == w; }
std::uint32_t lineOf(const Program& p, const Stmt& s) { return p.lines[s.line].number; }
bool endsBlock(const Program& p, const std::vector<Token>& ts) {
    const rules::RuleWords* r = ts.empty() ? nullptr : ruleAt(p.c, ts, ts.size() - 1, p.v);
    return r && r->role == rules::WordRole::BlockClose && r->words.size() == 1;
}

// Whether a rule that ends a header starts at token i. Not only the first rule of those words:
// «раз» has one rule before a "{" (which leaves the header open) and one that ends the header.
bool headerCloseAt(const Program& p, const std::vector<Token>& ts, std::size_t i) {
    return ruleAt(p.c, ts, i, p.v, [](const rules::RuleWords& r) { return r.role == rules::WordRole::HeaderClose; }) != nullptr;
}

// A line with a word that ends a header and opens its block («делать», «то», «раз»).
bool opensBlock(const Program& p, const std::vector<Token>& ts) {
    for (std::size_t i = 1; i < ts.size(); ++i)
        if (headerCloseAt(p, ts, i)) return true;
    return false;
}

// Reads the statements; false when the blocks are not the table's words alone.
bool readStatements(Program& p) {
    std::vector<int> open;
    for (std::size_t li = 0; li < p.lines.size(); ++li) {
        const std::vector<Token>& ts = p.lines[li].tokens;
        for (const Token& t : ts)
            if (t.mark == '{' || t.mark == '}') return false;
        Stmt s;
        s.line = li;
        s.parent = open.empty() ? -1 : open.back();
        const rules::RuleWords* first = ruleAt(p.c, ts, 0, p.v);
        std::size_t head = first ? first->words.size() : 0;
        if (isWord(p, ts[0], p.elseWord)) {
            s.kind = ts.size() > 1 && isWord(p, ts[1], p.ifWord) ? StmtKind::ElseIf : StmtKind::Else;
            head = s.kind == StmtKind::ElseIf ? 2 : 1;
        } else if (first && first->phrase == p.ifWord) {
            s.kind = StmtKind::If;
        } else if (first && first->role != rules::WordRole::BlockClose && opensBlock(p, ts)) {
            s.kind = StmtKind::Loop;  // «пока», «для каждого», «повторить»: a header the table's word ends
        } else if (first && first->phrase == p.functionWord) {
            s.kind = StmtKind::Function;
        } else if (first && first->role == rules::WordRole::BlockClose) {
            s.kind = StmtKind::End;
        }
        if (s.kind == StmtKind::If || s.kind == StmtKind::ElseIf || s.kind == StmtKind::Loop) {
            s.condFrom = head;
            s.condTo = ts.size();
            for (std::size_t i = head; i < ts.size(); ++i)
                if (headerCloseAt(p, ts, i)) {
                    s.condTo = i;
                    break;
                }
            s.closed = s.condTo + 1 < ts.size() && endsBlock(p, ts);
        }
        if (s.kind == StmtKind::Else) s.closed = ts.size() > 1 && endsBlock(p, ts);
        if (s.kind == StmtKind::Other) {
            std::size_t i = 0;
            if (first && first->role == rules::WordRole::Declaration && !first->declares.empty()) i = first->words.size();
            if (i + 2 < ts.size() && isPlainName(p.c, ts[i], p.v, ts, i) && ts[i + 1].mark == '=' && ts[i + 2].mark != '=') {
                s.target = word(p, ts[i]);
                s.valueFrom = i + 2;
            }
        }
        const int self = static_cast<int>(p.stmts.size());
        if (s.kind == StmtKind::ElseIf || s.kind == StmtKind::Else) {
            if (open.empty()) return false;
            const Stmt& branch = p.stmts[open.back()];
            if (branch.kind != StmtKind::If && branch.kind != StmtKind::ElseIf) return false;
            s.chain = branch.chain >= 0 ? branch.chain : open.back();
            s.parent = branch.parent;
            open.back() = self;
            if (s.closed) open.pop_back();
        } else if (s.kind == StmtKind::End) {
            if (open.empty()) return false;
            open.pop_back();
        } else if ((s.kind == StmtKind::If || s.kind == StmtKind::Loop || s.kind == StmtKind::Function) && !s.closed) {
            open.push_back(self);
        }
        p.stmts.push_back(s);
    }
    return open.empty();
}

// Functions of the program: the header statement, the name, and the names it takes.
struct Function {
    int at = -1;
    std::string name;
    std::vector<std::string> params;
    int last = -1;       // the last statement of its body: the body is statements at+1 … last
    bool gives = false;  // a «вернуть» with a value somewhere in its body
};

// What every statement check reads, gathered once per program.
struct Facts {
    int n = 0;                  // the number of statements
    std::vector<int> holders;   // the block each statement sits in, -1 at the top
    std::string askWord, askNumber, indexOf, includes, slice;  // learner's words; empty when the table lacks one
    std::vector<Function> functions;
    std::vector<bool> chained;  // an «если» with an «иначе» or «иначе если» of its own
    // Each name with the statements that set it («имя = …») and those that read it (as `reads`
    // tells), in text order: a check asks here, not every statement again.
    std::map<std::string, std::vector<int>> setters, readers;
};

// The statements that set `name`, or that read it, in text order.
const std::vector<int>& settersOf(const Facts& facts, const std::string& name) {
    static const std::vector<int> none;
    const auto found = facts.setters.find(name);
    return found == facts.setters.end() ? none : found->second;
}
const std::vector<int>& readersOf(const Facts& facts, const std::string& name) {
    static const std::vector<int> none;
    const auto found = facts.readers.find(name);
    return found == facts.readers.end() ? none : found->second;
}
// Whether a statement other than `except` sets `name`.
bool setsAnywhere(const Facts& facts, const std::string& name, int except) {
    for (const int k : settersOf(facts, name))
        if (k != except) return true;
    return false;
}
// Whether a statement before i sets `name`.
bool setBefore(const Facts& facts, const std::string& name, int i) {
    const std::vector<int>& sets = settersOf(facts, name);
    return !sets.empty() && sets.front() < i;
}
// The last statement before i that sets `name`, or -1.
int lastSetBefore(const Facts& facts, const std::string& name, int i) {
    int last = -1;
    for (const int k : settersOf(facts, name))
        if (k < i) last = k;
    return last;
}

// Statements directly in the block of header h (its own branch only), in order.
std::vector<int> body(const Program& p, const Facts& facts, int h) {
    std::vector<int> out;
    for (int i = h + 1; i < facts.n; ++i)
        if (facts.holders[i] == h && p.stmts[i].kind != StmtKind::End && p.stmts[i].kind != StmtKind::Else &&
            p.stmts[i].kind != StmtKind::ElseIf)
            out.push_back(i);
    return out;
}
// Whether statement i stands inside the block of header h, in any of its branches.
bool within(const Program& p, const Facts& facts, int i, int h) {
    for (int k = facts.holders[i]; k >= 0; k = facts.holders[k]) {
        if (k == h) return true;
        if (p.stmts[k].chain == h) return true;
    }
    return false;
}

// The nearest header of the given kind around statement i, or -1.
int ancestor(const Program& p, const Facts& facts, int i, StmtKind kind) {
    for (int k = facts.holders[i]; k >= 0; k = facts.holders[k])
        if (p.stmts[k].kind == kind) return k;
    return -1;
}

// The block header nearest around statement i of the given kind, stopping at a function; -1 when none.
int nearestAround(const Program& p, const Facts& facts, int i, StmtKind kind) {
    for (int k = facts.holders[i]; k >= 0; k = facts.holders[k]) {
        if (p.stmts[k].kind == kind) return k;
        if (p.stmts[k].kind == StmtKind::Function) return -1;
    }
    return -1;
}

bool enclosingFunction(const Program& p, const Facts& facts, int i) { return ancestor(p, facts, i, StmtKind::Function) >= 0; }

// The last statement inside the block of header h.
int lastInBlock(const Program& p, const Facts& facts, int h) {
    int last = h;
    for (int k = h + 1; k < facts.n && within(p, facts, k, h); ++k) last = k;
    return last;
}

// The first statement after the block of header h, in the block that holds h; -1 when none.
int afterBlock(const Program& p, const Facts& facts, int h) {
    for (int k = h + 1; k < facts.n; ++k)
        if (facts.holders[k] == facts.holders[h] && p.stmts[k].kind != StmtKind::End) return k;
    return -1;
}

bool readsAt(const Program& p, const std::vector<Token>& ts, std::size_t i, const std::string& name) {
    return isWord(p, ts[i], name) && !(i > 0 && ts[i - 1].mark == '.');
}
// Whether the statement reads `name` (the name it sets is not read; its value and index are).
bool reads(const Program& p, const Stmt& s, const std::string& name) {
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t i = s.target.empty() ? 0 : s.valueFrom; i < ts.size(); ++i)
        if (readsAt(p, ts, i, name)) return true;
    return false;
}

// «имя = x»: the value's one token, or null when the statement sets nothing or its value is more.
const Token* valueToken(const Program& p, const Stmt& s) {
    const std::vector<Token>& ts = tokensOf(p, s);
    return !s.target.empty() && ts.size() == s.valueFrom + 1 ? &ts[s.valueFrom] : nullptr;
}
// The value of `s` is exactly the word `w` («x = 0»).
bool valueIs(const Program& p, const Stmt& s, const std::string& w) {
    const Token* v = valueToken(p, s);
    return v && word(p, *v) == w;
}
// «имя = a ЗНАК b», `sign` one mark and `a`, `b` words (names or whole numbers): reads `a` and `b`.
bool binaryValue(const Program& p, const Stmt& s, std::uint32_t sign, std::string& a, std::string& b) {
    const std::vector<Token>& ts = tokensOf(p, s);
    if (s.target.empty() || ts.size() != s.valueFrom + 3 || ts[s.valueFrom].mark != 0 || ts[s.valueFrom + 1].mark != sign ||
        ts[s.valueFrom + 2].mark != 0)
        return false;
    a = word(p, ts[s.valueFrom]), b = word(p, ts[s.valueFrom + 2]);
    return true;
}
// The value of `s` is exactly the tokens `a`, `sign`, `b` (names or a number) in this order.
bool valueIs(const Program& p, const Stmt& s, const std::string& a, std::uint32_t sign, const std::string& b) {
    std::string x, y;
    return binaryValue(p, s, sign, x, y) && x == a && y == b;
}

bool declares(const Program& p, const Stmt& s) {
    const rules::RuleWords* r = ruleAt(p.c, tokensOf(p, s), 0, p.v);
    return r && r->role == rules::WordRole::Declaration && !r->declares.empty();
}

// The text of tokens [from, to) as written, "" for an empty or outside span.
std::string shown(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to) {
    return from < to && to <= ts.size() ? textOf(p.c, ts[from].from, ts[to - 1].to) : "";
}
std::string shown(const Program& p, const Stmt& s, std::size_t from, std::size_t to) { return shown(p, tokensOf(p, s), from, to); }
std::string lineText(const Program& p, const Stmt& s) { return shown(p, s, 0, tokensOf(p, s).size()); }

void add(const Program& p, const Stmt& s, HintKind kind, const std::string& message, std::vector<std::string> named,
         std::vector<Hint>& out) {
    const std::vector<Token>& ts = tokensOf(p, s);
    out.push_back(naming(at(lineOf(p, s), kind, message, p.c, ts.front().from, ts.back().to), std::move(named)));
}
std::string num(std::uint32_t n) { return std::to_string(n); }

// The sign a comparison word or signs write at token i ("==", ">", "<=", "==="…) and the tokens it takes.
std::string signAt(const Program& p, const std::vector<Token>& ts, std::size_t i, std::size_t& taken) {
    const rules::RuleWords* r = ruleAt(p.c, ts, i, p.v);
    if (r && r->role == rules::WordRole::Comparison) {
        taken = r->words.size();
        return replacementOf(p.table, *r);
    }
    std::string sign;
    taken = 0;
    for (std::size_t k = i; k < ts.size() && (ts[k].mark == '=' || ts[k].mark == '<' || ts[k].mark == '>' || ts[k].mark == '!'); ++k) {
        if (k > i && ts[k].from != ts[k - 1].to) break;
        sign += static_cast<char>(ts[k].mark);
        ++taken;
    }
    return sign;
}

// A condition «имя ЗНАК число» as the numbers it lets through.
struct Range {
    bool valid = false;
    std::string name;
    double lo = -1e300, hi = 1e300;
    bool loIn = false, hiIn = false;
};

// The tokens a number written at i takes ("5", "-3", "2.5"), 0 when none is written there.
std::size_t numberAt(const Program& p, const std::vector<Token>& ts, std::size_t i, std::size_t end, double& value) {
    const std::size_t start = i;
    const bool minus = i < end && ts[i].mark == '-';
    if (minus) ++i;
    if (i >= end || !isDigits(p.c, ts[i])) return 0;
    std::string digits = word(p, ts[i++]);
    // "2.5": the point and the digits after it written close, not «x.длина» or "2 . 5".
    if (i + 1 < end && ts[i].mark == '.' && ts[i].from == ts[i - 1].to && ts[i + 1].from == ts[i].to && isDigits(p.c, ts[i + 1]))
        digits += "." + word(p, ts[i + 1]), i += 2;
    if (digits.size() > 100) return 0;  // far beyond a learner's numbers; stod throws out of a double's range
    value = std::stod(digits) * (minus ? -1 : 1);
    return i - start;
}
bool number(const Program& p, const std::vector<Token>& ts, std::size_t i, std::size_t end, double& value) {
    const std::size_t taken = numberAt(p, ts, i, end, value);
    return taken && i + taken == end;
}

bool isNotEqual(const std::string& sign) { return sign == "!=" || sign == "!=="; }

// Whether `left sign right` holds, for the signs of a comparison; `read` is false for another sign.
bool holds(const std::string& sign, double left, double right, bool& read) {
    read = true;
    if (sign == "==" || sign == "===") return left == right;
    if (sign == "!=" || sign == "!==") return left != right;
    if (sign == "<") return left < right;
    if (sign == "<=") return left <= right;
    if (sign == ">") return left > right;
    if (sign == ">=") return left >= right;
    read = false;
    return false;
}

// A comparison «имя ЗНАК число» in tokens [from, to): the name, the sign it writes, the number.
struct Compared {
    bool valid = false;
    std::string name, sign;
    double value = 0;
    std::size_t valueAt = 0;  // the number's first token
};

Compared comparedIn(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to) {
    Compared k;
    if (to < from + 3 || !isPlainName(p.c, ts[from], p.v, ts, from)) return k;
    std::size_t taken = 0;
    k.sign = signAt(p, ts, from + 1, taken);
    k.valueAt = from + 1 + taken;
    if (!taken || !number(p, ts, k.valueAt, to, k.value)) return k;
    k.name = word(p, ts[from]);
    k.valid = true;
    return k;
}

// The numbers a comparison lets through; invalid for "!=" (all but one) and for signs it cannot read.
Range rangeFrom(const Compared& k) {
    Range r;
    if (!k.valid) return r;
    r.name = k.name;
    if (k.sign == ">" || k.sign == ">=") r.lo = k.value, r.loIn = k.sign == ">=";
    else if (k.sign == "<" || k.sign == "<=") r.hi = k.value, r.hiIn = k.sign == "<=";
    else if (k.sign == "==" || k.sign == "===") r.lo = r.hi = k.value, r.loIn = r.hiIn = true;
    else return r;
    r.valid = true;
    return r;
}

Range rangeOf(const Program& p, const Stmt& s) { return rangeFrom(comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo)); }
// Every number `a` lets through, `b` lets through too.
bool subRange(const Range& a, const Range& b) {
    const bool lo = a.lo > b.lo || (a.lo == b.lo && (b.loIn || !a.loIn));
    const bool hi = a.hi < b.hi || (a.hi == b.hi && (b.hiIn || !a.hiIn));
    return a.valid && b.valid && a.name == b.name && lo && hi;
}
bool lets(const Range& r, double x) {
    return (x > r.lo || (x == r.lo && r.loIn)) && (x < r.hi || (x == r.hi && r.hiIn));
}

// The rule at token i when it is the table's «не» ("!"), or null.
const rules::RuleWords* negationAt(const Program& p, const std::vector<Token>& ts, std::size_t i) {
    const rules::RuleWords* r = ruleAt(p.c, ts, i, p.v);
    return r && r->role == rules::WordRole::Logic && replacementOf(p.table, *r) == "!" ? r : nullptr;
}

// A header with a condition: «если», «иначе если», a loop.
bool hasCondition(const Stmt& s) { return s.kind == StmtKind::If || s.kind == StmtKind::ElseIf || s.kind == StmtKind::Loop; }

bool hasWord(const Program& p, const Stmt& s, const std::string& w) {
    for (const Token& t : tokensOf(p, s))
        if (isWord(p, t, w)) return true;
    return false;
}
bool hasRole(const Program& p, const Stmt& s, rules::WordRole role) {
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t i = 0; i < ts.size(); ++i) {
        const rules::RuleWords* r = ruleAt(p.c, ts, i, p.v);
        if (r && r->role == role) return true;
    }
    return false;
}

Facts factsOf(const Program& p) {
    Facts f;
    f.n = static_cast<int>(p.stmts.size());
    f.holders.resize(f.n);
    for (int i = 0; i < f.n; ++i)
        f.holders[i] = p.stmts[i].parent;  // read with the blocks; a branch sits where its «если» does
    f.chained.assign(f.n, false);
    for (const Stmt& s : p.stmts)
        if (s.chain >= 0) f.chained[s.chain] = true;
    f.askWord = reverseOf(p.v, "prompt");
    f.askNumber = reverseOf(p.v, "__LUM__.askNumber");
    f.indexOf = reverseOf(p.v, "indexOf");
    f.includes = reverseOf(p.v, "includes");
    f.slice = reverseOf(p.v, "slice");
    for (int i = 0; i < f.n; ++i) {
        const Stmt& s = p.stmts[i];
        const std::vector<Token>& ts = tokensOf(p, s);
        if (!s.target.empty()) f.setters[s.target].push_back(i);
        for (std::size_t k = s.target.empty() ? 0 : s.valueFrom; k < ts.size(); ++k)
            if (ts[k].mark == 0 && !(k > 0 && ts[k - 1].mark == '.')) {  // as readsAt reads
                std::vector<int>& r = f.readers[word(p, ts[k])];
                if (r.empty() || r.back() != i) r.push_back(i);
            }
        if (s.kind != StmtKind::Function || ts.size() < 3 || ts[2].mark != '(') continue;
        Function fn{i, word(p, ts[1]), {}};
        for (std::size_t k = 3; k < ts.size() && ts[k].mark != ')'; ++k)
            if (ts[k].mark == 0) fn.params.push_back(word(p, ts[k]));
        fn.last = lastInBlock(p, f, i);
        for (int k = i + 1; k <= fn.last; ++k) {
            const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
            fn.gives = fn.gives || (isWord(p, kt[0], p.returnWord) && kt.size() > 1);
        }
        f.functions.push_back(fn);
    }
    return f;
}

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

// An «иначе если» whose numbers all pass an earlier condition of its chain: it never runs.
void elseIfNeverRuns(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind == StmtKind::ElseIf) {
        const Range mine = rangeOf(p, s);
        for (int k = s.chain; k >= 0 && k < i && mine.valid; ++k) {
            if (p.stmts[k].chain != s.chain && k != s.chain) continue;
            const Range earlier = rangeOf(p, p.stmts[k]);
            if (!subRange(mine, earlier)) continue;
            add(p, s, HintKind::BranchFlow,
                "эта ветка никогда не выполнится: когда верно «" + shown(p, s, s.condFrom, s.condTo) + "», верно и «" +
                    shown(p, p.stmts[k], p.stmts[k].condFrom, p.stmts[k].condTo) + "» на строке " + num(lineOf(p, p.stmts[k])) +
                    ", и выполняется та ветка. Поставьте более строгое условие первым",
                {shown(p, s, s.condFrom, s.condTo)}, out);
            break;
        }
    }
}

// ---- A condition true or false whatever the program's values: its own constants decide it. ----

// Tokens [from, to) without the brackets that hold them whole.
void unwrap(const std::vector<Token>& ts, std::size_t& from, std::size_t& to) {
    while (to >= from + 2 && ts[from].mark == '(' && ts[to - 1].mark == ')' && wholeInBrackets(ts, from, to)) ++from, --to;
}

// A condition cut at its «и» or its «или» outside brackets. Both kinds in one condition leave it
// uncut (which binds first is not read here); a comparison's own words («больше или равно») never cut.
struct Joined {
    std::string joint;                                   // "&&" or "||"; "" with one part
    std::vector<std::pair<std::size_t, std::size_t>> parts;  // token spans, brackets around each taken off
    std::size_t jointFrom = 0, jointTo = 0;              // the first joining word or signs
};

Joined joinedIn(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to) {
    Joined j;
    unwrap(ts, from, to);
    std::size_t start = from;
    int depth = 0;
    for (std::size_t i = from; i < to;) {
        const std::uint32_t m = ts[i].mark;
        if (m == '(' || m == '[') ++depth;
        if (m == ')' || m == ']') --depth;
        std::string joint;
        std::size_t width = 0;
        const rules::RuleWords* r = m == 0 ? ruleAt(p.c, ts, i, p.v) : nullptr;
        if (r && r->role == rules::WordRole::Logic) {
            joint = replacementOf(p.table, *r);
            width = r->words.size();
        } else if ((m == '&' || m == '|') && i + 1 < to && ts[i + 1].mark == m && ts[i + 1].from == ts[i].to) {
            joint = m == '&' ? "&&" : "||";
            width = 2;
        }
        if (depth != 0 || (joint != "&&" && joint != "||")) {
            i += r ? r->words.size() : 1;
            continue;
        }
        if (!j.joint.empty() && j.joint != joint) return {};
        if (j.joint.empty()) j.jointFrom = i, j.jointTo = i + width;
        j.joint = joint;
        j.parts.push_back({start, i});
        i += width;
        start = i;
    }
    j.parts.push_back({start, to});
    for (auto& [a, b] : j.parts) {
        if (a >= b) return {};
        unwrap(ts, a, b);
    }
    return j;
}

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

// Two «если» in a row, both printing, where the first's numbers all pass the second.
void twoIfsBothRun(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::uint32_t line = lineOf(p, s);
    if (s.kind == StmtKind::If && s.chain < 0) {
        const int next = afterBlock(p, facts, i);
        const Range a = rangeOf(p, s);
        if (next >= 0 && !facts.chained[i] && p.stmts[next].kind == StmtKind::If && a.valid) {
            const bool nextChained = facts.chained[next];
            const Range b = rangeOf(p, p.stmts[next]);
            bool setsInBetween = false;
            for (int k = i; k < next; ++k) setsInBetween = setsInBetween || p.stmts[k].target == a.name;
            bool firstPrints = hasRole(p, s, rules::WordRole::Output), secondPrints = hasRole(p, p.stmts[next], rules::WordRole::Output);
            for (int k : body(p, facts, i)) firstPrints = firstPrints || hasRole(p, p.stmts[k], rules::WordRole::Output);
            for (int k : body(p, facts, next)) secondPrints = secondPrints || hasRole(p, p.stmts[k], rules::WordRole::Output);
            if (!nextChained && subRange(a, b) && !setsInBetween && firstPrints && secondPrints)
                add(p, p.stmts[next], HintKind::BranchFlow,
                    "когда верно «" + shown(p, s, s.condFrom, s.condTo) + "» (строка " + num(line) + "), верно и «" +
                        shown(p, p.stmts[next], p.stmts[next].condFrom, p.stmts[next].condTo) +
                        "»: выполнятся оба «" + p.ifWord + "», и выведутся оба ответа. Если нужен один, пишите «" +
                        p.elseWord + " " + p.ifWord + "»",
                    {p.ifWord}, out);
        }
    }
}

// A «пока» whose condition is false with the number its name got just before it.
void loopNeverRuns(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<int>& holders = facts.holders;
    if (s.kind == StmtKind::Loop && holders[i] < 0) {
        const Range r = rangeOf(p, s);
        for (int k = i - 1; k >= 0 && r.valid; --k) {
            if (holders[k] != holders[i] && p.stmts[k].kind != StmtKind::End) continue;
            if (p.stmts[k].kind != StmtKind::Other) break;
            if (p.stmts[k].target != r.name) continue;
            const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
            double value = 0;
            if (number(p, kt, p.stmts[k].valueFrom, kt.size(), value) && !lets(r, value))
                add(p, s, HintKind::LoopFlow,
                    "цикл не выполнится ни разу: перед ним «" + lineText(p, p.stmts[k]) + "» (строка " +
                        num(lineOf(p, p.stmts[k])) + "), а условие «" + shown(p, s, s.condFrom, s.condTo) +
                        "» при этом ложно",
                    {r.name}, out);
            break;
        }
    }
}

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
        const bool declaredBefore = setBefore(facts, reset.target, i);
        for (std::size_t b = a + 1; b < inner.size() && declaredBefore; ++b) {
            const Stmt& grow = p.stmts[inner[b]];
            // A loop inside that counts with the name: the number is that loop's start, not a total.
            if (grow.kind == StmtKind::Loop && reads(p, grow, reset.target)) break;
            const std::vector<Token>& gt = tokensOf(p, grow);
            if (grow.target == reset.target && gt.size() > grow.valueFrom + 2 && isWord(p, gt[grow.valueFrom], grow.target) &&
                (gt[grow.valueFrom + 1].mark == '+' || gt[grow.valueFrom + 1].mark == '*' || gt[grow.valueFrom + 1].mark == '-')) {
                add(p, reset, HintKind::LoopFlow,
                    "«" + lineText(p, reset) + "» стоит внутри цикла и обнуляет «" + reset.target +
                        "» на каждом круге, поэтому от прошлых кругов в ней ничего не остаётся. Поставьте эту строку перед циклом (строка " +
                        num(line) + ")",
                    {reset.target}, out);
                break;
            }
        }
    }
}

// In a loop, «если … то флаг = истина иначе флаг = ложь»: only the last element decides.
void flagSetInElse(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int n = facts.n;
    if (s.kind != StmtKind::Loop) return;
    const std::vector<int> inner = body(p, facts, i);
    for (int h : inner) {
        const Stmt& branch = p.stmts[h];
        if (branch.kind != StmtKind::If) continue;
        int other = -1;
        for (int k = h + 1; k < n; ++k)
            if (p.stmts[k].chain == h) {
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
        if (flags && setBefore(facts, x.target, i))
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
    const int n = facts.n;
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
        if (last.kind == StmtKind::If) {
            const int h = inner.back();
            int other = -1;
            bool allLeave = true;
            std::vector<int> heads = {h};
            for (int k = h + 1; k < n; ++k)
                if (p.stmts[k].chain == h) heads.push_back(k), other = p.stmts[k].kind == StmtKind::Else ? k : other;
            for (int b : heads) {
                const std::vector<int> bb = body(p, facts, b);
                allLeave = allLeave && !bb.empty() && leaves(p.stmts[bb.back()]);
            }
            if (other >= 0 && allLeave) told = body(p, facts, other).back();
        }
        if (told >= 0) {
            const std::string w = word(p, tokensOf(p, p.stmts[told])[0]);
            add(p, p.stmts[told], HintKind::LoopFlow,
                "с этим «" + w + "» цикл (строка " + num(line) +
                    ") выходит уже на первом круге: до второго элемента он не дойдёт. Если это ответ на случай «не нашли», перенесите его после «" + p.endWord + "» цикла",
                {w}, out);
        }
    }
}

// ---- Loops over input and lists: the value that ends the input taken as data, a minimum or a
// maximum that starts where the numbers never reach, round brackets for an element's number. ----

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
    if (s.kind != StmtKind::If || s.closed || facts.chained[h]) return "";
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
    const std::string why = ", которым кончается ввод: «" + head->phrase + "» проверяет «" + shown(p, s, k, s.condTo) +
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
        if (!valueIs(p, p.stmts[start], "0")) continue;
        std::vector<double> listed = values;
        const bool fixed = known || (!walked.empty() && fixedList(p, facts, walked, listed));
        if (fixed && listed.empty()) return;  // a list with no numbers: the loop never runs
        const bool anyNotPositive = std::any_of(listed.begin(), listed.end(), [](double v) { return v <= 0; });
        const bool allNegative = !listed.empty() && std::all_of(listed.begin(), listed.end(), [](double v) { return v < 0; });
        const std::string first = walked.empty() ? "первого числа" : "первого элемента: «" + kept + " = " + walked + "[0]»";
        const std::string test = shown(p, branch, branch.condFrom, branch.condTo);
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
        return;
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

// A call of a function of the program alone on its line, when the function only computes a value.
void resultDropped(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::vector<Function>& functions = facts.functions;
    if (s.kind == StmtKind::Other && s.target.empty() && ts.size() >= 3 && ts[0].mark == 0 && ts[1].mark == '(' &&
        ts.back().mark == ')') {
        for (const Function& f : functions) {
            if (f.name != word(p, ts[0])) continue;
            bool quiet = true;
            for (int k = f.at + 1; k <= f.last; ++k) {
                const Stmt& t = p.stmts[k];
                const std::vector<Token>& tt = tokensOf(p, t);
                quiet = quiet && !hasRole(p, t, rules::WordRole::Output) && !hasRole(p, t, rules::WordRole::Drawing) &&
                        !hasRole(p, t, rules::WordRole::Function);
                for (std::size_t j = 0; j + 2 < tt.size(); ++j)
                    if (tt[j + 1].mark == '.') {
                        const rules::RuleWords* m = ruleAt(p.c, tt, j + 2, p.v);
                        quiet = quiet && !(m && changesValue(*m));
                    }
                if (!t.target.empty()) {
                    bool own = std::find(f.params.begin(), f.params.end(), t.target) != f.params.end();
                    for (int d = f.at + 1; d <= k; ++d)
                        own = own || (p.stmts[d].target == t.target && tokensOf(p, p.stmts[d])[0].mark == 0 &&
                                      ruleAt(p.c, tokensOf(p, p.stmts[d]), 0, p.v) != nullptr);
                    quiet = quiet && own;
                }
                for (const Function& g : functions) quiet = quiet && !(g.name != f.name && hasWord(p, t, g.name));
            }
            if (f.gives && quiet)
                add(p, s, HintKind::FunctionFlow,
                    "результат «" + lineText(p, s) + "» никуда не положен: функция «" + f.name + "» (строка " +
                        num(lineOf(p, p.stmts[f.at])) + ") только вычисляет значение и отдаёт его словом «" + p.returnWord +
                        "», а здесь оно теряется. Положите его в переменную (… = " + lineText(p, s) + ") или выведите",
                    {f.name}, out);
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
                if (r < k && reads(p, p.stmts[r], formula.target)) break;  // read before the change: meant
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
        if (indexed && !other)
            add(p, start, HintKind::LoopFlow,
                "номера элементов «" + list + "» начинаются с 0, а «" + start.target + "» начинается с 1: первый элемент " + list +
                    "[0] цикл на строке " + num(lineOf(p, loop)) + " пропускает. Начните с «" + start.target + " = 0»",
                {start.target}, out);
    }
}

// Parameters: never read while the body reads a name of the program; or overwritten before read.
void unusedParameter(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const std::vector<Function>& functions = facts.functions;
    for (const Function& f : functions) {
        std::vector<int> inner;
        for (int k = f.at + 1; k <= f.last; ++k) inner.push_back(k);
        for (const std::string& param : f.params) {
            int firstUse = -1;
            for (int k : inner)
                if (reads(p, p.stmts[k], param) || p.stmts[k].target == param) {
                    firstUse = k;
                    break;
                }
            if (firstUse >= 0 && p.stmts[firstUse].target == param && !reads(p, p.stmts[firstUse], param)) {
                add(p, p.stmts[firstUse], HintKind::FunctionFlow,
                    "параметр «" + param + "» получает значение при вызове «" + f.name + "», а эта строка сразу его заменяет: переданное в вызове значение не используется",
                    {param}, out);
                continue;
            }
            if (firstUse >= 0 || f.params.size() != 1) continue;
            // The first line of the body that reads a name set outside every function.
            for (int k : inner) {
                std::string outer;
                for (std::size_t j = 0; j < tokensOf(p, p.stmts[k]).size() && outer.empty(); ++j) {
                    const Token& t = tokensOf(p, p.stmts[k])[j];
                    if (t.mark != 0 || (j > 0 && tokensOf(p, p.stmts[k])[j - 1].mark == '.')) continue;
                    const std::string w = word(p, t);
                    for (const int d : settersOf(facts, w))
                        if (!within(p, facts, d, f.at) && !enclosingFunction(p, facts, d) &&
                            (p.stmts[k].target.empty() || j >= p.stmts[k].valueFrom))
                            outer = w;
                }
                if (outer.empty()) continue;
                add(p, p.stmts[k], HintKind::FunctionFlow,
                    "функция «" + f.name + "» не читает свой параметр «" + param + "» (строка " + num(lineOf(p, p.stmts[f.at])) +
                        "), а берёт «" + outer + "» снаружи: что ни передай в вызове, результат тот же. Может быть, здесь нужно «" +
                        param + "» вместо «" + outer + "»?",
                    {param, outer}, out);
                break;
            }
        }
    }
}

// ---- Functions as a whole: one never called, a call that gives its parameters' own names in
// another order, a value given on one path only. ----

// A call «имя(…)» of a function of the program: the statement, the name's token, its ")".
struct Call {
    int stmt = 0;
    std::size_t name = 0, close = 0;  // close: tokens.size() when the call runs past its line
    const Function* function = nullptr;
};

// Every call of a function defined once in the program, in text order; the headers are not calls.
std::vector<Call> callsOf(const Program& p, const Facts& facts) {
    std::map<std::string, const Function*> byName;
    for (const Function& f : facts.functions) {
        const auto [slot, fresh] = byName.emplace(f.name, &f);
        if (!fresh) slot->second = nullptr;  // defined twice: which one a call reaches is left alone
    }
    std::vector<Call> calls;
    for (int i = 0; i < facts.n && !byName.empty(); ++i) {
        const std::vector<Token>& ts = tokensOf(p, p.stmts[i]);
        for (std::size_t j = 0; j + 1 < ts.size(); ++j) {
            if (ts[j].mark != 0 || ts[j + 1].mark != '(' || (j > 0 && ts[j - 1].mark == '.') ||
                (j == 1 && p.stmts[i].kind == StmtKind::Function))
                continue;
            const auto f = byName.find(word(p, ts[j]));
            if (f != byName.end() && f->second) calls.push_back({i, j, closingOf(ts, j + 1), f->second});
        }
    }
    return calls;
}

// Adds to `counts` each time one of its names stands as a whole word in chars [0, n); with
// regions, comments are left out (a commented-out call is no call), text and templates are read.
void countWords(const std::uint32_t* c, std::size_t n, const translator::SourceRegions* regions,
                std::map<std::string, int>& counts) {
    std::size_t s = 0;
    for (std::size_t q = 0; q < n;) {
        while (regions && s < regions->stretches.size() && regions->stretches[s].to <= q) ++s;
        if (regions && s < regions->stretches.size() && regions->stretches[s].from <= q &&
            regions->stretches[s].region == translator::Region::Comment) {
            q = regions->stretches[s].to;
            continue;
        }
        if (!translator::isWordCode(c[q])) {
            ++q;
            continue;
        }
        std::size_t e = q + 1;
        while (e < n && translator::isWordCode(c[e])) ++e;
        const auto found = counts.find(textOf(c, q, e));
        if (found != counts.end()) ++found->second;
        q = e;
    }
}

// A function whose name stands nowhere but in its header: not called, not handed on, not in text,
// a template or a library. Told only when the program does something besides defining functions
// and names: a file of functions alone is a library, called from elsewhere.
void uncalledFunction(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    if (facts.functions.empty() || !p.input || !p.regions) return;
    bool runs = false;
    for (int i = 0; i < facts.n && !runs; ++i) {
        const Stmt& s = p.stmts[i];
        if (facts.holders[i] >= 0 || s.kind == StmtKind::Function) continue;
        const rules::RuleWords* first = ruleAt(p.c, tokensOf(p, s), 0, p.v);
        runs = !(first && first->role == rules::WordRole::Declaration);
    }
    if (!runs) return;
    std::map<std::string, int> counts;
    for (const Function& f : facts.functions) counts[f.name] = 0;
    const base::CodeText& text = p.input->source;
    countWords(text.chars.data(), text.chars.size(), p.regions, counts);
    countWords(p.input->libraries.data(), p.input->libraries.size(), nullptr, counts);
    for (const Function& f : facts.functions) {
        if (counts[f.name] != 1) continue;
        const Stmt& header = p.stmts[f.at];
        const Token& name = tokensOf(p, header)[1];
        const std::string call = f.name + (f.params.empty() ? "()" : "(…)");
        out.push_back(naming(at(lineOf(p, header), HintKind::FunctionFlow,
                                "функция «" + f.name + "» нигде не вызвана: её команды не выполнятся. Вызовите её: «" + call + "»",
                                p.c, name.from, name.to),
                             {f.name}));
    }
}

// «площадь(высота, ширина)» for «функция площадь(ширина, высота)»: the arguments are the
// parameters' own names in another order, and the values go by their places. Left alone inside
// the function itself and inside a function that takes the same names: a swap there is its work.
void argumentsSwapped(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (const Call& call : callsOf(p, facts)) {
        const Function& f = *call.function;
        const std::vector<Token>& ts = tokensOf(p, p.stmts[call.stmt]);
        if (f.params.size() < 2 || call.close == ts.size()) continue;
        std::vector<std::string> args;
        bool plain = true;
        for (std::size_t k = call.name + 2; k < call.close && plain; k += 2) {
            plain = isPlainName(p.c, ts[k], p.v, ts, k) && (ts[k + 1].mark == ',' || k + 1 == call.close);
            args.push_back(word(p, ts[k]));
        }
        if (!plain || args == f.params || !std::is_permutation(args.begin(), args.end(), f.params.begin(), f.params.end()))
            continue;
        std::vector<std::string> distinct = f.params;
        std::sort(distinct.begin(), distinct.end());
        if (std::adjacent_find(distinct.begin(), distinct.end()) != distinct.end()) continue;
        const int owner = ancestor(p, facts, call.stmt, StmtKind::Function);
        bool same = owner == f.at;
        for (const Function& g : facts.functions)
            if (g.at == owner && owner >= 0)
                same = same || std::all_of(args.begin(), args.end(), [&](const std::string& a) {
                           return std::find(g.params.begin(), g.params.end(), a) != g.params.end();
                       });
        if (same) continue;
        std::string moves, meant;
        for (std::size_t k = 0; k < args.size(); ++k) {
            meant += (k ? ", " : "") + f.params[k];
            if (args[k] != f.params[k]) moves += std::string(moves.empty() ? "" : ", ") + "«" + args[k] + "» попадёт в параметр «" + f.params[k] + "»";
        }
        const std::string shownCall = textOf(p.c, ts[call.name].from, ts[call.close].to);
        out.push_back(naming(at(lineOf(p, p.stmts[call.stmt]), HintKind::FunctionFlow,
                                "в вызове «" + shownCall + "» значения попадают в параметры по порядку, а не по именам: " + moves +
                                    " (функция «" + f.name + "», строка " + num(lineOf(p, p.stmts[f.at])) +
                                    "). Если значения должны попасть в одноимённые параметры, пишите «" + f.name + "(" + meant + ")»",
                                p.c, ts[call.name].from, ts[call.close].to),
                             {f.name}));
    }
}

// Whether some number passes none of the branches' conditions: each «имя ЗНАК число» of one name,
// tried at every bound, between bounds and beyond them. A condition of another shape: false.
bool missesSome(const Program& p, const std::vector<int>& branches) {
    std::vector<Range> ranges;
    std::vector<double> bounds;
    for (int b : branches) {
        ranges.push_back(rangeOf(p, p.stmts[b]));
        const Range& r = ranges.back();
        if (!r.valid || r.name != ranges.front().name) return false;
        for (const double x : {r.lo, r.hi})
            if (x > -1e300 && x < 1e300) bounds.push_back(x);
    }
    std::sort(bounds.begin(), bounds.end());
    std::vector<double> tried = {bounds.empty() ? 0 : bounds.front() - 1, bounds.empty() ? 0 : bounds.back() + 1};
    for (std::size_t k = 0; k < bounds.size(); ++k) {
        tried.push_back(bounds[k]);
        if (k + 1 < bounds.size()) tried.push_back((bounds[k] + bounds[k + 1]) / 2);
    }
    for (const double x : tried)
        if (std::none_of(ranges.begin(), ranges.end(), [&](const Range& r) { return lets(r, x); })) return true;
    return false;
}

// A function whose result is used while its «вернуть» all stand inside «если» branches (never
// in «иначе») or inside one loop: on the other path it runs to its «конец» and gives nothing.
// Told at that «конец», where the missing «вернуть» goes. Any shape not read for certain (a bare
// «вернуть», a one-line «если … иначе», a loop on «истина», a «вернуть» in «иначе», conditions
// that may together cover every number) is left alone.
void valueOnOnePath(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const std::string nothing = valueWord(p.v, p.table, "undefined");
    if (nothing.empty() || p.returnWord.empty() || p.endWord.empty()) return;
    const std::vector<int>& holders = facts.holders;
    std::vector<const Function*> used;  // a call outside the function whose value goes somewhere
    for (const Call& call : callsOf(p, facts)) {
        const Stmt& s = p.stmts[call.stmt];
        const bool alone = call.name == 0 && call.close + 1 == tokensOf(p, s).size() && s.kind == StmtKind::Other;
        if (!alone && call.close < tokensOf(p, s).size() && !within(p, facts, call.stmt, call.function->at))
            used.push_back(call.function);
    }
    for (const Function& f : facts.functions) {
        if (std::find(used.begin(), used.end(), &f) == used.end()) continue;
        int end = -1, loop = -1;
        std::vector<int> branches;  // the «если» and «иначе если» lines that hold a «вернуть»
        bool certain = true, direct = false, gives = false;
        for (int k = f.at + 1; k <= f.last && certain; ++k) {
            const Stmt& s = p.stmts[k];
            if (s.kind == StmtKind::End && holders[k] == f.at) end = k;
            if (ancestor(p, facts, k, StmtKind::Function) != f.at) continue;
            const std::vector<Token>& ts = tokensOf(p, s);
            if (hasWord(p, s, "throw") ||
                (s.kind == StmtKind::Loop && s.condTo == s.condFrom + 1 && isWord(p, ts[s.condFrom], p.trueWord)))
                certain = false;
            if (!hasWord(p, s, p.returnWord)) continue;
            const bool returns = isWord(p, ts[0], p.returnWord);
            if ((returns && ts.size() == 1) || (!returns && (!s.closed || hasWord(p, s, p.elseWord)))) certain = false;
            gives = true;
            int top = returns ? holders[k] : k;
            if (top == f.at) direct = true;
            while (top >= 0 && top != f.at && holders[top] != f.at) top = holders[top];
            if (top < 0 || top == f.at) continue;
            const StmtKind kind = p.stmts[top].kind;
            if (kind == StmtKind::Loop && (loop < 0 || loop == top)) loop = top;
            else if ((kind == StmtKind::If || kind == StmtKind::ElseIf) &&
                     std::find(branches.begin(), branches.end(), top) == branches.end())
                branches.push_back(top);
            else certain = false;  // in «иначе», or in a second loop
        }
        if (!certain || direct || !gives || end < 0 || (loop >= 0) == !branches.empty()) continue;
        if (branches.size() > 1 && !missesSome(p, branches)) continue;  // «x > 0» and «x <= 0» leave no other path
        std::string where;
        if (loop >= 0) {
            where = "только изнутри цикла на строке " + num(lineOf(p, p.stmts[loop])) + "; если цикл закончится, не дойдя до «" +
                    p.returnWord + "»,";
        } else {
            std::sort(branches.begin(), branches.end());
            std::string lines;
            for (std::size_t b = 0; b < branches.size(); ++b)
                lines += (b == 0 ? "" : b + 1 == branches.size() ? " и " : ", ") + num(lineOf(p, p.stmts[branches[b]]));
            where = branches.size() == 1 ? "только когда условие на строке " + lines + " верно; иначе"
                                         : "только когда верно одно из условий на строках " + lines + "; иначе";
        }
        add(p, p.stmts[end], HintKind::FunctionFlow,
            "функция «" + f.name + "» отдаёт значение " + where + " она вернёт «" + nothing + "». Допишите «" + p.returnWord +
                "» со значением перед этим «" + p.endWord + "»",
            {p.returnWord}, out);
    }
}

// An answer of «спросить» is text: compared strictly with a number, or with another answer by size.
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
                const int b = other.mark == 0 ? answerOf(word(p, other)) : -1;
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

// ---- Values and names: a name printed in quotes, one counter for two nested loops, a parameter
// changed for nobody, the digits of a number taken with plain division, an average with one pair
// of brackets missing. ----

// Whether statement s changes `name` itself: «name = …», «name += …», «name++».
bool changesName(const Program& p, const Stmt& s, const std::string& name) {
    if (s.target == name) return true;
    const std::vector<Token>& ts = tokensOf(p, s);
    if (ts.size() < 3 || !isWord(p, ts[0], name) || ts[2].from != ts[1].to) return false;
    const std::uint32_t m = ts[1].mark;
    return ((m == '+' || m == '-' || m == '*' || m == '/' || m == '%') && ts[2].mark == '=') ||
           ((m == '+' || m == '-') && ts[2].mark == m);
}

// The name a header's condition starts with when a comparison follows it and no «и», «или», «не»
// joins another condition: «i меньше 5» gives «i»; "" for any other condition.
std::string comparedName(const Program& p, const Stmt& s) {
    const std::vector<Token>& ts = tokensOf(p, s);
    if (s.condTo < s.condFrom + 3 || s.condTo > ts.size() || !isPlainName(p.c, ts[s.condFrom], p.v, ts, s.condFrom))
        return "";
    std::size_t taken = 0;
    if (signAt(p, ts, s.condFrom + 1, taken).empty() || taken == 0) return "";
    for (std::size_t i = s.condFrom; i < s.condTo; ++i) {
        const rules::RuleWords* r = ruleAt(p.c, ts, i, p.v);
        if (r && r->role == rules::WordRole::Logic) return "";
        if (ts[i].mark == '&' || ts[i].mark == '|' || ts[i].mark == '!') return "";
    }
    return word(p, ts[s.condFrom]);
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
    static const std::string countName = "счетчик";
    const std::string countWord = reverseOf(p.v, countName.c_str());
    auto counted = [&](int k) {
        // Every rule of the first words: «повторить» is also a method of text, first in the table.
        return p.stmts[k].kind == StmtKind::Loop &&
               ruleAt(p.c, tokensOf(p, p.stmts[k]), 0, p.v,
                      [](const rules::RuleWords& r) { return produces(r, "__LUM__.countLoop"); }) != nullptr;
    };
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
                if (readsAt(p, ts, t, countName) || readsAt(p, ts, t, countWord)) seen = word(p, ts[t]);
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

// «функция увеличить(x)» … «x = x + 1» … with no «вернуть» of a value and «x» read nowhere after:
// the new value stays inside the function, and the caller's name keeps its old one.
void parameterChangedForNobody(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    const int n = facts.n;
    const std::vector<int>& holders = facts.holders;
    for (const Function& f : facts.functions) {
        if (f.gives) continue;
        std::vector<int> inner;
        for (int k = f.at + 1; k <= f.last; ++k) inner.push_back(k);
        for (const std::string& param : f.params) {
            int change = -1;
            for (int k : inner) {
                const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
                const rules::RuleWords* first = ruleAt(p.c, kt, 0, p.v);
                if (first && first->role == rules::WordRole::Declaration && p.stmts[k].target == param) break;  // its own name from here
                if (changesName(p, p.stmts[k], param)) change = k;
            }
            // The change reads the old value, in the function's own block and in no loop (a loop reads
            // it again on its next round); nothing after it reads the new one.
            if (change < 0 || nearestAround(p, facts, change, StmtKind::Loop) >= 0 || holders[change] != f.at) continue;
            const Stmt& s = p.stmts[change];
            if (s.target == param && !reads(p, s, param)) continue;  // overwritten: told by unusedParameter
            bool readAfter = false;
            for (int k : inner) readAfter = readAfter || (k > change && (reads(p, p.stmts[k], param) || hasWord(p, p.stmts[k], param)));
            if (readAfter) continue;
            // A call alone on its line with one name for the parameter: «увеличить(y)».
            std::string call = "… = " + f.name + "(…)";
            for (int k = 0; k < n; ++k) {
                const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
                if (f.params.size() == 1 && kt.size() == 4 && isWord(p, kt[0], f.name) && kt[1].mark == '(' &&
                    isPlainName(p.c, kt[2], p.v, kt, 2) && kt[3].mark == ')') {
                    call = word(p, kt[2]) + " = " + f.name + "(" + word(p, kt[2]) + ")";
                    break;
                }
            }
            add(p, s, HintKind::FunctionFlow,
                "«" + lineText(p, s) + "» меняет только параметр «" + param + "» внутри функции «" + f.name +
                    "»: функция ничего не возвращает, новое значение «" + param +
                    "» дальше не читается, и переменная, переданная при вызове, не изменится. Верните его — «" +
                    p.returnWord + " " + param + "» в конце функции — и положите результат вызова на место: «" + call + "»",
                {param}, out);
        }
    }
}

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

// ---- Arithmetic checks: a product from 0, a remainder or a division read as divisibility, a truth word in quotes, «добавить» kept as the list, a divisor search from 1, a whole division kept as a fraction. ----

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
                                    "», строка " + num(lineOf(p, p.stmts[grow])) + "): 0, умноженный на любое число, остаётся 0, и «" +
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

// ---- Values lost or never changed: overwritten before read, a total never read, a «пусть» that
// hides the name outside its block, «а = б» before a line that needs both, the element of «для
// каждого» or a letter of a text set. ----

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

// «если … то y = 1 конец» then «y = 2» at once: the value set in the block is replaced before
// anything reads it (an «иначе» forgotten).
void setInIfThenReplaced(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    if (s.kind != StmtKind::If || s.closed || facts.chained[i]) return;
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

using StatementCheck = void (*)(const Program&, const Facts&, int, std::vector<Hint>&);
using WholeCheck = void (*)(const Program&, const Facts&, std::vector<Hint>&);

// Run on each statement in turn, in this order: the findings come out statement by statement.
constexpr StatementCheck statementTable[] = {
    swapLosesValue,  // «а = б» then «б = а»: a swap without a third name
    copyIsSameList,  // «копия = оценки» of a list: one list, two names
    positionAsCondition,  // «позиция(…)» used as yes or no
    notTakesNameAlone,  // «не x равно 5»: «не» binds to «x» alone
    elseIfNeverRuns,  // an «иначе если» shadowed by an earlier condition
    decidedCondition,  // a condition its own constants make always true or always false
    sameBranches,  // an «если» whose «иначе» does the same lines
    twoIfsBothRun,  // two «если» in a row that both print
    loopNeverRuns,  // a «пока» false from the start
    totalResetInLoop,  // a total set to a constant inside the loop
    flagSetInElse,  // a flag reset by «иначе» in a loop
    loopLeavesFirstRound,  // a loop left on its first round
    endMarkerCounted,  // the number that ends the input taken as data
    extremeStartsAtZero,  // a minimum (or a maximum of negatives) that starts at 0
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
    digitsByPlainDivision,  // «n = n / 10» beside «n % 10»: the fraction stays
    averageWithoutBrackets,  // «среднее = а + б / 2»: only «б» is divided
    // Arithmetic checks:
    productStartsAtZero,  // a product that starts at 0 and only multiplies
    quotedTruthWord,  // «"ложь"» in quotes used as a condition
    divisorFromOne,  // a divisor search from 1
    wholeDivisionKept,  // «минуты / 60» beside «минуты % 60»
    // Values lost or never changed:
    totalNeverRead,  // a total counted and never read
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

// A line that starts with a keyword of the table is a command; a value alone is checked.
void valueAlone(const LineView& x, std::vector<Hint>& out) {
    if (!x.first) droppedValue(x.c, x.lines, x.li, x.v, out);
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

void programChecks(const DetectorInput& input, std::vector<Hint>& out) {
    const base::CodeText& text = input.source;
    const std::uint32_t* c = text.chars.data();
    const Table v = tableOf(input.language.vocabulary);
    const translator::SourceRegions regions = translator::scanRegions(c, text.chars.size());
    plainQuotesTemplate(text, regions, out);

    const std::vector<Line> lines = codeLines(text, regions);
    ReturnSeen seen;
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const LineView x{c, lines, li, v, input.language.table, lines[li].tokens, lines[li].number,
                         ruleAt(c, lines[li].tokens, 0, v)};
        neverRunsAfterReturn(x, seen, out);
        for (LineCheck check : lineTable) check(x, out);
    }


    Program program{c, lines, v, input.language.table, {}, keywordOf(v, "if"), keywordOf(v, "else"),
                    keywordOf(v, "function"), v.returnWord, keywordOf(v, "break"), valueWord(v, input.language.table, "true"),
                    valueWord(v, input.language.table, "false")};
    program.input = &input;
    program.regions = &regions;
    const bool ok = readStatements(program);
    // The statement checks look back and ahead over the statements, quadratic at worst: a program
    // longer than any learner writes (a generated one, a megabyte benchmark) goes without them
    // rather than wait seconds for them.
    constexpr std::size_t maxCheckedStatements = 2000;
    if (!program.ifWord.empty() && !program.elseWord.empty() && ok && program.stmts.size() <= maxCheckedStatements)
        statementChecks(program, out);
}

}  // namespace diagnostics
