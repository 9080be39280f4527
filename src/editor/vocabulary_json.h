// The vocabulary of a rule table as the playground's editor reads it.
#pragma once

#include <string>
#include <vector>

#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

// The vocabulary as JSON: {"words":[{"rule":n,"phrase":"…","words":[…],"role":"…","regex":"…",
// "equality":bool}...],"library":[…],"reverse":{"js":"word"...}}.
std::string vocabularyJson(const Vocabulary& vocabulary, const std::vector<Rule>& table);
