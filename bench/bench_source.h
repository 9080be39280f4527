// The benchmark's inputs made from a rules file: a generated source in the language's own style
// (functions, conditions, loops, strings in both quotes, comments, and every rule's words), and
// the same rules rewritten for GNU sed -E and for perl. Header-only so that the differential
// test can generate the same sources. Self-contained on purpose (no lum headers): it reads the
// rules file with its own small CSV reader, so the inputs do not depend on the code measured.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace bench {


struct BenchRule {
    std::u32string pattern;
    std::string replacementUtf8;
    bool ignoreCase = false;
};

inline std::u32string decode(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = s[i];
        std::size_t extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : 3;
        char32_t v = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k <= extra && i + k < s.size(); ++k) v = (v << 6) | (s[i + k] & 0x3F);
        out.push_back(v);
        i += extra + 1;
    }
    return out;
}

inline std::string encode(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// The rules file's own CSV (empty when it cannot be read): double quotes switch quoting per character, "" is one quote.
inline std::vector<BenchRule> readRules(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};  // no rules: the callers say so
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string bytes = buffer.str();
    if (bytes.size() > 2 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    std::vector<BenchRule> rules;
    std::size_t lineNumber = 0, start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quoted) {
                if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                    fields.back().push_back('"');
                    ++i;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    fields.back().push_back(c);
                }
            } else if (c == '"') {
                quoted = true;
            } else if (c == ',') {
                fields.emplace_back();
            } else {
                fields.back().push_back(c);
            }
        }
        if (lineNumber == 1 && fields[0] == "pattern") continue;
        if (fields.size() < 3 || fields[0].empty() || (fields[2] != "g" && fields[2] != "gi")) continue;
        rules.push_back({decode(fields[0]), fields[1], fields[2] == "gi"});
    }
    return rules;
}

// One atom of the pattern language, enough to rewrite it for another engine or to sample it.
struct Atom {
    enum Kind { literal, digit, boundary, set } kind = literal;
    char32_t ch = 0;
    std::u32string members;
    bool negated = false;
    bool oneOrMore = false;
};

inline std::vector<Atom> parsePattern(const std::u32string& p) {
    std::vector<Atom> atoms;
    std::size_t i = 0;
    while (i < p.size()) {
        Atom a;
        if (p[i] == U'\\') {
            if (i + 1 == p.size()) {
                a.ch = U'\\';
                atoms.push_back(a);
                break;
            }
            const char32_t e = p[i + 1];
            if (e == U'd') a.kind = Atom::digit;
            else if (e == U'b') a.kind = Atom::boundary;
            else a.ch = e;
            i += 2;
        } else if (p[i] == U'[') {
            std::size_t j = i + 1;
            if (j < p.size() && p[j] == U'^') {
                a.negated = true;
                ++j;
            }
            const std::size_t close = p.find(U']', j);
            if (close == std::u32string::npos) break;
            a.kind = Atom::set;
            a.members = p.substr(j, close - j);
            i = close + 1;
        } else {
            a.ch = p[i];
            ++i;
        }
        if (i < p.size() && p[i] == U'+') {
            a.oneOrMore = true;
            ++i;
        }
        atoms.push_back(a);
    }
    return atoms;
}

// ERE for GNU sed (perl = false) or a perl regex (perl = true).
inline std::string regexOf(const std::vector<Atom>& atoms, bool perl) {
    std::u32string out;
    for (const Atom& a : atoms) {
        switch (a.kind) {
        case Atom::boundary:
            out += U"\\b";
            continue;
        case Atom::digit:
            out += U"[0-9]";
            break;
        case Atom::literal:
            if (a.ch < 0x80 && std::string(perl ? "\\.[]()*+?{}|^$/@" : "\\.[]()*+?{}|^$/").find(static_cast<char>(a.ch)) !=
                                   std::string::npos)
                out.push_back(U'\\');
            out.push_back(a.ch);
            break;
        case Atom::set: {
            if (a.members.empty()) {
                out += a.negated ? U"[^\\n]" : U"\\b\\B";  // nothing in a line matches an empty set
                break;
            }
            if (!perl && !a.negated && a.members == U"^") {
                out += U"\\^";
                break;
            }
            out += a.negated ? U"[^" : U"[";
            bool dash = false, caret = false;
            for (char32_t m : a.members) {
                if (m == U'-') dash = true;
                else if (m == U'^' && !perl) caret = true;  // a caret anywhere but first is a member
                else if (!perl && m == U'/') out += U"\\/";
                else {
                    if (perl && (m == U'\\' || m == U'[' || m == U'^' || m == U'$' || m == U'@' || m == U'/'))
                        out.push_back(U'\\');
                    out.push_back(m);
                }
            }
            const bool onlyMarks = out.back() == U'[' || (a.negated && out.size() >= 2 && out[out.size() - 2] == U'[');
            if (caret && dash && onlyMarks) out += U"-^";  // "[^-]" would be a negation
            else {
                if (caret) out.push_back(U'^');
                if (dash) out.push_back(U'-');
            }
            out.push_back(U']');
            break;
        }
        }
        if (a.oneOrMore) out.push_back(U'+');
    }
    return encode(out);
}

inline std::string replacementFor(const std::string& utf8, bool perl) {
    std::string out;
    for (char c : utf8) {
        if (c == '\\' || c == '/' || (!perl && c == '&') || (perl && (c == '$' || c == '@'))) out.push_back('\\');
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out.push_back(c);
    }
    return out;
}

inline void printScript(const std::vector<BenchRule>& rules, bool perl) {
    if (perl) {
        std::printf("use utf8;\nbinmode STDIN, ':encoding(UTF-8)';\nbinmode STDOUT, ':encoding(UTF-8)';\n");
        std::printf("local $/;\nmy $t = <STDIN>;\nfor ($t) {\n");
    }
    for (const BenchRule& r : rules) {
        const std::string regex = regexOf(parsePattern(r.pattern), perl);
        const std::string repl = replacementFor(r.replacementUtf8, perl);
        if (perl)
            std::printf("s/%s/%s/g%s;\n", regex.c_str(), repl.c_str(), r.ignoreCase ? "i" : "");
        else
            std::printf("s/%s/%s/g%s\n", regex.c_str(), repl.c_str(), r.ignoreCase ? "I" : "");
    }
    if (perl) std::printf("}\nprint $t;\n");
}

// A text that the pattern matches (boundaries left to the surroundings).
inline std::u32string sample(const std::vector<Atom>& atoms, std::mt19937& rng) {
    std::u32string out;
    for (const Atom& a : atoms) {
        const int repeat = a.oneOrMore ? 1 + static_cast<int>(rng() % 2) : 1;
        for (int r = 0; r < repeat; ++r) {
            switch (a.kind) {
            case Atom::boundary:
                break;
            case Atom::digit:
                out.push_back(U'0' + rng() % 10);
                break;
            case Atom::literal:
                out.push_back(a.ch);
                break;
            case Atom::set:
                if (!a.negated && !a.members.empty()) out.push_back(a.members[rng() % a.members.size()]);
                else out.push_back(U'ж');
                break;
            }
        }
    }
    return out;
}

// The literal text of a pattern, first members of sets, spaces at the start dropped.
inline std::string trimmedSample(const std::vector<Atom>& atoms) {
    std::u32string out;
    for (const Atom& a : atoms) {
        if (a.kind == Atom::literal) out.push_back(a.ch);
        else if (a.kind == Atom::set && !a.members.empty()) out.push_back(a.members[0]);
    }
    const std::size_t start = out.find_first_not_of(U' ');
    return start == std::u32string::npos ? std::string() : encode(out.substr(start));
}

// The source word of the rule that turns into `js`, or `js` itself when no rule does.
struct Vocabulary {
    std::vector<BenchRule> rules;
    std::vector<std::vector<Atom>> atoms;
    std::vector<bool> sampled;  // rules whose text the filler may use
    static std::string trimmed(const std::string& s) {
        const std::size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    }
    // Literals only (a run of one stands for its "+"), spaces at either end dropped.
    std::string word(const std::string& js) const {
        for (std::size_t i = 0; i < rules.size(); ++i) {
            if (trimmed(rules[i].replacementUtf8) != js) continue;
            bool plain = true;
            std::u32string w;
            for (const Atom& a : atoms[i]) {
                if (a.kind == Atom::boundary) continue;
                if (a.kind != Atom::literal) plain = false;
                w.push_back(a.ch);
            }
            const std::string found = trimmed(encode(w));
            if (plain && !found.empty()) return found;
        }
        return js;
    }
};

inline const char* const nouns[] = {"счёт", "игрок", "скорость", "мяч", "позиция", "очки", "жизни", "уровень",
                             "имя", "список", "ответ", "сумма", "шаг", "угол", "радиус", "цель",
                             "x", "y", "dx", "dy", "total", "item", "row", "col"};
inline const char* const phrases[] = {"Привет, мир!", "если пока конец — слова в строке не трогаются",
                               "Игра окончена", "вывести итог: ", "Введите число", "функция вернуть истина",
                               "ход игрока", "ошибка: нет ответа", "раз два три", "<b>жирный</b>"};

inline std::string makeSource(const Vocabulary& v, std::size_t bytes, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](auto& array) { return std::string(array[rng() % (sizeof(array) / sizeof(array[0]))]); };
    auto noun = [&]() { return pick(nouns) + (rng() % 3 == 0 ? std::to_string(rng() % 10) : std::string()); };
    auto anyRule = [&]() {
        // Library phrases would paste a whole library per use (a real program names one once),
        // and a line that starts like a library directive would be taken out as one.
        std::size_t i = rng() % v.rules.size();
        while (!v.sampled[i]) i = (i + 1) % v.rules.size();
        return encode(sample(v.atoms[i], rng));
    };
    // A word followed by its opening parenthesis; some words bring their own.
    auto call = [](const std::string& w) { return !w.empty() && w.back() == '(' ? w : w + "("; };
    // An expression mixing names, numbers and other words of the vocabulary.
    auto expression = [&]() {
        std::string e;
        const int terms = 1 + rng() % 3;
        for (int t = 0; t < terms; ++t) {
            if (t > 0) e += rng() % 2 ? " + " : " * ";
            switch (rng() % 5) {
            case 0: e += std::to_string(rng() % 1000); break;
            case 1: e += noun(); break;
            case 2: {
                const std::string w = anyRule();
                e += (w.size() > 0 && w[0] == '.') ? noun() + w + "()" : call(w) + noun() + ")";
                break;
            }
            case 3: e += noun() + "[" + std::to_string(rng() % 10) + "]"; break;
            default: e += "(" + noun() + " - " + std::to_string(rng() % 50) + ")"; break;
            }
        }
        return e;
    };
    const std::string kwFunction = v.word("function"), kwReturn = v.word("return"), kwIf = v.word("if ("),
                      kwThen = v.word(") {"), kwElse = v.word("} else {"), kwWhile = v.word("while ("),
                      kwEnd = v.word("}"), kwLet = v.word("let"), kwPrint = v.word("console.log"),
                      kwRepeat = v.word("for("), kwTimes = v.word("раз){"), kwTrue = v.word("true"),
                      kwFalse = v.word("false");
    const std::string kwDo = v.word(") {") == kwThen ? v.word(") {") : kwThen;
    std::string out;
    int function = 0;
    while (out.size() < bytes) {
        std::string f;
        const std::string name = "действие" + std::to_string(++function);
        f += "// " + anyRule() + " " + noun() + ": " + pick(phrases) + "\n";
        f += kwFunction + " " + name + "(" + noun() + ", " + noun() + ")\n";
        const int statements = 3 + rng() % 6;
        for (int s = 0; s < statements; ++s) {
            switch (rng() % 7) {
            case 0:
                f += "  " + kwLet + " " + noun() + " = " + expression() + "\n";
                break;
            case 1:
                f += "  " + kwIf + " " + noun() + " > " + std::to_string(rng() % 100) + " " + kwThen + "\n";
                f += "    " + kwPrint + "(\"" + pick(phrases) + "\" + " + noun() + ")\n";
                f += "  " + kwElse + "\n";
                f += "    " + kwPrint + "('" + pick(phrases) + " \"в кавычках\"')\n";
                f += "  " + kwEnd + "\n";
                break;
            case 2:
                f += "  " + kwRepeat + " " + std::to_string(2 + rng() % 20) + " " + kwTimes + "\n";
                f += "    " + noun() + " = " + expression() + "\n";
                f += "  " + kwEnd + "\n";
                break;
            case 3:
                f += "  " + kwWhile + " " + noun() + " < " + std::to_string(rng() % 500) + " " + kwDo + "\n";
                f += "    " + noun() + " = " + noun() + " + 1  // " + anyRule() + "\n";
                f += "  " + kwEnd + "\n";
                break;
            case 4:
                f += "  " + noun() + " = " + (rng() % 2 ? kwTrue : kwFalse) + "\n";
                break;
            case 5:
            {
                const std::string w = anyRule();
                f += "  " + call(w[0] == '.' ? noun() + w : w) + expression() + ", \"" + pick(phrases) + "\")\n";
            }
                break;
            default:
                f += "  " + noun() + " = " + expression() + " ;\n";
                break;
            }
        }
        f += "  " + kwReturn + " " + expression() + "\n" + kwEnd + "\n\n";
        out += f;
    }
    out += kwPrint + "(" + "действие1(1, 2))\n";
    return out;
}

// The vocabulary of a rules file, with the rules whose text the filler may use marked; false
// when no rule may be used.
inline bool makeVocabulary(const std::string& rulesPath, Vocabulary& v) {
    v.rules = readRules(rulesPath);
    bool plainRule = false;
    for (const BenchRule& r : v.rules) {
        v.atoms.push_back(parsePattern(r.pattern));
        const std::string text = trimmedSample(v.atoms.back());
        const bool use = r.replacementUtf8.rfind("{LIB_", 0) != 0 && text.rfind("подключить", 0) != 0 &&
                         text.rfind("ПБ", 0) != 0;
        v.sampled.push_back(use);
        plainRule = plainRule || use;
    }
    return plainRule;
}

}  // namespace bench
