// Findings as the terminal shows them: one "kind [file]: text" line per entry, and the place a finding's text opens with.
// Tests: tests/frontend/report_test.cpp.
#include "base/warnings.h"

namespace base {

std::vector<std::string> formatNotes(const char* kind, const std::string& path, const WarningList& entries) {
    const std::size_t at = path.find_last_of("\\/");
    const std::string name = at == std::string::npos ? path : path.substr(at + 1);
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const Finding& f : entries) lines.push_back(std::string(kind) + " [" + name + "]: " + f.text);
    return lines;
}

Said onLine(std::uint32_t line, const std::string& message) {
    std::string text = "строка " + std::to_string(line) + ": ";
    const std::uint32_t at = line == 0 ? 0 : static_cast<std::uint32_t>(text.size());
    return {text + message, at};
}

std::string protectedFileNote(const std::string& path) {
    return "Замечание: файл " + path + " защищён от записи (только для чтения), и lum его не заменяет: снимите с него " +
           "эту защиту или удалите его и запустите lum снова";
}

}  // namespace base
