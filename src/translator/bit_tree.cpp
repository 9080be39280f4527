// Bit sets with summary levels: setting, and the nearest clear bit on either side.
// Tests: tests/translator/apply_rules_equivalence_test.cpp.
#include "translator/bit_tree.h"

namespace translator {
namespace {

constexpr std::uint64_t all = ~std::uint64_t{0};

// Bits 0 to b of a word.
inline std::uint64_t upTo(std::size_t b) { return b == 63 ? all : (std::uint64_t{1} << (b + 1)) - 1; }

inline std::size_t highestBit(std::uint64_t w) { return 63 - static_cast<std::size_t>(__builtin_clzll(w)); }
inline std::size_t lowestBit(std::uint64_t w) { return static_cast<std::size_t>(__builtin_ctzll(w)); }

}  // namespace

void BitTree::reset(std::size_t size) {
    size_ = size;
    levels_ = 0;
    std::size_t bits = size == 0 ? 1 : size;
    std::size_t total = 0;
    while (true) {
        const std::size_t words = (bits + 63) / 64;
        start_[levels_] = total;
        bits_[levels_] = bits;
        total += words;
        ++levels_;
        if (words == 1) break;
        bits = words;
    }
    words_.assign(total, 0);
    // The bits past each level's end count as set.
    for (std::size_t l = 0; l < levels_; ++l) {
        const std::size_t used = bits_[l] % 64;
        if (used != 0) words_[start_[l] + bits_[l] / 64] = all << used;
    }
}

void BitTree::summarise() {
    for (std::size_t l = 0; l + 1 < levels_; ++l)
        for (std::size_t w = 0; w < bits_[l + 1]; ++w)
            if (words_[start_[l] + w] == all) words_[start_[l + 1] + w / 64] |= std::uint64_t{1} << (w % 64);
}

void BitTree::set(std::size_t i) {
    for (std::size_t l = 0; l < levels_; ++l) {
        std::uint64_t& word = words_[start_[l] + i / 64];
        word |= std::uint64_t{1} << (i % 64);
        if (word != all) return;
        i /= 64;  // the word is full now: so is its bit one level up
    }
}

std::size_t BitTree::highestClear(std::size_t i) const {
    std::size_t l = 0;
    // Up: the first level whose word around i has a clear bit at or below i.
    while (true) {
        const std::uint64_t open = ~words_[start_[l] + i / 64] & upTo(i % 64);
        if (open != 0) {
            i = i / 64 * 64 + highestBit(open);
            break;
        }
        if (i < 64 || l + 1 == levels_) return none;
        i = i / 64 - 1;  // the words below this one, one level up
        ++l;
    }
    // Down: in each word found not full, its highest clear bit.
    while (l > 0) {
        --l;
        i = i * 64 + highestBit(~words_[start_[l] + i]);
    }
    return i;
}

std::size_t BitTree::lowestClear(std::size_t i) const {
    std::size_t l = 0;
    while (true) {
        const std::uint64_t open = ~words_[start_[l] + i / 64] & ~(upTo(i % 64) >> 1);
        if (open != 0) {
            i = i / 64 * 64 + lowestBit(open);
            break;
        }
        i = i / 64 + 1;  // the words above this one, one level up
        ++l;
        if (l == levels_ || i >= bits_[l]) return size_;
    }
    while (l > 0) {
        --l;
        i = i * 64 + lowestBit(~words_[start_[l] + i]);
    }
    return i;  // the bits past the end are set, so a clear one found is a position
}

}  // namespace translator
