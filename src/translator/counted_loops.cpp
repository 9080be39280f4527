// Counted repetition: "for(N раз){" left over after the rules becomes a loop over the
// indices of a new array of N elements.
// Tests: tests/translator/counted_loops_test.cpp.
#include <optional>
#include <string>
#include <vector>

#include "translator/quotes.h"
#include "translator/rewrite.h"
#include "translator/rule_scan.h"

namespace translator {

namespace {

bool isDigit(std::uint32_t c) { return c >= '0' && c <= '9'; }

struct CountWords {
    base::CodePoints words[3];
    base::CodePoints digitsHead, digitsTail, otherHead, otherTail;
};

const CountWords& countWords() {
    // Tried in this order; "раз" before "разов" is harmless since "раз" needs ")" right after it.
    static const CountWords fixed{
        {base::decodeBytes("раза"), base::decodeBytes("раз"), base::decodeBytes("разов")},
        base::decodeBytes("for(счетчик of new Array("),
        base::decodeBytes(").keys()){"),
        base::decodeBytes("for(счетчик of new Array(Math.max(0, Math.floor("),
        base::decodeBytes("))).keys()){"),
    };
    return fixed;
}

// Length of the count word that follows the space at h and is itself followed by "){", or 0.
std::size_t countWordAfter(const std::uint32_t* chars, std::size_t n, std::size_t h) {
    for (const base::CodePoints& word : countWords().words) {
        const std::size_t k = word.size();
        if (h + k + 2 >= n || chars[h + k + 1] != ')' || chars[h + k + 2] != '{') continue;
        bool same = true;
        for (std::size_t j = 0; j < k && same; ++j) same = base::sameLetter(chars[h + 1 + j], word[j]);
        if (same) return k;
    }
    return 0;
}

// Where a header scan stops, for every start position at once.
//
// A scan walks from h to h + 1, except that a quote sends it past its closing partner, so the
// walk from any position is the same whichever header it belongs to; only the depth differs,
// by a constant. stop[h] is where a scan entering h at depth 1 ends: the space before a count
// word (success) or the ")" that takes the depth to 0 (failure). close[h] is that ")" alone,
// passing over count words. The length n stands for "ran out of text, or into a quote that
// never closes". Built right to left in one pass, so every header is resolved in constant time
// and nested or unfinished headers cost nothing extra.
struct HeaderStops {
    std::vector<std::uint32_t> stop, close;  // positions fit in 31 bits

    HeaderStops(const std::uint32_t* chars, std::size_t n)
        : stop(n + 1, static_cast<std::uint32_t>(n)), close(n + 1, static_cast<std::uint32_t>(n)) {
        std::size_t nextQuote[2] = {n, n};  // nearest " and ' to the right of h
        for (std::size_t h = n; h-- > 0;) {
            const std::uint32_t c = chars[h];
            if (translator::isQuote(c)) {
                std::size_t& next = nextQuote[c == 0x22 ? 0 : 1];
                if (next < n) follow(h, next + 1);  // else both stay n
                next = h;
            } else if (c == ')') {
                stop[h] = close[h] = static_cast<std::uint32_t>(h);
            } else if (c == '(') {
                const std::size_t inner = close[h + 1];  // the ")" that comes back to this level
                if (inner < n) follow(h, inner + 1);
            } else if (c == ' ' && countWordAfter(chars, n, h) > 0) {
                stop[h] = static_cast<std::uint32_t>(h);
                close[h] = close[h + 1];
            } else {
                follow(h, h + 1);
            }
        }
    }

private:
    void follow(std::size_t h, std::size_t next) {
        stop[h] = stop[next];
        close[h] = close[next];
    }
};

}  // namespace

void expandCountedLoops(base::CodeText& text) {
    const CountWords& fixed = countWords();
    const std::uint32_t* chars = text.chars.data();
    const std::size_t n = text.chars.size();
    translator::QuoteCloser closer(chars, n);
    std::optional<HeaderStops> stops;  // built at the first candidate only

    base::CodeText out;
    bool rebuilt = false;
    std::size_t copiedUpTo = 0;
    std::size_t v = 0;
    while (v < n) {
        // Only a quote or an "f" before an "o" can open a literal or a header.
        v = translator::findQuoteOrPair(chars, v, n, 'f', 'o');
        if (v >= n) break;
        const std::uint32_t c = chars[v];
        if (translator::isQuote(c)) {
            const std::size_t q = closer.closing(v);
            if (q < n) {
                v = q + 1;
                continue;
            }
        }
        const bool candidate =
            c == 'f' && v + 4 < n && chars[v + 1] == 'o' && chars[v + 2] == 'r' && chars[v + 3] == '(';
        if (candidate && !stops) stops.emplace(chars, n);
        const std::size_t space = candidate ? stops->stop[v + 4] : n;
        if (space >= n || chars[space] != ' ') {  // a failed candidate costs only its "f"
            ++v;
            continue;
        }
        const std::size_t brace = space + countWordAfter(chars, n, space) + 2;

        std::size_t from = v + 4, to = space;
        while (from < to && chars[from] == ' ') ++from;
        while (to > from && chars[to - 1] == ' ') --to;
        bool digitsOnly = from < to;
        for (std::size_t i = from; i < to && digitsOnly; ++i) digitsOnly = isDigit(chars[i]);
        const base::CodePoints& head = digitsOnly ? fixed.digitsHead : fixed.otherHead;
        const base::CodePoints& tail = digitsOnly ? fixed.digitsTail : fixed.otherTail;

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

}  // namespace translator
