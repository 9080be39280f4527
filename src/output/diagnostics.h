// Warning lists, their printing, and the quote and bracket checks of a compile.
#pragma once

#include <string>
#include <vector>

#include "rules/text.h"

// Ordered UTF-8 warning texts without line feeds; no limit, no de-duplication.
using WarningList = std::vector<std::string>;

// "ПРЕДУПРЕЖДЕНИЕ [name]: text" per entry, name being the path's last component.
void printWarnings(const std::string& path, const WarningList& warnings);
// "kind [name]: text" per entry, as printWarnings does under its own kind.
void printNotes(const char* kind, const std::string& path, const WarningList& entries);
// The lines a print of `entries` under `kind` ("ПРЕДУПРЕЖДЕНИЕ", "ПОДСКАЗКА") writes, each
// "kind [name]: text" without its line feed.
std::vector<std::string> formatNotes(const char* kind, const std::string& path, const WarningList& entries);

// At most one warning: the quote that opened the last unclosed string, by source line.
void checkQuotes(const CodePoints& source, WarningList& warnings);

// Up to five warnings on the translated text; excess closers name the source line their
// code point carries.
void checkBrackets(const CodeText& text, WarningList& warnings);
