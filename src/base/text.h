// The code-point text every pass works on, its codecs and the system's only case mapping.
// Tests: tests/base/text_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace base {

// A plain code-point sequence: patterns, replacements, library texts.
using CodePoints = std::vector<std::uint32_t>;

// The text being translated. Invariant: chars and lines have the same length whenever a
// pass begins or ends; lines are 1-based source line numbers; a line feed carries the line
// it ends.
struct CodeText {
    std::vector<std::uint32_t> chars;
    std::vector<std::uint32_t> lines;
};

// Strict UTF-8 (overlong forms rejected, surrogates and values up to 0x1FFFFF accepted).
// Clears `out` first; false as soon as the input is invalid, `out` then being of no use.
bool decodeUtf8(const std::string& bytes, CodePoints& out);
// Windows-1251, one code point per byte; never fails. Clears `out` first.
void decodeCp1251(const std::string& bytes, CodePoints& out);
// UTF-8 when the whole input is valid UTF-8, else CP1251 for the whole input.
CodePoints decodeBytes(const std::string& bytes);
// Numbers the lines: line 1 first, the counter rising after each U+000A.
CodeText makeText(const CodePoints& points);
// No validation: every value is written in the 1-4 byte form its size asks for.
std::string encodeUtf8(const CodePoints& points);
std::string encodeUtf8(const std::uint32_t* points, std::size_t count);

// a-z, а-я and ё map to their capitals; every other code point is unchanged.
inline std::uint32_t toUpper(std::uint32_t c) {
    if ((c >= 0x61 && c <= 0x7A) || (c >= 0x430 && c <= 0x44F)) return c - 0x20;
    if (c == 0x451) return 0x401;
    return c;
}
inline bool sameLetter(std::uint32_t a, std::uint32_t b) { return toUpper(a) == toUpper(b); }

// Drops a leading UTF-8 byte order mark when the bytes are longer than two.
void dropByteOrderMark(std::string& bytes);

}  // namespace base
