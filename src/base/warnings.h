// The warning list every step of a compile appends to, and how it is printed.
// Tests: tests/diagnostics/checks_test.cpp, tests/frontend/report_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace base {

// Ordered UTF-8 warning texts without line feeds; no limit, no de-duplication.
using WarningList = std::vector<std::string>;

// "ПРЕДУПРЕЖДЕНИЕ [name]: text" per entry, name being the path's last component.
void printWarnings(const std::string& path, const WarningList& warnings);
// "kind [name]: text" per entry, as printWarnings does under its own kind.
void printNotes(const char* kind, const std::string& path, const WarningList& entries);
// The lines a print of `entries` under `kind` ("ПРЕДУПРЕЖДЕНИЕ", "ПОДСКАЗКА") writes, each
// "kind [name]: text" without its line feed.
std::vector<std::string> formatNotes(const char* kind, const std::string& path, const WarningList& entries);

// The line a warning is about, as its text names it at its start: "строка N: …", or
// "<file>, строка N: …" for the rules file's own; 0 when it names none.
std::uint32_t warningLine(const std::string& text);

// The line that follows "Ошибка: не могу записать файл: <path>" when the file is protected from
// writing, without its line feed.
std::string protectedFileNote(const std::string& path);

}  // namespace base
