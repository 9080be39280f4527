// The command line end to end: banner, flags, dispatch, interactive mode, exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "support/process.h"
#include "support/temp_folder.h"

namespace {

const std::string usage =
    "Использование:\n"
    "  lum.exe файл.лумс [-js] [-r] [-w]\n"
    "      по умолчанию — .html рядом с исходником (массив.лумс → массив.html)\n"
    "      -js  — только код JavaScript (массив.лумс → массив.js)\n"
    "      -r   — открыть .html в браузере сразу после компиляции\n"
    "      -w   — режим наблюдения: при сохранении файла страница\n"
    "             перекомпилируется и обновится сама (http://127.0.0.1:8137/)\n"
    "  lum.exe папка        — все .лумс/.лум в папке\n"
    "  lum.exe              — интерактивный режим\n"
    "  Абсолютный путь тоже принимается: lum.exe \"C:\\путь\\файл.лумс\"\n";
// Lines of our own flags, after the usage text.
const std::string ownUsage =
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
    "      описание слов, дополнение, быстрые исправления (VS Code, Neovim и другие)\n";

const std::string formatPrompt =
    "\nФормат результата:\n"
    "  1 — HTML-страница (можно сразу открыть в браузере)\n"
    "  2 — JavaScript-файл (подключается к вашей странице)\n"
    "Выберите (1/2) [1]: ";
const std::string pathPrompt = "Путь к файлу .лумс/.лум или к папке (Enter — текущая папка):\n> ";
const std::string browserPrompt = "Открыть результат в браузере? (Y/n): ";
const std::string pause = "\nНажмите Enter для выхода...";

// Everything after the banner line.
std::string afterBanner(const std::string& out) {
    const auto end = out.find('\n');
    EXPECT_EQ(out.rfind("ЛУМ скрипт -> HTML/JS компилятор, версия 2.7 (ЛУМ2.7). Правил: ", 0), 0u) << out;
    return end == std::string::npos ? std::string() : out.substr(end + 1);
}

std::string sep() { return std::string(1, lumSeparator()); }

class Cli : public ::testing::Test {
protected:
    TempFolder dir;
    ProcessOptions options() {
        ProcessOptions o;
        o.workingFolder = dir.path();
        // A fake opener records what would have been opened.
        useFakeOpener(o, dir.path());
        return o;
    }
    ProcessResult lum(const std::vector<std::string>& args, const std::string& input = "") {
        ProcessOptions o = options();
        o.input = input;
        ProcessResult r = runLum(args, o);
        EXPECT_EQ(r.err, "") << "standard error stays empty";
        return r;
    }
    std::string opened() { return readFile(dir / "opened.log"); }
    // The opener runs detached; give it a moment to write.
    std::string openedEventually(std::size_t lines) {
        for (int i = 0; i < 100; ++i) {
            const std::string log = opened();
            if (static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')) >= lines) return log;
            runProcess({"sleep", "0.05"});
        }
        return opened();
    }
};

TEST_F(Cli, HelpPrintsUsageAfterTheBannerAndStopsReading) {
    for (const char* flag : {"-h", "--help", "/?"}) {
        const ProcessResult r = lum({flag, "-x"});
        EXPECT_EQ(r.exitCode, 0) << flag;
        EXPECT_EQ(afterBanner(r.out), usage + ownUsage) << flag;
    }
}

TEST_F(Cli, UnknownFlagsStopWithExitCodeOne) {
    for (const char* flag : {"-x", "-JS", "-", "--verbose"}) {
        const ProcessResult r = lum({flag, "-h"});
        EXPECT_EQ(r.exitCode, 1) << flag;
        EXPECT_EQ(afterBanner(r.out), std::string("Неизвестный флаг: ") + flag + " (см. lum.exe -h)\n");
    }
}

TEST_F(Cli, EditorWritesTheExtensionIntoTheFolderAfterIt) {
    writeFile(dir / "a.лумс", "1\n");
    // arguments, exit code, where package.json and the .vsix land ("" when nowhere), output's start
    const std::tuple<std::vector<std::string>, int, std::string, std::string> rows[] = {
        {{"--editor"}, 0, ".", "Расширение для VS Code по словарю "},
        {{"--editor", "новая", "-js"}, 0, "новая", "Расширение для VS Code по словарю "},
        {{"--editor", "нет" + sep() + "глубже"}, 1, "", "Ошибка: не могу создать папку: нет" + sep() + "глубже\n"},
        {{"a.лумс", "--editor"}, 1, "", "Ошибка: --editor пишет только расширение и не компилирует a.лумс"},
        {{"--editor", "-h"}, 0, "", "Использование:\n"},
    };
    for (const auto& [args, code, where, start] : rows) {
        const ProcessResult r = lum(args);
        EXPECT_EQ(r.exitCode, code) << args[0];
        EXPECT_EQ(afterBanner(r.out).rfind(start, 0), 0u) << r.out;
        if (!where.empty())  // paths of this machine, whatever system lum is built for
            EXPECT_TRUE(fileExists(dir / (where + "/lum.lum-script-2.7.0/package.json")) &&
                        fileExists(dir / (where + "/lum-script-2.7.0.vsix")));
    }
    EXPECT_FALSE(fileExists(dir / "a.html"));
}

TEST_F(Cli, SlashArgumentsOtherThanHelpArePaths) {
    const ProcessResult r = lum({"/h"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(afterBanner(r.out), "Ошибка: файл не найден: /h\n");
}

TEST_F(Cli, CompilesOneFileBesideItself) {
    writeFile(dir / "массив.лумс", "console.log(1)\n");
    const ProcessResult r = lum({"массив.лумс"});
    EXPECT_EQ(r.exitCode, 0);
    const std::string tail = afterBanner(r.out);
    EXPECT_EQ(tail.rfind("OK: массив.лумс -> ." + sep() + "массив.html  (HTML, кодировка исходника: UTF-8, правил: ", 0), 0u) << tail;
    EXPECT_TRUE(fileExists(dir / "массив.html"));
    EXPECT_EQ(opened(), "");
}

TEST_F(Cli, LaterFlagsOverrideEarlierOnesAndTheLastPathWins) {
    writeFile(dir / "a.лумс", "1\n");
    writeFile(dir / "b.лумс", "2\n");
    const ProcessResult r = lum({"-js", "a.лумс", "-html", "b.лумс"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(fileExists(dir / "b.html"));
    EXPECT_FALSE(fileExists(dir / "a.html"));
    EXPECT_FALSE(fileExists(dir / "b.js"));
    const ProcessResult js = lum({"b.лумс", "--js"});
    EXPECT_NE(js.out.find("-> ." + sep() + "b.js  (JavaScript, "), std::string::npos) << js.out;
}

TEST_F(Cli, RunOpensThePageButNotAJavaScriptFile) {
    writeFile(dir / "p.лумс", "1\n");
    EXPECT_EQ(lum({"-r", "p.лумс", "-js"}).exitCode, 0);
    EXPECT_EQ(lum({"p.лумс", "--run"}).exitCode, 0);
    EXPECT_EQ(openedEventually(1), lumOpenedTarget(dir.path(), "." + sep() + "p.html") + "\n");
}

TEST_F(Cli, MissingFileIsReportedWithExitCodeOne) {
    const ProcessResult r = lum({"нет.лумс"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(afterBanner(r.out), "Ошибка: файл не найден: нет.лумс\n");
}

TEST_F(Cli, ReportsTheSourceEncoding) {
    writeFile(dir / "cp.лумс", std::string("\xEF\xF0\xE8\xE2\xE5\xF2\n"));  // "привет" in CP1251
    writeFile(dir / "empty.лумс", "");
    writeFile(dir / "bom.лумс", "\xEF\xBB\xBF");
    writeFile(dir / "half.лумс", "\xEF\xBB");
    const std::pair<const char*, const char*> rows[] = {
        {"cp.лумс", "CP1251"}, {"empty.лумс", "UTF-8"}, {"bom.лумс", "UTF-8"}, {"half.лумс", "CP1251"}};
    for (const auto& [file, encoding] : rows) {
        const ProcessResult r = lum({file});
        EXPECT_NE(r.out.find(std::string("кодировка исходника: ") + encoding + ","), std::string::npos) << file << r.out;
    }
    // The hidden copy of a CP1251 source is re-encoded as UTF-8.
    EXPECT_NE(readFile(dir / "cp.html").find("привет"), std::string::npos);
}

TEST_F(Cli, AnUnwritableOutputIsAnErrorAndKeepsWhatWasThere) {
    writeFile(dir / "w.лумс", "1\n");
    makeFolder(dir / "w.html");
    ProcessResult r = lum({"w.лумс"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(afterBanner(r.out), "Ошибка: не могу записать файл: ." + sep() + "w.html\n");

    // A write cut short by the file-size limit leaves the previous page whole.
    writeFile(dir / "big.лумс", std::string(100000, 'x') + "\n");
    writeFile(dir / "big.html", "previous page");
    ProcessOptions o = options();
    std::vector<std::string> argv = {"sh", "-c", "trap '' XFSZ; ulimit -f 8; exec \"$@\"", "sh"};
    for (const auto& part : lumCommand()) argv.push_back(part);
    argv.push_back("big.лумс");
    r = runProcess(argv, o);
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Ошибка: не могу записать файл: ." + sep() + "big.html\n"), std::string::npos) << r.out;
    EXPECT_EQ(readFile(dir / "big.html"), "previous page");
    EXPECT_EQ(listNames(dir.path()), "big.html big.лумс bin w.html w.лумс");
}

TEST_F(Cli, InteractiveModeAsksThenPauses) {
    writeFile(dir / "и.лумс", "1\n");
    const ProcessResult r = lum({}, "2\nи.лумс\n\n");
    EXPECT_EQ(r.exitCode, 0);
    const std::string tail = afterBanner(r.out);
    EXPECT_EQ(tail.rfind(formatPrompt + pathPrompt + "OK: и.лумс -> ." + sep() + "и.js  (JavaScript, ", 0), 0u) << tail;
    EXPECT_EQ(tail.substr(tail.size() - pause.size()), pause);
    EXPECT_TRUE(fileExists(dir / "и.js"));
}

TEST_F(Cli, InteractiveBrowserAnswers) {
    writeFile(dir / "и.лумс", "1\n");
    for (const char* no : {"n", "N", "н", "Н"}) {
        const ProcessResult r = lum({}, std::string("1\nи.лумс\n") + no + "\n\n");
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.out.find(browserPrompt + "OK: "), std::string::npos);
    }
    // A whole word is not one of the four letters: the page opens. " 2" is not "2": HTML.
    EXPECT_EQ(lum({}, " 2\nи.лумс\nнет\n\n").exitCode, 0);
    EXPECT_EQ(openedEventually(1), lumOpenedTarget(dir.path(), "." + sep() + "и.html") + "\n");
}

TEST_F(Cli, InteractiveEndOfInputTakesTheDefaults) {
    // HTML, the current folder, open in the browser; no wait at the end.
    writeFile(dir / "one.лумс", "1\n");
    const ProcessResult r = lum({});
    EXPECT_EQ(r.exitCode, 0);
    const std::string tail = afterBanner(r.out);
    const std::string ok = "OK: ." + sep() + "one.лумс -> ." + sep() + "one.html  (HTML, кодировка исходника: UTF-8, правил: ";
    EXPECT_EQ(tail.rfind(formatPrompt + pathPrompt + browserPrompt + ok, 0), 0u) << tail;
    EXPECT_EQ(tail.substr(tail.size() - 2 - pause.size()), ")\n" + pause);
    EXPECT_EQ(openedEventually(1), lumOpenedTarget(dir.path(), "." + sep() + "one.html") + "\n");
}

TEST_F(Cli, InteractivePathNotFound) {
    // Quotes typed around a path stay part of it.
    const ProcessResult r = lum({}, "1\n\"x.лумс\"\nn\n\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find(browserPrompt + "Ошибка: не найдено: \"x.лумс\"\n" + pause), std::string::npos) << r.out;
}

TEST_F(Cli, FlagsWithoutAPathOrAnEmptyLastArgumentStartTheInteractiveMode) {
    writeFile(dir / "a.лумс", "1\n");
    ProcessResult r = lum({"-js"}, "1\na.лумс\nn\n\n");
    EXPECT_NE(r.out.find(formatPrompt), std::string::npos);
    EXPECT_TRUE(fileExists(dir / "a.html"));  // the flag has no effect
    EXPECT_FALSE(fileExists(dir / "a.js"));
    r = lum({"a.лумс", ""}, "2\na.лумс\n\n");
    EXPECT_NE(r.out.find(formatPrompt), std::string::npos);
    EXPECT_TRUE(fileExists(dir / "a.js"));
}

}  // namespace
