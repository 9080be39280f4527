// Library directives in a text, and the inclusion of the library files they name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/warnings.h"
#include "base/text.h"

// Every library file read by the current compile, in reading order, duplicates kept.
// Emptied by each compile that gets past reading its source; watch mode watches it.
extern std::vector<std::string> includedFiles;

// Finds "подключить библиотеку имя" / "ПБ имя" outside string literals, looks each name up
// in four folders with three extensions, appends the found paths with their directive lines,
// and removes the directive span (not the line break) unless it names a built-in library.
void collectLibraryDirectives(CodeText& text, const std::string& folder,
                              std::vector<std::string>& paths, std::vector<std::uint32_t>& lines,
                              WarningList& warnings);

// Appends the framed, translated library at `path` to `out`. False only when the file cannot
// be read; cycles and chains deeper than eight warn and return true with nothing appended.
bool includeLibrary(const std::string& path, int depth, const std::vector<std::string>& chain,
                    CodeText& out, WarningList& warnings, std::uint32_t directiveLine);
