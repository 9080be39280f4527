// The quote and bracket checks of a compile.
// Tests: tests/diagnostics/checks_test.cpp.
#pragma once

#include "base/text.h"
#include "base/warnings.h"

namespace diagnostics {

// At most one warning: the quote that opened the last unclosed string, by source line.
void checkQuotes(const base::CodePoints& source, base::WarningList& warnings);

// Up to five warnings on the translated text; excess closers name the source line their
// code point carries.
void checkBrackets(const base::CodeText& text, base::WarningList& warnings);

}  // namespace diagnostics
