// The home folder: where an installed lum keeps its rules file, libraries and playground.
#pragma once

#include <string>

namespace platform {

// LUM_HOME when set and non-empty, else the folder the build chose for this system.
std::string homeFolder();

}  // namespace platform
