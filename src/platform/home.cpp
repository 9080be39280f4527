// The home folder: LUM_HOME, or the default the build gives in LUM_DEFAULT_HOME.
// Tests: tests/e2e/rules_location_test.cpp.
#include "platform/home.h"

#include "platform/platform.h"

namespace platform {

#ifndef LUM_DEFAULT_HOME
#error "the build defines LUM_DEFAULT_HOME, the folder an installed lum keeps its data in"
#endif

std::string homeFolder() {
    const auto value = platform::environment("LUM_HOME");
    if (value && !value->empty()) return *value;
    return LUM_DEFAULT_HOME;
}

}  // namespace platform
