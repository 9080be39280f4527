// Finding the first rule that matches at a position: the index and the cheap checks before the matcher.
// Tests: tests/diagnostics/hints_test.cpp.
#include "translator/rule_index.h"

#include <algorithm>

#include "rules/pattern.h"

namespace translator {
namespace {

// A code point no other one is the same letter as: a space, a digit, a mark.
bool caseless(std::uint32_t c) {
    return base::toUpper(c) == c && !((c >= 'A' && c <= 'Z') || (c >= 0x410 && c <= 0x42F) || c == 0x401);
}

Candidate candidateFor(const std::vector<rules::Rule>& table, std::uint32_t r, const translator::StartFilter& filter) {
    Candidate c;
    c.rule = r;
    c.ignoreCase = table[r].ignoreCase;
    c.mayExplode = filter.repeats;
    const rules::CompiledPattern& nodes = table[r].nodes;
    c.simple = !nodes.empty();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].isSet) c.simple = false;
        if (nodes[i].isSet || nodes[i].isBoundary || !nodes[i].oneOrMore || i + 1 == nodes.size()) continue;
        const rules::PatternNode& next = nodes[i + 1];
        if (!next.isBoundary && (next.isSet || (c.ignoreCase ? base::sameLetter(next.ch, nodes[i].ch) : next.ch == nodes[i].ch)))
            c.simple = false;
    }
    std::size_t k = 0;
    const bool leadingBoundary = !nodes.empty() && nodes.front().isBoundary;
    while (k < nodes.size() && nodes[k].isBoundary) ++k;
    if (k < nodes.size() && !nodes[k].isSet && nodes[k].oneOrMore) c.run = nodes[k++].ch;
    c.wordStart = leadingBoundary && k == 1 && k < nodes.size() && !nodes[k].isSet && isWordCode(nodes[k].ch);
    while (k < nodes.size() && c.prefixLength < 16 && !nodes[k].isSet && !nodes[k].isBoundary && !nodes[k].oneOrMore)
        c.prefix[c.prefixLength++] = c.ignoreCase ? base::toUpper(nodes[k++].ch) : nodes[k++].ch;
    // A run is taken whole before the literals that follow it, which holds only when they do not
    // start with its own code point (the matcher would give some of the run back).
    if (c.run != 0 && c.prefixLength > 0 && c.inRun(c.prefix[0])) {
        c.prefixLength = 0;
        return c;
    }
    const bool closing = k < nodes.size() && nodes[k].isBoundary && k + 1 == nodes.size();
    c.literal = (c.prefixLength > 0 || c.run != 0) && (k == nodes.size() || closing) &&
                (c.run != 0 ? !leadingBoundary : !leadingBoundary || c.wordStart);
    c.endBoundary = closing;
    return c;
}

std::vector<Candidate>& candidatesAfter(Bucket& bucket, std::uint32_t second) {
    return std::lower_bound(bucket.bySecond.begin(), bucket.bySecond.end(), second,
                            [](const auto& entry, std::uint32_t v) { return entry.first < v; })
        ->second;
}

}  // namespace

RuleIndex::RuleIndex(const std::vector<rules::Rule>& table) {
    // Per first code point: the candidates, the code points each lets follow its start (none:
    // any), and for a rule that opens with a run, those it lets follow the run (all: any).
    struct Entry {
        Candidate c;
        std::vector<std::uint32_t> second;
        std::uint64_t afterRun = ~std::uint64_t{0};
    };
    std::unordered_map<std::uint32_t, std::vector<Entry>> byFirst;
    for (std::uint32_t r = 0; r < table.size(); ++r) {
        const translator::StartFilter f = translator::makeStartFilter(table[r]);
        if (f.kind == translator::StartFilter::never) continue;
        Entry e{candidateFor(table, r, f), std::vector<std::uint32_t>(f.second, f.second + f.secondCount)};
        if (f.kind == translator::StartFilter::everywhere) {
            anywhere.push_back(e.c);
            midWordStarts = true;
            continue;
        }
        if (e.c.run != 0) {
            // After a run the filter lists both the run's code point and what may follow the
            // run: the rule is tried whatever follows its first code point, and the code
            // points past the run are kept for the look ahead.
            std::uint64_t mask = 0;
            bool other = false;
            for (const std::uint32_t v : e.second) {
                if (e.c.ignoreCase ? base::sameLetter(v, e.c.run) : v == e.c.run) continue;
                mask |= std::uint64_t{1} << (v & 63);
                other = true;
            }
            if (other) e.afterRun = e.c.afterRun = mask;
            e.second.clear();
        }
        for (std::uint8_t k = 0; k < f.firstCount; ++k) byFirst[f.first[k]].push_back(e);
        if (isWholeWord(e.c)) {
            wholeWords[wordHash(e.c.prefix, e.c.prefixLength)].push_back(e.c);
            if (e.c.prefix[0] < wholeWordLengths.size())  // the prefix is in capitals when case is ignored
                wholeWordLengths[base::toUpper(e.c.prefix[0])] |= std::uint64_t{1} << (e.c.prefixLength & 63);
            else
                longFirstLetters = true;
        }
    }
    for (auto& [first, list] : byFirst) {
        if (first < lowSlot.size()) {
            low.emplace_back();
            lowSlot[first] = static_cast<std::uint16_t>(low.size());
        }
        Bucket& bucket = first < lowSlot.size() ? low.back() : high[first];
        std::vector<std::uint32_t> seconds;
        for (const Entry& e : list)
            if (!isWholeWord(e.c)) seconds.insert(seconds.end(), e.second.begin(), e.second.end());
        std::sort(seconds.begin(), seconds.end());
        seconds.erase(std::unique(seconds.begin(), seconds.end()), seconds.end());
        for (const std::uint32_t v : seconds) bucket.bySecond.emplace_back(v, std::vector<Candidate>{});
        bool midWord = false, allRun = true, oneLetter = false, anyNext = false;
        std::uint64_t mask = 0, runMask = 0;
        for (const Entry& e : list) {
            midWord = midWord || !e.c.wordStart;
            allRun = allRun && e.c.run == first && (!e.c.ignoreCase || caseless(first));
            runMask |= e.afterRun;
            // "\bи\b": only a code point that is no word character may follow.
            const bool oneLetterWord = e.c.literal && e.c.run == 0 && e.c.prefixLength == 1 && e.c.endBoundary;
            oneLetter = oneLetter || oneLetterWord;
            if (isWholeWord(e.c)) {  // found through wholeWords; only the look ahead counts it here
                if (e.second.empty())
                    anyNext = anyNext || !oneLetterWord;
                else
                    for (const std::uint32_t v : e.second) mask |= std::uint64_t{1} << (v & 63);
                continue;
            }
            if (e.second.empty()) {
                bucket.anySecond.push_back(e.c);
                for (auto& entry : bucket.bySecond) entry.second.push_back(e.c);
                anyNext = anyNext || !oneLetterWord;
                continue;
            }
            for (const std::uint32_t v : e.second) {
                candidatesAfter(bucket, v).push_back(e.c);
                mask |= std::uint64_t{1} << (v & 63);
            }
        }
        if (first >= lowSlot.size()) {
            midWordStarts = midWordStarts || (midWord && isWordCode(first));
            continue;
        }
        startable[first] = static_cast<std::uint8_t>(1 | (midWord ? 2 : 0) | (allRun ? 4 : 0) | (oneLetter ? 8 : 0));
        midWordStarts = midWordStarts || (midWord && isWordCode(first));
        nextMask[first] = allRun ? runMask : anyNext ? ~std::uint64_t{0} : mask;
    }
}

std::uint32_t firstMatch(const RuleIndex& index, const std::vector<rules::Rule>& table, std::uint32_t minRule,
                         const std::uint32_t* chars, std::size_t n, std::size_t p, std::size_t& end, Memos* memos) {
    const Bucket* bucket = index.bucketAt(chars[p]);
    static const std::vector<Candidate> none;
    const std::vector<Candidate>& a = bucket ? (p + 1 < n ? bucket->at(chars[p + 1]) : bucket->anySecond) : none;
    const std::vector<Candidate>& b = index.anywhere;
    const std::vector<Candidate>* words = &none;
    if (!index.wholeWords.empty() && isWordCode(chars[p]) && (p == 0 || !isWordCode(chars[p - 1]))) {
        std::size_t e = p + 1;
        while (e < n && isWordCode(chars[e])) ++e;
        if (index.mayBeWholeWord(chars + p, e - p)) {
            const auto found = index.wholeWords.find(RuleIndex::wordHash(chars + p, e - p));
            if (found != index.wholeWords.end()) words = &found->second;
        }
    }
    const std::vector<Candidate>& w = *words;
    std::size_t i = 0, j = 0, k = 0;
    while (i < a.size() || j < b.size() || k < w.size()) {
        // The three lists merged in table order.
        const std::uint32_t ra = i < a.size() ? a[i].rule : noRule, rb = j < b.size() ? b[j].rule : noRule,
                            rw = k < w.size() ? w[k].rule : noRule;
        const Candidate& c = ra <= rb && ra <= rw ? a[i++] : rb <= rw ? b[j++] : w[k++];
        if (c.rule < minRule) continue;
        const std::size_t e = c.matchEnd(table, chars, n, p, memos);
        if (e > p) {
            end = e;
            return c.rule;
        }
    }
    return noRule;
}

bool laterRuleMayStart(const RuleIndex& index, const base::CodePoints& t, std::size_t i, std::uint32_t r) {
    if (!index.anywhere.empty() && index.anywhere.back().rule > r) return true;
    const Bucket* bucket = index.bucketAt(t[i]);
    if (!bucket) return false;
    auto possible = [&](const Candidate& c) {
        if (c.rule <= r) return false;
        if (i > 0 && c.wordStart && isWordCode(t[i - 1])) return false;
        std::size_t at = i;
        if (c.run != 0) {
            if (i > 0 && c.inRun(t[i - 1])) return false;
            for (at = i + 1; at < t.size() && c.inRun(t[at]);) ++at;
            if (at < t.size() && ((c.afterRun >> (t[at] & 63)) & 1) == 0) return false;
        }
        for (std::size_t k = 0; k < c.prefixLength && at + k < t.size(); ++k)
            if (!c.same(t[at + k], c.prefix[k])) return false;
        return true;
    };
    const std::vector<Candidate>& list = i + 1 < t.size() ? bucket->at(t[i + 1]) : bucket->anySecond;
    if (std::any_of(list.begin(), list.end(), possible)) return true;
    if (i + 1 < t.size()) return false;
    for (const auto& entry : bucket->bySecond)
        if (std::any_of(entry.second.begin(), entry.second.end(), possible)) return true;
    return false;
}

}  // namespace translator
