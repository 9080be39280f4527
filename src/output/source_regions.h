// Which code points of a learner's source are code, and which are string literals, comments or
// template text, as the translator (quotes protect, comments do not exist) and then the browser
// (comments and backquotes do exist) read them together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class Region : std::uint8_t {
    Code,      // what the browser runs; a line feed outside literals is always Code
    Literal,   // protected by the translator's quotes, or after an unmatched quote to its line's end
    Comment,   // "//" to the end of the line, "/*" to "*/"
    Template,  // between backquotes: text the translator rewrites but the learner meant as text
};

// A literal whose quotes stand on different lines with a line end between them that no
// backslash continues: the text in between is protected from the rules though it is not text.
struct StrayLiteral {
    std::size_t open = 0, close = 0;  // positions of its two quotes
    Region openedIn = Region::Code;   // Comment or Template: the quote was meant as a letter
};

struct SourceRegions {
    std::vector<Region> of;            // one entry per code point
    std::vector<StrayLiteral> strays;  // in text order
};

// One pass; each quote kind, the comment end and the backquote keep a cursor that only moves
// forward, so the cost is linear in the text whatever it holds.
SourceRegions scanRegions(const std::uint32_t* chars, std::size_t n);

inline bool isLineFeed(std::uint32_t c) { return c == 0x0A; }
