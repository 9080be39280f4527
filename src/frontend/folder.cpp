// Folder mode: every source file directly in one folder, compiled in code-unit order.
// Tests: tests/e2e/folder_mode_test.cpp.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "frontend/frontend.h"
#include "frontend/report.h"
#include "platform/files.h"
#include "platform/platform.h"

namespace frontend {

namespace {

// The path as UTF-16 code units, the form the system's wide strings sort in. Each valid
// UTF-8 sequence gives its code point; a byte that starts none (a name the system stores in
// another encoding) stands as the unit 0xDC00 + byte, so one odd name cannot move the rest.
std::u16string utf16Units(const std::string& path) {
    std::u16string units;
    const auto* bytes = reinterpret_cast<const unsigned char*>(path.data());
    const std::size_t n = path.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char lead = bytes[i];
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        std::uint32_t cp = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length > 0 && i + length <= n;
        for (std::size_t k = 1; valid && k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (bytes[i + k] & 0x3F);
        }
        static constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && (cp < smallest[length] || cp > 0x10FFFF)) valid = false;
        if (!valid) {
            units.push_back(static_cast<char16_t>(0xDC00 + lead));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return units;
}

}  // namespace

void listFolder(const std::string& folder, const std::string& mask, std::vector<std::string>& list) {
    for (const platform::FolderEntry& entry : platform::findEntries(folder, mask))
        if (!entry.isFolder) list.push_back(folder + platform::separator() + entry.name);
}

int runFolderMode(const std::string& folder, const output::CompileOptions& options, const StartUp& start) {
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
    std::stable_sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    // One listing for the whole folder (a listing per compile would make a big folder slow), and
    // only the temporaries of the outputs this run writes.
    std::vector<std::string> outputs;
    outputs.reserve(keyed.size());
    for (const auto& entry : keyed) outputs.push_back(base::fileNameOf(output::outputPathFor(entry.second, options.js)));
    platform::removeStaleTemporaries(folder, outputs);
    const output::CompileContext context = start.context();
    int failures = 0;
    for (const auto& [key, path] : keyed)
        if (compileAndPrint(path, options, context).status != output::CompileStatus::Written) ++failures;
    return failures;
}

}  // namespace frontend
