// The hints pass: strings that swallow lines, words one typing mistake from a known one, words
// of mixed alphabets and of other languages, the slips of slips.cpp, with the blocks, headers and conditions read by hint_structure.cpp.
// Tests: tests/diagnostics/hints_test.cpp.
#include "diagnostics/hints.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "diagnostics/hint_structure.h"
#include "diagnostics/names.h"
#include "diagnostics/near_words.h"
#include "diagnostics/slips.h"
#include "diagnostics/word_table.h"
#include "translator/source_regions.h"

namespace diagnostics {

namespace {

using WordSet = std::unordered_set<std::u32string>;

// Words a learner may write that no rule and no definition of the program explains: the
// JavaScript language's own (the learner may write it directly), the browser's usual globals and
// the counter the compiler gives every counted loop. They only ever silence a hint.
constexpr const char* javaScriptWords[] = {
    "break", "case", "catch", "class", "const", "continue", "debugger", "default", "delete", "do", "else", "export",
    "extends", "false", "finally", "for", "function", "if", "import", "in", "instanceof", "let", "new", "null", "of",
    "return", "super", "switch", "this", "throw", "true", "try", "typeof", "undefined", "var", "void", "while", "with",
    "yield", "async", "await", "static", "get", "set", "NaN", "Infinity", "arguments", "Math", "Date", "JSON",
    "Number", "String", "Boolean", "Array", "Object", "Symbol", "Map", "Set", "Promise", "RegExp", "Error",
    "parseInt", "parseFloat", "isNaN", "isFinite", "window", "document", "console", "alert", "prompt", "confirm",
    "setTimeout", "setInterval", "clearTimeout", "clearInterval", "requestAnimationFrame", "localStorage",
    "navigator", "location", "performance", "fetch", "eval", "globalThis", "счетчик"};

std::u32string wordAt(const std::uint32_t* chars, std::size_t from, std::size_t to) {
    return std::u32string(chars + from, chars + to);
}

std::u32string upper(std::u32string w) {
    for (char32_t& c : w) c = base::toUpper(c);
    return w;
}

std::string utf8(const std::u32string& w) {
    return base::encodeUtf8(reinterpret_cast<const std::uint32_t*>(w.data()), w.size());
}

bool isLatin(std::uint32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isCyrillic(std::uint32_t c) { return c >= 0x400 && c <= 0x4FF; }

// "строки 5–9" or "строка 5".
std::string lineRange(std::uint32_t first, std::uint32_t last) {
    if (first == last) return "строка " + std::to_string(first);
    return "строки " + std::to_string(first) + "–" + std::to_string(last);
}

// Strings whose quotes stand on different lines: the first one that matters is told, and the
// line it opens on is returned (0 when none): past it the program cannot be read reliably.
std::uint32_t strayHint(const base::CodeText& text, const translator::SourceRegions& regions, std::vector<Hint>& out) {
    const std::uint32_t* chars = text.chars.data();
    for (const translator::StrayLiteral& s : regions.strays) {
        const std::uint32_t line = text.lines[s.open], closeLine = text.lines[s.close];
        const std::string quote = chars[s.open] == '"' ? "\"" : "'";
        if (s.openedIn == translator::Region::Code) {
            out.push_back({line, HintKind::SwallowingString,
                           onLine(line, "кавычка " + quote + " не закрыта до конца строки (её пара — на строке " +
                                            std::to_string(closeLine) + ") — закройте её на этой же строке")});
            return line;
        }
        // The lines in between that hold code rather than comments: those the rules skipped.
        std::uint32_t first = 0, last = 0;
        for (std::size_t k = s.open + 1; k < s.close; ++k) {
            if (!translator::isLineFeed(chars[k - 1])) continue;
            std::size_t at = k;
            while (at < s.close && (chars[at] == ' ' || chars[at] == '\t')) ++at;
            const bool comment = at + 1 < s.close && chars[at] == '/' && chars[at + 1] == '/';
            if (at >= s.close || translator::isLineFeed(chars[at]) || chars[at] == 0x0D || comment) continue;
            if (first == 0) first = text.lines[k];
            last = text.lines[k];
        }
        if (first == 0) continue;  // only comments in between: nothing was lost
        std::size_t from = s.open, to = s.open + 1;
        while (from > 0 && translator::isWordCode(chars[from - 1])) --from;
        while (to < text.chars.size() && translator::isWordCode(chars[to])) ++to;
        const std::string quoted = to - from > 1 ? base::encodeUtf8(chars + from, to - from) : "";
        const std::string word = quoted.empty() ? "" : " («" + quoted + "»)";
        const std::string where = s.openedIn == translator::Region::Comment ? "в комментарии" : "в тексте в обратных кавычках";
        const std::string lost = lineRange(first, last) + (first == last ? " не переведена" : " не переведены");
        Hint hint{line, HintKind::SwallowingString,
                  onLine(line, "кавычка " + quote + " " + where + word + " открыла текст в кавычках, и " + lost + " — уберите её")};
        if (!quoted.empty()) hint.named = {quoted};
        out.push_back(std::move(hint));
        return line;
    }
    return 0;
}

// The letters of a word that stand out: those of the alphabet it uses less, in the parts of the
// word (between "_" and digits) that mix Latin and Cyrillic letters. None when no part mixes them.
struct OddLetters {
    std::u32string letters;  // each once, in order
    bool latin = false;
};

OddLetters oddLetters(const std::u32string& w) {
    std::size_t latinCount = 0, cyrillicCount = 0;
    std::vector<std::pair<std::size_t, std::size_t>> mixed;
    for (std::size_t i = 0; i < w.size();) {
        std::size_t end = i;
        bool hasLatin = false, hasCyrillic = false;
        while (end < w.size() && (isLatin(w[end]) || isCyrillic(w[end]))) {
            hasLatin = hasLatin || isLatin(w[end]);
            hasCyrillic = hasCyrillic || isCyrillic(w[end]);
            ++end;
        }
        if (hasLatin && hasCyrillic) {
            mixed.emplace_back(i, end);
            for (std::size_t k = i; k < end; ++k) (isLatin(w[k]) ? latinCount : cyrillicCount) += 1;
        }
        i = end > i ? end : i + 1;
    }
    OddLetters odd;
    odd.latin = latinCount <= cyrillicCount;
    for (const auto& [from, to] : mixed)
        for (std::size_t k = from; k < to; ++k)
            if (isLatin(w[k]) == odd.latin && odd.letters.find(w[k]) == std::u32string::npos) odd.letters.push_back(w[k]);
    return odd;
}

std::string mixedHint(const std::u32string& w) {
    const OddLetters odd = oddLetters(w);
    if (odd.letters.empty()) return {};
    const bool several = odd.letters.size() > 1;
    std::string listed;
    for (const char32_t c : odd.letters) listed += (listed.empty() ? "«" : ", «") + utf8(std::u32string(1, c)) + "»";
    const std::string alphabet = odd.latin ? (several ? "латинские буквы " : "латинская буква ")
                                           : (several ? "русские буквы " : "русская буква ");
    const std::string todo = odd.latin ? (several ? "наберите их русскими" : "наберите её русской")
                                       : (several ? "наберите их латинскими" : "наберите её латинской");
    return "в слове «" + utf8(w) + "» " + alphabet + listed + " — " + todo;
}

// Letters that look alike in the Latin and Cyrillic alphabets, in pairs (Latin, Cyrillic).
constexpr char32_t twins[] = U"aаeеoоpрcсyуxхAАBВEЕKКMМHНOОPРCСTТXХ";

// The word with its odd letters (oddLetters) written in the other alphabet, or "" when one of
// them has no twin there.
std::u32string twinSpelling(const std::u32string& w) {
    const OddLetters odd = oddLetters(w);
    if (odd.letters.empty()) return {};
    std::u32string out = w;
    for (char32_t& c : out) {
        if (odd.letters.find(c) == std::u32string::npos) continue;
        const std::u32string_view all(twins);
        std::size_t at = all.find(c);
        while (at != std::u32string_view::npos && (at % 2 == 0) != odd.latin) at = all.find(c, at + 1);
        if (at == std::u32string_view::npos) return {};
        c = all[odd.latin ? at + 1 : at - 1];
    }
    return out;
}

struct Words {
    WordSet exact, folded, known;  // vocabulary words by case rule; JavaScript's and the libraries' names
    // Candidates for suggestions, in order of preference: vocabulary words, then (put in by the
    // caller) the names the program defines, then the libraries' names.
    std::vector<KnownWord> bare, afterDot, library;
};

Words wordsOf(const rules::Vocabulary& vocabulary, const std::vector<std::u32string>& libraryDefined) {
    Words w;
    std::unordered_set<std::u32string> listed;
    for (const rules::RuleWords& rule : vocabulary.rules) {
        for (const std::string& word : rule.words) {
            const base::CodePoints points = base::decodeBytes(word);
            const std::u32string u(points.begin(), points.end());
            (rule.ignoreCase ? w.folded : w.exact).insert(rule.ignoreCase ? upper(u) : u);
            const std::u32string key =
                std::u32string(rule.ignoreCase ? U"i" : U"e") + (rule.role == rules::WordRole::Method ? U"." : U" ") + u;
            if (rule.role == rules::WordRole::Library || !listed.insert(key).second) continue;
            (rule.role == rules::WordRole::Method ? w.afterDot : w.bare).push_back({u, rule.ignoreCase});
        }
    }
    for (const char* word : javaScriptWords) {
        const base::CodePoints points = base::decodeBytes(word);
        w.known.emplace(points.begin(), points.end());
    }
    for (const std::string& name : vocabulary.libraryNames) {
        const base::CodePoints points = base::decodeBytes(name);
        w.library.push_back({std::u32string(points.begin(), points.end()), false});
    }
    for (const std::u32string& name : libraryDefined) {
        w.known.insert(name);
        w.library.push_back({name, false});
    }
    return w;
}

bool isKnown(const Words& w, const std::u32string& word) {
    return w.exact.count(word) || w.known.count(word) || w.folded.count(upper(word));
}

// Words looked up by a view of the text, so that a pass over a large text allocates nothing.
struct ViewHash {
    using is_transparent = void;
    std::size_t operator()(std::u32string_view v) const { return std::hash<std::u32string_view>{}(v); }
};
using WordsByView = std::unordered_map<std::u32string, std::size_t, ViewHash, std::equal_to<>>;

// Of `words`, those that some replacement or included library writes (their values set to -1):
// a name that appears anywhere in those, quoted or not, is one the learner may use. One pass
// over the texts, read only when some word is not known otherwise.
void markWritten(const std::vector<rules::Rule>& table, const base::CodePoints& libraries, WordsByView& words) {
    auto scan = [&](const std::uint32_t* chars, std::size_t n) {
        for (std::size_t i = 0; i < n;) {
            if (!translator::isWordCode(chars[i])) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < n && translator::isWordCode(chars[end])) ++end;
            const std::u32string_view run(reinterpret_cast<const char32_t*>(chars + i), end - i);
            if (const auto found = words.find(run); found != words.end()) found->second = static_cast<std::size_t>(-1);
            i = end;
        }
    };
    for (const rules::Rule& rule : table) scan(rule.replacement.data(), rule.replacement.size());
    scan(libraries.data(), libraries.size());
}

// What the word hints read: the program, the words no rule took, the program's defined names, the
// known words (made when first needed), and the texts the rules and libraries write.
struct WordReading {
    const base::CodeText& text;
    const std::vector<LearnerWord>& found;
    const std::vector<NameSpan>& defined;
    std::function<Words()> makeWords;
    const std::vector<rules::Rule>& table;
    const base::CodePoints& libraries;
    const std::vector<OtherWord>& otherWords;
};

// Unknown words and mixed letters, over the words no rule took. Each distinct word is judged
// once; `names` holds the program's defined names as its first ids.
void wordHints(const WordReading& reading, WordTable& names, std::vector<Hint>& out) {
    const base::CodeText& text = reading.text;
    const std::vector<NameSpan>& defined = reading.defined;
    // The known words are gathered for the first word that is no defined name; a program whose
    // words are all its own names never needs them.
    std::optional<Words> knownWords;
    auto known = [&]() -> Words& {
        if (!knownWords) knownWords = reading.makeWords();
        return *knownWords;
    };
    enum class State : std::uint8_t { Known, Open, Mixed, Foreign, Short, Asked };
    struct Verdict {
        State state = State::Known;
        std::int32_t query[2] = {-1, -1};  // its index among the questions, by place (0 bare, 1 after a dot)
    };
    const std::uint32_t* chars = text.chars.data();
    std::vector<Verdict> verdicts;  // by id - defined.size()
    WordsByView open;               // words no list explains yet -> id
    struct Seen {
        std::uint32_t line;
        std::uint32_t from, to;
        std::uint32_t word;  // id - defined.size()
        bool afterDot;
    };
    std::vector<Seen> seen;
    for (const LearnerWord& lw : reading.found) {
        bool added = false;
        const std::size_t id = wordId(names, lw.from, lw.to - lw.from, added);
        if (id < defined.size()) continue;  // a name the program defines
        if (added) {
            std::u32string w = wordAt(chars, lw.from, lw.to);
            Verdict v;
            if (!isKnown(known(), w)) {
                v.state = State::Open;
                open.emplace(std::move(w), id);
            }
            verdicts.push_back(v);
        }
        if (verdicts[id - defined.size()].state == State::Open)
            seen.push_back({text.lines[lw.from], lw.from, lw.to, static_cast<std::uint32_t>(id - defined.size()), lw.afterDot});
    }
    if (open.empty()) return;
    markWritten(reading.table, reading.libraries, open);

    std::unordered_map<std::size_t, std::string> mixed;  // the mixed-letters or other-language hint of a word, by verdict
    std::unordered_map<std::size_t, std::string> fixes;  // the word to write instead, where one is certain
    // Words of other languages: only those with a Latin letter (a Russian slip such as «в» is told
    // where it stands, by slipHints).
    std::unordered_map<std::u32string, std::string> foreign;
    for (const OtherWord& o : reading.otherWords) {
        const base::CodePoints points = base::decodeBytes(o.word);
        if (std::any_of(points.begin(), points.end(), isLatin)) foreign.emplace(std::u32string(points.begin(), points.end()), o.ours);
    }
    std::vector<std::u32string> queries[2];
    std::vector<const std::u32string*> wordOf(verdicts.size());
    for (const auto& [w, id] : open) {
        if (id == static_cast<std::size_t>(-1)) continue;
        Verdict& v = verdicts[id - defined.size()];
        wordOf[id - defined.size()] = &w;
        std::string hint = mixedHint(w);
        const auto other = foreign.find(w);
        // Shorter words are one typing mistake from too many others.
        v.state = !hint.empty() ? State::Mixed : other != foreign.end() ? State::Foreign : w.size() < 4 ? State::Short : State::Asked;
        if (v.state == State::Foreign) hint = "«" + utf8(w) + "» — слово другого языка; в ЛУМ скрипте пишут «" + other->second + "»";
        if (v.state == State::Foreign) fixes.emplace(id - defined.size(), other->second);
        if (v.state == State::Mixed)
            if (std::u32string twin = twinSpelling(w); !twin.empty()) fixes.emplace(id - defined.size(), utf8(twin));
        if (!hint.empty()) mixed.emplace(id - defined.size(), std::move(hint));
    }
    std::vector<Seen> asked;
    for (const Seen& s : seen) {
        Verdict& v = verdicts[s.word];
        if (v.state == State::Mixed || v.state == State::Foreign) {
            const auto fix = fixes.find(s.word);
            out.push_back(spanned({s.line, v.state == State::Mixed ? HintKind::MixedLetters : HintKind::ForeignWord, onLine(s.line, mixed[s.word])},
                                  chars, s.from, s.to, fix == fixes.end() ? nullptr : &fix->second));
        }
        if (v.state != State::Asked) continue;
        const int list = s.afterDot ? 1 : 0;
        if (v.query[list] < 0) {
            v.query[list] = static_cast<std::int32_t>(queries[list].size());
            queries[list].push_back(*wordOf[s.word]);
        }
        asked.push_back(s);
    }
    if (asked.empty()) return;
    std::vector<KnownWord> bare = known().bare;
    for (const NameSpan& d : defined) bare.push_back({wordAt(chars, d.from, d.from + d.length), false});
    bare.insert(bare.end(), known().library.begin(), known().library.end());
    const std::vector<int> nearest[2] = {nearestKnownWords(queries[0], bare), nearestKnownWords(queries[1], known().afterDot)};
    for (const Seen& a : asked) {
        const int list = a.afterDot ? 1 : 0;
        const std::int32_t q = verdicts[a.word].query[list];
        const int k = nearest[list][static_cast<std::size_t>(q)];
        if (k < 0) continue;
        const std::u32string& word = queries[list][static_cast<std::size_t>(q)];
        const std::u32string& suggestion = (list == 0 ? bare : known().afterDot)[static_cast<std::size_t>(k)].word;
        const std::string fix = utf8(suggestion);
        out.push_back(spanned({a.line, HintKind::UnknownWord,
                               onLine(a.line, "незнакомое слово «" + utf8(word) + "» — может быть, «" + fix + "»?")},
                              chars, a.from, a.to, &fix));
    }
}

}  // namespace

std::vector<Hint> findHints(const base::CodeText& source, const rules::LoadedRules& language, const base::CodePoints& libraries) {
    const std::vector<rules::Rule>& table = language.table;
    const rules::Vocabulary& vocabulary = language.vocabulary;
    const std::uint32_t* chars = source.chars.data();
    const std::size_t n = source.chars.size();
    const translator::SourceRegions regions = translator::scanRegions(chars, n);

    std::vector<Hint> findings;
    const std::uint32_t brokenFrom = strayHint(source, regions, findings);
    StructureReading structure = readStructure(source, regions, table, vocabulary, brokenFrom);

    WordTable names;  // the program's words: its defined names first
    names.text = chars;
    const std::vector<NameSpan> defined = defineNames(chars, n, structure.tokens, vocabulary, names);
    structure.tokens = {};
    const translator::SourceRegions libraryRegions = translator::scanRegions(libraries.data(), libraries.size());
    const std::vector<std::u32string> libraryDefined = definedNameList(
        libraries.data(), libraries.size(), nameTokens(libraries.data(), libraries.size(), libraryRegions), vocabulary);
    const WordReading reading{source, structure.words, defined, [&] { return wordsOf(vocabulary, libraryDefined); },
                              table, libraries, language.otherWords};
    wordHints(reading, names, structure.findings);
    slipHints(source, regions, vocabulary, language.otherWords, structure.findings);

    for (Hint& f : structure.findings) {
        // Past a string that swallowed a line end, what is code and what is text is guesswork.
        if (brokenFrom != 0 && f.line >= brokenFrom) continue;
        findings.push_back(std::move(f));
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Hint& a, const Hint& b) { return a.line != b.line ? a.line < b.line : a.kind < b.kind; });
    std::vector<Hint> hints;
    std::unordered_set<std::string> onThisLine;  // a word misspelt twice on a line is told once
    for (std::size_t i = 0; i < findings.size(); ++i) {
        if (i > 0 && findings[i].line != findings[i - 1].line) onThisLine.clear();
        if (onThisLine.insert(findings[i].text).second) hints.push_back(std::move(findings[i]));
    }
    return hints;
}

Hint spanned(Hint hint, const std::uint32_t* chars, std::size_t from, std::size_t to, const std::string* fix) {
    std::size_t start = from;
    while (start > 0 && !translator::isLineFeed(chars[start - 1])) --start;
    hint.from = static_cast<std::uint32_t>(from - start);
    hint.to = static_cast<std::uint32_t>(to - start);
    if (fix) {
        hint.hasFix = true;
        hint.fix = *fix;
    }
    return hint;
}

const base::FindingKind& hintKindRow(HintKind kind) {
    using base::Severity;
    // One row per kind, in the enumeration's order.
    static constexpr base::FindingKind rows[] = {
        {"unclosed-block", Severity::Warning, true},
        {"unfinished-header", Severity::Warning, true},
        {"swallowing-string", Severity::Warning, false},
        {"unknown-word", Severity::Information, false},
        {"mixed-letters", Severity::Information, false},
        {"assign-in-condition", Severity::Warning, false},
        {"foreign-word", Severity::Information, false},
        {"decimal-comma", Severity::Information, false},
        {"comparison-gives-value", Severity::Warning, false},
        {"loop-word", Severity::Information, false},
        {"endless-loop", Severity::Warning, false},
        {"dropped-value", Severity::Warning, false},
        {"never-runs", Severity::Warning, false},
        {"swapped-comparison", Severity::Warning, false},
        {"caret-power", Severity::Warning, false},
        {"empty-condition", Severity::Warning, false},
        {"plain-quotes-template", Severity::Information, false},
        {"lost-value", Severity::Warning, false},
        {"loop-flow", Severity::Warning, false},
        {"branch-flow", Severity::Warning, false},
        {"function-flow", Severity::Warning, false},
        {"text-answer", Severity::Warning, false},
        {"name-shape", Severity::Warning, true},
        {"element-brackets", Severity::Warning, false},
        {"computation", Severity::Warning, false},
    };
    const auto at = static_cast<std::size_t>(kind) - 1;
    return rows[at < std::size(rows) ? at : std::size(rows) - 1];
}

}  // namespace diagnostics
