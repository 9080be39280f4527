// Finding where a quoted string literal closes, shared by the passes that skip literals.
// Tests: tests/translator/apply_rules_equivalence_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace translator {

inline bool isQuote(std::uint32_t c) { return c == 0x22 || c == 0x27; }

// Answers "where does the next same quote after p stand?" for positions p that never
// decrease during one scan. Each quote kind keeps a cursor that only moves forward, so a
// whole scan costs one pass over the text per kind, however many quotes it holds.
class QuoteCloser {
public:
    QuoteCloser(const std::uint32_t* text, std::size_t length) : text_(text), length_(length) {}

    // Index of the next occurrence of text[p] after p, or the length when there is none.
    // text[p] must be a quote.
    std::size_t closing(std::size_t p) {
        const std::uint32_t quote = text_[p];
        std::size_t& cursor = cursor_[quote == 0x22 ? 0 : 1];
        if (cursor > p) return cursor;  // still ahead of p: the next occurrence, or none
        std::size_t q = p + 1;
        while (q < length_ && text_[q] != quote) ++q;
        cursor = q;
        return q;
    }

private:
    const std::uint32_t* text_;
    std::size_t length_;
    std::size_t cursor_[2] = {0, 0};
};

// The same answer for a single lookup, without the monotonic precondition.
inline std::size_t closingQuote(const std::uint32_t* text, std::size_t length, std::size_t p) {
    std::size_t q = p + 1;
    while (q < length && text[q] != text[p]) ++q;
    return q;
}

}  // namespace translator
