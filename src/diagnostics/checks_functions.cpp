// Checks of functions: a result dropped, a parameter never read or overwritten, a function never
// called, a call with its parameters' names in another order, a value given on one path only, a
// parameter changed in a function that gives nothing back, a count made anew on every call, a
// recursion whose «вернуть 0» is multiplied through every call, a prime test that says yes to 1.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <algorithm>
#include <map>
#include <string>

namespace diagnostics::programs {

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
        // Several parameters, none of them read or set, and a line of the body that reads names set
        // outside every function: the values of the call go nowhere.
        if (f.params.size() < 2) continue;
        bool anyUsed = false;
        for (const std::string& param : f.params)
            for (int k : inner) anyUsed = anyUsed || reads(p, p.stmts[k], param) || p.stmts[k].target == param;
        if (anyUsed) continue;
        for (int k : inner) {
            std::vector<std::string> outer;
            const std::vector<Token>& kt = tokensOf(p, p.stmts[k]);
            for (std::size_t j = p.stmts[k].target.empty() ? 0 : p.stmts[k].valueFrom; j < kt.size(); ++j) {
                if (kt[j].mark != 0 || (j > 0 && kt[j - 1].mark == '.')) continue;
                const std::string w = word(p, kt[j]);
                for (const int d : settersOf(facts, w))
                    if (!enclosingFunction(p, facts, d) && std::find(outer.begin(), outer.end(), w) == outer.end()) outer.push_back(w);
            }
            if (outer.empty()) continue;
            std::string params, outside;
            for (const std::string& param : f.params) params += (params.empty() ? "«" : ", «") + param + "»";
            for (const std::string& w : outer) outside += (outside.empty() ? "«" : ", «") + w + "»";
            add(p, p.stmts[k], HintKind::FunctionFlow,
                "функция «" + f.name + "» не читает ни одного своего параметра (" + params + ", строка " + num(lineOf(p, p.stmts[f.at])) +
                    "), а берёт " + outside + " снаружи: что ни передай в вызове, результат тот же. Считайте по параметрам",
                {f.name}, out);
            break;
        }
    }
}

namespace {

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

}  // namespace

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

namespace {

// What a name measures, read from the start of the name or of a part after "_" («время_в_пути»,
// «км»): one table of word starts, each with its quantity; "" when no part says one, or two parts
// say different ones.
std::string quantityOf(const std::string& name) {
    static const struct {
        const char* start;
        const char* quantity;
        const char* other = "";  // a longer start that says something else («ЧАСТЬ», «ЦЕНТР»)
    } starts[] = {
        {"ВРЕМ", "время"},         {"ЧАС", "время", "ЧАСТ"},  {"МИНУТ", "время"},        {"СЕКУНД", "время"},
        {"СУТ", "время"},          {"ПУТ", "путь", "ПУТЕШ"},  {"РАССТ", "путь"},         {"КМ", "путь"},
        {"КИЛОМЕТР", "путь"},      {"ДИСТАНЦ", "путь"},       {"СКОР", "скорость"},      {"МАСС", "масса", "МАССИВ"},
        {"ВЕС", "масса", "ВЕСН"},  {"КГ", "масса"},           {"ЦЕН", "деньги", "ЦЕНТ"}, {"СТОИМ", "деньги"},
        {"РУБ", "деньги"},         {"ШТУК", "количество"},    {"КОЛИЧ", "количество"},   {"ШИР", "ширина"},
        {"ВЫС", "высота"},         {"ВОЗРАСТ", "возраст"},    {"ПРОЦЕНТ", "процент"},    {"СКИДК", "процент"},
        {"ОСНОВАН", "основание"},  {"ПОКАЗАТ", "показатель"}, {"СТЕПЕН", "показатель"},
    };
    std::string found;
    const std::string upper = capitals(name);
    for (std::size_t from = 0; from < upper.size();) {
        const std::size_t end = std::min(upper.find('_', from), upper.size());
        const std::string part = upper.substr(from, end - from);
        for (const auto& s : starts) {
            const std::string start = s.start;
            if (part.rfind(start, 0) != 0 || (*s.other && part.rfind(s.other, 0) == 0)) continue;
            if (!found.empty() && found != s.quantity) return "";
            found = s.quantity;
        }
        from = end + 1;
    }
    return found;
}

}  // namespace

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
        if (plain && args.size() == 2 && f.params.size() == 2 && args != f.params) {
            // Two values whose names measure what the other parameter measures («скорость(часов, км)»
            // for «скорость(путь, время)»).
            const std::string a0 = quantityOf(args[0]), a1 = quantityOf(args[1]);
            const std::string p0 = quantityOf(f.params[0]), p1 = quantityOf(f.params[1]);
            if (!a0.empty() && !a1.empty() && p0 != p1 && a0 == p1 && a1 == p0) {
                const std::string shownCall = textOf(p.c, ts[call.name].from, ts[call.close].to);
                out.push_back(naming(at(lineOf(p, p.stmts[call.stmt]), HintKind::FunctionFlow,
                                        "в вызове «" + shownCall + "» значения попадают в параметры по порядку: «" + args[0] +
                                            "» попадёт в параметр «" + f.params[0] + "», а «" + args[1] + "» — в «" + f.params[1] +
                                            "» (функция «" + f.name + "», строка " + num(lineOf(p, p.stmts[f.at])) +
                                            "). Похоже, их порядок перепутан: «" + f.name + "(" + args[1] + ", " + args[0] + ")»",
                                        p.c, ts[call.name].from, ts[call.close].to),
                                     {f.name}));
                continue;
            }
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

namespace {

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

}  // namespace

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


// In a function, «пусть н = 0» then, in its own block and once, «н = н + 1», and «н» read after it:
// «н» is made anew on every call, so the function gives the same number each time. Told at the
// «пусть» line. An increase in a loop or under a condition is a count within one call, left alone.
void counterRestartsEveryCall(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (const Function& f : facts.functions) {
        for (int d = f.at + 1; d <= f.last; ++d) {
            const Stmt& s = p.stmts[d];
            const Token* start = valueToken(p, s);
            double from = 0;
            if (!start || facts.holders[d] != f.at || !declares(p, s) || !number(p, tokensOf(p, s), s.valueFrom, tokensOf(p, s).size(), from))
                continue;
            const std::string& name = s.target;
            int grow = -1;
            bool plain = true, readAfter = false;
            for (int k = f.at + 1; k <= f.last; ++k) {
                const Stmt& t = p.stmts[k];
                if (k == d) continue;
                if (changesName(p, t, name)) {
                    plain = plain && grow < 0 && k > d && facts.holders[k] == f.at &&
                            (valueIs(p, t, name, '+', "1") || valueIs(p, t, "1", '+', name));
                    grow = k;
                } else if (grow >= 0 && reads(p, t, name)) {
                    // Given back or shown alone: «вернуть н», «вывести(н)».
                    const std::vector<Token>& tt = tokensOf(p, t);
                    const rules::RuleWords* first = ruleAt(p.c, tt, 0, p.v);
                    readAfter = readAfter || (tt.size() == 2 && isWord(p, tt[0], p.returnWord)) ||
                                (first && first->role == rules::WordRole::Output && tt.size() == first->words.size() + 3);
                }
                if (t.kind == StmtKind::Function || (t.kind == StmtKind::Loop && hasWord(p, t, name))) plain = false;
            }
            if (!plain || grow < 0 || !readAfter) continue;
            if (from < 0 || from > 1e6 || from != static_cast<double>(static_cast<long long>(from))) continue;  // said as a whole number
            const std::string always = num(static_cast<std::uint32_t>(from + 1));
            add(p, s, HintKind::FunctionFlow,
                "«" + lineText(p, s) + "» внутри функции «" + f.name + "» заводит «" + name + "» заново при каждом вызове: после «" +
                    lineText(p, p.stmts[grow]) + "» (строка " + num(lineOf(p, p.stmts[grow])) + ") в «" + name + "» всегда " + always +
                    " при каждом вызове: значение не сохраняется между вызовами. Чтобы оно копилось, заведите «" +
                    name + "» снаружи функции, перед ней, а эту строку уберите",
                {name}, out);
        }
    }
}

namespace {

// The value of a «вернуть» in statement s, as tokens [from, to): the line «вернуть …» or a one-line
// «если … то вернуть … конец». False when the statement gives nothing back.
bool givenValue(const Program& p, const Stmt& s, std::size_t& from, std::size_t& to) {
    const std::vector<Token>& ts = tokensOf(p, s);
    std::size_t r = 0;
    if (s.kind == StmtKind::If && s.closed) r = s.condTo + 1;
    else if (s.kind != StmtKind::Other) return false;
    if (r >= ts.size() || !isWord(p, ts[r], p.returnWord)) return false;
    from = r + 1;
    to = s.kind == StmtKind::If ? ts.size() - 1 : ts.size();
    return from < to;
}

// Tokens [from, to) are a product with a call of `name` among its factors: "*" and "/" alone at
// the top, no other sign or word of the table there.
bool productWithCall(const Program& p, const std::vector<Token>& ts, std::size_t from, std::size_t to, const std::string& name) {
    bool times = false, call = false;
    for (std::size_t j = from; j < to; ++j) {
        const std::uint32_t m = ts[j].mark;
        if (m == '(' || m == '[') {
            const std::size_t close = closingOf(ts, j);
            if (close >= to) return false;
            call = call || (m == '(' && j > from && isWord(p, ts[j - 1], name) && !(j > from + 1 && ts[j - 2].mark == '.'));
            j = close;
        } else if (m == '*') {
            times = true;
        } else if (m == 0) {
            if (ruleAt(p.c, ts, j, p.v) != nullptr) return false;
        } else if (m != '/' && m != '.' && m != literal) {
            return false;
        }
    }
    return times && call;
}

}  // namespace

// A function that gives back «вернуть 0» at the end of its calls of itself and, everywhere else,
// a product with its own call («вернуть n * ф(n - 1)»): the 0 is multiplied through every call,
// and the function always gives 0. Told at the «вернуть 0».
void recursionEndsInZero(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (const Function& f : facts.functions) {
        int zero = -1, product = -1;
        bool certain = true;
        for (int k = f.at + 1; k <= f.last && certain; ++k) {
            const Stmt& s = p.stmts[k];
            if (ancestor(p, facts, k, StmtKind::Function) != f.at && k != f.at) {
                certain = s.kind != StmtKind::Function;  // a function inside: left alone
                continue;
            }
            if (!hasWord(p, s, p.returnWord)) continue;
            std::size_t from = 0, to = 0;
            if (!givenValue(p, s, from, to)) {
                certain = false;
                continue;
            }
            const std::vector<Token>& ts = tokensOf(p, s);
            if (to == from + 1 && word(p, ts[from]) == "0") zero = zero < 0 ? k : zero;
            else if (productWithCall(p, ts, from, to, f.name)) product = product < 0 ? k : product;
            else certain = false;
        }
        if (!certain || zero < 0 || product < 0) continue;
        add(p, p.stmts[zero], HintKind::FunctionFlow,
            "«" + p.returnWord + " 0» здесь кончает вызовы «" + f.name + "», а другой «" + p.returnWord + "» (строка " +
                num(lineOf(p, p.stmts[product])) + ") умножает на вызов «" + f.name + "»: этот 0 умножится на все числа и останется 0, и «" +
                f.name + "» всегда вернёт 0. Произведение кончают числом 1: «" + p.returnWord + " 1»",
            {p.returnWord}, out);
    }
}

// A prime test («простое(n)») whose divisor walk starts at 2 and that ends with «вернуть истина»,
// nothing in it comparing «n» with a number: for 1 (and 0) the walk never runs and the answer is
// «истина». Told only when the program calls it with such a number: written, or an element of a
// written list.
void primeTestTakesOne(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (const Function& f : facts.functions) {
        if (f.params.size() != 1 || !nameHas(f.name, {"ПРОСТ"}) || f.last <= f.at) continue;
        const std::string& n = f.params[0];
        std::vector<int> inside = body(p, facts, f.at);
        while (!inside.empty() && p.stmts[inside.back()].kind == StmtKind::End) inside.pop_back();
        if (inside.empty()) continue;
        const Stmt& end = p.stmts[inside.back()];
        const std::vector<Token>& et = tokensOf(p, end);
        if (et.size() != 2 || !isWord(p, et[0], p.returnWord) || !isWord(p, et[1], p.trueWord)) continue;
        bool fromTwo = false, guarded = false;
        int loop = -1;
        for (int k = f.at + 1; k < inside.back(); ++k) {
            const Stmt& s = p.stmts[k];
            if (s.kind == StmtKind::Loop && loop < 0) loop = k;
            fromTwo = fromTwo || (loop < 0 && valueIs(p, s, "2"));
            const Compared c = hasCondition(s) ? comparedIn(p, tokensOf(p, s), s.condFrom, s.condTo) : Compared{};
            guarded = guarded || (c.valid && c.name == n);
        }
        if (!fromTwo || guarded || loop < 0) continue;
        // A call with 1 or less: written, or the element of a written list that holds one.
        std::string shownCall;
        std::uint32_t callLine = 0;
        for (int k = 0; k < facts.n && shownCall.empty(); ++k) {
            if (k >= f.at && k <= f.last) continue;
            const std::vector<Token>& ts = tokensOf(p, p.stmts[k]);
            for (std::size_t t = 0; t + 3 < ts.size() && shownCall.empty(); ++t) {
                if (!isWord(p, ts[t], f.name) || ts[t + 1].mark != '(' || ts[t + 3].mark != ')') continue;
                double value = 2;
                bool small = number(p, ts, t + 2, t + 3, value) && value <= 1;
                const int around = nearestAround(p, facts, k, StmtKind::Loop);
                const EachLoop each = around >= 0 ? eachLoopOf(p, p.stmts[around]) : EachLoop{};
                std::vector<double> numbers;
                if (!small && each.valid && isWord(p, ts[t + 2], each.element) && walkedNumbers(p, facts, p.stmts[around], numbers))
                        for (const double x : numbers)
                        if (!small && x >= 0 && x <= 1) small = true, value = x;
                if (small) shownCall = f.name + "(" + numberText(value) + ")", callLine = lineOf(p, p.stmts[k]);
            }
        }
        if (shownCall.empty()) continue;
        add(p, end, HintKind::Computation,
            "при «" + n + "» меньше 2 цикл (строка " + num(lineOf(p, p.stmts[loop])) + ") не выполнится ни разу, и «" + shownCall +
                "» (строка " + num(callLine) + ") вернёт «" + p.trueWord +
                "». Но 0 и 1 не простые числа: в начале функции при «" + n + " < 2» нужно «" + p.returnWord + " " + p.falseWord + "»",
            {}, out);
    }
}

}  // namespace diagnostics::programs
