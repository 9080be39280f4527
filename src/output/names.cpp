// Names a program defines: after declaring words, in parameter lists, before "=" and ":".
#include "output/names.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "rules/pattern.h"

namespace {

constexpr std::uint32_t opaque = 0xFFFFFFFF;  // a literal, comment or template between two tokens

struct Token {
    std::size_t from = 0, to = 0;  // code points [from, to)
    std::uint32_t punct = 0;       // the mark, opaque, or 0 for a word
};

bool isWord(const Token& t) { return t.punct == 0; }

std::vector<Token> tokensOf(const std::uint32_t* chars, std::size_t n, const std::vector<Region>& regions) {
    std::vector<Token> tokens;
    for (std::size_t p = 0; p < n;) {
        const std::uint32_t c = chars[p];
        if (regions[p] != Region::Code) {
            if (tokens.empty() || tokens.back().punct != opaque) tokens.push_back({p, p + 1, opaque});
            ++p;
        } else if (isWordChar(c)) {
            const std::size_t from = p;
            while (p < n && regions[p] == Region::Code && isWordChar(chars[p])) ++p;
            tokens.push_back({from, p, 0});
        } else {
            if (c != ' ' && c != '\t' && c != 0x0D && !isLineFeed(c)) tokens.push_back({p, p + 1, c});
            ++p;
        }
    }
    return tokens;
}

std::u32string upper(const std::u32string& word) {
    std::u32string out = word;
    for (char32_t& c : out) c = toUpper(c);
    return out;
}

struct Declaring {
    std::vector<std::u32string> words;
    bool ignoreCase = false;
    std::string keyword;
};

// One reading of a text: its tokens, the declaring phrases of the rules, the names found so far.
struct Reader {
    Reader(const std::uint32_t* chars, std::size_t n, const std::vector<Region>& regions, const Vocabulary& vocabulary)
        : chars_(chars), n_(n), tokens_(tokensOf(chars, n, regions)) {
        for (const RuleWords& rule : vocabulary.rules) {
            if (rule.declares.empty()) continue;
            Declaring d{{}, rule.ignoreCase, rule.declares};
            for (const std::string& w : rule.words) {
                const CodePoints points = decodeBytes(w);
                d.words.emplace_back(points.begin(), points.end());
            }
            byFirstWord_[upper(d.words.front())].push_back(phrases_.size());
            phrases_.push_back(std::move(d));
        }
    }

    std::vector<std::u32string> read() {
        std::size_t lastGroupClose = SIZE_MAX, lastGroupOpen = 0;
        std::vector<std::size_t> opens;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            const Token& t = tokens_[i];
            if (t.punct == '(') opens.push_back(i);
            if (t.punct == ')' && !opens.empty()) {
                lastGroupOpen = opens.back();
                lastGroupClose = i;
                opens.pop_back();
            }
            if (t.punct == '=' && followedBy(t.to, '>') && i > 0) {  // an arrow function's parameters
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
            const bool afterDot = i > 0 && tokens_[i - 1].punct == '.';
            const Token& next = tokens_[i + 1];
            if (next.punct == '=' && !afterDot && !followedBy(next.to, '=') && !followedBy(next.to, '>')) define(i);
            if (next.punct == ':' && !followedBy(next.to, ':') && i > 0 &&
                (tokens_[i - 1].punct == '{' || tokens_[i - 1].punct == ','))
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
            if (ignoreCase ? !sameLetter(c, word[k]) : c != word[k]) return false;
        }
        return true;
    }

    // The number of tokens of the longest declaring phrase at i (0 when none), and its keyword.
    std::size_t declaringAt(std::size_t i, std::string& keyword) const {
        const Token& t = tokens_[i];
        const std::u32string text(chars_ + t.from, chars_ + t.to);
        for (const char* js : {"let", "const", "var", "function", "class", "catch"})
            if (text.size() == std::string_view(js).size() && std::equal(text.begin(), text.end(), js)) {
                keyword = js;
                return 1;
            }
        const auto found = byFirstWord_.find(upper(text));
        if (found == byFirstWord_.end()) return 0;
        std::size_t best = 0;
        for (const std::size_t index : found->second) {
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
        const std::uint32_t mark = tokens_[j].punct;
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
            if (k > j && std::any_of(chars_ + tokens_[k - 1].to, chars_ + tokens_[k].from, isLineFeed)) break;
            const std::uint32_t mark = tokens_[k].punct;
            if (mark == '(' || mark == '[' || mark == '{') ++depth;
            if (mark == ')' || mark == ']' || mark == '}') --depth;
            if (depth <= 0) break;
            if (isName(k) && !(k > 0 && tokens_[k - 1].punct == '.')) define(k);
        }
        groupsReadTo_ = k;
    }

    void define(std::size_t i) {
        const Token& t = tokens_[i];
        std::u32string name(chars_ + t.from, chars_ + t.to);
        if (seen_.insert(name).second) names_.push_back(std::move(name));
    }

    const std::uint32_t* chars_ = nullptr;
    std::size_t n_ = 0;
    std::vector<Token> tokens_;
    std::vector<Declaring> phrases_;
    std::unordered_map<std::u32string, std::vector<std::size_t>> byFirstWord_;
    std::unordered_set<std::u32string> seen_;
    std::vector<std::u32string> names_;
    std::size_t groupsReadTo_ = 0;
};

}  // namespace

std::vector<std::u32string> definedNameList(const std::uint32_t* chars, std::size_t n,
                                            const std::vector<Region>& regions, const Vocabulary& vocabulary) {
    return Reader(chars, n, regions, vocabulary).read();
}

std::vector<std::string> definedNames(const CodePoints& source, const Vocabulary& vocabulary) {
    const SourceRegions regions = scanRegions(source.data(), source.size());
    std::vector<std::string> names;
    for (const std::u32string& name : definedNameList(source.data(), source.size(), regions.of, vocabulary))
        names.push_back(encodeUtf8(reinterpret_cast<const std::uint32_t*>(name.data()), name.size()));
    return names;
}
