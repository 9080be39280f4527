// The fixed search for the rules file: beside the executable, in the home folder, in the current folder.
// Tests: tests/e2e/rules_location_test.cpp.
#include <vector>

#include "frontend/frontend.h"
#include "platform/home.h"
#include "platform/platform.h"

namespace frontend {

std::string locateRulesFile() {
    const std::string sep(1, platform::separator());
    const std::string exe = platform::executablePath();
    const std::size_t cut = exe.find_last_of("\\/");
    const std::string exeFolder = cut == std::string::npos ? std::string(".") : exe.substr(0, cut);
    const std::string home = platform::homeFolder();
    // Plain concatenation: a home written with a trailing separator doubles it, which every
    // system reads as one.
    const std::vector<std::string> candidates = {
        exeFolder + sep + "keywords.csv", exeFolder + sep + "src" + sep + "keywords.csv",
        home + sep + "keywords.csv",      home + sep + "src" + sep + "keywords.csv",
        "keywords.csv",                   "src" + sep + "keywords.csv",
    };
    for (const std::string& candidate : candidates)
        if (platform::pathKind(candidate) == platform::PathKind::File) return candidate;
    return {};
}

}  // namespace frontend
