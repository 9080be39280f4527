// The program's entry on POSIX systems: arguments arrive as UTF-8 bytes already.
#include <vector>
#include <string>

#include "frontend/frontend.h"

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return lumMain(args);
}
