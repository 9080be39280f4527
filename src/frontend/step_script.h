// step.js, the step view that watch mode serves at "/step.js": found beside the executable or in
// the home folder, where the playground is installed too. Covered by tests/step/step_test.mjs.
#pragma once

#include <string>

constexpr const char* stepScriptName = "step.js";

// Reads the installed step.js into `bytes`; false (and nothing read) when there is none.
bool readStepScript(std::string& bytes);
