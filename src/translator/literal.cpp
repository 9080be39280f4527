// Fixed-literal replacement, used by the post-steps of rule application.
// Tests: tests/translator/literal_test.cpp.
#include <string>

#include "translator/rewrite.h"
#include "translator/rule_scan.h"

namespace translator {

void replaceLiteral(base::CodeText& text, std::string_view search, std::string_view replacement, bool ignoreCase,
                    bool firstOnly) {
    const base::CodePoints s = base::decodeBytes(std::string(search));
    const base::CodePoints t = base::decodeBytes(std::string(replacement));
    const std::size_t m = s.size();
    const std::size_t n = text.chars.size();
    if (m == 0 || m > n) return;
    const std::uint32_t* chars = text.chars.data();

    auto occursAt = [&](std::size_t i) {
        for (std::size_t j = 0; j < m; ++j) {
            const bool same = ignoreCase ? base::sameLetter(chars[i + j], s[j]) : chars[i + j] == s[j];
            if (!same) return false;
        }
        return true;
    };

    // Only a position holding the first code point (in either case) can begin an occurrence.
    std::uint32_t starts[3];
    const std::size_t startCount = translator::caseVariants(s[0], ignoreCase, starts);

    base::CodeText out;
    bool rebuilt = false;
    std::size_t copiedUpTo = 0;
    std::size_t i = 0;
    while (i + m <= n) {
        i = translator::findAnyOf(chars, i, n - m + 1, starts, startCount);
        if (i + m > n) break;
        if (!occursAt(i)) {
            ++i;
            continue;
        }
        if (!rebuilt) {
            rebuilt = true;
            out.chars.reserve(n + 64);
            out.lines.reserve(n + 64);
        }
        out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + i);
        out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.begin() + i);
        out.chars.insert(out.chars.end(), t.begin(), t.end());
        out.lines.insert(out.lines.end(), t.size(), text.lines[i]);
        i += m;
        copiedUpTo = i;
        if (firstOnly) break;
    }
    if (!rebuilt) return;
    out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + n);
    out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.end());
    text = std::move(out);
}

}  // namespace translator
