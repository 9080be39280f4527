// The step page: a page whose script body is kept as text for step.js to instrument and run,
// with the body's line offset beside it.
// Tests: tests/step/step_test.mjs, tests/e2e/watch_test.cpp.
#pragma once

#include <string>

namespace output {

// `page` with its body script made `type="text/plain" ... data-lum-offset="N"` (N: the page lines
// above the body's first line, as the page's error handler counts them) and `scriptTag` put
// before its last "</body>". "" when the page has no script body.
std::string stepPage(const std::string& page, const std::string& scriptTag);

}  // namespace output
