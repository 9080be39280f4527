// The scan's matcher: matchAt's steps with run memos and failure sets kept across starts.
// Tests: tests/translator/apply_rules_equivalence_test.cpp.
#include "translator/scan_matcher.h"

#include <algorithm>

namespace translator {
namespace {

bool sameAtom(const rules::PatternNode& a, const rules::PatternNode& b) {
    return a.isSet == b.isSet && a.negated == b.negated && a.ch == b.ch && a.members == b.members;
}

}  // namespace

ScanMatcher::ScanMatcher(const rules::CompiledPattern& nodes, const std::uint32_t* text, std::size_t n, bool ignoreCase,
                         ScanScratch& scratch)
    : nodes_(nodes), text_(text), n_(n), ignoreCase_(ignoreCase), scratch_(scratch) {
    budget_ = scratch.memoAfter == static_cast<std::size_t>(-1) ? 4 * n + 4096 : scratch.memoAfter;
    scratch_.runs.assign(nodes.size(), RunMemo{});
    if (budget_ == 0) setUpFailureSets();
}

void ScanMatcher::setUpFailureSets() {
    const std::size_t count = nodes_.size();
    scratch_.slotOf.assign(count + 1, -1);
    scratch_.atomOf.assign(count, -1);
    std::size_t slots = 0, atoms = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (!nodes_[k].oneOrMore || nodes_[k].isBoundary) continue;
        if (k + 1 < count) scratch_.slotOf[k + 1] = static_cast<std::int32_t>(slots++);
        for (std::size_t j = 0; j < k && scratch_.atomOf[k] < 0; ++j)
            if (scratch_.atomOf[j] >= 0 && sameAtom(nodes_[j], nodes_[k])) scratch_.atomOf[k] = scratch_.atomOf[j];
        if (scratch_.atomOf[k] < 0) scratch_.atomOf[k] = static_cast<std::int32_t>(atoms++);
    }
    if (scratch_.failed.size() < slots) scratch_.failed.resize(slots);
    if (scratch_.accepting.size() < atoms) scratch_.accepting.resize(atoms);
    scratch_.failedReady.assign(slots, 0);
    scratch_.acceptingReady.assign(atoms, 0);
    sets_ = true;
}

// Cleared on first use, so that nodes the scan never reaches cost no memory.
BitTree& ScanMatcher::failureSet(std::size_t slot) {
    if (!scratch_.failedReady[slot]) {
        scratch_.failed[slot].reset(n_ + 1);
        scratch_.failedReady[slot] = 1;
    }
    return scratch_.failed[slot];
}

// The end of node k's run from p (p itself when the node refuses p), keeping the node's RunMemo:
// the same block keeps what is known of its ends, another block replaces it.
std::size_t ScanMatcher::runEnd(std::size_t k, std::size_t p) {
    RunMemo& run = scratch_.runs[k];
    std::size_t h;
    if (sets_) {
        const std::size_t atom = static_cast<std::size_t>(scratch_.atomOf[k]);
        BitTree& set = scratch_.accepting[atom];
        if (!scratch_.acceptingReady[atom]) {
            const rules::PatternNode& node = nodes_[k];
            set.fill(n_, [&](std::size_t i) { return accepts(node, i); });
            scratch_.acceptingReady[atom] = 1;
        }
        h = set.lowestClear(p);
        if (h > p && h == run.to && run.from < run.to) {  // the block known, reached from below
            run.from = static_cast<std::uint32_t>(p);
            return h;
        }
    } else {
        h = p;
        if (p < run.from && run.from < run.to) {
            // Just below the known block: measure up to it, and join it when it is reached.
            while (h < run.from && accepts(nodes_[k], h)) ++h;
            steps_ += h - p;
            if (h == run.from) {
                run.from = static_cast<std::uint32_t>(p);
                return run.to;
            }
        } else {
            while (h < n_ && accepts(nodes_[k], h)) ++h;
            steps_ += h - p;
        }
    }
    if (h > p) run = {static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(h), static_cast<std::uint32_t>(h)};
    return h;
}

// matchAt's steps. Only failures are remembered: the result of the rest of the pattern from
// (node, position) does not depend on where the match started, so a failure found for one start
// holds for every later one. A success ends the scan's attempt at its start, and every later
// start lies at or after the end of that match, so the (node, position) pairs it passed through
// are never asked again.
std::int32_t ScanMatcher::matchFrom(std::size_t k, std::size_t p) {
    if (!rules::walkSingles(nodes_, k, p, text_, n_, ignoreCase_)) return -1;
    if (k == nodes_.size()) return static_cast<std::int32_t>(p);
    if (p >= n_) return -1;
    RunMemo& run = scratch_.runs[k];  // nodes after k never touch it
    std::size_t h;
    if (run.from <= p && p < run.to) {
        if (p >= run.failFrom) return -1;  // every end it could try is known to fail
        h = run.to;
    } else {
        h = runEnd(k, p);
        if (h == p) return -1;
    }
    // Ends from the longest down, past those known to fail.
    std::size_t e = std::min<std::size_t>(h, run.failFrom);
    for (; e > p; --e) {
        if (!sets_ && ++steps_ > budget_) setUpFailureSets();
        const std::int32_t slot = sets_ ? scratch_.slotOf[k + 1] : -1;
        if (slot >= 0) {
            e = failureSet(static_cast<std::size_t>(slot)).highestClear(e);
            if (e == BitTree::none || e <= p) break;
        }
        const std::int32_t result = matchFrom(k + 1, e);
        if (result >= 0) {
            run.failFrom = static_cast<std::uint32_t>(e);
            return result;
        }
        if (slot >= 0) scratch_.failed[static_cast<std::size_t>(slot)].set(e);
    }
    run.failFrom = static_cast<std::uint32_t>(p);
    return -1;
}

}  // namespace translator
