// step.js, the step view that watch mode serves at "/step.js": installed beside the executable or
// in the home folder, like the playground.
// Tests: tests/step/step_test.mjs.
#pragma once

#include <string>

namespace frontend {

constexpr const char* stepScriptName = "step.js";

// Reads the installed step.js into `bytes`; false (and nothing read) when there is none.
bool readStepScript(std::string& bytes);

}  // namespace frontend
