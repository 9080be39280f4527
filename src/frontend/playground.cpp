// --playground: a copy of the installed playground.html, with the loaded rules as its default
// rules, written into a folder for a teacher to hand out.
// Tests: tests/e2e/cli_test.cpp, tests/playground/playground_test.mjs.
#include <algorithm>
#include <cstdio>

#include "base/json_text.h"
#include "base/warnings.h"
#include "frontend/frontend.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

namespace frontend {

namespace {

const char* const playgroundName = "playground.html";
// The page keeps its default rules as one JSON string between these two texts; the build writes
// them (src/playground/build.mjs), and nothing else in the page contains the opening one.
const std::string rulesOpen = "<script type=\"application/json\" id=\"lum-rules\">";
const std::string rulesClose = "</script>";

// The page takes the rules as UTF-8 text. The loader decodes each field on its own, strict UTF-8
// or else CP1251; each line is decoded here the same way, so a file saved in CP1251 (or one with
// a few such lines) reaches the page as the rules lum loaded.
std::string rulesAsUtf8(std::string bytes) {
    base::dropByteOrderMark(bytes);
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', at), bytes.size() - 1) + 1;
        text += base::encodeUtf8(base::decodeBytes(bytes.substr(at, end - at)));
        at = end;
    }
    return text;
}

}  // namespace

int writePlayground(const std::string& folder, const StartUp& start) {
    const std::string& rulesPath = start.rulesPath;
    if (platform::pathKind(folder) != platform::PathKind::Folder) {
        std::printf("Ошибка: папка не найдена: %s\n", folder.c_str());
        return 1;
    }
    const std::string source = locateInstalledFile(playgroundName);
    std::string page, rules;
    if (source.empty() || !platform::readWholeFile(source, page)) {
        std::fputs("Ошибка: не найден playground.html (ищу рядом с lum.exe и в ЛУМ2.7)\n", stdout);
        return 1;
    }
    const std::size_t open = page.find(rulesOpen);
    const std::size_t close = open == std::string::npos ? open : page.find(rulesClose, open + rulesOpen.size());
    if (close == std::string::npos) {
        std::printf("Ошибка: в %s нет места для правил — переустановите lum\n", source.c_str());
        return 1;
    }
    if (!platform::readWholeFile(rulesPath, rules)) {
        std::printf("Ошибка: не могу прочитать файл: %s\n", rulesPath.c_str());
        return 1;
    }
    page.replace(open + rulesOpen.size(), close - open - rulesOpen.size(), base::jsonLiteral(rulesAsUtf8(rules)));
    const std::string target = folder + platform::separator() + playgroundName;
    // A copy killed while it wrote left its temporary (a megabyte each) beside the target.
    platform::removeStaleTemporaries(folder, {playgroundName});
    if (!platform::writeFileAtomically(target, page)) {
        std::printf("Ошибка: не могу записать файл: %s\n", target.c_str());
        if (platform::writeProtected(target)) std::printf("%s\n", base::protectedFileNote(target).c_str());
        return 1;
    }
    std::printf("OK: %s -> %s  (песочница, правила: %s, правил: %d)\n", source.c_str(), target.c_str(),
                rulesPath.c_str(), static_cast<int>(start.loaded.table.size()));
    return 0;
}

}  // namespace frontend
