// Regular expressions of the rules' patterns, for the colouring of the playground and the editor.
// Tests: tests/rules/vocabulary_test.cpp, tests/editor/editor_test.mjs.
#pragma once

#include <string>

#include "rules/pattern.h"

namespace rules {

// A regular expression that matches what the compiled pattern matches, in the syntax both
// ECMAScript (with the "u" flag) and Oniguruma read: letters under ignoreCase become classes of
// their case pair, word boundaries become look-arounds over the matcher's word characters.
// With `captureWords`, each of the pattern's words (the runs RuleWords::words lists) is a
// capturing group, numbered from 1 in order, and nothing else captures.
std::string patternRegex(const CompiledPattern& nodes, bool ignoreCase, bool captureWords = false);

// The characters the matcher counts as word characters, as a regular-expression class.
extern const char* const wordCharClass;

}  // namespace rules
