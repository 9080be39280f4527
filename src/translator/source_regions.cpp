// Literals, comments and template text of a source, as the translator and the browser see them.
// Tests: tests/diagnostics/hints_test.cpp.
#include "translator/source_regions.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "translator/quotes.h"

namespace translator {

namespace {

// The first position at or after p where `is` holds (n when none). Valid while p never decreases:
// the position found stays the answer until p passes it.
struct Ahead {
    std::size_t found = 0;
    bool started = false;

    template <typename Is>
    std::size_t next(std::size_t p, std::size_t n, Is is) {
        if (started && found >= p) return found;
        started = true;
        found = p;
        while (found < n && !is(found)) ++found;
        return found;
    }
};

enum class State { Code, LineComment, BlockComment, Template };

// The code points that may change what follows: quotes, "/", "`" and the line feed.
struct Specials {
    bool is[0x80] = {};
    constexpr Specials() { is[0x22] = is[0x27] = is[0x2F] = is[0x60] = is[0x0A] = true; }  // " ' / ` LF
};
constexpr Specials specials;
inline bool special(std::uint32_t c) { return c < 0x80 && specials.is[c]; }

// The first special code point at or after p, or n: four at a time where SSE2 is there.
std::size_t nextSpecial(const std::uint32_t* chars, std::size_t p, std::size_t n) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi32('"'), apostrophe = _mm_set1_epi32('\''), slash = _mm_set1_epi32('/'),
                  backquote = _mm_set1_epi32('`'), lineFeed = _mm_set1_epi32(0x0A);
    for (; p + 4 <= n; p += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(v, quote), _mm_cmpeq_epi32(v, apostrophe)),
                                         _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(v, slash), _mm_cmpeq_epi32(v, backquote)),
                                                      _mm_cmpeq_epi32(v, lineFeed)));
        if (_mm_movemask_epi8(hit) != 0) break;
    }
#endif
    while (p < n && !special(chars[p])) ++p;
    return p;
}

Region regionOf(State state) {
    switch (state) {
        case State::LineComment:
        case State::BlockComment: return Region::Comment;
        case State::Template: return Region::Template;
        case State::Code: break;
    }
    return Region::Code;
}

// A line feed inside (open, close) that no backslash before it continues (a CR may stand
// between the two). In a comment or template a backslash continues nothing a quote opened.
bool swallowsLineEnd(const std::uint32_t* chars, std::size_t open, std::size_t close, bool backslashContinues) {
    for (std::size_t k = open + 1; k < close; ++k) {
        if (!isLineFeed(chars[k])) continue;
        std::size_t before = k - 1;
        if (before > open && chars[before] == 0x0D) --before;
        if (!backslashContinues || before <= open || chars[before] != '\\') return true;
    }
    return false;
}

// Whether "//" stands on the line of `at` before it, after `from`: the browser is then inside
// that comment. Bounded by `from` so that the literals of one long line cost their own length.
bool lineCommentBefore(const std::uint32_t* chars, std::size_t from, std::size_t at) {
    for (std::size_t k = at; k > from + 1 && !isLineFeed(chars[k - 1]); --k)
        if (k >= 2 && chars[k - 1] == '/' && chars[k - 2] == '/') return true;
    return false;
}

}  // namespace

SourceRegions scanRegions(const std::uint32_t* chars, std::size_t n) {
    SourceRegions r;
    translator::QuoteCloser quotes(chars, n);
    Ahead lineFeed, commentEnd, backquote;
    auto endOfLine = [&](std::size_t p) { return lineFeed.next(p, n, [&](std::size_t i) { return isLineFeed(chars[i]); }); };
    auto endOfComment = [&](std::size_t p) {
        return commentEnd.next(p, n, [&](std::size_t i) { return chars[i] == '*' && i + 1 < n && chars[i + 1] == '/'; });
    };
    auto nextBackquote = [&](std::size_t p) { return backquote.next(p, n, [&](std::size_t i) { return chars[i] == '`'; }); };
    // Stretches touching and alike are joined, so a comment holding quote pairs stays one.
    auto mark = [&](std::size_t from, std::size_t to, Region region) {
        if (from >= to || region == Region::Code) return;
        if (!r.stretches.empty() && r.stretches.back().to == from && r.stretches.back().region == region)
            r.stretches.back().to = to;
        else
            r.stretches.push_back({from, to, region});
    };

    // Marks from p (which is not `stop`) up to the next `stop` or quote, and returns where that is.
    auto markUntil = [&](std::size_t p, std::uint32_t stop, Region region) {
        std::size_t end = p + 1;
        while (end < n && chars[end] != stop && !translator::isQuote(chars[end])) ++end;
        mark(p, end, region);
        return end;
    };

    State state = State::Code;
    std::size_t p = 0;
    while (p < n) {
        const std::uint32_t c = chars[p];
        if (translator::isQuote(c)) {
            const std::size_t q = quotes.closing(p);
            if (q >= n) {  // unmatched: an ordinary code point to the translator, an unclosed string to the browser
                const std::size_t end = state == State::Code ? endOfLine(p) : p + 1;
                mark(p, end, state == State::Code ? Region::Literal : regionOf(state));
                p = end;
                continue;
            }
            std::size_t regionEnd = n;
            if (state == State::LineComment) regionEnd = endOfLine(p);
            if (state == State::BlockComment) regionEnd = endOfComment(p);
            if (state == State::Template) regionEnd = nextBackquote(p);
            if (state != State::Code && q < regionEnd) {  // a quote pair inside a comment or template is its text
                mark(p, q + 1, regionOf(state));
                p = q + 1;
                continue;
            }
            mark(p, q + 1, Region::Literal);
            if (swallowsLineEnd(chars, p, q, state == State::Code))
                r.strays.push_back({p, q, state == State::Code ? Region::Code : regionOf(state)});
            if (state != State::Code) state = lineCommentBefore(chars, p, q) ? State::LineComment : State::Code;
            p = q + 1;
            continue;
        }
        switch (state) {
            case State::Code:
                if (!special(c)) {  // the common case: code that opens nothing
                    p = nextSpecial(chars, p + 1, n);
                    continue;
                }
                if (c == '/' && p + 1 < n && (chars[p + 1] == '/' || chars[p + 1] == '*')) {
                    state = chars[p + 1] == '/' ? State::LineComment : State::BlockComment;
                    mark(p, p + 2, Region::Comment);
                    p += 2;
                    continue;
                }
                if (c == '`' && nextBackquote(p + 1) < n) {
                    state = State::Template;
                    mark(p, p + 1, Region::Template);
                }
                break;
            case State::LineComment:
                if (isLineFeed(c)) {
                    state = State::Code;
                    break;
                }
                p = markUntil(p, 0x0A, Region::Comment);  // the comment's text up to its line end or a quote
                continue;
            case State::BlockComment:
                if (c == '*' && p + 1 < n && chars[p + 1] == '/') {
                    mark(p, p + 2, Region::Comment);
                    state = State::Code;
                    p += 2;
                    continue;
                }
                p = markUntil(p, '*', Region::Comment);
                continue;
            case State::Template:
                if (c == '`') {
                    mark(p, p + 1, Region::Template);
                    state = State::Code;
                    break;
                }
                p = markUntil(p, '`', Region::Template);
                continue;
        }
        ++p;
    }
    return r;
}

Region regionAt(const SourceRegions& regions, std::size_t p) {
    const auto after = std::upper_bound(regions.stretches.begin(), regions.stretches.end(), p,
                                        [](std::size_t v, const Stretch& s) { return v < s.from; });
    if (after == regions.stretches.begin()) return Region::Code;
    const Stretch& s = *(after - 1);
    return p < s.to ? s.region : Region::Code;
}

}  // namespace translator
