// The matcher as one rule's scan runs it: the same results as matchAt, with what failed kept
// across the starts of the scan, so that the whole scan costs a bounded multiple of
// (pattern nodes x text length) whatever the pattern and the text.
// Tests: tests/translator/apply_rules_equivalence_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rules/pattern.h"
#include "translator/bit_tree.h"

namespace translator {

// What a scan knows of one "+" node's run: every position in [from, to) accepts, `to` does not
// (or is the end of the text), and every end in (failFrom, to] is known to fail the rest of
// the pattern, so the node fails at any position in [failFrom, to). from <= failFrom <= to.
struct RunMemo {
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    std::uint32_t failFrom = 0;
};

// Memory the matcher keeps for one scan; the scans of one rule application share it so that
// they allocate once.
struct ScanScratch {
    std::vector<RunMemo> runs;          // per node
    std::vector<std::int32_t> slotOf;   // node -> its failure set, for the nodes after a "+" node; -1
    std::vector<std::int32_t> atomOf;   // "+" node -> its run set, shared by equal atoms; -1
    std::vector<BitTree> failed;        // per slot: ends at which the rest of the pattern failed
    std::vector<BitTree> accepting;     // per atom: positions the atom accepts
    std::vector<std::uint8_t> failedReady, acceptingReady;  // set up by this scan: on first use
    // Steps (run code points measured, ends tried) a scan takes before it sets up the failure
    // sets. The default, -1, stands for 4 per code point plus 4096, so that ordinary scans never
    // allocate them. Tests set 0.
    std::size_t memoAfter = static_cast<std::size_t>(-1);
};

// Anchored matches of one pattern over one text: right for starts in any order, and within the
// bound when they rise and never fall inside an accepted match, as a scan's do. Until the step
// budget is spent it keeps only one RunMemo per node, which makes a run that fails cost once
// however many starts reach it; then it adds a failure set per node that follows a "+" node and
// a run set per distinct "+" atom (about two bits per "+" node and code point), after which
// every (node, position) pair is worked out at most once. Recursion depth: the "+" nodes.
class ScanMatcher {
public:
    ScanMatcher(const rules::CompiledPattern& nodes, const std::uint32_t* text, std::size_t n, bool ignoreCase,
                ScanScratch& scratch);
    // matchAt(nodes, 0, start, text, n, ignoreCase).
    std::int32_t match(std::size_t start) { return matchFrom(0, start); }

private:
    std::int32_t matchFrom(std::size_t k, std::size_t p);
    std::size_t runEnd(std::size_t k, std::size_t p);
    bool accepts(const rules::PatternNode& node, std::size_t p) const { return rules::nodeAccepts(node, text_, p, n_, ignoreCase_); }
    void setUpFailureSets();
    BitTree& failureSet(std::size_t slot);

    const rules::CompiledPattern& nodes_;
    const std::uint32_t* text_;
    std::size_t n_;
    bool ignoreCase_;
    ScanScratch& scratch_;
    std::size_t steps_ = 0;
    std::size_t budget_;
    bool sets_ = false;  // failure and run sets in use
};

}  // namespace translator
