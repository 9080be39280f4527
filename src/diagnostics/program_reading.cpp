// The reading of a program the statement checks share: lines, statements, facts and readers.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_reading.h"

#include <algorithm>
#include <map>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace diagnostics::programs {

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

const rules::RuleWords* ruleAt(const std::uint32_t* c, const std::vector<Token>& ts, std::size_t i, const Table& table) {
    return ruleAt(c, ts, i, table, [](const rules::RuleWords&) { return true; });
}

bool produces(const rules::RuleWords& r, const char* name) {
    return std::find(r.produces.begin(), r.produces.end(), name) != r.produces.end();
}

bool changesValue(const rules::RuleWords& r) {
    static const char* const names[] = {"pop", "shift", "sort", "reverse", "push", "unshift", "splice", "fill"};
    for (const char* name : names)
        if (produces(r, name)) return true;
    return false;
}

std::size_t closingOf(const std::vector<Token>& ts, std::size_t open, bool* commas) {
    int depth = 0;
    for (std::size_t k = open; k < ts.size(); ++k) {
        if (ts[k].mark == '(' || ts[k].mark == '[' || ts[k].mark == '{') ++depth;
        if ((ts[k].mark == ')' || ts[k].mark == ']' || ts[k].mark == '}') && --depth == 0) return k;
        if (commas && ts[k].mark == ',' && depth == 1) *commas = true;
    }
    return ts.size();
}

std::vector<std::pair<std::size_t, std::size_t>> argumentsAt(const std::vector<Token>& ts, std::size_t open) {
    std::vector<std::pair<std::size_t, std::size_t>> args;
    const std::size_t close = closingOf(ts, open);
    if (close >= ts.size() || close == open + 1) return args;
    std::size_t from = open + 1;
    int depth = 0;
    for (std::size_t k = open + 1; k <= close; ++k) {
        if (ts[k].mark == '(' || ts[k].mark == '[' || ts[k].mark == '{') ++depth;
        if (ts[k].mark == ')' || ts[k].mark == ']' || ts[k].mark == '}') --depth;
        if ((ts[k].mark == ',' && depth == 0) || k == close) {
            args.emplace_back(from, k);
            from = k + 1;
        }
    }
    return args;
}

bool wholeInBrackets(const std::vector<Token>& ts, std::size_t from, std::size_t to) {
    int depth = 0;
    for (std::size_t k = from; k < to; ++k) {
        if (ts[k].mark == '(') ++depth;
        if (ts[k].mark == ')' && --depth == 0 && k + 1 != to) return false;
    }
    return true;
}

bool isPlainName(const std::uint32_t* c, const Token& t, const Table& v, const std::vector<Token>& ts,
                 std::size_t i) {
    return t.mark == 0 && !(c[t.from] >= '0' && c[t.from] <= '9') && ruleAt(c, ts, i, v) == nullptr;
}

Hint at(std::uint32_t line, HintKind kind, const std::string& message, const std::uint32_t* c, std::size_t from,
        std::size_t to, const std::string* fix) {
    return spanned({line, kind, base::onLine(line, message)}, c, from, to, fix);
}

std::string blockEnd(const Table& v) {
    for (const rules::RuleWords& r : v.v.rules)
        if (r.role == rules::WordRole::BlockClose && r.words.size() == 1 && r.opensBrace == 0) return r.phrase;
    return "";
}

std::string roleWord(const Table& v, const std::vector<rules::Rule>& table, rules::WordRole role, const char* js) {
    for (const rules::RuleWords& r : v.v.rules)
        if (r.role == role && table[r.rule].replacement == base::decodeBytes(js)) return r.phrase;
    return "";
}

std::string valueWord(const Table& v, const std::vector<rules::Rule>& table, const char* js) {
    const std::string w = roleWord(v, table, rules::WordRole::Value, js);
    return w.empty() ? keywordOf(v, js) : w;
}

std::string equalityWord(const Table& v) {
    for (const rules::RuleWords& r : v.v.rules)
        if (r.equality) return r.phrase;
    return "==";
}

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

namespace {

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

}  // namespace

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

bool setsAnywhere(const Facts& facts, const std::string& name, int except) {
    for (const int k : settersOf(facts, name))
        if (k != except) return true;
    return false;
}

bool setBefore(const Facts& facts, const std::string& name, int i) {
    const std::vector<int>& sets = settersOf(facts, name);
    return !sets.empty() && sets.front() < i;
}

int lastSetBefore(const Facts& facts, const std::string& name, int i) {
    int last = -1;
    for (const int k : settersOf(facts, name))
        if (k < i) last = k;
    return last;
}

std::vector<int> body(const Program& p, const Facts& facts, int h) {
    std::vector<int> out;
    for (int i = h + 1; i < facts.n; ++i)
        if (facts.holders[i] == h && p.stmts[i].kind != StmtKind::End && p.stmts[i].kind != StmtKind::Else &&
            p.stmts[i].kind != StmtKind::ElseIf)
            out.push_back(i);
    return out;
}

bool within(const Program& p, const Facts& facts, int i, int h) {
    for (int k = facts.holders[i]; k >= 0; k = facts.holders[k]) {
        if (k == h) return true;
        if (p.stmts[k].chain == h) return true;
    }
    return false;
}

int ancestor(const Program& p, const Facts& facts, int i, StmtKind kind) {
    for (int k = facts.holders[i]; k >= 0; k = facts.holders[k])
        if (p.stmts[k].kind == kind) return k;
    return -1;
}

int nearestAround(const Program& p, const Facts& facts, int i, StmtKind kind) {
    for (int k = facts.holders[i]; k >= 0; k = facts.holders[k]) {
        if (p.stmts[k].kind == kind) return k;
        if (p.stmts[k].kind == StmtKind::Function) return -1;
    }
    return -1;
}

bool enclosingFunction(const Program& p, const Facts& facts, int i) { return ancestor(p, facts, i, StmtKind::Function) >= 0; }

int lastInBlock(const Program& p, const Facts& facts, int h) {
    int last = h;
    for (int k = h + 1; k < facts.n && within(p, facts, k, h); ++k) last = k;
    return last;
}

int afterBlock(const Program& p, const Facts& facts, int h) {
    for (int k = h + 1; k < facts.n; ++k)
        if (facts.holders[k] == facts.holders[h] && p.stmts[k].kind != StmtKind::End) return k;
    return -1;
}

bool readsAt(const Program& p, const std::vector<Token>& ts, std::size_t i, const std::string& name) {
    return isWord(p, ts[i], name) && !(i > 0 && ts[i - 1].mark == '.');
}

bool reads(const Program& p, const Stmt& s, const std::string& name) {
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t i = s.target.empty() ? 0 : s.valueFrom; i < ts.size(); ++i)
        if (readsAt(p, ts, i, name)) return true;
    return false;
}

const Token* valueToken(const Program& p, const Stmt& s) {
    const std::vector<Token>& ts = tokensOf(p, s);
    return !s.target.empty() && ts.size() == s.valueFrom + 1 ? &ts[s.valueFrom] : nullptr;
}

bool valueIs(const Program& p, const Stmt& s, const std::string& w) {
    const Token* v = valueToken(p, s);
    return v && word(p, *v) == w;
}

bool binaryValue(const Program& p, const Stmt& s, std::uint32_t sign, std::string& a, std::string& b) {
    const std::vector<Token>& ts = tokensOf(p, s);
    if (s.target.empty() || ts.size() != s.valueFrom + 3 || ts[s.valueFrom].mark != 0 || ts[s.valueFrom + 1].mark != sign ||
        ts[s.valueFrom + 2].mark != 0)
        return false;
    a = word(p, ts[s.valueFrom]), b = word(p, ts[s.valueFrom + 2]);
    return true;
}

bool valueIs(const Program& p, const Stmt& s, const std::string& a, std::uint32_t sign, const std::string& b) {
    std::string x, y;
    return binaryValue(p, s, sign, x, y) && x == a && y == b;
}

bool declares(const Program& p, const Stmt& s) {
    const rules::RuleWords* r = ruleAt(p.c, tokensOf(p, s), 0, p.v);
    return r && r->role == rules::WordRole::Declaration && !r->declares.empty();
}

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

std::string numberText(double x) {
    // snprintf, not to_chars: the playground's libc++ has no to_chars for double. A whole number
    // is written whole («100», not «1e+02»).
    char digits[40] = "";
    if (x == static_cast<double>(static_cast<long long>(x)) && x > -1e15 && x < 1e15) {
        std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(x));
        return digits;
    }
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(digits, sizeof digits, "%.*g", precision, x);
        if (std::strtod(digits, nullptr) == x) break;
    }
    return digits;
}

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

EachLoop eachLoopOf(const Program& p, const Stmt& s) {
    EachLoop each;
    const std::vector<Token>& ts = tokensOf(p, s);
    const std::string of = keywordOf(p.v, "of");
    if (s.kind != StmtKind::Loop || of.empty() || s.condFrom + 2 >= s.condTo || s.condTo > ts.size() ||
        !isWord(p, ts[s.condFrom + 1], of) || ts[s.condFrom].mark != 0)
        return each;
    each.valid = true;
    each.element = word(p, ts[s.condFrom]);
    if (s.condFrom + 3 == s.condTo && isPlainName(p.c, ts[s.condFrom + 2], p.v, ts, s.condFrom + 2)) each.list = word(p, ts[s.condFrom + 2]);
    return each;
}

WordPair wordPairOf(const Program& p, const Stmt& s) {
    if (!hasCondition(s)) return {};
    return wordPairIn(p, tokensOf(p, s), s.condFrom, s.condTo);
}

void unwrap(const std::vector<Token>& ts, std::size_t& from, std::size_t& to) {
    while (to >= from + 2 && ts[from].mark == '(' && ts[to - 1].mark == ')' && wholeInBrackets(ts, from, to)) ++from, --to;
}

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

std::vector<std::pair<std::size_t, std::size_t>> bothParts(const Program& p, const Stmt& s) {
    if (!hasCondition(s) || s.condTo <= s.condFrom) return {};
    Joined j = joinedIn(p, tokensOf(p, s), s.condFrom, s.condTo);
    return j.joint == "||" ? std::vector<std::pair<std::size_t, std::size_t>>{} : j.parts;
}

WordPair wordPairIn(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to) {
    WordPair pair;
    std::size_t taken = 0;
    if (to < from + 3 || to > ts.size() || ts[from].mark != 0 || ts[to - 1].mark != 0) return pair;
    pair.sign = signAt(p, ts, from + 1, taken);
    if (pair.sign.empty() || from + 1 + taken + 1 != to) return pair;
    pair.left = word(p, ts[from]);
    pair.right = word(p, ts[to - 1]);
    pair.valid = true;
    return pair;
}

Range rangeOf(const Program& p, const Stmt& s) { return rangeFrom(comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo)); }

bool subRange(const Range& a, const Range& b) {
    const bool lo = a.lo > b.lo || (a.lo == b.lo && (b.loIn || !a.loIn));
    const bool hi = a.hi < b.hi || (a.hi == b.hi && (b.hiIn || !a.hiIn));
    return a.valid && b.valid && a.name == b.name && lo && hi;
}

bool lets(const Range& r, double x) {
    return (x > r.lo || (x == r.lo && r.loIn)) && (x < r.hi || (x == r.hi && r.hiIn));
}

const rules::RuleWords* negationAt(const Program& p, const std::vector<Token>& ts, std::size_t i) {
    const rules::RuleWords* r = ruleAt(p.c, ts, i, p.v);
    return r && r->role == rules::WordRole::Logic && replacementOf(p.table, *r) == "!" ? r : nullptr;
}

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
    f.branches.resize(f.n);
    for (int i = 0; i < f.n; ++i)
        if (p.stmts[i].chain >= 0) f.branches[p.stmts[i].chain].push_back(i);
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
    std::map<std::string, int> byName;
    for (std::size_t k = 0; k < f.functions.size(); ++k) {
        const auto [slot, fresh] = byName.emplace(f.functions[k].name, static_cast<int>(k));
        if (!fresh) slot->second = -1;
    }
    for (int i = 0; i < f.n && !byName.empty(); ++i) {
        const std::vector<Token>& ts = tokensOf(p, p.stmts[i]);
        for (std::size_t j = 0; j + 1 < ts.size(); ++j) {
            if (ts[j].mark != 0 || ts[j + 1].mark != '(' || (j > 0 && ts[j - 1].mark == '.') || (j == 1 && p.stmts[i].kind == StmtKind::Function))
                continue;
            const auto fn = byName.find(word(p, ts[j]));
            if (fn != byName.end()) f.calls.push_back({i, j, closingOf(ts, j + 1), fn->second});
        }
    }
    return f;
}

bool callsAny(const Facts& facts, int i) {
    const auto at = std::lower_bound(facts.calls.begin(), facts.calls.end(), i, [](const Call& c, int s) { return c.stmt < s; });
    return at != facts.calls.end() && at->stmt == i;
}

bool changesName(const Program& p, const Stmt& s, const std::string& name) {
    if (s.target == name) return true;
    const std::vector<Token>& ts = tokensOf(p, s);
    if (ts.size() < 3 || !isWord(p, ts[0], name) || ts[2].from != ts[1].to) return false;
    const std::uint32_t m = ts[1].mark;
    return ((m == '+' || m == '-' || m == '*' || m == '/' || m == '%') && ts[2].mark == '=') ||
           ((m == '+' || m == '-') && ts[2].mark == m);
}

bool growsByOne(const Program& p, const Stmt& s, const std::string& name) {
    return !name.empty() && (valueIs(p, s, name, '+', "1") || valueIs(p, s, "1", '+', name));
}

bool stepsOnceByOne(const Program& p, const Facts& facts, const std::string& name, int loop) {
    int steps = 0;
    for (int k = loop + 1; k <= lastInBlock(p, facts, loop); ++k) {
        const Stmt& s = p.stmts[k];
        if (!changesName(p, s, name)) continue;
        // «n = n + 1», «n++», «n += 1».
        const std::vector<Token>& ts = tokensOf(p, s);
        const bool one = growsByOne(p, s, name) || (ts.size() == 3 && ts[1].mark == '+' && ts[2].mark == '+') ||
                         (ts.size() == 4 && ts[1].mark == '+' && ts[2].mark == '=' && word(p, ts[3]) == "1");
        steps += one ? 1 : 2;
    }
    return steps == 1;
}

bool countedLoop(const Program& p, const Stmt& s) {
    return s.kind == StmtKind::Loop &&
           ruleAt(p.c, tokensOf(p, s), 0, p.v, [](const rules::RuleWords& r) { return produces(r, "__LUM__.countLoop"); }) != nullptr;
}

bool isRoundCounter(const Program& p, const std::string& w) {
    static const std::string counter = "счетчик";
    return !w.empty() && (w == counter || w == reverseOf(p.v, counter.c_str()));
}

bool changedBesidesSetters(const Program& p, const Facts& facts, const std::string& name) {
    for (int k = 0; k < facts.n; ++k) {
        const Stmt& t = p.stmts[k];
        if (t.target != name && changesName(p, t, name)) return true;
        if (t.kind == StmtKind::Loop && eachLoopOf(p, t).element == name) return true;
    }
    for (const Function& f : facts.functions)
        if (std::find(f.params.begin(), f.params.end(), name) != f.params.end()) return true;
    return false;
}

namespace {

// «[3, -5, 2.5]» as tokens [from, to): the numbers in order; false for anything else.
bool bracketNumbers(const Program& p, const std::vector<Token>& lt, std::size_t from, std::size_t to, std::vector<double>& numbers) {
    if (to < from + 2 || lt[from].mark != '[' || closingOf(lt, from) + 1 != to) return false;
    for (std::size_t t = from + 1; t + 1 < to;) {
        double x = 0;
        const std::size_t taken = numberAt(p, lt, t, to - 1, x);
        if (taken == 0) return false;
        numbers.push_back(x);
        t += taken;
        if (t + 1 < to && lt[t].mark != ',') return false;
        t += t + 1 < to ? 1 : 0;
    }
    return true;
}

}  // namespace

double remainderIn(const Program& p, const Facts& facts, const std::string& name, int loop, std::string& of) {
    const std::vector<int>& setters = settersOf(facts, name);
    if (setters.empty() || changedBesidesSetters(p, facts, name)) return 0;
    double by = 0;
    for (const int d : setters) {
        const Stmt& t = p.stmts[d];
        const std::vector<Token>& dt = tokensOf(p, t);
        double m = 0;
        if (!within(p, facts, d, loop) || dt.size() != t.valueFrom + 3 || dt[t.valueFrom + 1].mark != '%' ||
            !isPlainName(p.c, dt[t.valueFrom], p.v, dt, t.valueFrom) || !number(p, dt, t.valueFrom + 2, dt.size(), m) || m < 2 ||
            m != static_cast<double>(static_cast<long long>(m)) || (by != 0 && (m != by || word(p, dt[t.valueFrom]) != of)))
            return 0;
        of = word(p, dt[t.valueFrom]), by = m;
        for (int k = loop + 1; k < d; ++k)
            if (changesName(p, p.stmts[k], of)) return 0;
    }
    return by;
}

bool writtenNumbers(const Program& p, const Facts& facts, const std::string& name, std::vector<double>& numbers) {
    const std::vector<int>& setters = settersOf(facts, name);
    if (setters.size() != 1) return false;
    const Stmt& l = p.stmts[setters[0]];
    const std::vector<Token>& lt = tokensOf(p, l);
    if (!bracketNumbers(p, lt, l.valueFrom, lt.size(), numbers)) return false;
    // Nothing changes the list afterwards: no «числа.добавить(…)», no «числа[0] = …».
    for (const int k : readersOf(facts, name)) {
        const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
        for (std::size_t t = 0; t + 2 < kt.size(); ++t) {
            if (!isWord(p, kt[t], name)) continue;
            const rules::RuleWords* m = kt[t + 1].mark == '.' ? ruleAt(p.c, kt, t + 2, p.v) : nullptr;
            if ((m && changesValue(*m)) || (t == 0 && kt[1].mark == '[')) return false;
        }
    }
    return true;
}

bool walkedNumbers(const Program& p, const Facts& facts, const Stmt& loop, std::vector<double>& numbers) {
    const EachLoop each = eachLoopOf(p, loop);
    if (!each.valid) return false;
    if (!each.list.empty()) return writtenNumbers(p, facts, each.list, numbers);
    return bracketNumbers(p, tokensOf(p, loop), loop.condFrom + 2, loop.condTo, numbers);
}

bool prints(const Program& p, const Stmt& s) {
    const std::vector<Token>& ts = tokensOf(p, s);
    const rules::RuleWords* r = s.kind == StmtKind::Other && !ts.empty() ? ruleAt(p.c, ts, 0, p.v) : nullptr;
    return r && produces(*r, "console.log");
}

std::string capitals(const std::string& text) {
    base::CodePoints points;
    if (!base::decodeUtf8(text, points)) return "";
    for (std::uint32_t& ch : points) ch = base::toUpper(ch);
    return base::encodeUtf8(points);
}

std::vector<TextWord> textWords(const base::CodePoints& t) {
    std::vector<TextWord> words;
    for (std::size_t k = 0; k < t.size();) {
        if (!translator::isWordCode(t[k])) {
            ++k;
            continue;
        }
        std::size_t e = k;
        while (e < t.size() && translator::isWordCode(t[e])) ++e;
        base::CodePoints run(t.begin() + static_cast<std::ptrdiff_t>(k), t.begin() + static_cast<std::ptrdiff_t>(e));
        TextWord w;
        w.number = std::all_of(run.begin(), run.end(), [](std::uint32_t v) { return v >= '0' && v <= '9'; });
        const bool fraction = (k > 0 && (t[k - 1] == '.' || t[k - 1] == ',')) ||
                              (e + 1 < t.size() && (t[e] == '.' || t[e] == ',') && t[e + 1] >= '0' && t[e + 1] <= '9');
        if (w.number && (fraction || run.size() > 15)) w.number = false;
        if (w.number) w.value = std::stod(base::encodeUtf8(run));
        for (std::uint32_t& v : run) v = base::toUpper(v);
        w.upper = base::encodeUtf8(run);
        words.push_back(w);
        k = e;
    }
    return words;
}

bool nameHas(const std::string& name, std::initializer_list<const char*> stems) {
    const std::string upper = capitals(name);
    for (const char* stem : stems)
        if (upper.find(stem) != std::string::npos) return true;
    return false;
}

int namedExtreme(const std::string& name) {
    if (nameHas(name, {"МИН", "НАИМЕН", "МЕНЬШ", "MIN"})) return -1;
    if (nameHas(name, {"МАКС", "НАИБОЛ", "БОЛЬШ", "MAX"})) return 1;
    return 0;
}

Gathered namedGathered(const std::string& name) {
    const bool sum = nameHas(name, {"СУММ", "ИТОГ", "SUM", "TOTAL"});
    const bool product = nameHas(name, {"ПРОИЗВ", "PRODUCT"});
    const bool count = nameHas(name, {"КОЛИЧ", "СЧЕТЧИК", "СЧЁТЧИК", "COUNT"});
    if (sum + product + count != 1) return Gathered::None;
    return sum ? Gathered::Sum : product ? Gathered::Product : Gathered::Count;
}

}  // namespace diagnostics::programs
