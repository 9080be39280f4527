// Reads the rule table for the words of the language and the part each of them plays.
// Tests: tests/rules/vocabulary_test.cpp.
#include "rules/vocabulary.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "rules/checked_words.h"
#include "rules/libraries.h"
#include "rules/pattern.h"

namespace rules {

const char* const runtimeObject = "__LUM__";

namespace {

bool isNameChar(std::uint32_t c) { return isWordChar(c) || c == '$'; }
bool isNameStart(std::uint32_t c) { return isNameChar(c) && !(c >= '0' && c <= '9'); }

bool isLetter(std::uint32_t c) { return isWordChar(c) && !(c >= '0' && c <= '9') && c != '_'; }

bool isQuote(std::uint32_t c) { return c == '"' || c == '\'' || c == '`'; }

constexpr std::array<std::string_view, 20> javaScriptKeywords = {
    "if",  "else", "for",   "while",    "do",  "function", "const",  "let",    "var",  "return",
    "of",  "in",   "new",   "typeof",   "break", "continue", "class", "this", "true", "false"};

bool isKeyword(const std::string& name) {
    return std::find(javaScriptKeywords.begin(), javaScriptKeywords.end(), name) != javaScriptKeywords.end() ||
           name == "null" || name == "undefined";
}

std::string trimmed(const std::string& s) {
    const std::size_t from = s.find_first_not_of(" \t");
    if (from == std::string::npos) return {};
    return s.substr(from, s.find_last_not_of(" \t") - from + 1);
}

// Brackets a code-point sequence leaves open and closes that it did not open itself, counted
// outside quotes when `skipQuotes` is set (a replacement); a pattern's brackets are literal nodes.
struct Brackets {
    int opensParen = 0, closesParen = 0, opensBrace = 0, closesBrace = 0;
    void add(std::uint32_t c) {
        if (c == '(') ++opensParen;
        if (c == '{') ++opensBrace;
        if (c == ')') (opensParen > 0 ? --opensParen : ++closesParen);
        if (c == '}') (opensBrace > 0 ? --opensBrace : ++closesBrace);
    }
};

Brackets replacementBrackets(const base::CodePoints& text) {
    Brackets b;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isQuote(text[i])) {
            const auto close = std::find(text.begin() + static_cast<std::ptrdiff_t>(i) + 1, text.end(), text[i]);
            if (close != text.end()) {
                i = static_cast<std::size_t>(close - text.begin());
                continue;
            }
        }
        b.add(text[i]);
    }
    return b;
}

Brackets patternBrackets(const CompiledPattern& nodes) {
    Brackets b;
    for (const PatternNode& node : nodes)
        if (!node.isSet && !node.isBoundary) b.add(node.ch);
    return b;
}

std::vector<std::string> letterRuns(const CompiledPattern& nodes) {
    std::vector<std::string> runs;
    for (const auto& [first, last] : wordRanges(nodes)) {
        base::CodePoints run;
        for (std::size_t k = first; k < last; ++k) run.push_back(nodes[k].ch);
        runs.push_back(base::encodeUtf8(run));
    }
    return runs;
}

// Dotted names outside quotes; a leading "." belongs to no name ("x.length" and ".length" both
// give "length").
std::vector<std::vector<std::string>> namePaths(const base::CodePoints& text) {
    std::vector<std::vector<std::string>> paths;
    std::vector<std::string> path;
    for (std::size_t i = 0; i < text.size();) {
        const std::uint32_t c = text[i];
        if (isQuote(c)) {
            const auto close = std::find(text.begin() + static_cast<std::ptrdiff_t>(i) + 1, text.end(), c);
            if (close != text.end()) {
                if (!path.empty()) paths.push_back(std::move(path));
                path.clear();
                i = static_cast<std::size_t>(close - text.begin()) + 1;
                continue;
            }
        }
        if (isNameStart(c) && (i == 0 || !isNameChar(text[i - 1]))) {
            std::size_t end = i;
            while (end < text.size() && isNameChar(text[end])) ++end;
            const bool continues = !path.empty() && i > 0 && text[i - 1] == '.';
            if (!continues && !path.empty()) {
                paths.push_back(std::move(path));
                path.clear();
            }
            path.push_back(base::encodeUtf8(text.data() + i, end - i));
            i = end;
            continue;
        }
        if (c != '.' && !path.empty()) {
            paths.push_back(std::move(path));
            path.clear();
        }
        ++i;
    }
    if (!path.empty()) paths.push_back(std::move(path));
    return paths;
}

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += separator;
        out += parts[i];
    }
    return out;
}

bool isLibraryText(const std::string& replacement) {
    for (int i = 0; i < builtinLibraryCount; ++i)
        if (builtinLibraries()[i].text == replacement) return true;
    return false;
}

// The built-in library whose text the code points are, or -1: told by length first and then by
// comparing in place, so that a rule inserting a library costs no encoding of its text.
int libraryOf(const base::CodePoints& text) {
    for (int i = 0; i < builtinLibraryCount; ++i) {
        const std::string_view utf8 = builtinLibraries()[i].text;
        std::size_t points = 0;
        for (const char c : utf8) points += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (points != text.size()) continue;
        std::size_t k = 0;  // the library texts are valid UTF-8: each code point read off its bytes
        bool same = true;
        for (std::size_t b = 0; b < utf8.size() && same; ++k) {
            const unsigned char lead = static_cast<unsigned char>(utf8[b]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            std::uint32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
            for (std::size_t j = 1; j < length && b + j < utf8.size(); ++j) c = (c << 6) | (utf8[b + j] & 0x3F);
            same = text[k] == c;
            b += length;
        }
        if (same) return i;
    }
    return -1;
}

// Top-level "function NAME", "var NAME", "let NAME", "const NAME", "class NAME" and "NAME=" (a
// global assigned without a declaration, as the canvas library's ctx) of a library text.
void collectLibraryNames(const std::string& text, std::vector<std::string>& names) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        for (const char* opener : {"function ", "var ", "let ", "const ", "class "}) {
            const std::string prefix = opener;
            if (line.compare(0, prefix.size(), prefix) != 0) continue;
            base::CodePoints rest = base::decodeBytes(line.substr(prefix.size()));
            std::size_t n = 0;
            while (n < rest.size() && isNameChar(rest[n])) ++n;
            if (n > 0) {
                const std::string name = base::encodeUtf8(rest.data(), n);
                if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
            }
        }
        const base::CodePoints whole = base::decodeBytes(line);
        std::size_t n = 0;
        while (n < whole.size() && isNameChar(whole[n])) ++n;
        if (n > 0 && isNameStart(whole[0]) && n < whole.size() && whole[n] == '=' &&
            (n + 1 == whole.size() || whole[n + 1] != '=')) {
            const std::string name = base::encodeUtf8(whole.data(), n);
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
        at = end + 1;
    }
}

bool mentions(const std::vector<std::vector<std::string>>& paths, std::string_view first) {
    for (const auto& path : paths)
        if (!path.empty() && path.front() == first) return true;
    return false;
}

// The checked word of the first path that names a method of the run-time object in the table.
const CheckedWord* checkedWordCalled(const std::vector<std::vector<std::string>>& paths) {
    for (const auto& path : paths)
        if (path.size() == 2 && path.front() == runtimeObject)
            if (const CheckedWord* w = checkedWord(path.back())) return w;
    return nullptr;
}

WordRole judge(const Rule& rule, const RuleWords& words, const std::string& replacement,
               const std::vector<std::vector<std::string>>& paths, bool anyClosesParen, bool anyClosesBrace) {
    if (isLibraryText(replacement)) return WordRole::Library;
    if (words.opensParen > 0 && anyClosesParen) return WordRole::HeaderOpen;
    if (words.closesParen > 0 && words.opensBrace > 0) return WordRole::HeaderClose;
    if (words.closesBrace > 0 && words.opensBrace > 0) return WordRole::BlockMiddle;
    if (words.opensBrace > 0 && anyClosesBrace) return WordRole::BlockOpen;
    if (words.closesBrace > 0) return WordRole::BlockClose;
    const std::string bare = trimmed(replacement);
    for (const char* op : {"==", "!=", "<", ">", "<=", ">=", "===", "!=="})
        if (bare == op) return WordRole::Comparison;
    if (bare == "&&" || bare == "||" || bare == "!") return WordRole::Logic;
    const std::string first = paths.empty() ? std::string() : paths.front().front();
    const bool leadsWithName = !paths.empty() && bare.compare(0, first.size(), first) == 0;
    if (leadsWithName) {
        for (const char* word : {"let", "const", "var", "function", "class"})
            if (first == word) return WordRole::Declaration;
        for (const char* word : {"return", "break", "continue"})
            if (first == word) return WordRole::Control;
    }
    for (const char* value : {"true", "false", "null", "undefined", "NaN", "Infinity"})
        if (bare == value) return WordRole::Value;
    for (const char* io : {"console", "consolelog", "consoleclear", "alert", "prompt", "confirm"})
        if (mentions(paths, io)) return WordRole::Output;
    if (const CheckedWord* checked = checkedWordCalled(paths)) return checked->role;
    if (mentions(paths, "ctx")) return WordRole::Drawing;
    if (!rule.nodes.empty() && !rule.nodes.front().isSet && !rule.nodes.front().isBoundary &&
        rule.nodes.front().ch == '.')
        return WordRole::Method;
    if (isKeyword(first)) return WordRole::Other;  // "if(", "while(": the learner writes the brackets
    const bool patternCall = !rule.nodes.empty() && !rule.nodes.back().isSet && !rule.nodes.back().isBoundary &&
                             rule.nodes.back().ch == '(';
    const bool replacementCall = !bare.empty() && bare.back() == '(';
    const bool onePath = paths.size() == 1 && bare == joined(paths.front(), ".");
    if (patternCall || replacementCall || (onePath && !isKeyword(first))) return WordRole::Function;
    return WordRole::Other;
}

// The declaring keyword that ends the replacement, when a name is to follow it.
std::string declaredBy(const std::string& replacement) {
    const std::string bare = trimmed(replacement);
    for (const char* keyword : {"let", "const", "var", "function", "class"}) {
        const std::string k = keyword;
        if (bare.size() < k.size() || bare.compare(bare.size() - k.size(), k.size(), k) != 0) continue;
        // The keyword is ASCII; a byte of a multi-byte letter before it counts as a name's.
        const std::size_t before = bare.size() - k.size();
        const unsigned char previous = before == 0 ? ' ' : static_cast<unsigned char>(bare[before - 1]);
        if (previous < 0x80 && !isNameChar(previous)) return k;
    }
    return {};
}

// `listed` holds the names already in v.reverse, so that a large table adds each in constant time.
void addReverse(Vocabulary& v, std::unordered_set<std::string>& listed, const std::string& js, const std::string& word) {
    if (js.size() < 2 || isKeyword(js) || !listed.insert(js).second) return;
    v.reverse.emplace_back(js, word);
}

// The replacement writes nothing but one dotted name, give or take punctuation: ".length",
// "console.log", "ctx.fillRect(", "ctx.fillStyle=(".
bool writesOneName(const std::string& replacement, const std::vector<std::vector<std::string>>& paths) {
    if (paths.size() != 1) return false;
    for (const char c : replacement)
        if (c == ' ' || c == ',' || c == '>' || c == '"' || c == '\'') return false;
    return true;
}

// Whether every one-name rule whose path starts with `first` has a phrase that starts with
// `phrase`: "console" speaks for «вывести» (вывести, вывести_ошибку...), "Math" for nobody. That
// is, `phrase` is a prefix of the longest prefix all those phrases share (`sharedPrefix`, one
// entry per first name), which keeps a large table linear.
bool sharedByAll(const std::unordered_map<std::string, std::string>& sharedPrefix, const std::string& first,
                 const std::string& phrase) {
    const auto found = sharedPrefix.find(first);
    return found != sharedPrefix.end() && found->second.compare(0, phrase.size(), phrase) == 0 &&
           found->second.size() >= phrase.size();
}

}  // namespace

std::vector<std::pair<std::size_t, std::size_t>> wordRanges(const CompiledPattern& nodes) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    std::size_t start = 0;
    bool letters = false;
    for (std::size_t k = 0; k <= nodes.size(); ++k) {
        const bool inRun = k < nodes.size() && !nodes[k].isSet && !nodes[k].isBoundary &&
                           isWordChar(nodes[k].ch) && !nodes[k].oneOrMore;
        if (inRun) {
            letters = letters || isLetter(nodes[k].ch);
            continue;
        }
        if (letters) ranges.emplace_back(start, k);
        start = k + 1;
        letters = false;
    }
    return ranges;
}

const char* roleName(WordRole role) {
    switch (role) {
        case WordRole::Library: return "library";
        case WordRole::HeaderOpen: return "header-open";
        case WordRole::HeaderClose: return "header-close";
        case WordRole::BlockMiddle: return "block-middle";
        case WordRole::BlockOpen: return "block-open";
        case WordRole::BlockClose: return "block-close";
        case WordRole::Comparison: return "comparison";
        case WordRole::Logic: return "logic";
        case WordRole::Declaration: return "declaration";
        case WordRole::Control: return "control";
        case WordRole::Value: return "value";
        case WordRole::Output: return "output";
        case WordRole::Drawing: return "drawing";
        case WordRole::Method: return "method";
        case WordRole::Function: return "function";
        case WordRole::Other: break;
    }
    return "other";
}

Vocabulary deriveVocabulary(const std::vector<Rule>& table) {
    Vocabulary v;
    std::vector<Brackets> net(table.size());
    bool anyClosesParen = false, anyClosesBrace = false;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Brackets r = replacementBrackets(table[i].replacement);
        const Brackets p = patternBrackets(table[i].nodes);
        net[i] = {std::max(0, r.opensParen - p.opensParen), std::max(0, r.closesParen - p.closesParen),
                  std::max(0, r.opensBrace - p.opensBrace), std::max(0, r.closesBrace - p.closesBrace)};
        anyClosesParen = anyClosesParen || net[i].closesParen > 0;
        anyClosesBrace = anyClosesBrace || net[i].closesBrace > 0;
        v.braces.push_back({net[i].opensBrace, net[i].closesBrace});
    }
    std::vector<std::vector<std::vector<std::string>>> allPaths(table.size());
    std::vector<std::string> encoded(table.size());  // each replacement in UTF-8, encoded once
    std::vector<std::vector<std::string>> namesOfLibrary(builtinLibraryCount);
    std::vector<bool> libraryRead(builtinLibraryCount), libraryNamed(builtinLibraryCount);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Rule& rule = table[i];
        const int libraryIndex = rule.replacement.size() < 64 ? -1 : libraryOf(rule.replacement);
        encoded[i] = libraryIndex >= 0 ? std::string(builtinLibraries()[libraryIndex].text) : base::encodeUtf8(rule.replacement);
        const std::string& replacement = encoded[i];
        const bool library = libraryIndex >= 0;
        // A library that two rules insert (the long and the short directive) is read once, and
        // its names get the phrase of the first of them that has words; there are only the
        // built-in ones to remember.
        if (library) {
            std::vector<std::string>& names = namesOfLibrary[libraryIndex];
            if (!libraryRead[libraryIndex]) {
                libraryRead[libraryIndex] = true;
                collectLibraryNames(replacement, names);
                for (const std::string& name : names)
                    if (std::find(v.libraryNames.begin(), v.libraryNames.end(), name) == v.libraryNames.end())
                        v.libraryNames.push_back(name);
            }
            const std::string phrase = libraryNamed[libraryIndex] ? std::string() : joined(letterRuns(rule.nodes), " ");
            if (!phrase.empty()) {
                libraryNamed[libraryIndex] = true;
                for (const std::string& name : names) {
                    bool known = false;
                    for (const auto& entry : v.libraryDirectives) known = known || entry.first == name;
                    if (!known) v.libraryDirectives.emplace_back(name, phrase);
                }
            }
        }
        RuleWords words;
        words.rule = i;
        words.words = letterRuns(rule.nodes);
        if (words.words.empty()) continue;
        words.phrase = joined(words.words, " ");
        words.opensParen = net[i].opensParen;
        words.closesParen = net[i].closesParen;
        words.opensBrace = net[i].opensBrace;
        words.closesBrace = net[i].closesBrace;
        words.equality = trimmed(replacement) == "==";
        words.ignoreCase = rule.ignoreCase;
        words.needsBracket = !rule.nodes.empty() && !rule.nodes.back().isSet && !rule.nodes.back().isBoundary && rule.nodes.back().ch == '(';
        if (!library) words.declares = declaredBy(replacement);
        if (!library) allPaths[i] = namePaths(rule.replacement);
        words.role = judge(rule, words, replacement, allPaths[i], anyClosesParen, anyClosesBrace);
        for (const auto& path : allPaths[i]) {
            const std::string whole = joined(path, ".");
            if (!isKeyword(whole)) words.produces.push_back(whole);
            if (path.size() > 1 && !isKeyword(path.back())) words.produces.push_back(path.back());
        }
        v.rules.push_back(std::move(words));
    }
    // Only rules that write one name speak for it: its whole path and its last part first, then
    // the first part ("console" of "console.log"). The names inside longer inline code are that
    // code's own business, and an error naming one of them may well be about the learner's own.
    std::vector<bool> oneName(v.rules.size());
    std::unordered_map<std::string, std::string> sharedPrefix;  // first name -> prefix of its phrases
    for (std::size_t i = 0; i < v.rules.size(); ++i) {
        const RuleWords& words = v.rules[i];
        oneName[i] = writesOneName(encoded[words.rule], allPaths[words.rule]);
        if (!oneName[i]) continue;
        const auto [at, added] = sharedPrefix.emplace(allPaths[words.rule].front().front(), words.phrase);
        if (added) continue;
        std::string& prefix = at->second;
        std::size_t k = 0;
        while (k < prefix.size() && k < words.phrase.size() && prefix[k] == words.phrase[k]) ++k;
        prefix.resize(k);
    }
    for (const RuleWords& words : v.rules) {
        const auto& paths = allPaths[words.rule];
        if (paths.size() != 1 || paths.front().size() != 1 || !isKeyword(paths.front().front())) continue;
        bool known = false;
        for (const auto& entry : v.keywords) known = known || entry.first == paths.front().front();
        if (!known) v.keywords.emplace_back(paths.front().front(), words.phrase);
    }
    std::unordered_set<std::string> listed;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < v.rules.size(); ++i) {
            const RuleWords& words = v.rules[i];
            const auto& paths = allPaths[words.rule];
            if (!oneName[i]) continue;
            const auto& path = paths.front();
            if (pass == 1) {
                if (path.size() > 1 && sharedByAll(sharedPrefix, path.front(), words.phrase))
                    addReverse(v, listed, path.front(), words.phrase);
            } else {
                addReverse(v, listed, joined(path, "."), words.phrase);
                addReverse(v, listed, path.back(), words.phrase);
            }
        }
    }
    return v;
}

std::string learnerWordFor(const Vocabulary& vocabulary, const std::string& jsName) {
    for (const auto& entry : vocabulary.reverse)
        if (entry.first == jsName) return entry.second;
    return {};
}

std::vector<std::string> vocabularyWords(const Vocabulary& vocabulary) {
    std::vector<std::string> words;
    std::unordered_set<std::string> seen;
    for (const RuleWords& rule : vocabulary.rules)
        for (const std::string& word : rule.words)
            if (seen.insert(word).second) words.push_back(word);
    return words;
}

}  // namespace rules
