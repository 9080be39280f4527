// Open addressing over in-place words of a text.
// Tests: tests/diagnostics/hints_test.cpp, tests/diagnostics/names_test.cpp.
#include "diagnostics/word_table.h"

#include <algorithm>

namespace diagnostics {

namespace {

std::uint64_t hashOf(const std::uint32_t* w, std::size_t n) {
    std::uint64_t h = 0xCBF29CE484222325ULL ^ n;
    for (std::size_t i = 0; i < n; ++i) h = (h ^ w[i]) * 0x100000001B3ULL;
    return h ^ (h >> 29);
}

void grow(WordTable& table) {
    std::vector<WordTable::Slot> old(table.slots.size() * 2);
    old.swap(table.slots);
    const std::size_t mask = table.slots.size() - 1;
    for (const WordTable::Slot& s : old) {
        if (s.id < 0) continue;
        std::size_t at = s.hash & mask;
        while (table.slots[at].id >= 0) at = (at + 1) & mask;
        table.slots[at] = s;
    }
}

}  // namespace

std::size_t wordId(WordTable& table, std::size_t from, std::size_t length, bool& added) {
    const std::uint32_t* w = table.text + from;
    const std::uint64_t h = hashOf(w, length);
    const std::size_t mask = table.slots.size() - 1;
    std::size_t at = h & mask;
    for (;; at = (at + 1) & mask) {
        const WordTable::Slot& s = table.slots[at];
        if (s.id < 0) break;
        if (s.hash == h && s.length == length && std::equal(w, w + length, table.text + s.from)) {
            added = false;
            return static_cast<std::size_t>(s.id);
        }
    }
    added = true;
    table.slots[at] = {h, static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(length),
                       static_cast<std::int32_t>(table.count)};
    if (++table.count * 2 > table.slots.size()) grow(table);
    return table.count - 1;
}

}  // namespace diagnostics
