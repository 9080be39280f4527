// Start-up, the command line, the interactive mode, and dispatch to exactly one mode.
// Tests: tests/e2e/cli_test.cpp.
#include <cstdio>
#include <new>

#include "base/paths.h"
#include "base/text.h"
#include "base/warnings.h"
#include "editor/editor.h"
#include "frontend/frontend.h"
#include "frontend/lsp.h"
#include "frontend/report.h"
#include "platform/entry.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "rules/rulesfile.h"

namespace frontend {

namespace {

void printUsage() {
    std::fputs("Использование:\n"
               "  lum.exe файл.лумс [-js] [-r] [-w]\n"
               "      по умолчанию — .html рядом с исходником (массив.лумс → массив.html)\n"
               "      -js  — только код JavaScript (массив.лумс → массив.js)\n"
               "      -r   — открыть .html в браузере сразу после компиляции\n"
               "      -w   — режим наблюдения: при сохранении файла страница\n"
               "             перекомпилируется и обновится сама (http://127.0.0.1:8137/)\n"
               "  lum.exe папка        — все .лумс/.лум в папке\n"
               "  lum.exe              — интерактивный режим\n"
               "  Абсолютный путь тоже принимается: lum.exe \"C:\\путь\\файл.лумс\"\n"
               "  lum.exe --editor [папка] — расширение для VS Code по этому словарю:\n"
               "      подсветка, задачи, «Проблемы» (по умолчанию — в текущую папку)\n"
               "  lum.exe --playground [папка] — записать в папку (по умолчанию текущую) песочницу\n"
               "      playground.html: ЛУМ скрипт в браузере с вашими правилами, без установки\n"
               "  lum.exe файл.лумс -js -map — .js с картой строк (source map): инструменты\n"
               "      разработчика в браузере покажут и остановят строки вашей программы\n"
               "  lum.exe файл.лумс --task задача.задача — страница задачи: условие, кнопка «Проверить»\n"
               "      и таблица тестов (как писать задачу — docs/задачи.md)\n"
               "  lum.exe --check задача.задача папка [--browser путь] — проверить все решения в папке\n"
               "      в браузере без окна: таблица, отчёт .html в папке; код 0 — всё пройдено\n"
               "  lum.exe --class папка [задачи…] [--browser путь] — весь класс: работы учеников\n"
               "      (файлы «Сдать» и «ученик - задача.лумс») по всем задачам, таблица и класс.html\n"
               "  lum.exe --lsp        — языковой сервер (LSP) для редакторов: подсказки при наборе,\n"
               "      описание слов, дополнение, быстрые исправления (VS Code, Neovim и другие)\n",
               stdout);
}

void pauseBeforeExit() {
    std::fputs("\nНажмите Enter для выхода...", stdout);
    std::fflush(stdout);
    platform::readStdinChar();
}

std::string ask(const char* prompt) {
    std::fputs(prompt, stdout);
    std::fflush(stdout);
    return readConsoleLine();
}

int compileOne(const std::string& path, const output::CompileOptions& options, const StartUp& start) {
    const std::string output = output::outputPathFor(path, options.js);
    platform::removeStaleTemporaries(base::folderOf(output), {base::fileNameOf(output)});
    return compileAndPrint(path, options, start.context()).status == output::CompileStatus::Written ? 0 : 1;
}

int runInteractive(const StartUp& start) {
    output::CompileOptions options;
    const std::string format = ask(
        "\nФормат результата:\n"
        "  1 — HTML-страница (можно сразу открыть в браузере)\n"
        "  2 — JavaScript-файл (подключается к вашей странице)\n"
        "Выберите (1/2) [1]: ");
    options.js = format == "2";
    std::string path = ask("Путь к файлу .лумс/.лум или к папке (Enter — текущая папка):\n> ");
    if (path.empty()) path = ".";
    if (!options.js) {
        const std::string answer = ask("Открыть результат в браузере? (Y/n): ");
        options.run = !(answer == "n" || answer == "N" || answer == "н" || answer == "Н");
    }
    int code;
    switch (platform::pathKind(path)) {
    case platform::PathKind::Folder:
        code = runFolderMode(path, options, start);
        break;
    case platform::PathKind::File:
        code = compileOne(path, options, start);
        break;
    default:
        std::printf("Ошибка: не найдено: %s\n", path.c_str());
        code = 1;
    }
    pauseBeforeExit();
    return code;
}

int run(const std::vector<std::string>& args) {
    platform::prepareConsole();
    StartUp start;
    start.trace = platform::environment("LUM_TRACE").has_value();

    start.rulesPath = locateRulesFile();
    // The language server speaks only its protocol on standard output: no banner, and what the
    // rules load says goes to the editor.
    for (const std::string& arg : args)
        if (arg == "--lsp") return args.size() == 1 ? runLanguageServer(start.rulesPath)
                                                    : (std::fputs("Ошибка: --lsp запускается без других аргументов\n", stdout), 1);
    if (start.rulesPath.empty()) {
        std::fputs("Ошибка: не найден src/keywords.csv (ищу рядом с lum.exe, в ЛУМ2.7 и в текущей папке)\n", stdout);
        if (args.empty()) pauseBeforeExit();
        return 1;
    }
    std::vector<rules::Rule> table;
    if (!loadRulesAtStartUp(start.rulesPath, table)) return 1;
    start.loaded = rules::loadedRules(std::move(table), loadOtherWords(start.rulesPath));

    output::CompileOptions options;
    std::string path;
    // --editor and --playground write a file set for the loaded rules instead of compiling.
    std::string tool;
    std::string toolFolder = ".";
    // --task and --check name a task file; --browser names the browser --check runs.
    std::string taskPath, checkTask, browserPath;
    // --class: the class folder and the task files after it.
    bool classMode = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help" || arg == "/?") {
            printUsage();
            return 0;
        }
        if (arg == "-js" || arg == "--js")
            options.js = true;
        else if (arg == "-html" || arg == "--html")
            options.js = false;
        else if (arg == "-map" || arg == "--map")
            options.sourceMap = true;
        else if (arg == "-r" || arg == "--run")
            options.run = true;
        else if (arg == "-w" || arg == "--watch")
            options.watch = true;
        else if (arg == "--editor" || arg == "--playground") {
            // The folder is optional: the next argument is it unless it is a flag.
            tool = arg;
            if (i + 1 < args.size() && (args[i + 1].empty() || args[i + 1][0] != '-')) {
                toolFolder = args[++i].empty() ? "." : args[i];
            }
        }
        else if (arg == "--task" || arg == "--check" || arg == "--browser") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                std::printf("Ошибка: после %s нужен путь к %s (см. lum.exe -h)\n", arg.c_str(),
                            arg == "--browser" ? "браузеру" : "файлу задачи");
                return 1;
            }
            (arg == "--task" ? taskPath : arg == "--check" ? checkTask : browserPath) = args[++i];
        }
        else if (arg == "--class")
            classMode = true;
        else if (!arg.empty() && arg[0] == '-') {
            std::printf("Неизвестный флаг: %s (см. lum.exe -h)\n", arg.c_str());
            return 1;
        } else {
            path = arg;
            positional.push_back(arg);
        }
    }

    if (!tool.empty()) {
        if (!path.empty()) {
            std::printf("Ошибка: %s пишет только %s и не компилирует %s: запустите lum для него отдельно\n",
                        tool.c_str(), tool == "--editor" ? "расширение" : "песочницу", path.c_str());
            return 1;
        }
        if (tool != "--editor") return writePlayground(toolFolder, start);
        const editor::ExtensionWrite extension = editor::writeEditorExtension(toolFolder, start.rulesPath, start.loaded);
        printLines(extension.lines);
        return extension.written ? 0 : 1;
    }
    if (classMode) {
        if (positional.empty() || !checkTask.empty() || !taskPath.empty()) {
            std::fputs("Ошибка: --class папка_класса [задача.задача…]: папка с работами учеников, затем задачи "
                       "(без них — все .задача в папке)\n", stdout);
            return 1;
        }
        return runClassMode(positional[0], std::vector<std::string>(positional.begin() + 1, positional.end()), browserPath, start);
    }
    if (!checkTask.empty()) {
        if (path.empty()) {
            std::fputs("Ошибка: после --check задача.задача укажите папку с решениями\n", stdout);
            return 1;
        }
        return runCheckMode(checkTask, path, browserPath, start);
    }
    if (!taskPath.empty()) {
        if (path.empty() || options.js || options.watch || platform::pathKind(path) != platform::PathKind::File) {
            std::fputs("Ошибка: --task задача.задача пишет страницу задачи для одного файла .лумс "
                       "(без -js и -w): lum.exe решение.лумс --task задача.задача\n", stdout);
            return 1;
        }
        const int code = compileWithTask(path, taskPath, start);
        if (code == 0 && options.run) platform::openWithShell(output::outputPathFor(path, false));
        return code;
    }
    if (path.empty()) return runInteractive(start);
    if (options.watch) return runWatchMode(path, options, start);
    switch (platform::pathKind(path)) {
    case platform::PathKind::Folder:
        return runFolderMode(path, options, start);
    case platform::PathKind::File:
        return compileOne(path, options, start);
    default:
        std::printf("Ошибка: файл не найден: %s\n", path.c_str());
        return 1;
    }
}

}  // namespace

RulesLoad loadRulesFile(const std::string& rulesPath, std::vector<rules::Rule>& table) {
    RulesLoad load;
    load.loaded = rules::loadRules(rulesPath, table, load.warnings);
    if (!load.loaded) {
        load.lines.push_back("Ошибка: пустой или испорченный файл правил: " + rulesPath);
        return load;
    }
    load.lines = base::formatNotes("ПРЕДУПРЕЖДЕНИЕ", rulesPath, load.warnings);
    load.lines.push_back("ЛУМ скрипт -> HTML/JS компилятор, версия 2.7 (ЛУМ2.7). Правил: " + std::to_string(table.size()) +
                         " (" + rulesPath + ")");
    return load;
}

std::vector<rules::OtherWord> loadOtherWords(const std::string& rulesPath) {
    const std::string path = base::folderOf(rulesPath) + platform::separator() + otherWordsName;
    std::string bytes;
    if (platform::pathKind(path) != platform::PathKind::File || !platform::readWholeFile(path, bytes))
        return rules::builtinOtherWords();
    base::dropByteOrderMark(bytes);
    return rules::parseOtherWords(base::encodeUtf8(base::decodeBytes(bytes)));
}

bool loadRulesAtStartUp(const std::string& rulesPath, std::vector<rules::Rule>& table) {
    const RulesLoad load = loadRulesFile(rulesPath, table);
    for (std::string line : load.lines) {
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return load.loaded;
}

std::string readConsoleLine() {
    std::string line;
    if (!platform::readStdinLine(line, 1023)) return {};
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

}  // namespace frontend

int platform::lumMain(const std::vector<std::string>& args) {
    int code = 1;
    try {
        code = frontend::run(args);
    } catch (const std::bad_alloc&) {
        // Compiles report this themselves; what is left is loading a rules file too big.
        std::fputs("Ошибка: не хватает памяти\n", stdout);
    }
    std::fflush(stdout);
    // Where exit statuses are 8 bits, 256 failures must not read as success.
    return code > platform::exitCodeLimit() ? platform::exitCodeLimit() : code;
}
