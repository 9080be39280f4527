// Executor directives and the rules they switch on.
// Tests: tests/translator/executors_test.cpp.
#include "translator/executors.h"

#include <algorithm>

#include "translator/rewrite.h"

namespace translator {

namespace {

std::uint32_t folded(std::uint32_t c) {
    c = base::toUpper(c);
    return c == 0x401 ? 0x415 : c;  // Ё -> Е
}

bool sameFolded(const std::uint32_t* a, const base::CodePoints& b) {
    for (std::size_t i = 0; i < b.size(); ++i)
        if (folded(a[i]) != folded(b[i])) return false;
    return true;
}

bool isSpace(std::uint32_t c) { return c == ' ' || c == '\t'; }

}  // namespace

bool sameExecutorName(const std::string& a, const std::string& b) {
    const base::CodePoints x = base::decodeBytes(a), y = base::decodeBytes(b);
    return x.size() == y.size() && sameFolded(x.data(), y);
}

std::vector<std::string> tableExecutors(const std::vector<rules::Rule>& table) {
    std::vector<std::string> names;
    for (const rules::Rule& rule : table) {
        if (rule.executor.empty()) continue;
        bool known = false;
        for (const std::string& name : names) known = known || sameExecutorName(name, rule.executor);
        if (!known) names.push_back(rule.executor);
    }
    return names;
}

bool ruleApplies(const rules::Rule& rule, const std::vector<std::string>& executors) {
    if (rule.executor.empty()) return true;
    for (const std::string& name : executors)
        if (sameExecutorName(name, rule.executor)) return true;
    return false;
}

void collectExecutorDirectives(base::CodeText& text, const std::vector<rules::Rule>& table,
                               std::vector<ExecutorDirective>& found, base::WarningList& warnings) {
    static const base::CodePoints longPrefix = base::decodeBytes("подключить исполнителя ");
    static const base::CodePoints shortPrefix = base::decodeBytes("ПИ ");
    static const base::CodePoints withField = base::decodeBytes(" с полем ");
    const std::vector<std::string> known = tableExecutors(table);
    if (known.empty()) return;

    const std::uint32_t* chars = text.chars.data();
    const std::size_t n = text.chars.size();
    base::CodeText out;
    bool rebuilt = false;
    std::size_t copiedUpTo = 0;
    for (std::size_t lineStart = 0; lineStart < n;) {
        std::size_t lineEnd = lineStart;
        while (lineEnd < n && chars[lineEnd] != 0x0A && chars[lineEnd] != 0x0D) ++lineEnd;
        const std::size_t next = lineEnd < n ? lineEnd + 1 : n;
        std::size_t L = lineStart;
        while (L < lineEnd && isSpace(chars[L])) ++L;
        std::size_t R = 0;
        if (L + shortPrefix.size() <= lineEnd && std::equal(shortPrefix.begin(), shortPrefix.end(), chars + L))
            R = L + shortPrefix.size();
        else if (L + longPrefix.size() <= lineEnd && sameFolded(chars + L, longPrefix))
            R = L + longPrefix.size();
        if (R == 0) {
            lineStart = next;
            continue;
        }
        std::size_t Q = lineEnd;
        while (Q > R && (isSpace(chars[Q - 1]) || chars[Q - 1] == ';')) --Q;
        while (R < Q && isSpace(chars[R])) ++R;
        std::size_t nameEnd = Q, fieldStart = Q;
        for (std::size_t p = R; p + withField.size() <= Q; ++p) {
            if (sameFolded(chars + p, withField)) {
                nameEnd = p;
                fieldStart = p + withField.size();
                break;
            }
        }
        while (fieldStart < Q && isSpace(chars[fieldStart])) ++fieldStart;
        const std::string name = base::encodeUtf8(chars + R, nameEnd - R);
        const std::uint32_t line = text.lines[L];
        const std::string* executor = nullptr;
        for (const std::string& k : known)
            if (sameExecutorName(k, name)) executor = &k;
        if (!executor) {
            std::string list;
            for (const std::string& k : known) list += (list.empty() ? "«" : ", «") + k + "»";
            base::Finding f{line, base::onLine(line, "исполнителя «" + name + "» нет (есть " + list + ") — строка удалена")};
            f.named = {name};
            warnings.push_back(std::move(f));
        } else {
            bool again = false;
            for (const ExecutorDirective& d : found) again = again || d.executor == *executor;
            if (!again) found.push_back({*executor, base::encodeUtf8(chars + fieldStart, Q - fieldStart), line});
        }
        if (!rebuilt) {
            rebuilt = true;
            out.chars.reserve(n);
            out.lines.reserve(n);
        }
        out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + L);
        out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.begin() + L);
        copiedUpTo = lineEnd;
        lineStart = next;
    }
    if (!rebuilt) return;
    out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + n);
    out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.end());
    text = std::move(out);
}

}  // namespace translator
