// The home folder: where an installed lum keeps its rules file, libraries and playground.
// Tests: tests/e2e/rules_location_test.cpp.
#pragma once

#include <string>

namespace platform {

// LUM_HOME when set and non-empty, else the folder the build chose for this system.
std::string homeFolder();

}  // namespace platform
