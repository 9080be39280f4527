// The one analysis of a program: every pass that finds something, in their one order, from the
// decoded source to its findings and its translated text. A compile is read → analyse → assemble
// → write; the language services are analyse → place on words. Nothing here prints or writes, and
// library files come only through the reader the caller hands in.
// Tests: tests/diagnostics/analysis_test.cpp, tests/frontend/report_test.cpp (a planted kind at every
// front door), tests/services/problems_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/warnings.h"
#include "diagnostics/endless_loops.h"
#include "diagnostics/hint.h"
#include "diagnostics/hints.h"
#include "diagnostics/slips.h"
#include "rules/loaded_rules.h"
#include "translator/executors.h"
#include "translator/libraries_on_disk.h"
#include "translator/rewrite.h"

namespace diagnostics {

// What a detector reads: the program with its library directives taken out (source lines kept),
// the language, and the translated libraries it includes.
struct DetectorInput {
    const base::CodeText& source;
    const rules::LoadedRules& language;
    const base::CodePoints& libraries;
};
// A detector appends its hints (any order); the analysis puts every hint in line order.
using Detector = void (*)(const DetectorInput& input, std::vector<Hint>& out);

// The detectors every analysis runs, in order. A new kind of finding is one row of the kinds
// (diagnostics/hint.h) and one row here.
const std::vector<Detector>& detectors();

struct AnalysisRequest {
    std::string folder;       // where library directives look first ("." for a text with no file)
    const rules::LoadedRules& rules;
    const translator::LibraryReader& libraries;  // every library file is found and read through it
    bool trace = false;       // every accepted match of the program's own text goes to traceLine
    void (*traceLine)(const std::string& line) = nullptr;
    bool forPage = false;     // also read the program facts the page's run-time layer explains errors with
    const std::vector<Detector>* extraDetectors = nullptr;  // run after detectors()
};

struct Analysis {
    base::WarningList warnings;        // in the order the passes found them
    std::vector<Hint> hints;           // after the warnings, in line order
    std::vector<std::string> includedFiles;  // every library file read, in reading order
    base::CodeText translated;         // the libraries, then the program, rewritten by the rules
    std::size_t ownStart = 0;          // where the program's own text starts in `translated`
    ProgramFacts facts;                // with forPage only
    // The program's «пока» loops, their positions counted from `ownStart` in `translated`.
    std::vector<WhileLoop> whileLoops;
    // The executors the program asked for by its directives (their words apply to it alone).
    std::vector<translator::ExecutorDirective> executorDirectives;
};

// The quote check, the library directives and their libraries, the hints, the rules, the «пока»
// loops read off the rules' output (with their hint) and the bracket check, in that order. `source` is taken over. Linear in the text and its libraries.
Analysis analyse(base::CodePoints source, const AnalysisRequest& request);

}  // namespace diagnostics
