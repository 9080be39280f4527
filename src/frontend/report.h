// A compile report as the terminal shows it: the warning and hint lines, then the one line that
// says what came of the compile. Every front end that prints (the command line, folder mode,
// watch mode, the playground's worker) prints through here. Tests: tests/frontend/report_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "output/compile.h"

namespace frontend {

// Every warning line, then every hint line, as printed but without the line feed; none when the
// compile did not get as far as its checks.
std::vector<std::string> noteLines(const output::CompileReport& report);

// The line that says what came of the compile ("OK: …" or "Ошибка: …"), without its line feed.
std::string outcomeLine(const output::CompileReport& report);

// Prints the note lines and the outcome line on standard output.
void printReport(const output::CompileReport& report);

// One compile as a terminal mode runs it: compiled, printed, and the page opened in the browser
// when the options ask for it (never for a JavaScript file or in watch mode).
output::CompileReport compileAndPrint(const std::string& sourcePath, const output::CompileOptions& options, const output::CompileContext& context);

}  // namespace frontend
