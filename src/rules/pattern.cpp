// STAND-IN, replaced by the real compiler and matcher.
#include "rules/pattern.h"
void compilePattern(const CodePoints&, CompiledPattern& nodes) { nodes.clear(); }
std::int32_t matchAt(const CompiledPattern&, std::size_t, std::size_t, const std::uint32_t*, std::size_t, bool) { return -1; }
