// Rule application and its fixed post-steps: escape words, the prompt sentence, counted loops.
#pragma once

#include <string_view>

#include "base/text.h"

// Whether LUM_TRACE was set at start-up; every accepted match is then traced on stderr.
extern bool traceEnabled;

// Every rule of ruleTable in table order, one full scan each, string literals skipped;
// then the post-steps. Never fails.
void applyRules(CodeText& text);

// Every occurrence of `search` (or the first only) replaced by `replacement`; quotes are
// ordinary code points here. Both literals are UTF-8; `search` is never empty.
void replaceLiteral(CodeText& text, std::string_view search, std::string_view replacement,
                    bool ignoreCase, bool firstOnly);

// "for(N раз){" (раза, разов, any case) becomes a loop over the indices of a new array.
void expandCountedLoops(CodeText& text);
