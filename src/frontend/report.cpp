// The terminal's words for a compile report, and the same report as the playground's JSON.
// Tests: tests/frontend/report_test.cpp.
#include "frontend/report.h"

#include <cstdio>

#include "base/warnings.h"
#include "base/json.h"
#include "platform/platform.h"

namespace frontend {

namespace {

const char* statusName(output::CompileStatus status) {
    switch (status) {
    case output::CompileStatus::Written: return "written";
    case output::CompileStatus::Unreadable: return "unreadable";
    case output::CompileStatus::Unwritable: return "unwritable";
    case output::CompileStatus::OutOfMemory: break;
    }
    return "memory";
}

}  // namespace

base::Json warningLines(const base::WarningList& warnings) {
    std::vector<base::Json> lines;
    for (const base::Finding& f : warnings) lines.push_back(base::jsonNumber(static_cast<long>(f.line)));
    return base::jsonArray(std::move(lines));
}

base::Json warningTexts(const base::WarningList& warnings) {
    std::vector<base::Json> texts;
    for (const base::Finding& f : warnings) texts.push_back(base::jsonString(f.text));
    return base::jsonArray(std::move(texts));
}

std::vector<std::string> noteLines(const output::CompileReport& report) {
    if (!report.checked) return {};
    std::vector<std::string> lines = base::formatNotes("ПРЕДУПРЕЖДЕНИЕ", report.sourcePath, report.warnings);
    const base::WarningList hints(report.hints.begin(), report.hints.end());
    for (std::string& line : base::formatNotes("ПОДСКАЗКА", report.sourcePath, hints)) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::uint32_t> noteLineNumbers(const output::CompileReport& report) {
    if (!report.checked) return {};
    std::vector<std::uint32_t> lines;
    for (const base::Finding& f : report.warnings) lines.push_back(f.line);
    for (const diagnostics::Hint& h : report.hints) lines.push_back(h.line);
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

void printLines(const std::vector<std::string>& lines) {
    for (std::string line : lines) {
        // Written as bytes, so no length limit and no cut at a NUL.
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
}

void printWarnings(const std::string& path, const base::WarningList& warnings) {
    printLines(base::formatNotes("ПРЕДУПРЕЖДЕНИЕ", path, warnings));
}

void writeTraceLine(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stderr); }

void printReport(const output::CompileReport& report) {
    std::vector<std::string> lines = noteLines(report);
    lines.push_back(outcomeLine(report));
    if (report.writeProtected) lines.push_back(base::protectedFileNote(report.outputPath));
    printLines(lines);
}

// {"status", "outputName", "js", "encoding", "rules", "warnings": [texts], "warningLines": [line or 0],
// "hints": [{"line", "kind", "text"}], "notes": [lines as printed], "outcome": the line that says what
// came of it}.
std::string reportJson(const output::CompileReport& report, const std::string& outputName) {
    std::vector<base::Json> hints;
    for (const diagnostics::Hint& hint : report.hints)
        hints.push_back(base::jsonObject({{"line", base::jsonNumber(static_cast<long>(hint.line))},
                                    {"kind", base::jsonString(hint.what->name)},
                                    {"text", base::jsonString(hint.text)}}));
    return base::printJson(base::jsonObject({
        {"status", base::jsonString(statusName(report.status))},
        {"outputName", base::jsonString(outputName)},
        {"js", base::jsonBool(report.js)},
        {"encoding", base::jsonString(report.encoding)},
        {"rules", base::jsonNumber(static_cast<long>(report.ruleCount))},
        {"warnings", warningTexts(report.checked ? report.warnings : base::WarningList())},
        {"warningLines", warningLines(report.checked ? report.warnings : base::WarningList())},
        {"hints", base::jsonArray(report.checked ? std::move(hints) : std::vector<base::Json>())},
        {"notes", base::jsonStrings(noteLines(report))},
        {"outcome", base::jsonString(outcomeLine(report))},
    }));
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
