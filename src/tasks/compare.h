// How a program's output is held against a test: the normal form both sides are brought to, the
// comparison with its first different line, the digest of a hidden test's output (the page's
// checker in output/runtime/task_run.js computes the same), and the words a solution must or must
// not use. Tests: tests/tasks/compare_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "tasks/task.h"

namespace tasks {

// The output's lines: split at line feeds, trailing spaces, tabs and carriage returns of each
// line dropped, blank lines at the end dropped.
std::vector<std::string> outputLines(std::string_view text);

// A test's expected lines brought to the same form.
std::vector<std::string> expectedLines(const std::vector<std::string>& expected);

// The lines as compared: capitals made small (when the case does not matter) and, when the
// order does not matter, sorted as below.
std::vector<std::string> comparedLines(std::vector<std::string> lines, const Comparison& how);

struct Difference {
    bool same = true;
    std::size_t line = 0;  // 1-based line of the first difference, counted in the compared lines
};
Difference compareOutput(const std::vector<std::string>& expected, std::string_view got, const Comparison& how);

// What stands in the page for a hidden test's expected output. Numbers within the tolerance are
// equal: each expected number e gets the cell [e - t, e + t) of a grid of step 2t whose offset
// `offsets[i]` = (e - t) mod 2t, and the digest covers the cell's index instead of the number, so
// the offset tells only e modulo 2t. Without a tolerance there are no offsets.
struct HiddenExpectation {
    std::string digest;            // 64 hexadecimal digits
    std::vector<double> offsets;   // one per number of the compared lines, in their order
};
HiddenExpectation hiddenExpectation(const std::vector<std::string>& expected, const Comparison& how, const std::string& salt);
// The digest of an output as the checker computes it, with the expectation's offsets; "" when
// the output has another count of numbers than the expectation.
std::string outputDigest(std::string_view got, const Comparison& how, const std::string& salt,
                         const std::vector<double>& offsets);

// The first rule about words that the source breaks, as a message for the learner; "" when it
// keeps them all. Words are compared without regard to case, outside strings and comments.
std::string wordRuleBroken(const base::CodePoints& source, const Task& task);

}  // namespace tasks
