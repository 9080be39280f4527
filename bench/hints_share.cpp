// The hints pass's share of a compile, measured inside one process: the whole compile of a
// source (the page, as bench/run.sh times lum) against the pass alone (the vocabulary read off
// the rules and findHints) on the same text, each the median of several runs of processor time
// (user and system), which a loaded machine distorts less than the wall clock.
//
//   lum_bench_hints RULES.csv SOURCE [RUNS]
//
// Prints "hints: pass X ms, compile Y ms, share Z%" as its last line.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <string>
#include <vector>

#include "diagnostics/hints.h"
#include "output/compile.h"
#include "platform/files.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

using namespace base;
using namespace platform;
using namespace rules;
using namespace translator;
using namespace diagnostics;
using namespace output;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename Work>
double milliseconds(Work work) {
    const std::clock_t start = std::clock();
    work();
    return 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: lum_bench_hints RULES.csv SOURCE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    WarningList warnings;
    std::vector<Rule> table;
    if (!loadRules(argv[1], table, warnings)) {
        std::fprintf(stderr, "lum_bench_hints: no rules in %s\n", argv[1]);
        return 1;
    }
    std::string bytes;
    if (!readWholeFile(argv[2], bytes)) {
        std::fprintf(stderr, "lum_bench_hints: cannot read %s\n", argv[2]);
        return 1;
    }
    dropByteOrderMark(bytes);
    const CodeText text = makeText(decodeBytes(bytes));

    // Loaded once, as start-up loads the rules: neither timing derives the vocabulary.
    const LoadedRules loaded = loadedRules(table);
    std::vector<double> pass, compile;
    std::size_t hints = 0;
    const CompileOptions options;
    for (int i = 0; i < runs; ++i) {
        pass.push_back(milliseconds([&] { hints = findHints(text, loaded, {}).size(); }));
        compile.push_back(milliseconds([&] {
            const CompileReport report = compileFile(argv[2], options, {loaded});
            if (report.status != CompileStatus::Written) std::exit(1);
        }));
    }
    std::fflush(stdout);
    const double p = median(pass), c = median(compile);
    std::printf("hints: pass %.1f ms, compile %.1f ms (processor time), share %.1f%% (%zu hints)\n", p, c, 100.0 * p / c, hints);
    return 0;
}
