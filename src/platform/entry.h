// The program's own entry: the system's entry point (main_posix.cpp, main_win32.cpp) turns the
// arguments into UTF-8 and calls it. The front end defines it, so the platform names no layer above.
// Tests: tests/e2e/cli_test.cpp.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Start-up, arguments, one mode; returns the exit code. `args` excludes the program name.
int lumMain(const std::vector<std::string>& args);

}  // namespace platform
