// STAND-IN, replaced by the real watch mode.
#include "frontend/frontend.h"
int runWatchMode(const std::string&, const CompileOptions&) { return 1; }
