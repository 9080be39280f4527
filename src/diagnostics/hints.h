// Beginner mistakes explained at compile time: hints that name the line to edit, quote the
// learner's own words and say what to do, printed after the warnings of a compile.
#pragma once

#include <vector>

#include "base/warnings.h"
#include "rules/rulesfile.h"
#include "base/text.h"
#include "rules/vocabulary.h"

// The hints for one program, "строка N: …" texts in source-line order. `source` is the main text
// with its library directives taken out (source line numbers kept); `libraries` the translated
// included libraries, read only for the names they define. Every word a hint uses comes from
// `table` and its `vocabulary`: a table that tells nothing about a kind of mistake gives no hint
// of that kind. Linear in the size of the text for a given table.
WarningList findHints(const CodeText& source, const std::vector<Rule>& table, const Vocabulary& vocabulary,
                      const CodePoints& libraries);
