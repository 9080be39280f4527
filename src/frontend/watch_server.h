// The watch server: one thread that serves every connection on 127.0.0.1 from one event loop,
// so that pending waits and idle clients cost no thread and never hold up a page.
// Tests: tests/e2e/watch_test.cpp, tests/e2e/watch_load_test.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace frontend {

// What the main thread hands the server. The main thread alone changes it, under `lock`; a
// snapshot of page or notes is never changed once published, so the server sends it outside
// the lock and a page being sent to many clients exists once in memory.
struct ServedState {
    std::mutex lock;
    std::shared_ptr<const std::string> page = std::make_shared<const std::string>();
    std::shared_ptr<const std::string> notes = std::make_shared<const std::string>();  // the "/notes" reply
    // "/step": the page run step by step; "/step.js": the step view, null when not installed.
    std::shared_ptr<const std::string> stepPage = std::make_shared<const std::string>();
    std::shared_ptr<const std::string> stepScript;
    std::string build;            // the build id the served page carries
    std::uint64_t generation = 0;  // recompiles announced so far
    platform::Wakeup wakeup;      // ends the server's wait when something changed
};

// Replaces what "/" and "/notes" answer: the page, and the note lines its compile printed about
// the source file `fileName`.
void publishPage(ServedState& state, std::string page, const std::string& fileName, const std::vector<std::string>& notes,
                 const std::vector<std::uint32_t>& noteLines);
// Marks a recompile: every pending "/wait" is answered 200, and a recompile no "/wait" has
// seen yet answers the next one at once.
void announceRecompile(ServedState& state);

// Serves the listening socket on `port` for the rest of the process.
[[noreturn]] void serveForever(ServedState& state, platform::Socket listener, int port);

}  // namespace frontend
