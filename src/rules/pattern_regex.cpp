// Regular expressions of the rules' patterns, in the syntax both ECMAScript (with the "u" flag) and
// Oniguruma read: the playground's and the editor's colouring match what the matcher matches.
// Tests: tests/rules/vocabulary_test.cpp.
#include "rules/pattern_regex.h"

#include <string_view>

#include "rules/vocabulary.h"

namespace rules {

const char* const wordCharClass = "[0-9A-Za-z_А-яЁё]";

namespace {

// One code point of a regular expression, escaped for where it stands.
void appendRegexChar(std::string& out, std::uint32_t c, bool inClass) {
    static const char hex[] = "0123456789ABCDEF";
    if (c < 0x20 || c == 0x7F) {
        out += "\\x";
        out += hex[(c >> 4) & 15];
        out += hex[c & 15];
        return;
    }
    const std::string_view special = inClass ? std::string_view("\\]^-[") : std::string_view("\\^$.|?*+()[]{}/");
    if (c < 0x80 && special.find(static_cast<char>(c)) != std::string_view::npos) out += '\\';
    out += base::encodeUtf8(&c, 1);
}

// The code points sameLetter pairs with c under ignoreCase (c alone otherwise).
base::CodePoints caseForms(std::uint32_t c, bool ignoreCase) {
    base::CodePoints forms{c};
    if (!ignoreCase) return forms;
    const std::uint32_t upper = base::toUpper(c);
    if (upper != c) forms.push_back(upper);
    if (upper == c && ((c >= 'A' && c <= 'Z') || (c >= 0x410 && c <= 0x42F))) forms.push_back(c + 0x20);
    if (upper == c && c == 0x401) forms.push_back(0x451);
    return forms;
}

// Whether the code points a node consumes are all word characters (1), all not (0), or mixed (-1).
int wordness(const PatternNode& node) {
    if (node.isBoundary) return -1;
    if (!node.isSet) return isWordChar(node.ch) ? 1 : 0;
    if (node.negated || node.members.empty()) return -1;
    const bool first = isWordChar(node.members.front());
    for (const std::uint32_t m : node.members)
        if (isWordChar(m) != first) return -1;
    return first ? 1 : 0;
}

}  // namespace

std::string patternRegex(const CompiledPattern& nodes, bool ignoreCase, bool captureWords) {
    const std::string word = wordCharClass;
    const auto words = captureWords ? wordRanges(nodes) : std::vector<std::pair<std::size_t, std::size_t>>();
    std::size_t nextWord = 0;
    std::string out;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const PatternNode& node = nodes[k];
        if (nextWord < words.size() && words[nextWord].first == k) out += '(';
        if (node.isBoundary) {
            // Where a neighbour tells which side is the word, one look-around is enough.
            const int before = k > 0 ? wordness(nodes[k - 1]) : -1;
            const int after = k + 1 < nodes.size() ? wordness(nodes[k + 1]) : -1;
            if (before == 1) out += "(?!" + word + ")";
            else if (before == 0) out += "(?=" + word + ")";
            else if (after == 1) out += "(?<!" + word + ")";
            else if (after == 0) out += "(?<=" + word + ")";
            else out += "(?:(?<=" + word + ")(?!" + word + ")|(?<!" + word + ")(?=" + word + "))";
            continue;
        }
        if (node.isSet) {
            if (node.members.empty()) {
                out += node.negated ? "[\\s\\S]" : "(?!)";
            } else {
                out += node.negated ? "[^" : "[";
                for (const std::uint32_t m : node.members)
                    for (const std::uint32_t form : caseForms(m, ignoreCase)) appendRegexChar(out, form, true);
                out += ']';
            }
        } else {
            const base::CodePoints forms = caseForms(node.ch, ignoreCase);
            if (forms.size() == 1) {
                appendRegexChar(out, node.ch, false);
            } else {
                out += '[';
                for (const std::uint32_t form : forms) appendRegexChar(out, form, true);
                out += ']';
            }
        }
        if (node.oneOrMore) out += '+';
        if (nextWord < words.size() && words[nextWord].second == k + 1) {
            out += ')';
            ++nextWord;
        }
    }
    return out;
}

}  // namespace rules
