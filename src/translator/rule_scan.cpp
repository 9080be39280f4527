// One rule's scan: the start filter, the vectorised searches, and the scan's matcher.
// Tests: tests/translator/apply_rules_equivalence_test.cpp.
#include "translator/rule_scan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "rules/pattern.h"
#include "translator/quotes.h"
#include "translator/rewrite.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define LUM_SCAN_SSE2 1
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define LUM_SCAN_AVX2 1
#endif

namespace translator {
namespace {

// Every code point that sameLetter holds with `c` (only `c` itself when case is kept).
void addVariants(std::uint32_t c, bool ignoreCase, std::vector<std::uint32_t>& out) {
    out.push_back(c);
    if (!ignoreCase) return;
    const std::uint32_t upper = base::toUpper(c);
    out.push_back(upper);
    if ((upper >= 'A' && upper <= 'Z') || (upper >= 0x410 && upper <= 0x42F)) out.push_back(upper + 0x20);
    if (upper == 0x401) out.push_back(0x451);
}

// The code points node `node` can consume one of; false when no short list describes them.
bool consumable(const rules::PatternNode& node, bool ignoreCase, std::vector<std::uint32_t>& out) {
    if (node.isSet) {
        if (node.negated) return false;
        for (const std::uint32_t m : node.members) addVariants(m, ignoreCase, out);
    } else {
        addVariants(node.ch, ignoreCase, out);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out.size() <= StartFilter::maxValues;
}

std::size_t nextConsuming(const rules::CompiledPattern& nodes, std::size_t k) {
    while (k < nodes.size() && nodes[k].isBoundary) ++k;
    return k;
}

inline bool among(std::uint32_t c, const std::uint32_t* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (values[i] == c) return true;
    return false;
}

// First position >= from holding the code point v, or n.
std::size_t findValue(const std::uint32_t* t, std::size_t from, std::size_t n, std::uint32_t v) {
    std::size_t i = from;
#if LUM_SCAN_SSE2
    const __m128i needle = _mm_set1_epi32(static_cast<int>(v));
    for (; i + 8 <= n; i += 8) {
        const __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i)), needle);
        const __m128i b = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + 4)), needle);
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(a, b)));
        if (mask != 0) break;
    }
#endif
    for (; i < n; ++i)
        if (t[i] == v) return i;
    return n;
}

// First position >= from that holds a quote, or a code point of `first` followed by one of
// `second` (any code point when secondCount is 0); n when there is none. NA and NB are the
// counts, fixed per instantiation so that the comparisons unroll.
template <int NA, int NB, bool quotes = true>
std::size_t nextEvent(const std::uint32_t* t, std::size_t from, std::size_t n, const StartFilter& f) {
    std::size_t i = from;
#if LUM_SCAN_SSE2
    [[maybe_unused]] const __m128i dq = _mm_set1_epi32(0x22), sq = _mm_set1_epi32(0x27);
    __m128i a[NA];
    for (int k = 0; k < NA; ++k) a[k] = _mm_set1_epi32(static_cast<int>(f.first[k]));
    __m128i b[NB > 0 ? NB : 1];
    for (int k = 0; k < NB; ++k) b[k] = _mm_set1_epi32(static_cast<int>(f.second[k]));
    // The second code point is read one lane ahead, so the block must leave one code point.
    for (; i + 5 <= n; i += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        __m128i hit = _mm_cmpeq_epi32(x, a[0]);
        for (int k = 1; k < NA; ++k) hit = _mm_or_si128(hit, _mm_cmpeq_epi32(x, a[k]));
        if constexpr (NB > 0) {
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + 1));
            __m128i next = _mm_cmpeq_epi32(y, b[0]);
            for (int k = 1; k < NB; ++k) next = _mm_or_si128(next, _mm_cmpeq_epi32(y, b[k]));
            hit = _mm_and_si128(hit, next);
        }
        if constexpr (quotes) hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi32(x, dq), _mm_cmpeq_epi32(x, sq)));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (mask != 0) return i + (static_cast<unsigned>(__builtin_ctz(mask)) >> 2);
    }
#endif
    for (; i < n; ++i) {
        const std::uint32_t c = t[i];
        if (quotes && isQuote(c)) return i;
        if (!among(c, f.first, NA)) continue;
        if (NB == 0 || (i + 1 < n && among(t[i + 1], f.second, NB))) return i;
    }
    return n;
}

#if LUM_SCAN_AVX2
// The same searches eight code points at a time, for processors that have AVX2.
__attribute__((target("avx2"))) std::size_t findValueWide(const std::uint32_t* t, std::size_t from, std::size_t n,
                                                           std::uint32_t v) {
    std::size_t i = from;
    const __m256i needle = _mm256_set1_epi32(static_cast<int>(v));
    for (; i + 16 <= n; i += 16) {
        const __m256i a = _mm256_cmpeq_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i)), needle);
        const __m256i b = _mm256_cmpeq_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i + 8)), needle);
        if (!_mm256_testz_si256(_mm256_or_si256(a, b), _mm256_or_si256(a, b))) break;
    }
    for (; i < n; ++i)
        if (t[i] == v) return i;
    return n;
}

template <int NA, int NB, bool quotes = true>
__attribute__((target("avx2"))) std::size_t nextEventWide(const std::uint32_t* t, std::size_t from, std::size_t n,
                                                           const StartFilter& f) {
    std::size_t i = from;
    [[maybe_unused]] const __m256i dq = _mm256_set1_epi32(0x22), sq = _mm256_set1_epi32(0x27);
    __m256i a[NA];
    for (int k = 0; k < NA; ++k) a[k] = _mm256_set1_epi32(static_cast<int>(f.first[k]));
    __m256i b[NB > 0 ? NB : 1];
    for (int k = 0; k < NB; ++k) b[k] = _mm256_set1_epi32(static_cast<int>(f.second[k]));
    for (; i + 9 <= n; i += 8) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i));
        __m256i hit = _mm256_cmpeq_epi32(x, a[0]);
        for (int k = 1; k < NA; ++k) hit = _mm256_or_si256(hit, _mm256_cmpeq_epi32(x, a[k]));
        if constexpr (NB > 0) {
            const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i + 1));
            __m256i next = _mm256_cmpeq_epi32(y, b[0]);
            for (int k = 1; k < NB; ++k) next = _mm256_or_si256(next, _mm256_cmpeq_epi32(y, b[k]));
            hit = _mm256_and_si256(hit, next);
        }
        if constexpr (quotes)
            hit = _mm256_or_si256(hit, _mm256_or_si256(_mm256_cmpeq_epi32(x, dq), _mm256_cmpeq_epi32(x, sq)));
        const unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(hit));
        if (mask != 0) return i + (static_cast<unsigned>(__builtin_ctz(mask)) >> 2);
    }
    return nextEvent<NA, NB, quotes>(t, i, n, f);
}
#endif

using EventFinder = std::size_t (*)(const std::uint32_t*, std::size_t, std::size_t, const StartFilter&);
using ValueFinder = std::size_t (*)(const std::uint32_t*, std::size_t, std::size_t, std::uint32_t);

template <bool wide, int NA, int... NB>
constexpr auto finderRow(std::integer_sequence<int, NB...>) {
#if LUM_SCAN_AVX2
    if constexpr (wide) return std::array<EventFinder, sizeof...(NB)>{&nextEventWide<NA, NB>...};
#endif
    return std::array<EventFinder, sizeof...(NB)>{&nextEvent<NA, NB>...};
}

template <bool wide, int... NA>
constexpr auto finderTable(std::integer_sequence<int, NA...>) {
    return std::array<std::array<EventFinder, StartFilter::maxValues + 1>, sizeof...(NA)>{
        finderRow<wide, NA + 1>(std::make_integer_sequence<int, StartFilter::maxValues + 1>())...};
}

// [NA - 1][NB], four code points at a time and, where the processor has AVX2, eight.
constexpr auto narrowFinders = finderTable<false>(std::make_integer_sequence<int, StartFilter::maxValues>());
constexpr auto wideFinders = finderTable<true>(std::make_integer_sequence<int, StartFilter::maxValues>());

bool hasWideSearch() {
#if LUM_SCAN_AVX2
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

// Where the quote at p closes, for positions p that never decrease within one scan; n when
// it never does. One forward cursor per quote kind, so a scan reads the text at most once per
// kind to answer every question.
struct Closer {
    const std::uint32_t* text;
    std::size_t n;
    ValueFinder find;
    std::size_t cursor[2] = {0, 0};
    std::size_t closing(std::size_t p) {
        const std::uint32_t quote = text[p];
        std::size_t& c = cursor[quote == 0x22 ? 0 : 1];
        if (c > p) return c;  // still ahead of p: the next occurrence, or none
        c = find(text, p + 1, n, quote);
        return c;
    }
};

}  // namespace

std::size_t caseVariants(std::uint32_t c, bool ignoreCase, std::uint32_t out[3]) {
    std::vector<std::uint32_t> all;
    addVariants(c, ignoreCase, all);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    std::copy(all.begin(), all.end(), out);
    return all.size();
}

std::size_t findCodePoint(const std::uint32_t* text, std::size_t from, std::size_t n, std::uint32_t v) {
#if LUM_SCAN_AVX2
    if (hasWideSearch()) return findValueWide(text, from, n, v);
#endif
    return findValue(text, from, n, v);
}

std::size_t findAnyOf(const std::uint32_t* text, std::size_t from, std::size_t n, const std::uint32_t* values,
                      std::size_t count) {
    StartFilter f;
    std::copy(values, values + count, f.first);
    [[maybe_unused]] const bool wide = hasWideSearch();  // unused where there is no AVX2 path
    switch (count) {
    case 1: return findCodePoint(text, from, n, values[0]);
#if LUM_SCAN_AVX2
    case 2: return wide ? nextEventWide<2, 0, false>(text, from, n, f) : nextEvent<2, 0, false>(text, from, n, f);
    default: return wide ? nextEventWide<3, 0, false>(text, from, n, f) : nextEvent<3, 0, false>(text, from, n, f);
#else
    case 2: return nextEvent<2, 0, false>(text, from, n, f);
    default: return nextEvent<3, 0, false>(text, from, n, f);
#endif
    }
}

std::size_t findQuoteOrPair(const std::uint32_t* text, std::size_t from, std::size_t n, std::uint32_t first,
                            std::uint32_t second) {
    StartFilter f;
    f.first[0] = first;
    f.second[0] = second;
    return (hasWideSearch() ? wideFinders : narrowFinders)[0][1](text, from, n, f);
}

StartFilter makeStartFilter(const rules::Rule& rule) {
    StartFilter f;
    const rules::CompiledPattern& nodes = rule.nodes;
    for (const rules::PatternNode& node : nodes) f.repeats = f.repeats || (node.oneOrMore && !node.isBoundary);
    const std::size_t k = nextConsuming(nodes, 0);
    if (k == nodes.size()) return f;  // boundaries only, or no node: never a non-empty match
    std::vector<std::uint32_t> first;
    if (!consumable(nodes[k], rule.ignoreCase, first)) {
        f.kind = StartFilter::everywhere;
        return f;
    }
    if (first.empty()) return f;  // an empty set accepts nothing
    f.kind = StartFilter::values;
    f.firstCount = static_cast<std::uint8_t>(first.size());
    std::copy(first.begin(), first.end(), f.first);
    // The code point after the start: the next consuming node's, or, after a run, either.
    const std::size_t s = nextConsuming(nodes, k + 1);
    if (s == nodes.size()) return f;
    std::vector<std::uint32_t> second;
    if (nodes[k].oneOrMore) second = first;
    if (!consumable(nodes[s], rule.ignoreCase, second)) return f;
    if (second.empty()) {  // the node after the start accepts nothing: no match at all
        f.kind = StartFilter::never;
        return f;
    }
    f.secondCount = static_cast<std::uint8_t>(second.size());
    std::copy(second.begin(), second.end(), f.second);
    return f;
}

void scanRule(const rules::Rule& rule, const StartFilter& filter, const std::uint32_t* text, std::size_t n,
              std::vector<Match>& matches, ScanScratch& scratch, TraceSink trace) {
    if (filter.kind == StartFilter::never) return;
    std::string tracedPattern;
    if (trace) tracedPattern = base::encodeUtf8(rule.pattern);
    const bool wide = hasWideSearch();
#if LUM_SCAN_AVX2
    Closer closer{text, n, wide ? &findValueWide : &findValue};
#else
    Closer closer{text, n, &findValue};
#endif
    ScanMatcher matcher(rule.nodes, text, n, rule.ignoreCase, scratch);
    const EventFinder find = filter.kind != StartFilter::values ? nullptr
                             : wide ? wideFinders[filter.firstCount - 1][filter.secondCount]
                                    : narrowFinders[filter.firstCount - 1][filter.secondCount];

    std::size_t p = 0;
    while (p < n) {
        if (find != nullptr) {
            p = find(text, p, n, filter);
            if (p >= n) break;
        }
        if (isQuote(text[p])) {
            const std::size_t q = closer.closing(p);
            if (q < n) {  // a closed literal: never a match start
                p = q + 1;
                continue;
            }
        }
        const std::int32_t end = filter.repeats ? matcher.match(p) : rules::matchAt(rule.nodes, 0, p, text, n, rule.ignoreCase);
        if (end < 0 || static_cast<std::size_t>(end) <= p) {  // no match, or an empty one
            ++p;
            continue;
        }
        const std::size_t e = static_cast<std::size_t>(end);
        if (trace) {
            std::string line(96 + tracedPattern.size(), '\0');
            const int size = std::snprintf(line.data(), line.size(), "[trace] match: len=%d pos=%zu pat='%.40s'\n",
                                           static_cast<int>(e - p), p, tracedPattern.c_str());
            line.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
            trace(line);
        }
        matches.push_back({static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(e)});
        p = e;
    }
}

}  // namespace translator
