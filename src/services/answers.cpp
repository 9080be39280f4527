// Hover texts, completions, signatures and definitions, from the table's words and the
// program's names.
// Tests: tests/services/language_test.cpp.
#include "services/answers.h"

#include <algorithm>
#include <set>

#include "translator/source_regions.h"

namespace services {

namespace {

bool inLiteral(const translator::SourceRegions& regions, std::size_t at) {
    const auto next = std::upper_bound(regions.stretches.begin(), regions.stretches.end(), at,
                                       [](std::size_t v, const translator::Stretch& s) { return v < s.from; });
    return next != regions.stretches.begin() && at < std::prev(next)->to;
}

struct Run {
    std::size_t from, to;
};

// The word runs of one line.
std::vector<Run> runsOf(const Text& text, std::uint32_t line) {
    std::vector<Run> out;
    const std::size_t end = text.lineEnd(line);
    for (std::size_t i = text.lineStarts[line]; i < end;) {
        if (!translator::isWordCode(text.chars[i])) {
            ++i;
            continue;
        }
        std::size_t e = i;
        while (e < end && translator::isWordCode(text.chars[e])) ++e;
        out.push_back({i, e});
        i = e;
    }
    return out;
}

base::CodePoints decode(const std::string& s) { return base::decodeBytes(s); }

bool sameWord(const Text& text, const Run& r, const base::CodePoints& w, bool fold) {
    if (r.to - r.from != w.size()) return false;
    for (std::size_t i = 0; i < w.size(); ++i)
        if (fold ? base::toUpper(text.chars[r.from + i]) != base::toUpper(w[i]) : text.chars[r.from + i] != w[i]) return false;
    return true;
}

std::vector<base::CodePoints> wordsOf(const std::string& phrase) {
    std::vector<base::CodePoints> out;
    std::size_t from = 0;
    while (from < phrase.size()) {
        std::size_t space = phrase.find(' ', from);
        if (space == std::string::npos) space = phrase.size();
        if (space > from) out.push_back(decode(phrase.substr(from, space - from)));
        from = space + 1;
    }
    return out;
}

// The table's word standing at an offset: the longest phrase whose words cover it, one that
// stands as its rule asks (a call word before "(", a method after ".") first.
const Word* tableWordAt(const Text& text, std::uint32_t line, std::size_t at, const Language& language, Run& span) {
    const std::vector<Run> runs = runsOf(text, line);
    const Word* best = nullptr;
    std::size_t bestScore = 0;
    for (const Word& w : language.words) {
        const std::vector<base::CodePoints> words = wordsOf(w.phrase);
        if (words.empty()) continue;
        for (std::size_t s = 0; s + words.size() <= runs.size(); ++s) {
            const Run& first = runs[s];
            const Run& last = runs[s + words.size() - 1];
            if (first.from > at || last.to < at) continue;
            bool match = true;
            for (std::size_t k = 0; k < words.size() && match; ++k) match = sameWord(text, runs[s + k], words[k], w.ignoreCase);
            if (!match) continue;
            const bool dot = first.from > 0 && text.chars[first.from - 1] == '.';
            const bool bracket = last.to < text.chars.size() && text.chars[last.to] == '(';
            const bool fits = (w.role == rules::WordRole::Method) == dot && (!w.call || bracket);
            const std::size_t score = words.size() * 2 + (fits ? 100 : 0);
            if (score > bestScore) {
                best = &w;
                bestScore = score;
                span = {first.from, last.to};
            }
        }
    }
    return best;
}

const ProgramName* nameCalled(const std::vector<ProgramName>& names, const std::string& word) {
    for (const ProgramName& n : names)
        if (n.name == word) return &n;
    return nullptr;
}

const LibraryName* libraryNameCalled(const Language& language, const std::string& word) {
    for (const LibraryName& n : language.libraryNames)
        if (n.name == word) return &n;
    return nullptr;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : ", ") + p;
    return out;
}

std::string wordMarkdown(const Word& w) {
    std::string md = "**" + w.phrase + "** — " + roleTitle(w.role);
    if (!w.parameters.empty() || (w.call && w.role == rules::WordRole::Drawing)) md += "\n\n`" + w.phrase + "(" + joined(w.parameters) + ")`";
    if (!w.meaning.empty()) md += "\n\n" + w.meaning;
    if (!w.example.empty()) md += "\n\nПример: " + w.example;
    if (!w.javaScript.empty() && w.javaScript.size() <= 80) md += "\n\nВ JavaScript: `" + w.javaScript + "`";
    return md;
}

std::string nameMarkdown(const ProgramName& n) {
    std::string md = "**" + n.name + "** — " + nameKindTitle(n.kind);
    if (n.kind == NameKind::Function) md += "\n\n`" + n.name + "(" + joined(n.parameters) + ")`";
    md += "\n\nОпределение: строка " + std::to_string(n.at.from.line + 1);
    if (!n.declaredWith.empty()) md += ", после «" + n.declaredWith + "»";
    return md;
}

std::string libraryMarkdown(const LibraryName& n) {
    std::string md = "**" + n.name + "**";
    if (!n.parameters.empty()) md += "(" + joined(n.parameters) + ")";
    md += " — из библиотеки";
    if (!n.directive.empty()) md += " «" + n.directive + "»";
    return md + "\n\n" + n.description;
}

CompletionKind completionKind(rules::WordRole role) {
    switch (role) {
    case rules::WordRole::Function:
    case rules::WordRole::Output:
    case rules::WordRole::Drawing: return CompletionKind::Function;
    case rules::WordRole::Method: return CompletionKind::Method;
    case rules::WordRole::Value: return CompletionKind::Value;
    default: return CompletionKind::Keyword;
    }
}

CompletionKind completionKind(NameKind kind) {
    switch (kind) {
    case NameKind::Function: return CompletionKind::Function;
    case NameKind::Constant: return CompletionKind::Constant;
    case NameKind::Parameter: return CompletionKind::Parameter;
    case NameKind::Class: return CompletionKind::Class;
    default: return CompletionKind::Variable;
    }
}

}  // namespace

std::optional<Hover> hoverAt(const Text& text, Place p, const Language& language, const std::vector<ProgramName>& names) {
    if (p.line >= text.lineStarts.size()) return std::nullopt;
    const std::size_t at = text.offset(p);
    const translator::SourceRegions regions = translator::scanRegions(text.chars.data(), text.chars.size());
    if (inLiteral(regions, at)) return std::nullopt;
    const Range word = wordAt(text, p);
    const std::size_t from = text.offset(word.from), to = text.offset(word.to);
    if (from == to) return std::nullopt;
    Run span{};
    if (const Word* w = tableWordAt(text, p.line, at, language, span)) {
        const bool name = nameCalled(names, base::encodeUtf8(text.chars.data() + from, to - from)) != nullptr;
        if (!name || span.to - span.from > to - from) return Hover{{text.place(span.from), text.place(span.to)}, wordMarkdown(*w)};
    }
    const std::string name = base::encodeUtf8(text.chars.data() + from, to - from);
    if (const ProgramName* n = nameCalled(names, name)) return Hover{word, nameMarkdown(*n)};
    if (const LibraryName* n = libraryNameCalled(language, name)) return Hover{word, libraryMarkdown(*n)};
    return std::nullopt;
}

std::vector<Completion> completionsAt(const Text& text, Place p, const Language& language, const std::vector<ProgramName>& names) {
    std::vector<Completion> out;
    const Range word = wordAt(text, p);
    const std::size_t from = text.offset(word.from);
    const translator::SourceRegions regions = translator::scanRegions(text.chars.data(), text.chars.size());
    if (from > 0 && inLiteral(regions, from - 1) && inLiteral(regions, from)) return out;
    const bool afterDot = from > 0 && text.chars[from - 1] == '.';
    std::set<std::string> labels;
    // A phrase once: as the word of its role rather than a bracketed form of it («иначе {»).
    std::vector<const Word*> words;
    for (const Word& w : language.words)
        if (w.role != rules::WordRole::Other) words.push_back(&w);
    for (const Word& w : language.words)
        if (w.role == rules::WordRole::Other) words.push_back(&w);
    for (const Word* word : words) {
        const Word& w = *word;
        if ((w.role == rules::WordRole::Method) != afterDot || !labels.insert(w.phrase).second) continue;
        Completion c{w.phrase, completionKind(w.role), roleTitle(w.role), wordMarkdown(w), w.phrase, false};
        if (w.call) {
            c.snippet = true;
            std::string args;
            for (std::size_t k = 0; k < w.parameters.size(); ++k)
                args += (k ? ", ${" : "${") + std::to_string(k + 1) + ":" + w.parameters[k] + "}";
            c.insertText = w.phrase + "(" + args + ")$0";
        }
        out.push_back(std::move(c));
    }
    if (afterDot) return out;
    for (const Snippet& s : language.snippets)
        out.push_back({s.title, CompletionKind::Snippet, s.description, "```\n" + s.body + "\n```", s.body, true});
    for (const ProgramName& n : names) {
        if (!labels.insert(n.name).second) continue;
        out.push_back({n.name, completionKind(n.kind), nameKindTitle(n.kind), nameMarkdown(n), n.name, false});
    }
    for (const LibraryName& n : language.libraryNames) {
        if (!labels.insert(n.name).second) continue;
        out.push_back({n.name, n.parameters.empty() ? CompletionKind::Value : CompletionKind::Function, "из библиотеки",
                       libraryMarkdown(n), n.name, false});
    }
    return out;
}

std::optional<Signature> signatureAt(const Text& text, Place p, const Language& language, const std::vector<ProgramName>& names) {
    const std::size_t at = text.offset(p);
    const translator::SourceRegions regions = translator::scanRegions(text.chars.data(), text.chars.size());
    constexpr std::size_t lookBack = 4000;  // code points: a call's values are never longer
    std::uint32_t commas = 0;
    int depth = 0;
    std::size_t open = std::string::npos;
    for (std::size_t i = at; i > 0 && at - i < lookBack; --i) {
        const std::uint32_t c = text.chars[i - 1];
        if (inLiteral(regions, i - 1)) continue;
        if (c == ')' || c == ']' || c == '}') ++depth;
        if (c == '(' || c == '[' || c == '{') {
            if (depth == 0) {
                if (c == '(') open = i - 1;
                break;
            }
            --depth;
        }
        if (c == ',' && depth == 0) ++commas;
    }
    if (open == std::string::npos || open == 0) return std::nullopt;
    std::size_t from = open;
    while (from > 0 && translator::isWordCode(text.chars[from - 1])) --from;
    if (from == open) return std::nullopt;
    const std::string name = base::encodeUtf8(text.chars.data() + from, open - from);
    Signature s;
    std::string title;
    for (const Word& w : language.words) {
        const std::vector<base::CodePoints> words = wordsOf(w.phrase);
        // A call word that draws, or a word whose values are checked («написать», «сместиться в точку»).
        if (words.empty() || (w.parameters.empty() && !(w.call && w.role == rules::WordRole::Drawing))) continue;
        // The phrase's words end at the bracket, each after the one before it and blanks.
        std::size_t start = open;
        bool same = true;
        for (std::size_t k = words.size(); same && k-- > 0;) {
            std::size_t end = start;
            if (k + 1 < words.size()) {
                while (end > 0 && (text.chars[end - 1] == ' ' || text.chars[end - 1] == '\t')) --end;
                same = end < start;
            }
            start = end;
            while (start > 0 && translator::isWordCode(text.chars[start - 1])) --start;
            same = same && end - start == words[k].size();
            for (std::size_t i = 0; same && i < words[k].size(); ++i)
                same = w.ignoreCase ? base::toUpper(words[k][i]) == base::toUpper(text.chars[start + i]) : words[k][i] == text.chars[start + i];
        }
        if (!same) continue;
        title = base::encodeUtf8(text.chars.data() + start, open - start);
        s.parameters = w.parameters;
        s.documentation = w.meaning;
        break;
    }
    if (title.empty()) {
        if (const ProgramName* n = nameCalled(names, name); n && n->kind == NameKind::Function) {
            title = name;
            s.parameters = n->parameters;
            s.documentation = "функция программы, строка " + std::to_string(n->at.from.line + 1);
        } else if (const LibraryName* l = libraryNameCalled(language, name); l && !l->parameters.empty()) {
            title = name;
            s.parameters = l->parameters;
            s.documentation = l->description;
        }
    }
    if (title.empty()) return std::nullopt;
    s.label = title + "(" + joined(s.parameters) + ")";
    s.active = s.parameters.empty() ? 0 : std::min<std::uint32_t>(commas, static_cast<std::uint32_t>(s.parameters.size() - 1));
    return s;
}

std::optional<Range> definitionAt(const Text& text, Place p, const std::vector<ProgramName>& names) {
    const Range word = wordAt(text, p);
    const std::size_t from = text.offset(word.from), to = text.offset(word.to);
    if (from == to) return std::nullopt;
    if (const ProgramName* n = nameCalled(names, base::encodeUtf8(text.chars.data() + from, to - from))) return n->at;
    return std::nullopt;
}

}  // namespace services
