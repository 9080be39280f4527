// The names a program defines, read off its source with the words of the loaded rules.
#pragma once

#include <string>
#include <vector>

#include "rules/text.h"
#include "rules/vocabulary.h"

// Names the source defines, UTF-8, each once, in order of first definition, outside string
// literals and comments: the name after a declaration word (the vocabulary's or JavaScript's),
// a function's parameters, and a name assigned with a single "=". Linear in the source.
std::vector<std::string> definedNames(const CodePoints& source, const Vocabulary& vocabulary);
