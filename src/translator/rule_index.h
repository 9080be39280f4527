// Which rule of the table matches first at a position of a source, with as few tries as the
// table allows: rules indexed by the code points they can start with (the translator's start
// filters), whole-word rules by a hash of the word, simple patterns walked without backtracking,
// and the translator's failure memo for those that could explode.
// Tests: tests/diagnostics/hints_test.cpp.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "rules/rulesfile.h"
#include "translator/rule_scan.h"
#include "translator/source_regions.h"

namespace translator {

constexpr std::uint32_t noRule = 0xFFFFFFFF;

// The translator's memo-backed matchers over one text, one per rule whose backtracking could
// explode, made when first asked: a rule tried at every position costs what one scan costs.
struct Memos {
    const std::uint32_t* text = nullptr;
    std::size_t n = 0;
    struct Memo {
        translator::ScanScratch scratch;
        std::unique_ptr<translator::ScanMatcher> matcher;
    };
    std::unordered_map<std::uint32_t, std::unique_ptr<Memo>> byRule;

    std::int32_t match(const std::vector<rules::Rule>& table, std::uint32_t r, std::size_t p) {
        std::unique_ptr<Memo>& m = byRule[r];
        if (!m) {
            m = std::make_unique<Memo>();
            m->matcher = std::make_unique<translator::ScanMatcher>(table[r].nodes, text, n, table[r].ignoreCase,
                                                                   m->scratch);
        }
        return m->matcher->match(p);
    }
};

// A rule as a candidate at one code point: what its match must hold from there, checked in
// place before (or instead of) the generic matcher.
struct Candidate {
    std::uint32_t rule = 0;
    bool wordStart = false;  // its pattern opens with a boundary before a word character
    bool ignoreCase = false;
    // The code point of a leading run (" +"): where the same code point stands before, the match
    // was tried there already with every end this start could reach.
    std::uint32_t run = 0;
    // The literal code points the match starts with (in capitals under ignoreCase), at most 16.
    std::uint8_t prefixLength = 0;
    std::uint32_t prefix[16] = {};
    // The whole pattern is [\b] literals [\b]: a matching prefix is the match, no matcher needed.
    bool literal = false;
    bool endBoundary = false;
    std::uint64_t afterRun = ~std::uint64_t{0};  // code points (mod 64) that may follow the run
    bool mayExplode = false;  // some run: tried with the translator's scan matcher, which keeps what failed
    // Literals, runs and boundaries only, each run followed by something its own code point
    // cannot be: the greedy walk is the match, with no backtracking to try.
    bool simple = false;

    bool same(std::uint32_t a, std::uint32_t b) const { return ignoreCase ? base::toUpper(a) == b : a == b; }

    bool inRun(std::uint32_t c) const { return ignoreCase ? base::sameLetter(c, run) : c == run; }

    std::int32_t simpleMatch(const rules::CompiledPattern& nodes, const std::uint32_t* chars, std::size_t n, std::size_t p) const {
        auto accepts = [&](const rules::PatternNode& node, std::size_t q) {
            return q < n && (ignoreCase ? base::sameLetter(chars[q], node.ch) : chars[q] == node.ch);
        };
        std::size_t q = p;
        for (const rules::PatternNode& node : nodes) {
            if (node.isBoundary) {
                if ((q > 0 && isWordCode(chars[q - 1])) == (q < n && isWordCode(chars[q]))) return -1;
                continue;
            }
            if (!accepts(node, q)) return -1;
            ++q;
            if (node.oneOrMore)
                while (accepts(node, q)) ++q;
        }
        return static_cast<std::int32_t>(q);
    }

    // The end of the match at p, or 0 when there is none (a match is never empty). `memos`
    // answers for the patterns that may explode over `chars`; without it (a replacement read
    // again) a memo of its own serves the one call.
    std::size_t matchEnd(const std::vector<rules::Rule>& table, const std::uint32_t* chars, std::size_t n, std::size_t p,
                         Memos* memos) const {
        if (wordStart && p > 0 && isWordCode(chars[p - 1])) return 0;
        std::size_t k = p;
        if (run != 0) {
            if (p > 0 && inRun(chars[p - 1])) return 0;
            for (k = p + 1; k < n && inRun(chars[k]);) ++k;
            if (k < n && ((afterRun >> (chars[k] & 63)) & 1) == 0) return 0;
        }
        if (k + prefixLength > n) return 0;
        for (std::uint8_t i = 0; i < prefixLength; ++i)
            if (!same(chars[k + i], prefix[i])) return 0;
        if (literal) {
            const std::size_t e = k + prefixLength;
            if (endBoundary && (e < n && isWordCode(chars[e])) == isWordCode(chars[e - 1])) return 0;
            return e;
        }
        std::int32_t e = -1;
        if (simple) {
            e = simpleMatch(table[rule].nodes, chars, n, p);
        } else if (!mayExplode) {
            e = rules::matchAt(table[rule].nodes, 0, p, chars, n, ignoreCase);
        } else if (memos && memos->text == chars) {
            e = memos->match(table, rule, p);
        } else {
            translator::ScanScratch scratch;
            translator::ScanMatcher memo(table[rule].nodes, chars, n, ignoreCase, scratch);
            e = memo.match(p);
        }
        return e >= 0 && static_cast<std::size_t>(e) > p ? static_cast<std::size_t>(e) : 0;
    }
};

// The rules by the code points their matches can start with (the translator's start filters),
// then by the code point after it, each list in table order: a position costs only the rules
// that could start there.
struct Bucket {
    std::vector<std::pair<std::uint32_t, std::vector<Candidate>>> bySecond;  // sorted by that code point
    std::vector<Candidate> anySecond;  // for every other code point after the start

    const std::vector<Candidate>& at(std::uint32_t second) const {
        const auto found = std::lower_bound(bySecond.begin(), bySecond.end(), second,
                                            [](const auto& entry, std::uint32_t v) { return entry.first < v; });
        return found != bySecond.end() && found->first == second ? found->second : anySecond;
    }
};

struct RuleIndex {
    // Buckets of the first code points below 0x500 by slot (0: none), the others by code point.
    std::vector<std::uint16_t> lowSlot = std::vector<std::uint16_t>(0x500);
    std::vector<Bucket> low;
    std::unordered_map<std::uint32_t, Bucket> high;
    std::vector<Candidate> anywhere;  // rules without a short list of first code points: tried everywhere
    // Per first code point: 1 some rule, 2 some inside a word, 4 all start with a run of it,
    // 8 some is a one-letter word.
    std::vector<std::uint8_t> startable = std::vector<std::uint8_t>(0x500);
    std::vector<std::uint64_t> nextMask = std::vector<std::uint64_t>(0x500);  // code points that may follow, mod 64
    bool midWordStarts = false;  // some rule may start on a word character inside a word
    // Rules that are one whole word ("\bпусть\b"), by a hash of that word in capitals: a word
    // of the text finds its rules in one look, however many rules share its first letters.
    std::unordered_map<std::uint64_t, std::vector<Candidate>> wholeWords;
    // The lengths (mod 64) of those words by their first letter in capitals: most words of a
    // text are no rule's, and this one look tells so before any hashing.
    std::vector<std::uint64_t> wholeWordLengths = std::vector<std::uint64_t>(0x500);

    bool longFirstLetters = false;  // some such word starts beyond the table above: always hashed

    // Whether a word of the text may be a whole-word rule's, by its first letter and length.
    bool mayBeWholeWord(const std::uint32_t* w, std::size_t n) const {
        const std::uint32_t first = base::toUpper(w[0]);
        if (first >= wholeWordLengths.size()) return longFirstLetters;
        return ((wholeWordLengths[first] >> (n & 63)) & 1) != 0;
    }

    static std::uint64_t wordHash(const std::uint32_t* w, std::size_t n) {
        std::uint64_t h = 0xCBF29CE484222325ULL;
        for (std::size_t i = 0; i < n; ++i) h = (h ^ base::toUpper(w[i])) * 0x100000001B3ULL;
        return h;
    }

    static bool isWholeWord(const Candidate& c) {
        return c.literal && c.wordStart && c.endBoundary && c.run == 0 &&
               std::all_of(c.prefix, c.prefix + c.prefixLength, [](std::uint32_t v) { return isWordCode(v); });
    }

    explicit RuleIndex(const std::vector<rules::Rule>& table);

    const Bucket* bucketAt(std::uint32_t c) const {
        if (c < lowSlot.size()) return lowSlot[c] != 0 ? &low[lowSlot[c] - 1u] : nullptr;
        const auto found = high.find(c);
        return found == high.end() ? nullptr : &found->second;
    }

    // Whether a rule could start at p, by two looks at small tables: the code point there (inside
    // a word or not), and the one after it, or after the run of spaces a " +" rule starts with.
    // Never false where a rule matches; often true where none does.
    bool mayStart(const std::uint32_t* chars, std::size_t n, std::size_t p, bool midWord) const {
        if (!anywhere.empty()) return true;
        const std::uint32_t c = chars[p];
        if (c >= startable.size()) return high.count(c) != 0;
        const std::uint8_t flags = startable[c];
        if ((flags & (midWord ? 2 : 1)) == 0) return false;
        std::size_t k = p + 1;
        if (flags & 4) {
            if (p > 0 && chars[p - 1] == c) return false;
            while (k < n && chars[k] == c) ++k;
        }
        if (k >= n || ((nextMask[c] >> (chars[k] & 63)) & 1) != 0) return true;
        return (flags & 8) != 0 && !isWordCode(chars[k]);
    }
};

// The first rule from `minRule` on, in table order, that matches at p with one code point or
// more; its end goes to `end`. Returns noRule when none does. `memos` serves the patterns that
// may explode over `chars` (nullptr: a memo of its own for each such try).
std::uint32_t firstMatch(const RuleIndex& index, const std::vector<rules::Rule>& table, std::uint32_t minRule,
                         const std::uint32_t* chars, std::size_t n, std::size_t p, std::size_t& end, Memos* memos);

// Whether a rule after r could match at i of r's replacement t, as far as t tells: what stands
// after t is the source's, so a prefix running past t's end may still match.
bool laterRuleMayStart(const RuleIndex& index, const base::CodePoints& t, std::size_t i, std::uint32_t r);

}  // namespace translator
