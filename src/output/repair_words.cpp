// The repair dictionary of a page or JavaScript file: the table's words as JavaScript, the program's facts.
// Tests: tests/browser/mistakes_test.cpp.
#include "output/repair_words.h"

#include "base/json_text.h"

namespace output {

namespace {

// Whether the rule's pattern is its words alone ("\bне +равно\b"): then writing the words
// writes its replacement.
bool wordsAlone(const rules::Rule& rule, const rules::RuleWords& words) {
    std::string expected = "\\b";
    for (std::size_t i = 0; i < words.words.size(); ++i) expected += (i ? " +" : "") + words.words[i];
    expected += "\\b";
    return base::encodeUtf8(rule.pattern) == expected;
}

void pair(std::string& out, const std::string& a, const std::string& b) {
    out += '[';
    base::appendJsonString(out, a);
    out += ',';
    base::appendJsonString(out, b);
    out += ']';
}

void key(std::string& out, const char* name) {
    if (out.back() != '{') out += ',';
    base::appendJsonString(out, name);
    out += ':';
}

bool hasWordCode(const std::string& s) {
    for (const unsigned char c : s)
        if (c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') return true;
    return false;
}

std::string trimmed(const std::string& s) {
    const std::size_t from = s.find_first_not_of(' '), to = s.find_last_not_of(' ');
    return from == std::string::npos ? std::string() : s.substr(from, to - from + 1);
}

}  // namespace

std::string repairWordsLine(const rules::Vocabulary& vocabulary, const std::vector<rules::Rule>& table,
                            const diagnostics::ProgramFacts& facts, const std::vector<diagnostics::Hint>& hints,
                            const std::vector<diagnostics::OtherWord>& otherWords) {
    struct Simple {
        const rules::RuleWords* words;
        std::string js;
    };
    std::vector<Simple> simple;  // in table order
    for (const rules::RuleWords& w : vocabulary.rules)
        if (w.role != rules::WordRole::Library && wordsAlone(table[w.rule], w))
            simple.push_back({&w, base::encodeUtf8(table[w.rule].replacement)});

    std::string out = "__LUM__.словарь({";
    key(out, "переводы");
    out += '[';
    for (std::size_t i = 0; i < simple.size(); ++i) {
        if (i) out += ',';
        pair(out, simple[i].words->phrase, simple[i].js);
    }
    out += ']';
    // Each header word with the shortest closing word listed after it, up to the next header word
    // that follows one.
    key(out, "заголовки");
    out += '[';
    bool first = true;
    for (std::size_t i = 0; i < simple.size(); ++i) {
        if (simple[i].words->role != rules::WordRole::HeaderOpen) continue;
        const Simple* closer = nullptr;
        for (std::size_t k = i + 1; k < simple.size() && !(closer && simple[k].words->role == rules::WordRole::HeaderOpen); ++k)
            if (simple[k].words->role == rules::WordRole::HeaderClose &&
                (!closer || simple[k].words->phrase.size() < closer->words->phrase.size()))
                closer = &simple[k];
        if (!closer) continue;
        out += first ? "[" : ",[";
        first = false;
        base::appendJsonString(out, simple[i].js);
        out += ',';
        base::appendJsonString(out, closer->words->phrase);
        out += ',';
        base::appendJsonString(out, closer->js);
        out += ',';
        base::appendJsonString(out, simple[i].words->phrase);
        out += ']';
    }
    out += ']';
    key(out, "метка");
    out += '[';
    for (std::size_t r = 0; r < table.size() && r < vocabulary.braces.size(); ++r) {
        const base::CodePoints& p = table[r].pattern;
        if (vocabulary.braces[r].opens != 1 || p.size() != 3 || p[0] != '\\' || p[1] != ')' || p[2] >= 0x80 ||
            hasWordCode(std::string(1, static_cast<char>(p[2]))))
            continue;
        base::appendJsonString(out, std::string(1, static_cast<char>(p[2])));
        out += ',';
        base::appendJsonString(out, base::encodeUtf8(table[r].replacement));
        break;
    }
    out += ']';
    key(out, "знаки");
    out += '{';
    std::vector<std::string> symbols;
    for (const Simple& s : simple) {
        const std::string symbol = trimmed(s.js);
        if (symbol.empty() || hasWordCode(symbol)) continue;
        bool seen = false;
        for (const std::string& k : symbols) seen = seen || k == symbol;
        if (seen) continue;
        symbols.push_back(symbol);
        if (out.back() != '{') out += ',';
        base::appendJsonString(out, symbol);
        out += ':';
        base::appendJsonString(out, s.words->phrase);
    }
    out += '}';
    key(out, "объявляют");
    out += '[';
    first = true;
    for (const Simple& s : simple) {
        if (s.words->role != rules::WordRole::Declaration || s.words->declares == "function" || s.words->declares.empty()) continue;
        if (!first) out += ',';
        first = false;
        pair(out, s.words->phrase, s.js);
    }
    out += ']';
    key(out, "чужие");
    out += '{';
    for (const diagnostics::OtherWord& o : otherWords) {
        if (out.back() != '{') out += ',';
        base::appendJsonString(out, o.word);
        out += ':';
        base::appendJsonString(out, o.ours);
    }
    out += '}';
    key(out, "объявлены");
    out += '{';
    for (const auto& [name, line] : facts.declared) {
        if (out.back() != '{') out += ',';
        base::appendJsonString(out, name);
        out += ':' + std::to_string(line);
    }
    out += '}';
    key(out, "неопределеноНаписано");
    out += '[';
    for (std::size_t i = 0; i < facts.undefinedWritten.size(); ++i)
        out += (i ? "," : "") + std::to_string(facts.undefinedWritten[i]);
    out += ']';
    key(out, "склейки");
    out += '[';
    for (std::size_t i = 0; i < facts.joinedAnswers.size(); ++i) out += (i ? "," : "") + std::to_string(facts.joinedAnswers[i]);
    out += ']';
    key(out, "подсказки");
    out += '[';
    std::size_t told = 0;
    for (const diagnostics::Hint& h : hints) {
        if (!h.what->explainsRunTimeErrors) continue;
        if (told++ == maxBlockHints) break;
        out += told > 1 ? ",[" : "[";
        out += std::to_string(h.line) + ',';
        base::appendJsonString(out, h.text);
        out += ']';
    }
    out += "]});\n";
    return out;
}

}  // namespace output
