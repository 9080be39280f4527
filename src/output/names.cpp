// Names a program defines: after declaration words, parameters, assignments.
#include "output/names.h"

#include <algorithm>
#include <unordered_set>

#include "rules/pattern.h"

namespace {

bool isNameChar(std::uint32_t c) { return isWordChar(c) || c == '$'; }

std::string lowered(const CodePoints& word) {
    CodePoints low;
    for (const std::uint32_t c : word) {
        std::uint32_t l = c;
        if (c >= 'A' && c <= 'Z') l = c + 0x20;
        else if (c >= 0x410 && c <= 0x42F) l = c + 0x20;
        else if (c == 0x401) l = 0x451;
        low.push_back(l);
    }
    return encodeUtf8(low);
}

struct Token {
    std::string text, lower;
    bool name = false;  // an identifier; otherwise one character of punctuation
};

// Identifiers and single punctuation characters, string literals and comments left out.
std::vector<Token> tokens(const CodePoints& s) {
    std::vector<Token> out;
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        const std::uint32_t c = s[i];
        if (c == '"' || c == '\'') {
            const auto close = std::find(s.begin() + static_cast<std::ptrdiff_t>(i) + 1, s.end(), c);
            if (close != s.end()) {
                i = static_cast<std::size_t>(close - s.begin()) + 1;
                out.push_back({"\"", "\"", false});
                continue;
            }
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            while (i < n && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            i += 2;
            while (i + 1 < n && !(s[i] == '*' && s[i + 1] == '/')) ++i;
            i += 2;
            continue;
        }
        if (isNameChar(c)) {
            std::size_t end = i;
            while (end < n && isNameChar(s[end])) ++end;
            const CodePoints word(s.begin() + static_cast<std::ptrdiff_t>(i), s.begin() + static_cast<std::ptrdiff_t>(end));
            if (!(c >= '0' && c <= '9')) out.push_back({encodeUtf8(word), lowered(word), true});
            i = end;
            continue;
        }
        if (c != ' ' && c != '\t' && c != '\r') out.push_back({encodeUtf8(&c, 1), encodeUtf8(&c, 1), false});
        ++i;
    }
    return out;
}

}  // namespace

std::vector<std::string> definedNames(const CodePoints& source, const Vocabulary& vocabulary) {
    std::unordered_set<std::string> declaring = {"let", "const", "var", "function", "class"};
    std::unordered_set<std::string> functionWords = {"function"};
    for (const RuleWords& rule : vocabulary.rules) {
        if (rule.role != WordRole::Declaration || rule.words.size() != 1) continue;
        declaring.insert(lowered(decodeBytes(rule.words.front())));
    }
    for (const auto& [keyword, word] : vocabulary.keywords)
        if (keyword == "function") functionWords.insert(lowered(decodeBytes(word)));
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    auto define = [&](const Token& t) {
        if (t.name && !declaring.count(t.lower) && seen.insert(t.text).second) names.push_back(t.text);
    };
    const std::vector<Token> ts = tokens(source);
    for (std::size_t k = 0; k < ts.size(); ++k) {
        const Token& t = ts[k];
        if (!t.name) continue;
        if (declaring.count(t.lower)) {
            std::size_t next = k + 1;
            if (next < ts.size() && ts[next].name) define(ts[next++]);
            // Parameters: the names at depth 1 of the bracket that follows a function word.
            if (functionWords.count(t.lower) && next < ts.size() && ts[next].text == "(") {
                int depth = 0;
                // A bracket left open looks no further than a parameter list could be long.
                for (std::size_t j = next; j < ts.size() && j < next + 1000; ++j) {
                    if (ts[j].text == "(") ++depth;
                    else if (ts[j].text == ")" && --depth == 0) break;
                    else if (depth == 1 && (ts[j - 1].text == "(" || ts[j - 1].text == ",")) define(ts[j]);
                }
            }
            continue;
        }
        const bool assigned = k + 1 < ts.size() && ts[k + 1].text == "=" && (k + 2 >= ts.size() || ts[k + 2].text != "=") &&
                              (k == 0 || (ts[k - 1].text != "." && ts[k - 1].text != "=" && ts[k - 1].text != "!" &&
                                          ts[k - 1].text != "<" && ts[k - 1].text != ">"));
        if (assigned) define(t);
    }
    return names;
}
