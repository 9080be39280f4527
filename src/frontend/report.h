// A compile report as the terminal shows it: the warning and hint lines, then the one line that
// says what came of the compile. Every front end that prints (the command line, folder mode,
// watch mode, the playground's worker) prints through here. Tests: tests/frontend/report_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "base/json.h"
#include "output/compile.h"

namespace frontend {

// Every warning line, then every hint line, as printed but without the line feed; none when the
// compile did not get as far as its checks.
std::vector<std::string> noteLines(const output::CompileReport& report);

// The program line each of noteLines is about, 0 for none.
std::vector<std::uint32_t> noteLineNumbers(const output::CompileReport& report);

// The line that says what came of the compile ("OK: …" or "Ошибка: …"), without its line feed.
std::string outcomeLine(const output::CompileReport& report);

// The report as the playground's worker gets it: {"status", "outputName", "js", "encoding",
// "rules", "warnings": [texts], "warningLines": [line or 0], "hints": [{"line", "kind", "text"}],
// "notes": [lines as printed], "outcome"} (frontend/browser_api.cpp).
std::string reportJson(const output::CompileReport& report, const std::string& outputName);
// The lines each warning names (0 for none) and the warnings' texts, as JSON arrays.
base::Json warningLines(const base::WarningList& warnings);
base::Json warningTexts(const base::WarningList& warnings);

// Prints each line and a line feed after it on standard output, as bytes (no length limit, no
// cut at a NUL).
void printLines(const std::vector<std::string>& lines);
// "ПРЕДУПРЕЖДЕНИЕ [name]: text" per entry, name being the path's last component.
void printWarnings(const std::string& path, const base::WarningList& warnings);
// Writes one trace line of the translator (LUM_TRACE) on standard error as it is.
void writeTraceLine(const std::string& line);

// Prints the note lines and the outcome line on standard output.
void printReport(const output::CompileReport& report);

// One compile as a terminal mode runs it: compiled, printed, and the page opened in the browser
// when the options ask for it (never for a JavaScript file or in watch mode).
output::CompileReport compileAndPrint(const std::string& sourcePath, const output::CompileOptions& options, const output::CompileContext& context);

}  // namespace frontend
