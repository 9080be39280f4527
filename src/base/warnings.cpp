// Warning lists as the terminal shows them: one "kind [file]: text" line per entry.
// Tests: tests/diagnostics/checks_test.cpp, tests/frontend/report_test.cpp.
#include "base/warnings.h"

#include <cstdio>

namespace base {

std::vector<std::string> formatNotes(const char* kind, const std::string& path, const WarningList& entries) {
    const std::size_t at = path.find_last_of("\\/");
    const std::string name = at == std::string::npos ? path : path.substr(at + 1);
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const std::string& text : entries) lines.push_back(std::string(kind) + " [" + name + "]: " + text);
    return lines;
}

void printWarnings(const std::string& path, const WarningList& warnings) { printNotes("ПРЕДУПРЕЖДЕНИЕ", path, warnings); }

void printNotes(const char* kind, const std::string& path, const WarningList& entries) {
    for (std::string line : formatNotes(kind, path, entries)) {
        // Written as bytes, so no length limit and no cut at a NUL.
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
}

std::uint32_t warningLine(const std::string& text) {
    static const std::string word = "строка ";
    std::size_t at = text.compare(0, word.size(), word) == 0 ? 0 : text.find(", " + word);
    if (at == std::string::npos || (at > 0 && text.find(' ') < at)) return 0;  // "<file>, " holds no space
    at += at == 0 ? word.size() : word.size() + 2;
    std::uint32_t line = 0;
    std::size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 9; ++at, ++digits)
        line = line * 10 + static_cast<std::uint32_t>(text[at] - '0');
    return digits > 0 && at < text.size() && text[at] == ':' ? line : 0;
}

std::string protectedFileNote(const std::string& path) {
    return "Замечание: файл " + path + " защищён от записи (только для чтения), и lum его не заменяет: снимите с него " +
           "эту защиту или удалите его и запустите lum снова";
}

}  // namespace base
