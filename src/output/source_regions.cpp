// Literals, comments and template text of a source, as the translator and the browser see them.
#include "output/source_regions.h"

#include "translator/quotes.h"

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
    r.of.assign(n, Region::Code);
    translator::QuoteCloser quotes(chars, n);
    Ahead lineFeed, commentEnd, backquote;
    auto endOfLine = [&](std::size_t p) { return lineFeed.next(p, n, [&](std::size_t i) { return isLineFeed(chars[i]); }); };
    auto endOfComment = [&](std::size_t p) {
        return commentEnd.next(p, n, [&](std::size_t i) { return chars[i] == '*' && i + 1 < n && chars[i + 1] == '/'; });
    };
    auto nextBackquote = [&](std::size_t p) { return backquote.next(p, n, [&](std::size_t i) { return chars[i] == '`'; }); };
    auto mark = [&](std::size_t from, std::size_t to, Region region) {
        for (std::size_t k = from; k < to; ++k) r.of[k] = region;
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
                if (c == '/' && p + 1 < n && (chars[p + 1] == '/' || chars[p + 1] == '*')) {
                    state = chars[p + 1] == '/' ? State::LineComment : State::BlockComment;
                    mark(p, p + 2, Region::Comment);
                    p += 2;
                    continue;
                }
                if (c == '`' && nextBackquote(p + 1) < n) {
                    state = State::Template;
                    r.of[p] = Region::Template;
                }
                break;
            case State::LineComment:
                if (isLineFeed(c))
                    state = State::Code;
                else
                    r.of[p] = Region::Comment;
                break;
            case State::BlockComment:
                r.of[p] = Region::Comment;
                if (c == '*' && p + 1 < n && chars[p + 1] == '/') {
                    r.of[p + 1] = Region::Comment;
                    state = State::Code;
                    ++p;
                }
                break;
            case State::Template:
                r.of[p] = Region::Template;
                if (c == '`') state = State::Code;
                break;
        }
        ++p;
    }
    return r;
}
