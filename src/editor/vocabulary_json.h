// The vocabulary of a rule table as the playground's editor reads it.
// Tests: tests/playground/playground_test.mjs.
#pragma once

#include <string>
#include <vector>

#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

namespace editor {

// The vocabulary as JSON: {"words":[{"rule":n,"phrase":"…","words":[…],"role":"…","regex":"…",
// "equality":bool}...],"library":[…],"reverse":{"js":"word"...},"opens":"regex","closes":"regex"}; the
// last two match what opens a block and what closes one (editor.h, blockRegex).
std::string vocabularyJson(const rules::Vocabulary& vocabulary, const std::vector<rules::Rule>& table);

}  // namespace editor
