// The terminal's words for a compile report.
// Tests: tests/frontend/report_test.cpp.
#include "frontend/report.h"

#include <cstdio>

#include "base/warnings.h"
#include "platform/platform.h"

namespace frontend {

std::vector<std::string> noteLines(const output::CompileReport& report) {
    if (!report.checked) return {};
    std::vector<std::string> lines = base::formatNotes("ПРЕДУПРЕЖДЕНИЕ", report.sourcePath, report.warnings);
    base::WarningList hints;
    hints.reserve(report.hints.size());
    for (const diagnostics::Hint& hint : report.hints) hints.push_back(hint.text);
    for (std::string& line : base::formatNotes("ПОДСКАЗКА", report.sourcePath, hints)) lines.push_back(std::move(line));
    return lines;
}

std::string outcomeLine(const output::CompileReport& report) {
    switch (report.status) {
    case output::CompileStatus::Written:
        return "OK: " + report.sourcePath + " -> " + report.outputPath + "  (" + (report.js ? "JavaScript" : "HTML") +
               ", кодировка исходника: " + report.encoding + ", правил: " + std::to_string(report.ruleCount) + ")";
    case output::CompileStatus::Unreadable:
        return "Ошибка: не могу прочитать файл: " + report.sourcePath;
    case output::CompileStatus::Unwritable:
        return "Ошибка: не могу записать файл: " + report.outputPath;
    case output::CompileStatus::OutOfMemory:
        break;
    }
    return "Ошибка: не хватает памяти, чтобы скомпилировать " + report.sourcePath;
}

void printReport(const output::CompileReport& report) {
    std::vector<std::string> lines = noteLines(report);
    lines.push_back(outcomeLine(report));
    if (report.writeProtected) lines.push_back(base::protectedFileNote(report.outputPath));
    for (std::string& line : lines) {
        // Written as bytes, so no length limit and no cut at a NUL.
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
}

output::CompileReport compileAndPrint(const std::string& sourcePath, const output::CompileOptions& options, const output::CompileContext& context) {
    output::CompileReport report = output::compileFile(sourcePath, options, context);
    printReport(report);
    if (report.status == output::CompileStatus::Written && options.run && !options.js && !options.watch) {
        std::fflush(stdout);
        platform::openWithShell(report.outputPath);
    }
    return report;
}

}  // namespace frontend
