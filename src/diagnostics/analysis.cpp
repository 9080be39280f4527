// The one analysis: the passes over a program in their one order, every finding kept as a value.
// Tests: tests/frontend/report_test.cpp (a planted kind at every front door), tests/services/problems_test.cpp.
#include "diagnostics/analysis.h"

#include <algorithm>

#include "diagnostics/checks.h"
#include "diagnostics/program_checks.h"
#include "translator/source_regions.h"

namespace diagnostics {

namespace {

void appendText(base::CodeText& to, const base::CodeText& from) {
    to.chars.insert(to.chars.end(), from.chars.begin(), from.chars.end());
    to.lines.insert(to.lines.end(), from.lines.begin(), from.lines.end());
}

void readHints(const DetectorInput& input, std::vector<Hint>& out) {
    std::vector<Hint> found = findHints(input.source, input.language, input.libraries);
    if (out.empty()) {
        out = std::move(found);
        return;
    }
    out.insert(out.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
}

}  // namespace

const std::vector<Detector>& detectors() {
    static const std::vector<Detector> table = {readHints, programChecks};
    return table;
}

Analysis analyse(base::CodePoints source, const AnalysisRequest& request) {
    Analysis a;
    checkQuotes(source, a.warnings);

    // The working text takes the code points over rather than copying them.
    base::CodeText working;
    working.lines.resize(source.size());
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < source.size(); ++i) {
        working.lines[i] = line;
        if (source[i] == 0x0A) ++line;
    }
    working.chars = std::move(source);
    working.chars.shrink_to_fit();  // decoding may have reserved one element per byte

    std::vector<std::string> libraryPaths;
    std::vector<std::uint32_t> libraryLines;
    translator::collectLibraryDirectives(working, request.folder, request.libraries, libraryPaths, libraryLines, a.warnings);
    // The executors the program asks for switch on their words for its own text.
    translator::collectExecutorDirectives(working, request.rules.table, a.executorDirectives, a.warnings);
    translator::Inclusion inclusion{{request.rules.table, request.trace, {}, request.traceLine}, request.libraries, a.warnings, {}};
    for (std::size_t i = 0; i < libraryPaths.size(); ++i) {
        base::CodeText library;
        if (translator::includeLibrary(inclusion, libraryPaths[i], 1, {}, libraryLines[i], library))
            appendText(a.translated, library);
    }
    a.includedFiles = std::move(inclusion.includedFiles);

    // The hints read the source as the learner wrote it, before the rules rewrite it.
    const DetectorInput input{working, request.rules, a.translated.chars};
    for (const Detector detect : detectors()) detect(input, a.hints);
    if (request.extraDetectors)
        for (const Detector detect : *request.extraDetectors) detect(input, a.hints);
    std::stable_sort(a.hints.begin(), a.hints.end(), [](const Hint& x, const Hint& y) { return x.line < y.line; });
    if (request.forPage)
        a.facts = readProgramFacts(working, translator::scanRegions(working.chars.data(), working.chars.size()),
                                   request.rules.vocabulary);

    const base::CodePoints learnerText = working.chars;
    translator::RuleSet ownRules{request.rules.table, request.trace, {}, request.traceLine};
    for (const translator::ExecutorDirective& d : a.executorDirectives) ownRules.executors.push_back(d.executor);
    translator::applyRules(working, ownRules);
    // A «пока» whose body cannot end it is told at its head, among the hints in line order.
    a.whileLoops = readWhileLoops(working, learnerText, request.rules.vocabulary);
    for (Hint& hint : endlessLoopHints(a.whileLoops, request.rules.vocabulary)) {
        const auto after = std::upper_bound(a.hints.begin(), a.hints.end(), hint.line,
                                            [](std::uint32_t line, const Hint& h) { return line < h.line; });
        a.hints.insert(after, std::move(hint));
    }
    a.ownStart = a.translated.chars.size();  // the program follows its libraries
    if (a.translated.chars.empty()) {
        a.translated = std::move(working);
    } else {
        appendText(a.translated, working);
        working = base::CodeText();
    }
    checkBrackets(a.translated, a.warnings);
    return a;
}

}  // namespace diagnostics
