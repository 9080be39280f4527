// Beginner mistakes explained at compile time: hints that name the line to edit, quote the
// learner's own words and say what to do, reported after the warnings of a compile.
// Tests: tests/diagnostics/hints_test.cpp.
#pragma once

#include <vector>

#include "base/text.h"
#include "diagnostics/hint.h"
#include "diagnostics/slips.h"
#include "rules/loaded_rules.h"

namespace diagnostics {

// The hints for one program, in source-line order (by kind within a line). `source` is the main
// text with its library directives taken out (source line numbers kept); `libraries` the
// translated included libraries, read only for the names they define. Every word a hint uses
// comes from the language: a table that tells nothing about a kind of mistake gives no hint of
// that kind. Linear in the size of the text for a given table.
std::vector<Hint> findHints(const base::CodeText& source, const rules::LoadedRules& language, const base::CodePoints& libraries);

}  // namespace diagnostics
