// A plain rule application kept only for tests: every rule scans the whole text, the matcher
// is tried at every position by a plain recursion, every quote looks for its partner afresh,
// and every rule and post-step rebuilds the text code point by code point. Slow on purpose:
// the product's pass must give exactly what this gives. compareWithReference runs both.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define LUM_DUP _dup
#define LUM_DUP2 _dup2
#define LUM_CLOSE _close
#define LUM_FILENO _fileno
#else
#include <unistd.h>
#define LUM_DUP dup
#define LUM_DUP2 dup2
#define LUM_CLOSE close
#define LUM_FILENO fileno
#endif

#include "frontend/report.h"
#include "base/text.h"
#include "rules/pattern.h"
#include "rules/rulesfile.h"
#include "translator/rewrite.h"

using namespace base;
using namespace rules;
using namespace translator;

namespace reference_apply {

inline bool plainWordChar(std::uint32_t c) {
    return (c >= 0x30 && c <= 0x39) || (c >= 0x41 && c <= 0x5A) || c == 0x5F || (c >= 0x61 && c <= 0x7A) ||
           (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451;
}

inline std::uint32_t plainUpper(std::uint32_t c) {
    if (c >= 0x61 && c <= 0x7A) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c == 0x451) return 0x401;
    return c;
}

inline bool plainEqual(std::uint32_t a, std::uint32_t b, bool ignoreCase) {
    return ignoreCase ? plainUpper(a) == plainUpper(b) : a == b;
}

inline bool plainAccepts(const PatternNode& node, const std::vector<std::uint32_t>& text, std::size_t p,
                         bool ignoreCase) {
    if (p >= text.size()) return false;
    if (!node.isSet) return plainEqual(text[p], node.ch, ignoreCase);
    bool found = false;
    for (std::size_t i = 0; i < node.members.size() && !found; ++i)
        found = plainEqual(text[p], node.members[i], ignoreCase);
    return found != node.negated;
}

// The matcher's steps as they are stated: boundaries compare the two sides, a run is measured
// once and tried from its longest end down; -1 when nothing matches.
inline std::int64_t plainMatch(const CompiledPattern& nodes, std::size_t k, std::size_t p,
                               const std::vector<std::uint32_t>& text, bool ignoreCase) {
    while (true) {
        if (k == nodes.size()) return static_cast<std::int64_t>(p);
        const PatternNode& node = nodes[k];
        if (node.isBoundary) {
            const bool before = p > 0 && plainWordChar(text[p - 1]);
            const bool after = p < text.size() && plainWordChar(text[p]);
            if (before == after) return -1;
            ++k;
        } else if (!node.oneOrMore) {
            if (!plainAccepts(node, text, p, ignoreCase)) return -1;
            ++k;
            ++p;
        } else {
            if (p >= text.size()) return -1;
            std::size_t h = p;
            while (h < text.size() && plainAccepts(node, text, h, ignoreCase)) ++h;
            if (h == p) return -1;
            for (std::size_t e = h; e >= p + 1; --e) {
                const std::int64_t result = plainMatch(nodes, k + 1, e, text, ignoreCase);
                if (result >= 0) return result;
            }
            return -1;
        }
    }
}

inline std::string traceLine(std::size_t length, std::size_t position, const CodePoints& pattern) {
    const std::string utf8 = encodeUtf8(pattern);
    char line[160];
    std::snprintf(line, sizeof line, "[trace] match: len=%d pos=%zu pat='%.40s'\n", static_cast<int>(length),
                  position, utf8.c_str());
    return line;
}

inline void plainApplyRule(const Rule& rule, CodeText& text, std::string* trace) {
    const std::size_t n = text.chars.size();
    CodeText out;
    out.chars.reserve(n + rule.replacement.size() + 64);
    out.lines.reserve(n + rule.replacement.size() + 64);
    std::size_t p = 0;
    while (p < n) {
        const std::uint32_t c = text.chars[p];
        if (c == 0x22 || c == 0x27) {
            std::size_t q = p + 1;
            while (q < n && text.chars[q] != c) ++q;
            if (q < n) {
                for (std::size_t i = p; i <= q; ++i) {
                    out.chars.push_back(text.chars[i]);
                    out.lines.push_back(text.lines[i]);
                }
                p = q + 1;
                continue;
            }
        }
        std::int64_t e = -1;
        if (!rule.nodes.empty()) e = plainMatch(rule.nodes, 0, p, text.chars, rule.ignoreCase);
        if (e < 0 || e - static_cast<std::int64_t>(p) < 1) {
            out.chars.push_back(c);
            out.lines.push_back(text.lines[p]);
            ++p;
            continue;
        }
        if (trace != nullptr) *trace += traceLine(static_cast<std::size_t>(e) - p, p, rule.pattern);
        for (const std::uint32_t r : rule.replacement) {
            out.chars.push_back(r);
            out.lines.push_back(text.lines[p]);
        }
        p = static_cast<std::size_t>(e);
    }
    text = std::move(out);
}

inline void plainReplaceLiteral(CodeText& text, const std::string& search, const std::string& replacement,
                                bool ignoreCase, bool firstOnly) {
    const CodePoints s = decodeBytes(search);
    const CodePoints t = decodeBytes(replacement);
    const std::size_t m = s.size(), n = text.chars.size();
    CodeText out;
    bool replacedOnce = false;
    std::size_t i = 0;
    while (i < n) {
        bool found = !(replacedOnce && firstOnly) && i + m <= n;
        for (std::size_t j = 0; found && j < m; ++j) found = plainEqual(text.chars[i + j], s[j], ignoreCase);
        if (found) {
            for (const std::uint32_t r : t) {
                out.chars.push_back(r);
                out.lines.push_back(text.lines[i]);
            }
            i += m;
            replacedOnce = true;
        } else {
            out.chars.push_back(text.chars[i]);
            out.lines.push_back(text.lines[i]);
            ++i;
        }
    }
    text = std::move(out);
}

inline void plainExpandCountedLoops(CodeText& text) {
    const std::vector<std::uint32_t>& c = text.chars;
    const std::size_t n = c.size();
    const CodePoints words[3] = {decodeBytes("раза"), decodeBytes("раз"), decodeBytes("разов")};
    CodeText out;
    std::size_t v = 0;
    while (v < n) {
        if (c[v] == 0x22 || c[v] == 0x27) {
            std::size_t q = v + 1;
            while (q < n && c[q] != c[v]) ++q;
            if (q < n) {
                for (std::size_t i = v; i <= q; ++i) {
                    out.chars.push_back(c[i]);
                    out.lines.push_back(text.lines[i]);
                }
                v = q + 1;
                continue;
            }
        }
        bool success = false;
        std::size_t space = 0, brace = 0;
        if (v + 4 <= n && c[v] == 'f' && c[v + 1] == 'o' && c[v + 2] == 'r' && c[v + 3] == '(' && v + 4 < n) {
            int depth = 1;
            for (std::size_t h = v + 4; h < n && !success; ++h) {
                if (c[h] == 0x22 || c[h] == 0x27) {
                    std::size_t q = h + 1;
                    while (q < n && c[q] != c[h]) ++q;
                    if (q >= n) break;
                    h = q;
                } else if (c[h] == '(') {
                    ++depth;
                } else if (c[h] == ')') {
                    if (--depth == 0) break;
                } else if (c[h] == ' ' && depth == 1) {
                    for (const CodePoints& w : words) {
                        const std::size_t k = w.size();
                        if (!(h + k + 2 < n) || c[h + k + 1] != ')' || c[h + k + 2] != '{') continue;
                        bool same = true;
                        for (std::size_t j = 0; j < k; ++j) same = same && plainEqual(c[h + 1 + j], w[j], true);
                        if (same) {
                            success = true;
                            space = h;
                            brace = h + k + 2;
                            break;
                        }
                    }
                }
            }
        }
        if (!success) {
            out.chars.push_back(c[v]);
            out.lines.push_back(text.lines[v]);
            ++v;
            continue;
        }
        std::size_t from = v + 4, to = space;
        while (from < to && c[from] == ' ') ++from;
        while (to > from && c[to - 1] == ' ') --to;
        bool digits = from < to;
        for (std::size_t i = from; i < to; ++i) digits = digits && c[i] >= '0' && c[i] <= '9';
        const std::string count = encodeUtf8(CodePoints(c.begin() + from, c.begin() + to));
        const std::string header = digits ? "for(счетчик of new Array(" + count + ").keys()){"
                                          : "for(счетчик of new Array(Math.max(0, Math.floor(" + count +
                                                "))).keys()){";
        for (const std::uint32_t h : decodeBytes(header)) {
            out.chars.push_back(h);
            out.lines.push_back(text.lines[v]);
        }
        v = brace + 1;
    }
    text = std::move(out);
}

// The whole pass: every rule in order, then the five post-steps.
inline void plainApplyRules(const std::vector<Rule>& rules, CodeText& text, std::string* trace) {
    // A rule of an executor rewrites only a program that asks for it; these ask for none.
    for (const Rule& rule : rules)
        if (rule.executor.empty()) plainApplyRule(rule, text, trace);
    plainReplaceLiteral(text, "\\перенос строки", "\\n", true, false);
    plainReplaceLiteral(text, "\\вертикальная табуляция", "\\v", true, false);
    plainReplaceLiteral(text, "\\табуляция", "\\t", true, false);
    plainReplaceLiteral(text, "Введите ваш код на ЛУМ в белом окне ниже, перевод будет в черном окне:",
                        "код на JavaScript:", false, true);
    plainExpandCountedLoops(text);
}

// What the product's applyRules writes to standard error while it runs over `text`.
inline std::string productTrace(CodeText& text, const std::vector<Rule>& rules) {
    std::fflush(stderr);
    std::FILE* capture = std::tmpfile();
    if (capture == nullptr) return "(no temporary file for the trace)";
    const int saved = LUM_DUP(LUM_FILENO(stderr));
    LUM_DUP2(LUM_FILENO(capture), LUM_FILENO(stderr));
    applyRules(text, {rules, true, {}, frontend::writeTraceLine});
    std::fflush(stderr);
    LUM_DUP2(saved, LUM_FILENO(stderr));
    LUM_CLOSE(saved);
    std::string written;
    std::rewind(capture);
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, capture)) > 0) written.append(buffer, got);
    std::fclose(capture);
    return written;
}

// Runs the product's applyRules (with `rules` as the rule table) and the plain pass over the
// same text. Empty when both give the same code points, line numbers and, with `withTrace`,
// the same trace lines; otherwise a description of the first difference.
inline std::string compareWithReference(const std::vector<Rule>& rules, const CodeText& text, bool withTrace) {
    CodeText product = text;
    std::string productLines;
    if (withTrace)
        productLines = productTrace(product, rules);
    else
        applyRules(product, {rules, false});

    CodeText expected = text;
    std::string expectedLines;
    plainApplyRules(rules, expected, withTrace ? &expectedLines : nullptr);

    if (product.chars.size() != product.lines.size()) return "chars and lines differ in length";
    const std::size_t common = std::min(product.chars.size(), expected.chars.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (product.chars[i] != expected.chars[i] || product.lines[i] != expected.lines[i])
            return "first difference at code point " + std::to_string(i) + ": got U+" +
                   std::to_string(product.chars[i]) + " line " + std::to_string(product.lines[i]) +
                   ", expected U+" + std::to_string(expected.chars[i]) + " line " +
                   std::to_string(expected.lines[i]);
    }
    if (product.chars.size() != expected.chars.size())
        return "length " + std::to_string(product.chars.size()) + ", expected " +
               std::to_string(expected.chars.size());
    if (productLines != expectedLines) {
        std::size_t at = 0;
        while (at < productLines.size() && at < expectedLines.size() && productLines[at] == expectedLines[at]) ++at;
        const std::size_t lineStart = productLines.rfind('\n', at == 0 ? 0 : at - 1);
        const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
        return "trace differs from byte " + std::to_string(at) + ": got '" + productLines.substr(from, 80) +
               "', expected '" + expectedLines.substr(from, 80) + "'";
    }
    return "";
}

}  // namespace reference_apply
