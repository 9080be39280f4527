// Whole-program checks over the learner's text read by the table's roles (strings and comments
// skipped): a value computed and dropped (a method named without its brackets, a number after
// «или» compared with nothing), a line after «вернуть» that never runs, "=>" or "=<" written for a
// comparison, "^" written for a power, a ";" that ends a condition before its block, and "${…}"
// inside ordinary quotes. Then, over the statements (one a line, blocks by the table's words; a
// program with braces for blocks is skipped): a value lost (a swap without a third name, a list
// shared instead of copied, a formula worked out before its name changed), a loop that cannot do
// its job (never starts, a total or a flag reset every round, «вернуть» on the first round, a walk
// from number 1, the number that ends the input counted as data, a minimum from 0 or a maximum
// from 0 over negative numbers), «список(1)» for an element's number, a branch that never runs or
// two «если» that both print, a condition its own constants decide («x не равно 1 или x не равно
// 2», «x равно x», «5 больше 3»), «не» of a name, a position used as yes or no, a function's result
// dropped, a parameter never read or overwritten, a function never called, a call with its
// parameters' names in another order, a used result given only inside an «если» or a loop, an
// answer of «спросить» compared as text, a name with a space or a leading digit, a name printed in quotes, a nested loop counting
// with the outer one's name, a parameter changed in a function that gives nothing back, digits
// taken with "/", an average with its brackets missing. Each is told
// at the line to edit, with its fix where certain; one that may be meant says what it sees.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#pragma once

#include <vector>

#include "diagnostics/analysis.h"

namespace diagnostics {

// The detector of the one analysis: appends the findings of every check above. Linear in the text
// for the token checks; the statement checks look back over a block's statements (quadratic in the
// number of statements at worst), so they run only on programs of at most 2000 statements.
void programChecks(const DetectorInput& input, std::vector<Hint>& out);

}  // namespace diagnostics
