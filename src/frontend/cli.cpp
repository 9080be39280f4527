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

// What the command line asked for, read off the arguments before any mode runs.
struct Invocation {
    std::size_t argumentCount = 0;
    output::CompileOptions options;
    std::vector<std::string> positional;  // every argument that is no flag, in order
    std::string path;                     // the last of them
    bool help = false;
    std::string toolFolder = ".";  // the folder after --editor or --playground
    std::string browserPath;       // --browser
    std::vector<std::size_t> asked;               // the modes named by a flag, in the order given
    std::vector<std::string> values;              // per mode: the path after its flag, if it takes one
};

using ModeHandler = int (*)(const Invocation& call, StartUp& start);

// What a flag takes after it.
enum class Takes { Nothing, OptionalFolder, Path };

// One way to run lum: its flag (empty for a mode chosen by the paths alone), its lines of the
// usage text, and its handler. A handler of null marks a line of the usage text that is a form
// of another mode. When several modes are asked for, the lowest rank runs; of one rank, the last
// named. A mode without a flag is asked for when `chosen` says so. A mode run before the rules
// load is chosen by its flag anywhere among the arguments.
struct Mode {
    const char* flag;
    const char* help;
    ModeHandler handler;
    int rank;
    Takes takes = Takes::Nothing;
    bool (*chosen)(const Invocation& call) = nullptr;
    bool beforeRules = false;
};

int compileMode(const Invocation& call, StartUp& start) {
    if (call.options.watch) return runWatchMode(call.path, call.options, start);
    switch (platform::pathKind(call.path)) {
    case platform::PathKind::Folder:
        return runFolderMode(call.path, call.options, start);
    case platform::PathKind::File:
        return compileOne(call.path, call.options, start);
    default:
        std::printf("Ошибка: файл не найден: %s\n", call.path.c_str());
        return 1;
    }
}

int interactiveMode(const Invocation&, StartUp& start) { return runInteractive(start); }

// --editor and --playground write a file set for the loaded rules instead of compiling.
bool refuseCompileBeside(const Invocation& call, const char* flag, const char* what) {
    if (call.path.empty()) return false;
    std::printf("Ошибка: %s пишет только %s и не компилирует %s: запустите lum для него отдельно\n", flag, what,
                call.path.c_str());
    return true;
}

int editorMode(const Invocation& call, StartUp& start) {
    if (refuseCompileBeside(call, "--editor", "расширение")) return 1;
    const editor::ExtensionWrite extension = editor::writeEditorExtension(call.toolFolder, start.rulesPath, start.loaded);
    printLines(extension.lines);
    return extension.written ? 0 : 1;
}

int playgroundMode(const Invocation& call, StartUp& start) {
    if (refuseCompileBeside(call, "--playground", "песочницу")) return 1;
    return writePlayground(call.toolFolder, start);
}

int taskMode(const Invocation& call, StartUp& start);
int checkMode(const Invocation& call, StartUp& start);
int classMode(const Invocation& call, StartUp& start);
int languageServerMode(const Invocation& call, StartUp& start);

bool pathGiven(const Invocation& call) { return !call.path.empty(); }
bool noPathGiven(const Invocation& call) { return call.path.empty(); }

// In the order of the usage text.
const Mode modes[] = {
    {"",
     "  lum.exe файл.лумс [-js] [-r] [-w]\n"
     "      по умолчанию — .html рядом с исходником (массив.лумс → массив.html)\n"
     "      -js  — только код JavaScript (массив.лумс → массив.js)\n"
     "      -r   — открыть .html в браузере сразу после компиляции\n"
     "      -w   — режим наблюдения: при сохранении файла страница\n"
     "             перекомпилируется и обновится сама (http://127.0.0.1:8137/)\n",
     compileMode, 9, Takes::Nothing, pathGiven},
    {"", "  lum.exe папка        — все .лумс/.лум в папке\n", nullptr, 9},
    {"", "  lum.exe              — интерактивный режим\n", interactiveMode, 8, Takes::Nothing, noPathGiven},
    {"", "  Абсолютный путь тоже принимается: lum.exe \"C:\\путь\\файл.лумс\"\n", nullptr, 9},
    {"--editor",
     "  lum.exe --editor [папка] — расширение для VS Code по этому словарю:\n"
     "      подсветка, задачи, «Проблемы» (по умолчанию — в текущую папку)\n",
     editorMode, 1, Takes::OptionalFolder},
    {"--playground",
     "  lum.exe --playground [папка] — записать в папку (по умолчанию текущую) песочницу\n"
     "      playground.html: ЛУМ скрипт в браузере с вашими правилами, без установки\n",
     playgroundMode, 1, Takes::OptionalFolder},
    {"",
     "  lum.exe файл.лумс -js -map — .js с картой строк (source map): инструменты\n"
     "      разработчика в браузере покажут и остановят строки вашей программы\n",
     nullptr, 9},
    {"--task",
     "  lum.exe файл.лумс --task задача.задача — страница задачи: условие, кнопка «Проверить»\n"
     "      и таблица тестов (как писать задачу — docs/задачи.md)\n",
     taskMode, 4, Takes::Path},
    {"--check",
     "  lum.exe --check задача.задача папка [--browser путь] — проверить все решения в папке\n"
     "      в браузере без окна: таблица, отчёт .html в папке; код 0 — всё пройдено\n",
     checkMode, 3, Takes::Path},
    {"--class",
     "  lum.exe --class папка [задачи…] [--browser путь] — весь класс: работы учеников\n"
     "      (файлы «Сдать» и «ученик - задача.лумс») по всем задачам, таблица и класс.html\n",
     classMode, 2},
    {"--lsp",
     "  lum.exe --lsp        — языковой сервер (LSP) для редакторов: подсказки при наборе,\n"
     "      описание слов, дополнение, быстрые исправления (VS Code, Neovim и другие)\n",
     languageServerMode, 0, Takes::Nothing, nullptr, true},
};
constexpr std::size_t modeCount = sizeof modes / sizeof modes[0];

std::size_t modeIndex(const char* flag) {
    for (std::size_t i = 0; i < modeCount; ++i)
        if (modes[i].flag[0] != '\0' && std::string(modes[i].flag) == flag) return i;
    return modeCount;
}

const std::string& valueOf(const Invocation& call, const char* flag) { return call.values[modeIndex(flag)]; }

int taskMode(const Invocation& call, StartUp& start) {
    if (call.path.empty() || call.options.js || call.options.watch || platform::pathKind(call.path) != platform::PathKind::File) {
        std::fputs("Ошибка: --task задача.задача пишет страницу задачи для одного файла .лумс "
                   "(без -js и -w): lum.exe решение.лумс --task задача.задача\n", stdout);
        return 1;
    }
    const int code = compileWithTask(call.path, valueOf(call, "--task"), start);
    if (code == 0 && call.options.run) platform::openWithShell(output::outputPathFor(call.path, false));
    return code;
}

int checkMode(const Invocation& call, StartUp& start) {
    if (call.path.empty()) {
        std::fputs("Ошибка: после --check задача.задача укажите папку с решениями\n", stdout);
        return 1;
    }
    return runCheckMode(valueOf(call, "--check"), call.path, call.browserPath, start);
}

int classMode(const Invocation& call, StartUp& start) {
    if (call.positional.empty() || !valueOf(call, "--check").empty() || !valueOf(call, "--task").empty()) {
        std::fputs("Ошибка: --class папка_класса [задача.задача…]: папка с работами учеников, затем задачи "
                   "(без них — все .задача в папке)\n", stdout);
        return 1;
    }
    return runClassMode(call.positional[0], std::vector<std::string>(call.positional.begin() + 1, call.positional.end()),
                        call.browserPath, start);
}

// The language server speaks only its protocol on standard output: no banner, and what the rules
// load says goes to the editor.
int languageServerMode(const Invocation& call, StartUp& start) {
    if (call.argumentCount != 1) {
        std::fputs("Ошибка: --lsp запускается без других аргументов\n", stdout);
        return 1;
    }
    return runLanguageServer(start.rulesPath);
}

void printUsage() {
    std::fputs("Использование:\n", stdout);
    for (const Mode& m : modes) std::fputs(m.help, stdout);
}

// The flags that set a compile option or the browser, not a mode.
struct OptionFlag {
    const char* names[2];
    void (*apply)(Invocation& call);
};
const OptionFlag optionFlags[] = {
    {{"-js", "--js"}, [](Invocation& c) { c.options.js = true; }},
    {{"-html", "--html"}, [](Invocation& c) { c.options.js = false; }},
    {{"-map", "--map"}, [](Invocation& c) { c.options.sourceMap = true; }},
    {{"-r", "--run"}, [](Invocation& c) { c.options.run = true; }},
    {{"-w", "--watch"}, [](Invocation& c) { c.options.watch = true; }},
};

// Reads the arguments; false (with the message printed) for a flag lum does not know or one
// missing its path. Help stops the reading where it stands.
bool readArguments(const std::vector<std::string>& args, Invocation& call) {
    call.argumentCount = args.size();
    call.values.assign(modeCount, std::string());
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help" || arg == "/?") {
            call.help = true;
            return true;
        }
        const OptionFlag* option = nullptr;
        for (const OptionFlag& o : optionFlags)
            if (arg == o.names[0] || arg == o.names[1]) option = &o;
        if (option) {
            option->apply(call);
            continue;
        }
        const std::size_t mode = arg.empty() ? modeCount : modeIndex(arg.c_str());
        const bool browser = arg == "--browser";
        if (browser || (mode < modeCount && modes[mode].takes == Takes::Path)) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                std::printf("Ошибка: после %s нужен путь к %s (см. lum.exe -h)\n", arg.c_str(),
                            browser ? "браузеру" : "файлу задачи");
                return false;
            }
            (browser ? call.browserPath : call.values[mode]) = args[++i];
            if (browser) continue;
        } else if (mode < modeCount && modes[mode].takes == Takes::OptionalFolder) {
            // The folder is optional: the next argument is it unless it is a flag.
            if (i + 1 < args.size() && (args[i + 1].empty() || args[i + 1][0] != '-'))
                call.toolFolder = args[++i].empty() ? "." : args[i];
        } else if (mode == modeCount && !arg.empty() && arg[0] == '-') {
            std::printf("Неизвестный флаг: %s (см. lum.exe -h)\n", arg.c_str());
            return false;
        } else if (mode == modeCount) {
            call.path = arg;
            call.positional.push_back(arg);
            continue;
        }
        call.asked.push_back(mode);
    }
    return true;
}

// The mode to run: of those asked for, the lowest rank, the last named of one rank; else the
// first mode without a flag that the paths choose.
const Mode& chooseMode(const Invocation& call) {
    const Mode* best = nullptr;
    for (std::size_t i : call.asked)
        if (!best || modes[i].rank <= best->rank) best = &modes[i];
    if (best) return *best;
    for (const Mode& m : modes)
        if (m.chosen && m.chosen(call) && (!best || m.rank < best->rank)) best = &m;
    return *best;
}

int run(const std::vector<std::string>& args) {
    platform::prepareConsole();
    StartUp start;
    start.trace = platform::environment("LUM_TRACE").has_value();

    start.rulesPath = locateRulesFile();
    for (const std::string& arg : args) {
        const std::size_t mode = modeIndex(arg.c_str());
        if (mode < modeCount && modes[mode].beforeRules) {
            Invocation call;
            call.argumentCount = args.size();
            return modes[mode].handler(call, start);
        }
    }
    if (start.rulesPath.empty()) {
        std::fputs("Ошибка: не найден src/keywords.csv (ищу рядом с lum.exe, в ЛУМ2.7 и в текущей папке)\n", stdout);
        if (args.empty()) pauseBeforeExit();
        return 1;
    }
    std::vector<rules::Rule> table;
    if (!loadRulesAtStartUp(start.rulesPath, table)) return 1;
    start.loaded = rules::loadedRules(std::move(table), loadOtherWords(start.rulesPath));

    Invocation call;
    if (!readArguments(args, call)) return 1;
    if (call.help) {
        printUsage();
        return 0;
    }
    return chooseMode(call).handler(call, start);
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
