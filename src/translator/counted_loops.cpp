// Counted repetition: "for(N раз){" left over after the rules becomes a loop over the
// indices of a new array of N elements.
#include <string>

#include "translator/quotes.h"
#include "translator/rewrite.h"

namespace {

bool isDigit(std::uint32_t c) { return c >= '0' && c <= '9'; }

struct CountWords {
    CodePoints words[3];
    CodePoints digitsHead, digitsTail, otherHead, otherTail;
};

const CountWords& countWords() {
    // Tried in this order; "раз" before "разов" is harmless since "раз" needs ")" right after it.
    static const CountWords fixed{
        {decodeBytes("раза"), decodeBytes("раз"), decodeBytes("разов")},
        decodeBytes("for(счетчик of new Array("),
        decodeBytes(").keys()){"),
        decodeBytes("for(счетчик of new Array(Math.max(0, Math.floor("),
        decodeBytes("))).keys()){"),
    };
    return fixed;
}

// Where a header that starts with "for(" at v ends. On success `space` is the position of
// the space before the count word and `brace` the position of the "{".
bool scanHeader(const std::uint32_t* chars, std::size_t n, std::size_t v, std::size_t& space, std::size_t& brace) {
    const CountWords& fixed = countWords();
    int depth = 1;
    for (std::size_t h = v + 4; h < n; ++h) {
        const std::uint32_t c = chars[h];
        if (translator::isQuote(c)) {
            h = translator::closingQuote(chars, n, h);
            if (h >= n) return false;  // a quote that never closes: not a header
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0) return false;  // closed without a count word
        } else if (c == ' ' && depth == 1) {
            for (const CodePoints& word : fixed.words) {
                const std::size_t k = word.size();
                if (h + k + 2 >= n || chars[h + k + 1] != ')' || chars[h + k + 2] != '{') continue;
                bool same = true;
                for (std::size_t j = 0; j < k && same; ++j) same = sameLetter(chars[h + 1 + j], word[j]);
                if (same) {
                    space = h;
                    brace = h + k + 2;
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

void expandCountedLoops(CodeText& text) {
    const CountWords& fixed = countWords();
    const std::uint32_t* chars = text.chars.data();
    const std::size_t n = text.chars.size();
    translator::QuoteCloser closer(chars, n);

    CodeText out;
    bool rebuilt = false;
    std::size_t copiedUpTo = 0;
    std::size_t v = 0;
    while (v < n) {
        const std::uint32_t c = chars[v];
        if (translator::isQuote(c)) {
            const std::size_t q = closer.closing(v);
            if (q < n) {
                v = q + 1;
                continue;
            }
        }
        std::size_t space = 0, brace = 0;
        const bool header = c == 'f' && v + 4 < n && chars[v + 1] == 'o' && chars[v + 2] == 'r' &&
                            chars[v + 3] == '(' && scanHeader(chars, n, v, space, brace);
        if (!header) {  // a failed candidate costs only its "f"
            ++v;
            continue;
        }
        std::size_t from = v + 4, to = space;
        while (from < to && chars[from] == ' ') ++from;
        while (to > from && chars[to - 1] == ' ') --to;
        bool digitsOnly = from < to;
        for (std::size_t i = from; i < to && digitsOnly; ++i) digitsOnly = isDigit(chars[i]);
        const CodePoints& head = digitsOnly ? fixed.digitsHead : fixed.otherHead;
        const CodePoints& tail = digitsOnly ? fixed.digitsTail : fixed.otherTail;

        if (!rebuilt) {
            rebuilt = true;
            out.chars.reserve(n + 256);
            out.lines.reserve(n + 256);
        }
        out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + v);
        out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.begin() + v);
        const std::size_t headerLength = head.size() + (to - from) + tail.size();
        out.chars.insert(out.chars.end(), head.begin(), head.end());
        out.chars.insert(out.chars.end(), chars + from, chars + to);
        out.chars.insert(out.chars.end(), tail.begin(), tail.end());
        out.lines.insert(out.lines.end(), headerLength, text.lines[v]);
        v = brace + 1;
        copiedUpTo = v;
    }
    if (!rebuilt) return;
    out.chars.insert(out.chars.end(), chars + copiedUpTo, chars + n);
    out.lines.insert(out.lines.end(), text.lines.begin() + copiedUpTo, text.lines.end());
    text = std::move(out);
}
