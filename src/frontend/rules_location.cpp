// Where lum finds what was installed with it: the rules file (beside the executable, in the home
// folder, in the current folder) and the playground and step view (beside the executable, in the
// home folder).
// Tests: tests/e2e/rules_location_test.cpp, tests/e2e/cli_test.cpp, tests/step/step_test.mjs.
#include <vector>

#include "frontend/frontend.h"
#include "platform/home.h"
#include "platform/platform.h"

namespace frontend {

namespace {

std::string executableFolder() {
    const std::string exe = platform::executablePath();
    const std::size_t cut = exe.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : exe.substr(0, cut);
}

std::string firstFile(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates)
        if (platform::pathKind(candidate) == platform::PathKind::File) return candidate;
    return {};
}

}  // namespace

std::string locateRulesFile() {
    const std::string sep(1, platform::separator());
    const std::string exeFolder = executableFolder();
    const std::string home = platform::homeFolder();
    // Plain concatenation: a home written with a trailing separator doubles it, which every
    // system reads as one.
    return firstFile({
        exeFolder + sep + "keywords.csv", exeFolder + sep + "src" + sep + "keywords.csv",
        home + sep + "keywords.csv",      home + sep + "src" + sep + "keywords.csv",
        "keywords.csv",                   "src" + sep + "keywords.csv",
    });
}

std::string locateInstalledFile(const std::string& name) {
    const std::string sep(1, platform::separator());
    return firstFile({executableFolder() + sep + name, platform::homeFolder() + sep + name});
}

}  // namespace frontend
