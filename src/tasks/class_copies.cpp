// The copy form of a program and the grouping of equal forms.
// Tests: tests/tasks/class_copies_test.cpp.
#include "tasks/class_copies.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace tasks {

namespace {

bool wordPoint(std::uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

struct Token {
    std::string text;
    bool name = false;  // a program's own name, renamed in the form
};
using Line = std::vector<Token>;

std::string smallLetters(const base::CodePoints& word) {
    base::CodePoints small = word;
    for (std::uint32_t& c : small) {
        if ((c >= 'A' && c <= 'Z') || (c >= 0x410 && c <= 0x42F)) c += 0x20;
        else if (c == 0x401) c = 0x451;
    }
    return base::encodeUtf8(small);
}

// The source's lines as tokens: words, strings whole, every other mark alone; comments and
// spacing gone, lines without tokens left out.
std::vector<Line> tokenLines(const base::CodePoints& s, const std::set<std::string>& keywords) {
    std::vector<Line> lines(1);
    for (std::size_t i = 0; i < s.size();) {
        const std::uint32_t c = s[i];
        const std::uint32_t next = i + 1 < s.size() ? s[i + 1] : 0;
        if (c == '\n') {
            if (!lines.back().empty()) lines.emplace_back();
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == 0xA0 || c == 0xFEFF) {
            ++i;
        } else if (c == '/' && next == '/') {
            while (i < s.size() && s[i] != '\n') ++i;
        } else if (c == '/' && next == '*') {
            for (i += 2; i < s.size() && !(s[i] == '*' && i + 1 < s.size() && s[i + 1] == '/'); ++i) {}
            i = std::min(s.size(), i + 2);
        } else if (c == '"' || c == '\'' || c == '`') {
            const std::size_t from = i;
            for (++i; i < s.size() && s[i] != c && (c == '`' || s[i] != '\n'); ++i)
                if (s[i] == '\\') ++i;
            i = std::min(s.size(), i + 1);
            lines.back().push_back(Token{base::encodeUtf8(s.data() + from, i - from), false});
        } else if (wordPoint(c)) {
            const std::size_t from = i;
            while (i < s.size() && wordPoint(s[i])) ++i;
            const base::CodePoints word(s.begin() + static_cast<std::ptrdiff_t>(from), s.begin() + static_cast<std::ptrdiff_t>(i));
            const std::string small = smallLetters(word);
            const bool afterDot = !lines.back().empty() && lines.back().back().text == ".";
            const bool name = !(c >= '0' && c <= '9') && !afterDot && !keywords.count(small);
            lines.back().push_back(Token{name ? base::encodeUtf8(word) : small, name});
        } else {
            lines.back().push_back(Token{base::encodeUtf8(&s[i], 1), false});
            ++i;
        }
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

// The name an assignment line assigns ("a = …" after any keywords), or -1.
int assigned(const Line& line) {
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i].name) {
            const bool single = line[i + 1].text == "=" && (i + 2 >= line.size() || line[i + 2].text != "=");
            return single ? static_cast<int>(i) : -1;
        }
        if (line[i].text.empty() || !wordPoint(base::decodeBytes(line[i].text)[0])) return -1;
    }
    return -1;
}

// The line with every name as "@", or with `marked` as "#" and other names as "@".
std::string blind(const Line& line, const std::string* marked = nullptr) {
    std::string text;
    for (const Token& t : line) {
        text += t.name ? (marked && t.text == *marked ? "#" : "@") : t.text;
        text += ' ';
    }
    return text;
}

bool mentions(const Line& line, const std::string& name) {
    for (const Token& t : line)
        if (t.name && t.text == name) return true;
    return false;
}

}  // namespace

std::set<std::string> keywordSet(const std::vector<std::string>& words) {
    std::set<std::string> set;
    for (const std::string& w : words) set.insert(smallLetters(base::decodeBytes(w)));
    return set;
}

std::string copyForm(const base::CodePoints& source, const std::set<std::string>& keywords, std::size_t& tokens) {
    std::vector<Line> lines = tokenLines(source, keywords);
    tokens = 0;
    for (const Line& l : lines) tokens += l.size();

    // Where each name is used, name-blind with its own places marked: the same for a renamed copy.
    std::unordered_map<std::string, std::vector<std::size_t>> uses;
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (const Token& t : lines[i])
            if (t.name && (uses[t.text].empty() || uses[t.text].back() != i)) uses[t.text].push_back(i);
    std::unordered_map<std::string, std::string> profile;
    const auto profileOf = [&](const std::string& name) -> const std::string& {
        auto it = profile.find(name);
        if (it != profile.end()) return it->second;
        std::vector<std::string> marked;
        const std::vector<std::size_t>& at = uses[name];
        for (std::size_t k = 0; k < at.size() && k < 64; ++k) marked.push_back(blind(lines[at[k]], &name));
        std::sort(marked.begin(), marked.end());
        std::string joined;
        for (const std::string& m : marked) joined += m + '\n';
        return profile.emplace(name, std::move(joined)).first->second;
    };

    // Runs of assignment lines, each put in the order that takes, among the lines whose earlier
    // dependencies are placed, the smallest by its name-blind text and the profile of its name.
    constexpr std::size_t longestRun = 32;  // longer runs are cut, so the work stays linear in the lines
    std::vector<Line> ordered;
    ordered.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t end = i;
        while (end < lines.size() && end - i < longestRun && assigned(lines[end]) >= 0) ++end;
        if (end == i) {
            ordered.push_back(std::move(lines[i++]));
            continue;
        }
        const std::size_t n = end - i;
        std::vector<std::string> keys(n), written(n);
        for (std::size_t k = 0; k < n; ++k) {
            written[k] = lines[i + k][static_cast<std::size_t>(assigned(lines[i + k]))].text;
            keys[k] = blind(lines[i + k]) + '\x01' + profileOf(written[k]);
        }
        // waits[k][e]: line k has to stay after the earlier line e.
        std::vector<std::vector<bool>> waits(n, std::vector<bool>(n, false));
        for (std::size_t k = 0; k < n; ++k)
            for (std::size_t e = 0; e < k; ++e)
                waits[k][e] = mentions(lines[i + k], written[e]) || mentions(lines[i + e], written[k]);
        std::vector<bool> placed(n, false);
        for (std::size_t step = 0; step < n; ++step) {
            std::size_t best = n;
            for (std::size_t k = 0; k < n; ++k) {
                if (placed[k]) continue;
                bool ready = true;
                for (std::size_t e = 0; e < k && ready; ++e) ready = placed[e] || !waits[k][e];
                if (ready && (best == n || keys[k] < keys[best])) best = k;
            }
            placed[best] = true;
            ordered.push_back(lines[i + best]);
        }
        i = end;
    }

    std::unordered_map<std::string, std::size_t> renamed;
    std::string form;
    for (const Line& line : ordered) {
        for (const Token& t : line) {
            if (t.name) form += "v" + std::to_string(renamed.emplace(t.text, renamed.size()).first->second);
            else form += t.text;
            form += ' ';
        }
        form += '\n';
    }
    return form;
}

std::vector<std::vector<std::size_t>> copyGroups(const std::vector<std::string>& forms, const std::vector<std::size_t>& tokens) {
    std::unordered_map<std::string, std::size_t> groupOf;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < forms.size(); ++i) {
        if (i < tokens.size() && tokens[i] < copyFormMinimumTokens) continue;
        const auto [it, fresh] = groupOf.emplace(forms[i], groups.size());
        if (fresh) groups.emplace_back();
        groups[it->second].push_back(i);
    }
    std::vector<std::vector<std::size_t>> copies;
    for (auto& g : groups)
        if (g.size() > 1) copies.push_back(std::move(g));
    return copies;
}

}  // namespace tasks
