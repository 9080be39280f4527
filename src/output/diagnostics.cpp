// STAND-IN, replaced by the real diagnostics.
#include "output/diagnostics.h"
#include <cstdio>
void printWarnings(const std::string&, const WarningList& w) { for (auto& s : w) std::printf("%s\n", s.c_str()); }
void checkQuotes(const CodePoints&, WarningList&) {}
void checkBrackets(const CodeText&, WarningList&) {}
