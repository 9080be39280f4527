// The distinct words of one text, found by their code points where they stand: a lookup hashes
// the word in place and allocates nothing, so a pass can afford one per word of a large text.
// Tests: tests/diagnostics/hints_test.cpp, tests/diagnostics/names_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace diagnostics {

struct WordTable {
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t from = 0, length = 0;  // where the word was first seen
        std::int32_t id = -1;                // -1: empty slot
    };
    const std::uint32_t* text = nullptr;
    std::vector<Slot> slots = std::vector<Slot>(64);  // open addressing; the size is a power of two
    std::size_t count = 0;                             // words so far; ids are 0 .. count - 1
};

// The id of the word text[from, from + length): the existing one, or `count` for a word seen
// the first time (then `added` is set).
std::size_t wordId(WordTable& table, std::size_t from, std::size_t length, bool& added);

}  // namespace diagnostics
