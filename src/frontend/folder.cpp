// Folder mode: every source file directly in one folder, compiled in code-unit order.
#include <algorithm>
#include <cstdio>

#include "frontend/frontend.h"
#include "platform/platform.h"

namespace {

// The path as UTF-16 code units, so that paths sort as the system's wide strings do.
std::u16string utf16Units(const std::string& path) {
    std::u16string units;
    for (std::uint32_t cp : decodeBytes(path)) {
        if (cp >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
    }
    return units;
}

}  // namespace

void listFolder(const std::string& folder, const std::string& mask, std::vector<std::string>& list) {
    for (const platform::FolderEntry& entry : platform::findEntries(folder, mask))
        if (!entry.isFolder) list.push_back(folder + platform::separator() + entry.name);
}

int runFolderMode(const std::string& folder, const CompileOptions& options) {
    std::vector<std::string> paths;
    listFolder(folder, "*.лумс", paths);
    listFolder(folder, "*.лум", paths);
    if (paths.empty()) {
        std::printf("Не найдено файлов .лумс или .лум в папке: %s\n", folder.c_str());
        return 1;
    }
    std::vector<std::pair<std::u16string, std::string>> keyed;
    keyed.reserve(paths.size());
    for (std::string& p : paths) keyed.emplace_back(utf16Units(p), std::move(p));
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    int failures = 0;
    for (const auto& [key, path] : keyed)
        if (compileFile(path, options).empty()) ++failures;
    return failures;
}
