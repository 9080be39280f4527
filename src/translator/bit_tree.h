// A set of positions kept as bits with summary levels, for finding the nearest clear bit
// above or below a position in a few word reads however long the set run around it is.
// Tests: tests/translator/apply_rules_equivalence_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace translator {

// Positions [0, size). Level 0 holds one bit per position; bit i of level l + 1 is set exactly
// when word i of level l is full. Bits past the end of a level are kept set, so a full word
// always means "every position it stands for is set". A search reads at most two words per
// level: six levels cover 2^36 positions. Memory: size / 63 words.
class BitTree {
public:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    // All clear.
    void reset(std::size_t size);
    // Level 0 as bits set where `has(i)` holds, then the summaries: one pass over the positions.
    template <class Has>
    void fill(std::size_t size, Has has) {
        reset(size);
        for (std::size_t i = 0; i < size; ++i)
            if (has(i)) words_[i / 64] |= std::uint64_t{1} << (i % 64);
        summarise();
    }
    bool test(std::size_t i) const { return (words_[i / 64] >> (i % 64)) & 1; }
    void set(std::size_t i);
    // The highest clear position <= i, or `none`. Needs i < size.
    std::size_t highestClear(std::size_t i) const;
    // The lowest clear position >= i, or size when there is none. Needs i < size.
    std::size_t lowestClear(std::size_t i) const;

private:
    static constexpr std::size_t maxLevels = 8;
    void summarise();

    std::vector<std::uint64_t> words_;  // every level, level 0 first
    std::size_t start_[maxLevels] = {};  // first word of each level
    std::size_t bits_[maxLevels] = {};   // positions (level 0) or words below (the others)
    std::size_t levels_ = 0;
    std::size_t size_ = 0;
};

}  // namespace translator
