// Taking whole lines off the front of a buffer that received bytes are appended to.
// Tests: tests/e2e/task_check_test.cpp.
#pragma once

#include <string>

namespace base {

// Moves the first whole line of `pending` into `line`, without its "\n" or "\r\n"; false, with
// nothing moved, while no line is whole yet.
inline bool takeLine(std::string& pending, std::string& line) {
    const std::size_t end = pending.find('\n');
    if (end == std::string::npos) return false;
    line.assign(pending, 0, end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pending.erase(0, end + 1);
    return true;
}

}  // namespace base
