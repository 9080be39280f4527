// Names a program defines: after declaring words, in parameter lists, before "=" and ":".
// Tests: tests/diagnostics/names_test.cpp.
#include "diagnostics/names.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "diagnostics/word_table.h"
#include "rules/pattern.h"

namespace diagnostics {

namespace {

using Token = NameToken;

bool isWord(const Token& t) { return t.mark == 0; }

Token token(std::size_t from, std::size_t to, std::uint32_t mark) {
    return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to), mark};
}

struct Declaring {
    std::vector<std::u32string> words;
    bool ignoreCase = false;
    std::string keyword;
};

// One reading of a text: its tokens, the declaring phrases of the rules, the names found so far.
struct Reader {
    Reader(const std::uint32_t* chars, std::size_t n, const std::vector<Token>& tokens, const rules::Vocabulary& vocabulary,
           WordTable& seen)
        : chars_(chars), n_(n), tokens_(tokens), seen_(seen) {
        for (const rules::RuleWords& rule : vocabulary.rules) {
            if (rule.declares.empty()) continue;
            Declaring d{{}, rule.ignoreCase, rule.declares};
            for (const std::string& w : rule.words) {
                const base::CodePoints points = base::decodeBytes(w);
                d.words.emplace_back(points.begin(), points.end());
            }
            addPhrase(std::move(d));
        }
        for (const char* js : {"let", "const", "var", "function", "class", "catch"}) {
            const std::string_view w = js;
            addPhrase({{std::u32string(w.begin(), w.end())}, false, js});
        }
    }

    void addPhrase(Declaring d) {
        const std::uint32_t first = base::toUpper(d.words.front().front());
        (first < firstLetters_.size() ? firstLetters_[first] : otherFirstLetters_[first]).push_back(phrases_.size());
        phrases_.push_back(std::move(d));
    }

    std::vector<NameSpan> read() {
        std::size_t lastGroupClose = SIZE_MAX, lastGroupOpen = 0;
        std::vector<std::size_t> opens;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            const Token& t = tokens_[i];
            if (t.mark == '(') opens.push_back(i);
            if (t.mark == ')' && !opens.empty()) {
                lastGroupOpen = opens.back();
                lastGroupClose = i;
                opens.pop_back();
            }
            if (t.mark == '=' && followedBy(t.to, '>') && i > 0) {  // an arrow function's parameters
                if (isName(i - 1)) define(i - 1);
                if (i - 1 == lastGroupClose) defineGroup(lastGroupOpen);
            }
            if (!isWord(t)) continue;
            std::string keyword;
            const std::size_t length = declaringAt(i, keyword);
            if (length > 0) {
                declare(i + length, keyword);
                continue;
            }
            if (!isName(i) || i + 1 >= tokens_.size()) continue;
            const bool afterDot = i > 0 && tokens_[i - 1].mark == '.';
            const Token& next = tokens_[i + 1];
            const bool compound = next.from > 0 && std::string_view("+-*/%&|^<>!").find(static_cast<char>(
                                                       chars_[next.from - 1] < 0x80 ? chars_[next.from - 1] : 0)) !=
                                                       std::string_view::npos;
            if (next.mark == '=' && !afterDot && !compound && !followedBy(next.to, '=') && !followedBy(next.to, '>'))
                define(i);
            if (next.mark == ':' && !followedBy(next.to, ':') && i > 0 &&
                (tokens_[i - 1].mark == '{' || tokens_[i - 1].mark == ','))
                define(i);
        }
        return std::move(names_);
    }

    bool followedBy(std::size_t at, std::uint32_t c) const { return at < n_ && chars_[at] == c; }

    bool isName(std::size_t i) const {
        return i < tokens_.size() && isWord(tokens_[i]) && !(chars_[tokens_[i].from] >= '0' && chars_[tokens_[i].from] <= '9');
    }

    bool spacesBetween(std::size_t a, std::size_t b) const {
        for (std::size_t k = tokens_[a].to; k < tokens_[b].from; ++k)
            if (chars_[k] != ' ') return false;
        return tokens_[a].to < tokens_[b].from;
    }

    bool sameWord(std::size_t i, const std::u32string& word, bool ignoreCase) const {
        const Token& t = tokens_[i];
        if (t.to - t.from != word.size()) return false;
        for (std::size_t k = 0; k < word.size(); ++k) {
            const std::uint32_t c = chars_[t.from + k];
            if (ignoreCase ? !base::sameLetter(c, word[k]) : c != word[k]) return false;
        }
        return true;
    }

    // The number of tokens of the longest declaring phrase at i (0 when none), and its keyword.
    std::size_t declaringAt(std::size_t i, std::string& keyword) const {
        const std::uint32_t first = base::toUpper(chars_[tokens_[i].from]);
        const std::vector<std::size_t>* phrases = &firstLetters_[first < firstLetters_.size() ? first : 0];
        if (first >= firstLetters_.size()) {
            const auto found = otherFirstLetters_.find(first);
            if (found == otherFirstLetters_.end()) return 0;
            phrases = &found->second;
        }
        std::size_t best = 0;
        for (const std::size_t index : *phrases) {
            const Declaring& d = phrases_[index];
            std::size_t k = 0;
            while (k < d.words.size() && i + k < tokens_.size() && isWord(tokens_[i + k]) &&
                   (k == 0 || spacesBetween(i + k - 1, i + k)) && sameWord(i + k, d.words[k], d.ignoreCase))
                ++k;
            if (k == d.words.size() && k > best) {
                best = k;
                keyword = d.keyword;
            }
        }
        return best;
    }

    void declare(std::size_t j, const std::string& keyword) {
        const bool function = keyword == "function" || keyword == "catch";
        if (isName(j)) define(j++);
        if (j >= tokens_.size()) return;
        const std::uint32_t mark = tokens_[j].mark;
        if ((function && mark == '(') || (!function && (mark == '[' || mark == '{'))) defineGroup(j);
    }

    // Every name inside the bracket group that opens at token j, up to its end or the end of its
    // line. Groups nest or stand apart, so one that starts inside a group already read was read
    // with it.
    void defineGroup(std::size_t j) {
        if (j < groupsReadTo_) return;
        int depth = 0;
        std::size_t k = j;
        for (; k < tokens_.size(); ++k) {
            if (k > j && std::any_of(chars_ + tokens_[k - 1].to, chars_ + tokens_[k].from, translator::isLineFeed)) break;
            const std::uint32_t mark = tokens_[k].mark;
            if (mark == '(' || mark == '[' || mark == '{') ++depth;
            if (mark == ')' || mark == ']' || mark == '}') --depth;
            if (depth <= 0) break;
            if (isName(k) && !(k > 0 && tokens_[k - 1].mark == '.')) define(k);
        }
        groupsReadTo_ = k;
    }

    void define(std::size_t i) {
        const Token& t = tokens_[i];
        bool added = false;
        wordId(seen_, t.from, t.to - t.from, added);
        if (added) names_.push_back({t.from, t.to - t.from});
    }

    const std::uint32_t* chars_ = nullptr;
    std::size_t n_ = 0;
    const std::vector<Token>& tokens_;
    std::vector<Declaring> phrases_;
    // Declaring phrases by their first letter, in capitals.
    std::vector<std::vector<std::size_t>> firstLetters_ = std::vector<std::vector<std::size_t>>(0x500);
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> otherFirstLetters_;
    WordTable& seen_;
    std::vector<NameSpan> names_;
    std::size_t groupsReadTo_ = 0;
};

}  // namespace

std::vector<NameToken> nameTokens(const std::uint32_t* chars, std::size_t n, const translator::SourceRegions& regions) {
    std::vector<Token> tokens;
    const std::vector<translator::Stretch>& stretches = regions.stretches;
    std::size_t s = 0;
    for (std::size_t p = 0; p < n;) {
        if (s < stretches.size() && p >= stretches[s].from) {
            if (tokens.empty() || tokens.back().mark != opaqueMark) tokens.push_back(token(p, p + 1, opaqueMark));
            p = std::max(p, stretches[s++].to);
            continue;
        }
        const std::size_t limit = s < stretches.size() ? stretches[s].from : n;
        const std::uint32_t c = chars[p];
        if (translator::isWordCode(c)) {
            const std::size_t from = p;
            while (p < limit && translator::isWordCode(chars[p])) ++p;
            tokens.push_back(token(from, p, 0));
        } else {
            if (isNameMark(c)) tokens.push_back(token(p, p + 1, c));
            ++p;
        }
    }
    return tokens;
}

std::vector<NameSpan> defineNames(const std::uint32_t* chars, std::size_t n, const std::vector<NameToken>& tokens,
                                  const rules::Vocabulary& vocabulary, WordTable& table) {
    return Reader(chars, n, tokens, vocabulary, table).read();
}

std::vector<std::u32string> definedNameList(const std::uint32_t* chars, std::size_t n,
                                            const std::vector<NameToken>& tokens, const rules::Vocabulary& vocabulary) {
    WordTable table;
    table.text = chars;
    std::vector<std::u32string> names;
    for (const NameSpan& s : defineNames(chars, n, tokens, vocabulary, table))
        names.emplace_back(chars + s.from, chars + s.from + s.length);
    return names;
}

std::vector<std::string> definedNames(const base::CodePoints& source, const rules::Vocabulary& vocabulary) {
    const translator::SourceRegions regions = translator::scanRegions(source.data(), source.size());
    const std::vector<NameToken> tokens = nameTokens(source.data(), source.size(), regions);
    std::vector<std::string> names;
    for (const std::u32string& name : definedNameList(source.data(), source.size(), tokens, vocabulary))
        names.push_back(base::encodeUtf8(reinterpret_cast<const std::uint32_t*>(name.data()), name.size()));
    return names;
}

}  // namespace diagnostics
