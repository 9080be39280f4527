// One rule's scan over a text, made fast without changing its result: a start filter that
// passes over positions where no non-empty match can begin, vectorised searches for quotes
// and candidates, and a failure memo for patterns whose backtracking could explode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rules/pattern.h"
#include "rules/rulesfile.h"

namespace translator {

// One accepted match: the code points [start, end) of the text as the scan found it.
struct Match {
    std::uint32_t start;
    std::uint32_t end;
};

// Which code points can stand at a match start (and, when known, right after it).
struct StartFilter {
    enum Kind : std::uint8_t {
        never,       // no node consumes anything: every match would be empty
        everywhere,  // no cheap test: the matcher is tried at every open position
        values,      // the first code point is one of `first`, the second one of `second`
    };
    static constexpr std::size_t maxValues = 6;
    Kind kind = never;
    std::uint8_t firstCount = 0;
    std::uint8_t secondCount = 0;  // 0: the code point after the start is not tested
    std::uint32_t first[maxValues] = {};
    std::uint32_t second[maxValues] = {};
    bool mayExplode = false;  // two or more oneOrMore nodes: backtracking can multiply
};

StartFilter makeStartFilter(const Rule& rule);

// Scratch space shared by the scans of one rule application, so that they allocate once.
struct ScanScratch {
    std::vector<std::uint64_t> failed;  // one bit per (memo slot, position)
    std::vector<std::int32_t> slotOf;   // node index -> memo slot, or -1
    // Recursive calls one scan makes before it sets the memo up; the default, -1, stands for
    // 4 per code point plus 4096, so that ordinary patterns never allocate it. Tests set 0.
    std::size_t memoAfter = static_cast<std::size_t>(-1);
};

// The matcher with a memo of failed (node, position) pairs at its recursive calls. The result
// of a call depends only on the node, the position, the text and the case flag, all fixed for
// one text, so skipping a call known to fail changes nothing but the time.
struct MemoMatcher {
    const CompiledPattern& nodes;
    const std::uint32_t* text;
    std::size_t n;
    bool ignoreCase;
    ScanScratch& scratch;
    std::size_t slots = 0;
    std::size_t calls = 0;
    std::size_t budget;  // recursive calls allowed before the memo is set up
    bool ready = false;
    static constexpr std::size_t remembered = 16;  // nodes whose last run is kept
    std::size_t runFrom[remembered] = {};
    std::size_t runTo[remembered] = {};

    bool accepts(const PatternNode& node, std::size_t p) const {
        if (p >= n) return false;
        const std::uint32_t c = text[p];
        auto same = [&](std::uint32_t x) { return ignoreCase ? sameLetter(c, x) : c == x; };
        if (!node.isSet) return same(node.ch);
        bool found = false;
        for (const std::uint32_t m : node.members)
            if (same(m)) {
                found = true;
                break;
            }
        return found != node.negated;
    }

    void setUp() {
        scratch.slotOf.assign(nodes.size() + 1, -1);
        slots = 0;
        for (std::size_t k = 0; k + 1 < nodes.size(); ++k)
            if (nodes[k].oneOrMore && !nodes[k].isBoundary && scratch.slotOf[k + 1] < 0)
                scratch.slotOf[k + 1] = static_cast<std::int32_t>(slots++);
        scratch.failed.assign((slots * (n + 1) + 63) / 64, 0);
        ready = true;
    }

    void remember(std::int32_t slot, std::size_t e) {
        const std::size_t bit = static_cast<std::size_t>(slot) * (n + 1) + e;
        scratch.failed[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }

    // The highest e in [low, high] not yet known to fail, or low - 1; 64 positions a step.
    std::size_t highestOpen(std::int32_t slot, std::size_t low, std::size_t high) const {
        const std::size_t base = static_cast<std::size_t>(slot) * (n + 1);
        std::size_t bit = base + high;
        const std::size_t lowest = base + low;
        while (true) {
            const std::size_t word = bit / 64, offset = bit % 64;
            std::uint64_t open = ~scratch.failed[word];
            if (offset < 63) open &= (std::uint64_t{1} << (offset + 1)) - 1;
            if (open != 0) {
                const std::size_t found = word * 64 + (63 - static_cast<std::size_t>(__builtin_clzll(open)));
                return found >= lowest ? found - base : low - 1;
            }
            if (word * 64 <= lowest) return low - 1;
            bit = word * 64 - 1;
        }
    }

    // The end of node k's run from p. The run measured last, [runFrom, runTo), all accepts and
    // its end does not, so it answers for every start inside it, and a start just before it
    // (the backtracking loop moves down one position at a time) only measures up to it.
    std::size_t runEnd(std::size_t k, std::size_t p) {
        if (k >= remembered) {
            std::size_t h = p;
            while (h < n && accepts(nodes[k], h)) ++h;
            return h;
        }
        std::size_t& from = runFrom[k];
        std::size_t& to = runTo[k];
        if (from <= p && p < to) return to;
        std::size_t h = p;
        if (p < from) {
            while (h < from && accepts(nodes[k], h)) ++h;
            // Reaching the run measured before joins it; an empty one refuses at its start.
            if (h == from && from < to) h = to;
        } else {
            while (h < n && accepts(nodes[k], h)) ++h;
        }
        from = p;
        to = h;
        return h;
    }

    // The same steps as matchAt.
    std::int32_t match(std::size_t k, std::size_t p) {
        const std::size_t count = nodes.size();
        while (k < count) {
            const PatternNode& current = nodes[k];
            if (current.isBoundary) {
                const bool before = p > 0 && p - 1 < n && isWordChar(text[p - 1]);
                const bool after = p < n && isWordChar(text[p]);
                if (before == after) return -1;
                ++k;
                continue;
            }
            if (!current.oneOrMore) {
                if (!accepts(current, p)) return -1;
                ++k;
                ++p;
                continue;
            }
            if (p >= n) return -1;
            const std::size_t h = runEnd(k, p);
            if (h == p) return -1;
            for (std::size_t e = h; e > p; --e) {
                if (!ready && ++calls > budget) setUp();
                const std::int32_t slot = ready ? scratch.slotOf[k + 1] : -1;
                if (slot >= 0) {  // pass over the ends already known to fail
                    e = highestOpen(slot, p + 1, e);
                    if (e == p) break;
                }
                const std::int32_t result = match(k + 1, e);
                if (result >= 0) return result;
                if (slot >= 0) remember(slot, e);
            }
            return -1;
        }
        return static_cast<std::int32_t>(p);
    }
};

// The accepted matches of `rule` over text[0, n), appended in order to `matches`: the same ones
// the straightforward scan finds by trying the matcher at every position outside the string
// literals. Writes the trace line of each accepted match when tracing is on.
void scanRule(const Rule& rule, const StartFilter& filter, const std::uint32_t* text, std::size_t n,
              std::vector<Match>& matches, ScanScratch& scratch);

// Searches shared with the other passes that skip literals. Each returns the first position
// >= from (and < n) that qualifies, or n.
std::size_t findCodePoint(const std::uint32_t* text, std::size_t from, std::size_t n, std::uint32_t v);
// One of values[0, count), count being 1 to 3.
std::size_t findAnyOf(const std::uint32_t* text, std::size_t from, std::size_t n, const std::uint32_t* values,
                      std::size_t count);
// A quote, or `first` directly followed by `second`.
std::size_t findQuoteOrPair(const std::uint32_t* text, std::size_t from, std::size_t n, std::uint32_t first,
                            std::uint32_t second);
// The code points that sameLetter holds with c when ignoreCase is set (c alone otherwise): 1 to 3.
std::size_t caseVariants(std::uint32_t c, bool ignoreCase, std::uint32_t out[3]);

}  // namespace translator
