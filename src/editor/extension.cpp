// The extension's manifest, tasks and problem matchers, snippets and README, and `lum --editor`.
// Tests: tests/editor/editor_test.mjs, tests/e2e/cli_test.cpp.
#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "base/json.h"
#include "base/paths.h"
#include "base/warnings.h"
#include "editor/editor.h"
#include "embedded/editorExtensionScript.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "rules/vocabulary.h"
#include "services/language.h"

namespace editor {

// The editor files are JSON values written by the one writer.
using base::Json;
using base::jsonArray;
using base::jsonBool;
using base::jsonNumber;
using base::jsonObject;
using base::jsonString;
using base::jsonStrings;
using base::printJson;

namespace {

// The warning lines lum prints, "KIND [name]: строка N: text" or "KIND [name]: text", and the
// rules file's own "ПРЕДУПРЕЖДЕНИЕ [keywords.csv]: keywords.csv, строка N: text". Each line
// matches exactly one matcher. A line without a line number (or with "строка 0") marks the
// whole file, which the Problems panel shows at its first line.
struct LineKind {
    const char* kind;      // the line's first word
    const char* name;      // matcher name part
    const char* severity;  // for the Problems panel
};
constexpr LineKind lineKinds[] = {{"ПРЕДУПРЕЖДЕНИЕ", "warning", "warning"}, {"ПОДСКАЗКА", "hint", "info"}};
// Any file name, "]" in it too: the shortest name that "строка N: " then follows; a line with no
// "]: строка N: " anywhere marks the whole file, named up to its last "]: ".
constexpr const char* sourceName = "\\[(?!keywords\\.csv\\])(.+?)\\]: ";
constexpr const char* wholeSourceName = "\\[(?!keywords\\.csv\\])(.+)\\]: ";
constexpr const char* lineNumber = "строка ([1-9][0-9]*): ";
constexpr const char* noLineNumber = "(?!.*\\]: строка [1-9][0-9]*: )";

// Watch mode prints a line before each recompile's warnings ("перекомпилировано: …" after the
// previous one, "Страница: …" after the first) and ends each compile with "OK: " or "Ошибка: ".
Json background() {
    return jsonObject({{"activeBegins", jsonBool(true)},
                       {"beginsPattern", jsonString("^(?:перекомпилировано: |Страница: )")},
                       {"endsPattern", jsonString("^(?:OK: |Ошибка: )")}});
}

Json matcher(const std::string& name, bool watch, const std::string& folder, const char* severity, Json pattern) {
    Json j = jsonObject({{"name", jsonString(watch ? "lum-watch-" + name : "lum-" + name)},
                         {"owner", jsonString("lum")},
                         {"source", jsonString("lum")},
                         {"fileLocation", jsonStrings({"relative", folder})},
                         {"severity", jsonString(severity)},
                         {"pattern", std::move(pattern)}});
    if (watch) j.members.push_back({"background", background()});
    return j;
}

// A pattern whose groups are, in order, the file, the line when `withLine`, and the message.
Json pattern(const std::string& regex, bool withLine) {
    Json j = jsonObject({{"regexp", jsonString(regex)}});
    if (!withLine) j.members.push_back({"kind", jsonString("file")});
    j.members.push_back({"file", jsonNumber(1)});
    if (withLine) j.members.push_back({"line", jsonNumber(2)});
    j.members.push_back({"message", jsonNumber(withLine ? 3 : 2)});
    return j;
}

Json problemMatchers(const std::string& rulesFolder) {
    Json all = jsonArray({});
    for (const bool watch : {false, true}) {
        for (const LineKind& k : lineKinds) {
            const std::string start = std::string("^") + k.kind + " ";
            all.items.push_back(matcher(k.name, watch, "${fileDirname}", k.severity,
                                        pattern(start + sourceName + lineNumber + "(.*)$", true)));
            all.items.push_back(matcher(std::string(k.name) + "-file", watch, "${fileDirname}", k.severity,
                                        pattern(start + noLineNumber + wholeSourceName + "(.*)$", false)));
        }
        all.items.push_back(matcher(
            "rules", watch, rulesFolder, "warning",
            pattern("^ПРЕДУПРЕЖДЕНИЕ \\[(keywords\\.csv)\\]: keywords\\.csv, строка ([0-9]+): (.*)$", true)));
    }
    return all;
}

Json command(const char* id, const char* title, const char* icon) {
    return jsonObject({{"command", jsonString(id)},
                       {"title", jsonString(title)},
                       {"category", jsonString("ЛУМ")},
                       {"icon", jsonString(icon)}});
}

Json menuItem(const char* id, const char* when) {
    return jsonObject({{"command", jsonString(id)}, {"when", jsonString(when)}});
}

std::string packageJson(const std::string& lumPath, const std::string& rulesFolder) {
    const Json language = jsonObject({{"id", jsonString("lum")},
                                      {"aliases", jsonStrings({"ЛУМ скрипт", "lum"})},
                                      {"extensions", jsonStrings({".лумс", ".лум"})},
                                      {"configuration", jsonString("./language-configuration.json")}});
    const Json watchProperty = jsonObject({{"type", jsonString("boolean")},
                                           {"description", jsonString("режим наблюдения: lum -w")}});
    const Json serverSetting = jsonObject(
        {{"type", jsonString("boolean")},
         {"default", jsonBool(true)},
         {"description", jsonString("Подсказки при наборе: языковой сервер lum --lsp (проблемы, описание слов, дополнение, исправления).")}});
    const Json lumSetting = jsonObject(
        {{"type", jsonString("string")},
         {"default", jsonString(lumPath)},
         {"description", jsonString("Программа lum, которую запускают задачи ЛУМ (пусто — lum из PATH).")}});
    return printJson(jsonObject(
        {{"name", jsonString(extensionName)},
         {"displayName", jsonString("ЛУМ скрипт")},
         {"description", jsonString("Подсветка, отступы, заготовки и задачи для ЛУМ скрипта по словарю keywords.csv")},
         {"version", jsonString(extensionVersion)},
         {"publisher", jsonString(extensionPublisher)},
         {"engines", jsonObject({{"vscode", jsonString("^1.75.0")}})},
         {"categories", jsonStrings({"Programming Languages", "Snippets"})},
         {"main", jsonString("./extension.js")},
         {"activationEvents", jsonStrings({"onLanguage:lum", "workspaceContains:**/*.лумс", "workspaceContains:**/*.лум",
                                           "onCommand:workbench.action.tasks.runTask"})},
         {"contributes",
          jsonObject(
              {{"languages", jsonArray({language})},
               {"grammars", jsonArray({jsonObject({{"language", jsonString("lum")},
                                                   {"scopeName", jsonString("source.lum")},
                                                   {"path", jsonString("./syntaxes/lum.tmLanguage.json")}})})},
               {"snippets", jsonArray({jsonObject({{"language", jsonString("lum")},
                                                   {"path", jsonString("./snippets/lum.json")}})})},
               {"taskDefinitions",
                jsonArray({jsonObject({{"type", jsonString("lum")},
                                       {"properties", jsonObject({{"watch", watchProperty}})}})})},
               {"problemMatchers", problemMatchers(rulesFolder)},
               {"commands", jsonArray({command("lum.compile", "скомпилировать файл", "$(play)"),
                                       command("lum.watch", "режим наблюдения", "$(eye)")})},
               {"menus", jsonObject({{"editor/title/run", jsonArray({menuItem("lum.compile", "resourceLangId == lum"),
                                                                     menuItem("lum.watch", "resourceLangId == lum")})},
                                     {"commandPalette", jsonArray({menuItem("lum.compile", "editorLangId == lum"),
                                                                   menuItem("lum.watch", "editorLangId == lum")})}})},
               {"keybindings", jsonArray({jsonObject({{"command", jsonString("lum.compile")},
                                                      {"key", jsonString("ctrl+shift+b")},
                                                      {"when", jsonString("editorLangId == lum")}})})},
               {"configuration", jsonObject({{"title", jsonString("ЛУМ скрипт")},
                                             {"properties", jsonObject({{"lum.path", lumSetting}, {"lum.languageServer", serverSetting}})}})}})}}));
}

// The README's table: the phrases under the role they are coloured by.
std::string wordsByRole(const rules::LoadedRules& loaded) {
    const auto phrases = shownPhrases(loaded);
    std::string out = "| Роль | Слова |\n|---|---|\n";
    for (int r = 0; r <= static_cast<int>(rules::WordRole::Function); ++r) {
        std::string row;
        for (const auto& [phrase, role] : phrases)
            if (static_cast<int>(role) == r) row += (row.empty() ? " " : ", ") + phrase;
        if (!row.empty()) out += std::string("| ") + services::roleTitle(static_cast<rules::WordRole>(r)) + " |" + row + " |\n";
    }
    return out;
}

std::string readme(const rules::LoadedRules& loaded, const std::string& lumPath) {
    const std::string folder = std::string(extensionPublisher) + "." + extensionName + "-" + extensionVersion;
    const std::string vsix = std::string(extensionName) + "-" + extensionVersion + ".vsix";
    return "# ЛУМ скрипт для VS Code\n\n"
           "Подсветка слов ЛУМ скрипта, отступы и сворачивание блоков, заготовки и задачи для компилятора `lum`.\n"
           "Расширение сделано командой `lum --editor` из словаря keywords.csv (правил: " +
           std::to_string(loaded.table.size()) +
           "). Когда словарь меняется, сделайте расширение заново той же командой и установите еще раз.\n\n"
           "## Установка\n\n"
           "- Файл `" + vsix + "`: в VS Code «Расширения» → «…» → «Установить из VSIX…», или в терминале\n"
           "  `code --install-extension " + vsix + " --force`.\n"
           "- Или скопируйте папку `" + folder + "` в папку расширений (`~/.vscode/extensions`, в Windows\n"
           "  `%USERPROFILE%\\.vscode\\extensions`) и перезапустите VS Code.\n\n"
           "## Подсказки при наборе\n\n"
           "Расширение запускает `lum --lsp` — языковой сервер lum. Пока вы пишете, предупреждения и подсказки\n"
           "компилятора подчеркивают слова, о которых они говорят; наведите мышь на слово словаря — увидите, что оно\n"
           "делает, с примером, а на свое имя — где и как оно объявлено. Ctrl+Пробел дополняет слова словаря,\n"
           "заготовки («если … то … конец») и ваши имена; у команд рисования видно, какие значения они ждут.\n"
           "Лампочка у подчеркнутого слова предлагает исправление («Заменить на «если»»). Выключить — настройка\n"
           "`lum.languageServer`. Другие редакторы (Neovim, Sublime Text, Kate…) подключают тот же сервер командой\n"
           "`lum --lsp`.\n\n"
           "## Задачи\n\n"
           "«ЛУМ: скомпилировать файл» (кнопка ▷ над файлом, Ctrl+Shift+B) запускает `lum` на открытом файле;\n"
           "предупреждения и подсказки компилятора появляются на вкладке «Проблемы» у своих строк.\n"
           "Предупреждения без номера строки («не хватает 2 закрывающих } …») отмечены на первой строке файла.\n"
           "«ЛУМ: режим наблюдения» запускает `lum -w`: страница обновляется при каждом сохранении.\n"
           "Обе задачи есть и в «Терминал» → «Запустить задачу…» → «lum». Программа — настройка `lum.path`\n"
           "(сейчас `" + lumPath + "`; если ее нет, берется `lum` из PATH).\n\n"
           "## Слова этого словаря\n\n" + wordsByRole(loaded);
}

}  // namespace

std::string snippetsJson(const rules::LoadedRules& loaded) {
    Json all = jsonObject({});
    for (const services::Snippet& s : services::snippetsOf(loaded.table, loaded.vocabulary)) {
        std::vector<std::string> lines;
        for (std::size_t from = 0; from <= s.body.size();) {
            std::size_t end = s.body.find('\n', from);
            if (end == std::string::npos) end = s.body.size();
            lines.push_back(s.body.substr(from, end - from));
            from = end + 1;
        }
        all.members.push_back({s.title, jsonObject({{"prefix", jsonString(s.prefix)},
                                                      {"body", jsonStrings(lines)},
                                                      {"description", jsonString(s.description)}})});
    }
    return printJson(all);
}

std::vector<ExtensionFile> extensionFiles(const rules::LoadedRules& loaded, const std::string& lumPath,
                                          const std::string& rulesFolder) {
    return {{"package.json", packageJson(lumPath, rulesFolder)},
            {"extension.js", std::string(editorExtensionScript)},
            {"syntaxes/lum.tmLanguage.json", grammarJson(loaded)},
            {"language-configuration.json", languageConfigurationJson(loaded)},
            {"snippets/lum.json", snippetsJson(loaded)},
            {"README.md", readme(loaded, lumPath)}};
}

ExtensionWrite writeEditorExtension(const std::string& folder, const std::string& rulesPath,
                                    const rules::LoadedRules& loaded) {
    const std::string sep(1, platform::separator());
    const std::string root = folder + sep + extensionPublisher + "." + extensionName + "-" + extensionVersion;
    // The rules warnings name "keywords.csv"; they point into the folder this lum read it from, or,
    // for one found in the current folder, into the compiled file's folder, where the tasks run.
    const std::string rulesAt = base::folderOf(rulesPath);
    const bool relative = !rulesPath.empty() && rulesPath[0] != '/' && rulesPath[0] != '\\' &&
                          !(rulesPath.size() > 1 && rulesPath[1] == ':');
    const std::string rulesFolder =
        !relative ? rulesAt : (rulesAt == "." ? std::string("${fileDirname}") : "${fileDirname}/" + rulesAt);
    std::string lumPath = platform::executablePath();
    if (lumPath.empty()) lumPath = "lum";
    const std::vector<ExtensionFile> files = extensionFiles(loaded, lumPath, rulesFolder);

    // The folders lum makes inside `folder` are its own: one that is a link (planted there, or left
    // by something else) would take the files somewhere else, so lum stops instead.
    const std::vector<std::string> own = {root, root + sep + "syntaxes", root + sep + "snippets"};
    for (const std::string& dir : own) {
        if (!platform::isLink(dir)) continue;
        return {false, {"Ошибка: " + dir + " — ссылка на другое место, а не папка; lum не пишет через ссылки. Удалите её и "
                               "запустите lum --editor снова"}};
    }
    for (const std::string& dir : {folder, own[0], own[1], own[2]}) {
        if (platform::pathKind(dir) == platform::PathKind::Folder) continue;
        if (!platform::makeFolder(dir)) return {false, {"Ошибка: не могу создать папку: " + dir}};
    }
    const std::string vsixName = std::string(extensionName) + "-" + extensionVersion + ".vsix";
    const std::string vsix = folder + sep + vsixName;
    // Temporaries a killed run left beside each file it writes, one listing per folder.
    std::map<std::string, std::vector<std::string>> written = {{folder, {vsixName}}};
    for (const ExtensionFile& file : files) {
        const std::string path = root + sep + file.path;
        written[base::folderOf(path)].push_back(base::fileNameOf(path));
    }
    for (const auto& [dir, names] : written) platform::removeStaleTemporaries(dir, names);

    // The lines that tell a file could not be written, none when it was.
    auto write = [](const std::string& path, const std::string& bytes) {
        std::vector<std::string> failure;
        if (platform::writeFileAtomically(path, bytes)) return failure;
        failure.push_back("Ошибка: не могу записать файл: " + path);
        if (platform::writeProtected(path)) failure.push_back(base::protectedFileNote(path));
        return failure;
    };
    for (const ExtensionFile& file : files) {
        std::string path = root + sep + file.path;
        std::replace(path.begin() + static_cast<std::ptrdiff_t>(root.size()), path.end(), '/', platform::separator());
        std::vector<std::string> failure = write(path, file.bytes);
        if (!failure.empty()) return {false, std::move(failure)};
    }
    std::vector<std::string> failure = write(vsix, vsixPackage(files));
    if (!failure.empty()) return {false, std::move(failure)};
    const std::string extensions =
        platform::separator() == '\\' ? "%USERPROFILE%\\.vscode\\extensions" : "~/.vscode/extensions";
    return {true,
            {"Расширение для VS Code по словарю " + rulesPath + " (правил: " + std::to_string(loaded.table.size()) + "):",
             "  " + vsix + " — установите его: code --install-extension " + vsix + " --force",
             "  " + root + " — или скопируйте эту папку в папку расширений VS Code (" + extensions + ")"}};
}

}  // namespace editor
