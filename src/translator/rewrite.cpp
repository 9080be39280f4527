// STAND-IN, replaced by the real passes.
#include "translator/rewrite.h"
bool traceEnabled = false;
void applyRules(CodeText&) {}
void replaceLiteral(CodeText&, std::string_view, std::string_view, bool, bool) {}
void expandCountedLoops(CodeText&) {}
