// Whole-program checks over the learner's text read by the table's roles (strings and comments
// skipped): a value computed and dropped (a method named without its brackets, a number after
// «или» compared with nothing), a line after «вернуть» that never runs, "=>" or "=<" written for a
// comparison, "^" written for a power, a ";" that ends a condition before its block, and "${…}"
// inside ordinary quotes. Each is told at the line to edit, with its fix where certain.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#pragma once

#include <vector>

#include "diagnostics/analysis.h"

namespace diagnostics {

// The detector of the one analysis: appends the findings of every check above. Linear in the text.
void programChecks(const DetectorInput& input, std::vector<Hint>& out);

}  // namespace diagnostics
