// Nearest known word within one or two typing mistakes, found through hashed deletion variants.
// Tests: tests/diagnostics/hints_test.cpp.
#include "diagnostics/near_words.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "base/text.h"

namespace diagnostics {

namespace {

constexpr std::size_t longestWord = 48;
// Past this many variants on the smaller side, both sides keep one deletion only: a very large
// program then gets its two-mistake suggestions for long words no more, but stays in memory.
constexpr std::size_t variantBudget = 8'000'000;
// Candidate pairs checked per query at most: shared variants of look-alike names cannot make
// the work quadratic.
constexpr int checksPerQuery = 256;

constexpr std::uint64_t base = 0x100000001B3ULL;

// Polynomial hashes of every variant of `w` with up to `deletions` code points taken out (the
// word itself included), each in constant time from prefix hashes.
void variants(const std::u32string& w, int deletions, std::vector<std::uint64_t>& out) {
    const std::size_t n = w.size();  // at most longestWord + 2
    std::uint64_t prefix[longestWord + 3] = {}, power[longestWord + 3];
    power[0] = 1;
    for (std::size_t i = 0; i < n; ++i) {
        prefix[i + 1] = prefix[i] * base + (static_cast<std::uint64_t>(w[i]) + 1);
        power[i + 1] = power[i] * base;
    }
    // Hash of w[a, b).
    auto part = [&](std::size_t a, std::size_t b) { return prefix[b] - prefix[a] * power[b - a]; };
    const std::uint64_t lengthMark = 0x9E3779B97F4A7C15ULL;
    out.push_back(part(0, n) + lengthMark * n);
    if (deletions < 1) return;
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(part(0, i) * power[n - i - 1] + part(i + 1, n) + lengthMark * (n - 1));
        if (deletions < 2) continue;
        for (std::size_t j = i + 1; j < n; ++j)
            out.push_back((part(0, i) * power[j - i - 1] + part(i + 1, j)) * power[n - j - 1] + part(j + 1, n) +
                          lengthMark * (n - 2));
    }
}

std::size_t variantCount(std::size_t n, int deletions) {
    return 1 + (deletions >= 1 ? n : 0) + (deletions >= 2 ? n * (n - 1) / 2 : 0);
}

struct Side {
    std::vector<const std::u32string*> words;
    std::vector<int> deletions;
    std::vector<std::size_t> ids;  // index in the caller's list
};

// One comparison space: queries against known words, both as given (or both in capitals).
void search(const Side& queries, const Side& known, const std::vector<std::u32string>& queryWords,
            std::vector<std::pair<int, int>>& best, std::vector<int>& checks) {
    if (queries.words.empty() || known.words.empty()) return;
    std::size_t queryVariants = 0, knownVariants = 0;
    for (std::size_t i = 0; i < queries.words.size(); ++i)
        queryVariants += variantCount(queries.words[i]->size(), queries.deletions[i]);
    for (std::size_t i = 0; i < known.words.size(); ++i)
        knownVariants += variantCount(known.words[i]->size(), known.deletions[i]);
    const bool indexQueries = queryVariants < knownVariants;
    const int cap = std::min(queryVariants, knownVariants) > variantBudget ? 1 : 2;
    const Side& indexed = indexQueries ? queries : known;
    const Side& streamed = indexQueries ? known : queries;

    // Open addressing over (variant hash, word), twice as many slots as entries.
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t word = 0xFFFFFFFF;
    };
    std::size_t entries = 0;
    for (std::size_t i = 0; i < indexed.words.size(); ++i)
        entries += variantCount(indexed.words[i]->size(), std::min(cap, indexed.deletions[i]));
    std::size_t size = 16;
    while (size < 2 * entries) size *= 2;
    std::vector<Slot> index(size);
    const std::size_t mask = size - 1;
    std::vector<std::uint64_t> hashes;
    for (std::size_t i = 0; i < indexed.words.size(); ++i) {
        hashes.clear();
        variants(*indexed.words[i], std::min(cap, indexed.deletions[i]), hashes);
        std::sort(hashes.begin(), hashes.end());
        hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
        for (const std::uint64_t h : hashes) {
            std::size_t at = (h ^ (h >> 31)) & mask;
            while (index[at].word != 0xFFFFFFFF) at = (at + 1) & mask;
            index[at] = {h, static_cast<std::uint32_t>(i)};
        }
    }

    std::vector<std::uint32_t> partners;
    for (std::size_t s = 0; s < streamed.words.size(); ++s) {
        hashes.clear();
        variants(*streamed.words[s], std::min(cap, streamed.deletions[s]), hashes);
        partners.clear();
        for (const std::uint64_t h : hashes)
            for (std::size_t at = (h ^ (h >> 31)) & mask; index[at].word != 0xFFFFFFFF; at = (at + 1) & mask)
                if (index[at].hash == h) partners.push_back(index[at].word);
        std::sort(partners.begin(), partners.end());
        partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
        for (const std::uint32_t partner : partners) {
            const std::size_t q = indexQueries ? partner : s;
            const std::size_t k = indexQueries ? s : partner;
            const std::size_t query = queries.ids[q];
            if (checks[query] >= checksPerQuery) continue;
            ++checks[query];
            const int limit = allowedMistakes(queryWords[query].size());
            const int distance = typingDistance(*queries.words[q], *known.words[k], limit);
            if (distance == 0 || distance > limit) continue;
            const std::pair<int, int> candidate{distance, static_cast<int>(known.ids[k])};
            if (best[query].second < 0 || candidate < best[query]) best[query] = candidate;
        }
    }
}

}  // namespace

int allowedMistakes(std::size_t length) { return length >= 8 ? 2 : 1; }

int typingDistance(std::u32string_view a, std::u32string_view b, int limit) {
    const std::size_t n = a.size(), m = b.size();
    if ((n > m ? n - m : m - n) > static_cast<std::size_t>(limit)) return limit + 1;
    // Three rows of the table: two back for the swap.
    std::vector<int> before(m + 1), previous(m + 1), current(m + 1);
    for (std::size_t j = 0; j <= m; ++j) previous[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= n; ++i) {
        current[0] = static_cast<int>(i);
        int rowBest = current[0];
        for (std::size_t j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int d = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d = std::min(d, before[j - 2] + 1);
            current[j] = d;
            rowBest = std::min(rowBest, d);
        }
        if (rowBest > limit) return limit + 1;
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return std::min(previous[m], limit + 1);
}

std::vector<int> nearestKnownWords(const std::vector<std::u32string>& queries, const std::vector<KnownWord>& known) {
    std::vector<std::pair<int, int>> best(queries.size(), {0, -1});
    std::vector<int> checks(queries.size(), 0);
    std::vector<std::u32string> upperQueries(queries.size()), upperKnown(known.size());
    Side exactQueries, foldedQueries, exactKnown, foldedKnown;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        if (queries[i].size() > longestWord) continue;
        upperQueries[i] = queries[i];
        for (char32_t& c : upperQueries[i]) c = base::toUpper(c);
        const int deletions = allowedMistakes(queries[i].size());
        exactQueries.words.push_back(&queries[i]);
        foldedQueries.words.push_back(&upperQueries[i]);
        for (Side* side : {&exactQueries, &foldedQueries}) {
            side->deletions.push_back(deletions);
            side->ids.push_back(i);
        }
    }
    for (std::size_t i = 0; i < known.size(); ++i) {
        const std::u32string& w = known[i].word;
        if (w.empty() || w.size() > longestWord + 2) continue;
        Side& side = known[i].foldCase ? foldedKnown : exactKnown;
        if (known[i].foldCase) {
            upperKnown[i] = w;
            for (char32_t& c : upperKnown[i]) c = base::toUpper(c);
        }
        side.words.push_back(known[i].foldCase ? &upperKnown[i] : &w);
        // A query of 8+ letters may be two mistakes from a word of 6 or more.
        side.deletions.push_back(w.size() >= 6 ? 2 : 1);
        side.ids.push_back(i);
    }
    search(exactQueries, exactKnown, queries, best, checks);
    search(foldedQueries, foldedKnown, queries, best, checks);
    std::vector<int> result(queries.size(), -1);
    for (std::size_t i = 0; i < queries.size(); ++i) result[i] = best[i].second;
    return result;
}

}  // namespace diagnostics
