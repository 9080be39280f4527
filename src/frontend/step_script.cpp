// Finding and reading the installed step.js.
#include "frontend/step_script.h"

#include "frontend/files.h"
#include "frontend/frontend.h"
#include "platform/platform.h"

bool readStepScript(std::string& bytes) {
    const std::string sep(1, platform::separator());
    const std::string exe = platform::executablePath();
    const std::size_t cut = exe.find_last_of("\\/");
    const std::string exeFolder = cut == std::string::npos ? std::string(".") : exe.substr(0, cut);
    for (const std::string& candidate : {exeFolder + sep + stepScriptName, homeFolder() + sep + stepScriptName}) {
        if (platform::pathKind(candidate) != platform::PathKind::File) continue;
        std::string read;
        if (readWholeFile(candidate, read)) {
            bytes = std::move(read);
            return true;
        }
    }
    return false;
}
