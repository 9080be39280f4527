// Which code points of a learner's source are code, and which are string literals, comments or
// template text, as the translator (quotes protect, comments do not exist) and then the browser
// (comments and backquotes do exist) read them together.
// Tests: tests/diagnostics/hints_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace translator {

enum class Region : std::uint8_t {
    Code,      // what the browser runs; a line feed outside literals is always Code
    Literal,   // protected by the translator's quotes, or after an unmatched quote to its line's end
    Comment,   // "//" to the end of the line, "/*" to "*/"
    Template,  // between backquotes: text the translator rewrites but the learner meant as text
};

// A stretch of the text that is not code; everything between stretches is.
struct Stretch {
    std::size_t from = 0, to = 0;  // code points [from, to)
    Region region = Region::Literal;
};

// A literal whose quotes stand on different lines with a line end between them that no
// backslash continues: the text in between is protected from the rules though it is not text.
struct StrayLiteral {
    std::size_t open = 0, close = 0;  // positions of its two quotes
    Region openedIn = Region::Code;   // Comment or Template: the quote was meant as a letter
};

struct SourceRegions {
    std::vector<Stretch> stretches;    // in text order, apart, none empty
    std::vector<StrayLiteral> strays;  // in text order
};

// One pass; each quote kind, the comment end and the backquote keep a cursor that only moves
// forward, so the cost is linear in the text whatever it holds.
SourceRegions scanRegions(const std::uint32_t* chars, std::size_t n);

// The region at p, by binary search (for the odd question; readers walk the stretches).
Region regionAt(const SourceRegions& regions, std::size_t p);

inline bool isLineFeed(std::uint32_t c) { return c == 0x0A; }

// isWordChar of the matcher, by one table look: the hints pass asks it at every code point.
struct WordCodes {
    bool word[0x460] = {};
    constexpr WordCodes() {
        for (std::uint32_t c = 0; c < 0x460; ++c)
            word[c] = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') ||
                      (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451;
    }
};
inline constexpr WordCodes wordCodes;
inline bool isWordCode(std::uint32_t c) { return c < 0x460 && wordCodes.word[c]; }

}  // namespace translator
