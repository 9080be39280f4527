// The checking page's browser run as a call other modes make (task_modes.cpp holds it): a page
// built with a mark, every run's output, error or overrun. Tests: tests/browser/class_test.mjs,
// tests/browser/task_check_test.cpp.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace frontend {

struct CheckRun {
    bool done = false;
    bool tooLong = false;
    bool cut = false;  // the page cut the output at its limit: not to be judged as it is
    std::string output, error;
};

// Writes `build(mark)` into a new temporary folder, runs it in the browser at `browser` and fills
// `runs` in the page's order; `seconds` is the longest limit of one run. "" when every run got
// its result, else what went wrong. LUM_TRACE (`trace`) keeps the page and prints its path.
std::string runCheckingPage(const std::string& browser, const std::function<std::string(const std::string&)>& build,
                            double seconds, std::vector<CheckRun>& runs, bool trace);

// The browser the checks run in: `given` when it is a file, else the first one found; "" after
// printing the error line when there is none.
std::string checkingBrowser(const std::string& given);

}  // namespace frontend
