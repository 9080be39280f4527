// The names a program defines, told apart by what stands before and after them.
// Tests: tests/services/language_test.cpp.
#include "services/program.h"

#include <algorithm>

#include "diagnostics/names.h"
#include "diagnostics/word_table.h"
#include "translator/source_regions.h"

namespace services {

namespace {

bool isLineFeed(std::uint32_t c) { return translator::isLineFeed(c); }

// A declaring phrase: its words, in capitals when its rule ignores case, and what it declares.
struct Declaring {
    std::vector<std::u32string> words;
    bool ignoreCase = false;
    std::string keyword, phrase;
    bool loop = false;  // a loop's own variable («для каждого»)
};

std::vector<Declaring> declaringPhrases(const rules::Vocabulary& v) {
    std::vector<Declaring> out;
    for (const rules::RuleWords& rule : v.rules) {
        if (rule.declares.empty()) continue;
        Declaring d{{}, rule.ignoreCase, rule.declares, rule.phrase, rule.role == rules::WordRole::HeaderOpen};
        for (const std::string& w : rule.words) {
            const base::CodePoints p = base::decodeBytes(w);
            d.words.emplace_back(p.begin(), p.end());
        }
        out.push_back(std::move(d));
    }
    for (const char* js : {"let", "const", "var", "function", "class", "catch"}) {
        const std::string w = js;
        out.push_back({{std::u32string(w.begin(), w.end())}, false, js, js, false});
    }
    return out;
}

bool sameWord(const std::uint32_t* c, const diagnostics::NameToken& t, const std::u32string& w, bool fold) {
    if (t.mark != 0 || t.to - t.from != w.size()) return false;
    for (std::size_t i = 0; i < w.size(); ++i)
        if (fold ? base::toUpper(c[t.from + i]) != base::toUpper(w[i]) : c[t.from + i] != w[i]) return false;
    return true;
}

}  // namespace

std::size_t Text::lineEnd(std::uint32_t line) const {
    std::size_t end = line + 1 < lineStarts.size() ? lineStarts[line + 1] : chars.size();
    while (end > lineStarts[std::min<std::size_t>(line, lineStarts.size() - 1)] && (isLineFeed(chars[end - 1]) || chars[end - 1] == 0x0D))
        --end;
    return end;
}

std::size_t Text::offset(Place p) const {
    if (p.line >= lineStarts.size()) return chars.size();
    return std::min(lineStarts[p.line] + p.column, lineEnd(p.line));
}

Place Text::place(std::size_t offset) const {
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    const std::size_t line = static_cast<std::size_t>(after - lineStarts.begin()) - 1;
    return {static_cast<std::uint32_t>(line), static_cast<std::uint32_t>(offset - lineStarts[line])};
}

std::string Text::lineText(std::uint32_t line) const {
    if (line >= lineStarts.size()) return {};
    return base::encodeUtf8(chars.data() + lineStarts[line], lineEnd(line) - lineStarts[line]);
}

Text makeText(const std::string& utf8) {
    Text t;
    if (!base::decodeUtf8(utf8, t.chars)) base::decodeCp1251(utf8, t.chars);
    t.lineStarts.push_back(0);
    for (std::size_t i = 0; i < t.chars.size(); ++i)
        if (t.chars[i] == 0x0A) t.lineStarts.push_back(i + 1);
    return t;
}

std::uint32_t utf16Column(const Text& text, Place p) {
    if (p.line >= text.lineStarts.size()) return 0;
    const std::size_t start = text.lineStarts[p.line], end = text.lineEnd(p.line);
    std::uint32_t units = 0;
    for (std::size_t i = start; i < end && i - start < p.column; ++i) units += text.chars[i] > 0xFFFF ? 2 : 1;
    return units;
}

Place placeOfUtf16(const Text& text, std::uint32_t line, std::uint64_t units) {
    Place p{line, 0};
    if (line >= text.lineStarts.size()) return p;
    const std::size_t start = text.lineStarts[line], end = text.lineEnd(line);
    std::uint64_t counted = 0;
    std::size_t i = start;
    while (i < end && counted < units) counted += text.chars[i++] > 0xFFFF ? 2 : 1;
    p.column = static_cast<std::uint32_t>(i - start);
    return p;
}

const char* nameKindTitle(NameKind kind) {
    switch (kind) {
    case NameKind::Variable: return "переменная";
    case NameKind::Constant: return "константа";
    case NameKind::LoopVariable: return "переменная цикла";
    case NameKind::Function: return "функция";
    case NameKind::Parameter: return "параметр функции";
    case NameKind::Class: return "класс";
    case NameKind::Key: break;
    }
    return "ключ объекта";
}

std::vector<ProgramName> programNames(const Text& text, const Language& language) {
    const std::uint32_t* c = text.chars.data();
    const std::size_t n = text.chars.size();
    const translator::SourceRegions regions = translator::scanRegions(c, n);
    const std::vector<diagnostics::NameToken> tokens = diagnostics::nameTokens(c, n, regions);
    diagnostics::WordTable table;
    table.text = c;
    const std::vector<diagnostics::NameSpan> spans = diagnostics::defineNames(c, n, tokens, language.loaded.vocabulary, table);
    const std::vector<Declaring> declaring = declaringPhrases(language.loaded.vocabulary);

    std::vector<ProgramName> out;
    std::size_t j = 0;  // the token of the span, found moving forward
    std::vector<std::size_t> opens;  // brackets open before token j
    for (const diagnostics::NameSpan& span : spans) {
        while (j < tokens.size() && tokens[j].from < span.from) {
            if (tokens[j].mark == '(' || tokens[j].mark == '[' || tokens[j].mark == '{') opens.push_back(j);
            if ((tokens[j].mark == ')' || tokens[j].mark == ']' || tokens[j].mark == '}') && !opens.empty()) opens.pop_back();
            ++j;
        }
        ProgramName name;
        name.name = base::encodeUtf8(c + span.from, span.length);
        name.at = {text.place(span.from), text.place(span.from + span.length)};
        bool told = false;
        for (const Declaring& d : declaring) {
            const std::size_t k = d.words.size();
            if (j < k) continue;
            bool match = true;
            for (std::size_t w = 0; w < k && match; ++w) match = sameWord(c, tokens[j - k + w], d.words[w], d.ignoreCase);
            if (!match) continue;
            name.declaredWith = d.phrase;
            name.kind = d.keyword == "function" ? NameKind::Function
                      : d.keyword == "class"    ? NameKind::Class
                      : d.loop                  ? NameKind::LoopVariable
                      : d.keyword == "const"    ? NameKind::Constant
                      : d.keyword == "catch"    ? NameKind::Parameter
                                                : NameKind::Variable;
            told = true;
            break;
        }
        if (!told && j > 0 && !opens.empty()) {
            const std::uint32_t open = tokens[opens.back()].mark;
            name.kind = open == '(' ? NameKind::Parameter : open == '{' && j + 1 < tokens.size() && tokens[j + 1].mark == ':' ? NameKind::Key : NameKind::Variable;
        } else if (!told && j + 1 < tokens.size() && tokens[j + 1].mark == ':') {
            name.kind = NameKind::Key;
        }
        if (name.kind == NameKind::Function && j + 1 < tokens.size() && tokens[j + 1].mark == '(') {
            for (std::size_t k = j + 2; k < tokens.size() && tokens[k].mark != ')'; ++k)
                if (tokens[k].mark == 0) name.parameters.push_back(base::encodeUtf8(c + tokens[k].from, tokens[k].to - tokens[k].from));
        }
        out.push_back(std::move(name));
    }
    return out;
}

Range wordAt(const Text& text, Place p) {
    const std::size_t at = text.offset(p);
    const std::size_t lineStart = p.line < text.lineStarts.size() ? text.lineStarts[p.line] : text.chars.size();
    std::size_t from = at, to = at;
    while (from > lineStart && translator::isWordCode(text.chars[from - 1])) --from;
    while (to < text.chars.size() && translator::isWordCode(text.chars[to])) ++to;
    return {text.place(from), text.place(to)};
}

}  // namespace services
