// Counted loops: expandCountedLoops against a plain re-reading of the header rule, plus the
// line invariants of every pass.
#include "fuzz_support.h"
#include "translator/rewrite.h"

namespace {

std::uint32_t symbolAt(std::uint8_t b, CodePoints& out) {
    static const char* const pieces[] = {"for(", "раз", "РАЗА", "разов", ")", "{", "(", " ", " ", "\"",
                                         "'", "7", "n", "\n", "ё", "f", "){", " раз){"};
    const CodePoints p = decodeBytes(pieces[b % (sizeof pieces / sizeof pieces[0])]);
    out.insert(out.end(), p.begin(), p.end());
    return 0;
}

bool same(const CodePoints& a, std::size_t at, const CodePoints& word, bool fold) {
    if (at + word.size() > a.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (fold ? !sameLetter(a[at + i], word[i]) : a[at + i] != word[i]) return false;
    return true;
}

// The rule read step by step, on plain arrays, without the pass's own helpers.
CodeText expand(const CodeText& text) {
    const CodePoints& c = text.chars;
    const std::size_t n = c.size();
    const CodePoints forOpen = decodeBytes("for(");
    const CodePoints words[] = {decodeBytes("раза"), decodeBytes("раз"), decodeBytes("разов")};
    CodeText out;
    std::size_t v = 0;
    while (v < n) {
        if (c[v] == '"' || c[v] == '\'') {
            std::size_t q = v + 1;
            while (q < n && c[q] != c[v]) ++q;
            if (q < n) {
                for (std::size_t i = v; i <= q; ++i) out.chars.push_back(c[i]), out.lines.push_back(text.lines[i]);
                v = q + 1;
                continue;
            }
        }
        bool found = false;
        std::size_t h = v + 4, k = 0;
        if (same(c, v, forOpen, false) && v + 4 < n) {
            int depth = 1;
            for (; h < n && !found; ++h) {
                if (c[h] == '"' || c[h] == '\'') {
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
                        if (h + w.size() + 2 < n && c[h + w.size() + 1] == ')' && c[h + w.size() + 2] == '{' &&
                            same(c, h + 1, w, true)) {
                            found = true;
                            k = w.size();
                            break;
                        }
                    }
                    if (found) break;
                }
            }
        }
        if (!found) {
            out.chars.push_back(c[v]);
            out.lines.push_back(text.lines[v]);
            ++v;
            continue;
        }
        std::size_t from = v + 4, to = h;
        while (from < to && c[from] == ' ') ++from;
        while (to > from && c[to - 1] == ' ') --to;
        bool digits = from < to;
        for (std::size_t i = from; i < to; ++i) digits = digits && c[i] >= '0' && c[i] <= '9';
        std::string count = encodeUtf8(c.data() + from, to - from);
        const std::string header = digits ? "for(счетчик of new Array(" + count + ").keys()){"
                                          : "for(счетчик of new Array(Math.max(0, Math.floor(" + count + "))).keys()){";
        for (const std::uint32_t x : decodeBytes(header)) out.chars.push_back(x), out.lines.push_back(text.lines[v]);
        v = h + k + 3;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 300) return 0;
    CodePoints points;
    for (std::size_t i = 0; i < size; ++i) symbolAt(data[i], points);
    CodeText text = makeText(points);
    const CodeText expected = expand(text);
    expandCountedLoops(text);
    FUZZ_REQUIRE(text.chars.size() == text.lines.size());
    for (std::size_t i = 1; i < text.lines.size(); ++i) FUZZ_REQUIRE(text.lines[i - 1] <= text.lines[i]);
    FUZZ_REQUIRE(text.chars == expected.chars, "pass and reference differ on '%s'", encodeUtf8(points).c_str());
    FUZZ_REQUIRE(text.lines == expected.lines);
    return 0;
}
