// Finding and reading the installed step.js.
#include "frontend/step_script.h"

#include "frontend/frontend.h"
#include "platform/files.h"

namespace frontend {

bool readStepScript(std::string& bytes) {
    const std::string path = locateInstalledFile(stepScriptName);
    std::string read;
    if (path.empty() || !platform::readWholeFile(path, read)) return false;
    bytes = std::move(read);
    return true;
}

}  // namespace frontend
