// Rule application: one scan per rule of the table, string literals protected, then the
// fixed post-steps.
// Tests: tests/translator/apply_rules_test.cpp, tests/translator/apply_rules_equivalence_test.cpp.
#include <algorithm>
#include <string>
#include <utility>

#include "translator/rewrite.h"
#include "translator/rule_scan.h"

namespace translator {

namespace {

// The line numbers of a text as runs: run i gives `line[i]` to the positions from `start[i]`
// up to the next run's start. Line numbers change only at line feeds and at library seams,
// so a rebuild after a rule touches one entry per run instead of one per code point.
struct LineRuns {
    std::vector<std::uint32_t> start;
    std::vector<std::uint32_t> line;

    void clear() {
        start.clear();
        line.clear();
    }
    void push(std::size_t at, std::uint32_t value) {
        if (!line.empty() && line.back() == value) return;
        start.push_back(static_cast<std::uint32_t>(at));
        line.push_back(value);
    }
};

LineRuns runsOf(const std::vector<std::uint32_t>& lines) {
    LineRuns runs;
    for (std::size_t i = 0; i < lines.size(); ++i) runs.push(i, lines[i]);
    return runs;
}

void expandRuns(const LineRuns& runs, std::size_t n, std::vector<std::uint32_t>& lines) {
    lines.clear();
    lines.reserve(n);
    for (std::size_t r = 0; r < runs.start.size(); ++r) {
        const std::size_t to = r + 1 < runs.start.size() ? runs.start[r + 1] : n;
        lines.insert(lines.end(), to - runs.start[r], runs.line[r]);
    }
}

// The text while the rules run: code points, line runs and the spare buffers that every
// rebuild writes into and then swaps with, so that no rule allocates once they are big enough.
struct WorkText {
    std::vector<std::uint32_t> chars, spareChars;
    LineRuns runs, spareRuns;
    std::vector<translator::Match> matches;
    translator::ScanScratch scratch;

    // Replaces every match by the replacement, exactly as copying the text code point by code
    // point would, each inserted code point taking the line of the match's first code point.
    void rebuild(const base::CodePoints& replacement) {
        const std::size_t n = chars.size();
        const std::size_t r = replacement.size();
        std::size_t newSize = n;
        bool sameLength = true;
        for (const translator::Match& m : matches) {
            newSize = newSize - (m.end - m.start) + r;
            sameLength = sameLength && m.end - m.start == r;
        }

        // Lines: walk the old runs once, beside the matches.
        spareRuns.clear();
        std::size_t run = 0, out = 0, copied = 0;
        // Runs are maximal (neighbours differ in line), so the runs that begin inside a copied
        // stretch, after its first, are appended whole with their starts moved.
        auto copyLines = [&](std::size_t from, std::size_t to) {
            if (from >= to) return;
            while (run + 1 < runs.start.size() && runs.start[run + 1] <= from) ++run;
            spareRuns.push(out, runs.line[run]);
            const std::size_t last = static_cast<std::size_t>(
                std::lower_bound(runs.start.begin() + run + 1, runs.start.end(), static_cast<std::uint32_t>(to)) -
                runs.start.begin());
            const std::uint32_t shift = static_cast<std::uint32_t>(out - from);
            for (std::size_t i = run + 1; i < last; ++i) spareRuns.start.push_back(runs.start[i] + shift);
            spareRuns.line.insert(spareRuns.line.end(), runs.line.begin() + run + 1, runs.line.begin() + last);
            if (last > run + 1) run = last - 1;
            out += to - from;
        };
        for (const translator::Match& m : matches) {
            copyLines(copied, m.start);
            while (run + 1 < runs.start.size() && runs.start[run + 1] <= m.start) ++run;
            if (r > 0) spareRuns.push(out, runs.line[run]);
            out += r;
            copied = m.end;
        }
        copyLines(copied, n);
        std::swap(runs, spareRuns);

        // Code points: in place when every match keeps its length, else into the spare buffer.
        if (sameLength) {
            for (const translator::Match& m : matches)
                std::copy(replacement.begin(), replacement.end(), chars.begin() + m.start);
            return;
        }
        spareChars.clear();
        spareChars.reserve(newSize);
        copied = 0;
        for (const translator::Match& m : matches) {
            spareChars.insert(spareChars.end(), chars.begin() + copied, chars.begin() + m.start);
            spareChars.insert(spareChars.end(), replacement.begin(), replacement.end());
            copied = m.end;
        }
        spareChars.insert(spareChars.end(), chars.begin() + copied, chars.end());
        std::swap(chars, spareChars);
    }
};

}  // namespace

void applyRules(base::CodeText& text, const RuleSet& rules) {
    WorkText work;
    work.chars = std::move(text.chars);
    work.runs = runsOf(text.lines);
    text = base::CodeText();
    for (const rules::Rule& rule : rules.table) {
        if (!ruleApplies(rule, rules.executors)) continue;
        const translator::StartFilter filter = translator::makeStartFilter(rule);
        work.matches.clear();
        translator::scanRule(rule, filter, work.chars.data(), work.chars.size(), work.matches, work.scratch,
                             rules.trace ? rules.traceLine : nullptr);
        if (!work.matches.empty()) work.rebuild(rule.replacement);
    }
    const std::size_t n = work.chars.size();
    text.chars = std::move(work.chars);
    expandRuns(work.runs, n, text.lines);
    work = WorkText();

    replaceLiteral(text, "\\перенос строки", "\\n", true, false);
    replaceLiteral(text, "\\вертикальная табуляция", "\\v", true, false);
    replaceLiteral(text, "\\табуляция", "\\t", true, false);
    replaceLiteral(text, "Введите ваш код на ЛУМ в белом окне ниже, перевод будет в черном окне:",
                   "код на JavaScript:", false, true);
    expandCountedLoops(text);
}

}  // namespace translator
