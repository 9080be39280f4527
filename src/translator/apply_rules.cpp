// Rule application: one scan per rule of the table, string literals protected, then the
// fixed post-steps.
#include <cstdio>
#include <string>

#include "rules/pattern.h"
#include "rules/rulesfile.h"
#include "translator/quotes.h"
#include "translator/rewrite.h"

bool traceEnabled = false;

namespace {

// Rewrites `text` by one rule. A rule that matches nowhere leaves the arrays as they are,
// which is the same text a rebuild would give.
void applyRule(const Rule& rule, CodeText& text) {
    if (rule.nodes.empty()) return;
    const std::uint32_t* chars = text.chars.data();
    const std::size_t n = text.chars.size();
    translator::QuoteCloser closer(chars, n);
    std::string tracedPattern;
    if (traceEnabled) tracedPattern = encodeUtf8(rule.pattern);

    CodeText out;
    bool rebuilt = false;
    std::size_t copiedUpTo = 0;  // text[copiedUpTo, p) is still owed to the output
    std::size_t p = 0;
    while (p < n) {
        if (translator::isQuote(chars[p])) {
            const std::size_t q = closer.closing(p);
            if (q < n) {  // a closed literal: never a match start, copied as it stands
                p = q + 1;
                continue;
            }
        }
        const std::int32_t end = matchAt(rule.nodes, 0, p, chars, n, rule.ignoreCase);
        // Only a non-empty match inside the text counts.
        if (end < 0 || static_cast<std::size_t>(end) <= p || static_cast<std::size_t>(end) > n) {
            ++p;
            continue;
        }
        const std::size_t e = static_cast<std::size_t>(end);
        if (traceEnabled)
            std::fprintf(stderr, "[trace] match: len=%d pos=%zu pat='%.40s'\n", static_cast<int>(e - p), p,
                         tracedPattern.c_str());
        if (!rebuilt) {
            rebuilt = true;
            out.chars.reserve(n + rule.replacement.size() + 64);
            out.lines.reserve(n + rule.replacement.size() + 64);
        }
        out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + p);
        out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.begin() + p);
        out.chars.insert(out.chars.end(), rule.replacement.begin(), rule.replacement.end());
        out.lines.insert(out.lines.end(), rule.replacement.size(), text.lines[p]);
        p = e;
        copiedUpTo = e;
    }
    if (!rebuilt) return;
    out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + n);
    out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.end());
    text = std::move(out);
}

}  // namespace

void applyRules(CodeText& text) {
    for (const Rule& rule : ruleTable) applyRule(rule, text);

    replaceLiteral(text, "\\перенос строки", "\\n", true, false);
    replaceLiteral(text, "\\вертикальная табуляция", "\\v", true, false);
    replaceLiteral(text, "\\табуляция", "\\t", true, false);
    replaceLiteral(text, "Введите ваш код на ЛУМ в белом окне ниже, перевод будет в черном окне:",
                   "код на JavaScript:", false, true);
    expandCountedLoops(text);
}
