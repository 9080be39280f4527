// The program's entry on POSIX systems: arguments arrive as UTF-8 bytes already.
// Tests: tests/e2e/cli_test.cpp.
#include <signal.h>

#include <vector>
#include <string>

#include "platform/entry.h"

int main(int argc, char** argv) {
    // A write past the file-size limit then fails like any other write (and its temporary is
    // removed) instead of ending the process with the temporary left behind.
    ::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return platform::lumMain(args);
}
