// lum --check end to end in headless Chromium: the five sample solutions of tests/tasks/samples
// get exactly their verdicts, every way a program can refuse to end is stopped at the limit, and
// a folder where all pass exits with 0.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/browser.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string samples() { return std::string(LUM_SOURCE_DIR) + "/tests/tasks/samples"; }

// The table lum printed: its header line and the rows after it (cells are two spaces apart).
std::string table(const std::string& out) {
    std::size_t from = out.find("Решение");
    std::string rows;
    while (from != std::string::npos && from < out.size()) {
        const std::size_t end = out.find('\n', from);
        const std::string line = out.substr(from, end - from);
        if (line.find("  ") == std::string::npos) break;
        rows += line + "\n";
        from = end == std::string::npos ? end : end + 1;
    }
    return rows;
}

}  // namespace

TEST(TaskCheck, FiveSampleSolutions) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    fs::copy(samples(), folder.path(), fs::copy_options::recursive);
    ProcessOptions options;
    options.timeoutSeconds = 120;
    const ProcessResult r = runLum({"--check", folder / "сумма.задача", folder.path(), "--browser", chromiumPath}, options);
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_EQ(table(r.out),
              "Решение         Тест 1         Тест 2         Тест 3         Тест 4 (скрытый)  Тест 5 (скрытый)\n"
              "верно.лумс      пройден        пройден        пройден        пройден           пройден\n"
              "вечно.лумс      слишком долго  слишком долго  слишком долго  слишком долго     слишком долго\n"
              "на_один.лумс    не пройден     не пройден     не пройден     не пройден        не пройден\n"
              "подогнано.лумс  пройден        пройден        пройден        не пройден        пройден\n"
              "пробелы.лумс    пройден        пройден        пройден        пройден           пройден\n")
        << r.out;
    EXPECT_NE(r.out.find("Прошли все тесты: 2 из 5 решений."), std::string::npos);
    const std::string report = readFile(folder / "отчёт_сумма.html");
    EXPECT_NE(report.find("<td>6</td><td>строка 1</td>"), std::string::npos) << "на_один: got 6, first difference line 1";
}

TEST(TaskCheck, EveryEndlessFormStopsAtTheLimit) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    writeFile(folder / "т.задача", "задача: Т\nусловие: выведите 1\nвремя: 0,5\nнужно: вывести\nтест:\nвывод: 1\nтест: скрытый\nвывод: 1\n");
    writeFile(folder / "а_пока.лумс", "пока истина делать\nконец\nвывести(1)\n");
    writeFile(folder / "б_голый_цикл.лумс", "вывести(1)\nfor (;;) {}\n");
    writeFile(folder / "в_каждые.лумс", "функция ф() {\n  вывести(1)\n}\nкаждые(10, ф)\n");
    writeFile(folder / "г_рекурсия.лумс", "функция ф(н) {\n  вернуть ф(н + 1)\n}\nвывести(ф(1))\n");
    writeFile(folder / "д_через.лумс", "функция ф() {\n  вывести(1)\n}\nчерез(100, ф)\n");
    writeFile(folder / "е_без_слова.лумс", "console.log(1)\n");
    // Lines in lum's own form, with a guessed mark, are not taken for results.
    writeFile(folder / "ж_подделка.лумс", "console.log('LUM-0 {\"запуск\":13,\"вывод\":\"1\"}')\n"
                                          "console.log('LUM-0 {\"готово\":true}')\nвывести(2)\n");
    ProcessOptions options;
    options.timeoutSeconds = 120;
    const ProcessResult r = runLum({"--check", folder / "т.задача", folder.path()}, options);
    // The frames ran in the browser lum found itself, which it ended with all its processes.
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_EQ(table(r.out),
              "Решение            Тест 1         Тест 2 (скрытый)  Слова\n"
              "а_пока.лумс        слишком долго  слишком долго     пройден\n"
              "б_голый_цикл.лумс  слишком долго  слишком долго     пройден\n"
              "в_каждые.лумс      слишком долго  слишком долго     пройден\n"
              "г_рекурсия.лумс    ошибка         ошибка            пройден\n"
              "д_через.лумс       пройден        пройден           пройден\n"
              "е_без_слова.лумс   пройден        пройден           не пройден\n"
              "ж_подделка.лумс    не пройден     не пройден        пройден\n")
        << r.out;
    EXPECT_NE(r.out.find("е_без_слова.лумс: в программе должно быть слово «вывести»"), std::string::npos) << r.out;
}

TEST(TaskCheck, AllPassedExitsWithZero) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    fs::copy(samples() + "/сумма.задача", folder / "сумма.задача");
    fs::copy(samples() + "/верно.лумс", folder / "верно.лумс");
    fs::copy(samples() + "/пробелы.лумс", folder / "пробелы.лумс");
    const ProcessResult r = runLum({"--check", folder / "сумма.задача", folder.path()});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Все решения прошли все тесты."), std::string::npos) << r.out;
}

// What one solution does cannot cost another its check: a lone surrogate, a long output, a program
// that reports and keeps its process busy, names with "\" in them; a stopped program shows what it printed.
TEST(TaskCheck, OneSolutionCannotSinkAnother) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    const std::string test = "тест:\nвывод: " + std::string(70000, '7') + "\n";
    writeFile(folder / "т.задача", "задача: Т\nусловие: У\nвремя: 3\n" + test + test);
    const std::string right = "вывести(\"7\".repeat(70000))\n";
    writeFile(folder / "Иванов\\решение.лумс", right);
    writeFile(folder / "Петров\\решение.лумс", "вывести(\"7\".repeat(69999))\n");
    writeFile(folder / "а_суррогат.лумс", "вывести(\"a\\ud83d\")\n");
    writeFile(folder / "б_длинный.лумс", "вывести(\"7\".repeat(1048577))\n");
    // Reports its error, then loops a few timers later: its next test must not wait behind it.
    writeFile(folder / "0_занят.лумс", "function ф(н) { if (н > 0) setTimeout(function () { ф(н - 1) }, 0); else for (;;) {} }\n"
                                       "window.addEventListener(\"load\", function () { ф(4) })\nнеизвестная()\n");
    writeFile(folder / "г_верно.лумс", right);
    writeFile(folder / "д_стоп.лумс", "вывести(\"первая\")\nвывести(\"вторая\")\nfor (;;) {}\n");
    ProcessOptions options;
    options.timeoutSeconds = 120;
    const ProcessResult r = runLum({"--check", folder / "т.задача", folder.path()}, options);
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_EQ(table(r.out),
              "Решение              Тест 1         Тест 2\n"
              "0_занят.лумс         ошибка         ошибка\n"
              "Иванов\\решение.лумс  пройден        пройден\n"
              "Петров\\решение.лумс  не пройден     не пройден\n"
              "а_суррогат.лумс      не пройден     не пройден\n"
              "б_длинный.лумс       не пройден     не пройден\n"
              "г_верно.лумс         пройден        пройден\n"
              "д_стоп.лумс          слишком долго  слишком долго\n")
        << r.out;
    EXPECT_NE(r.out.find("б_длинный.лумс: тест 1: вывод длиннее 1048576 знаков: обрезан, не проверен"), std::string::npos) << r.out;
    const std::string report = readFile(folder / "отчёт_т.html");
    EXPECT_NE(report.find("<td>a\xEF\xBF\xBD</td>"), std::string::npos) << "the half pair shows as U+FFFD";
    EXPECT_NE(report.find("<td>первая\nвторая\n(остановлена на пределе 3 с)</td>"), std::string::npos);
}

TEST(TaskCheck, UnwritableReportIsAFailure) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    fs::copy(samples() + "/сумма.задача", folder / "сумма.задача");
    fs::copy(samples() + "/верно.лумс", folder / "верно.лумс");
    makeFolder(folder / "отчёт_сумма.html");
    const ProcessResult r = runLum({"--check", folder / "сумма.задача", folder.path()});
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Ошибка: не могу записать отчёт"), std::string::npos) << r.out;
}

// The Robot's and the Draftsman's verdicts in the learner's words: a task, its solutions, the table.
TEST(TaskCheck, ExecutorVerdicts) {
    LUM_REQUIRE_CHROMIUM();
    struct Solution {
        const char* name;
        const char* program;
    };
    struct Case {
        const char* task;
        std::string start;  // the lines every solution opens with
        std::vector<Solution> solutions;
        const char* table;
    };
    const std::string robot = "подключить исполнителя Робот\n";
    const std::string draftsman = "подключить исполнителя Чертёжник\nопустить перо\n";
    const Case cases[] = {
        {"задача: Р\nусловие: У\nвремя: 1\nтест:\nполе:\n  робот 1 1\n  +-+-+-+-+\n  |  . .  |\n  + + + + +\n  |       |\n  +-+-+-+-+\n",
         robot,
         {{"верно", "вправо\nзакрасить\nвправо()\nзакрасить()\n"},
          {"не_все", "вправо\n"},
          {"лишняя", "повторить 3 раза\n  вправо\n  закрасить\nконец\n"},
          {"стена", "вправо\nвправо\nвправо\nвправо\n"},
          {"вечно", "пока справа свободно или справа стена делать\nконец\n"}},
         "Решение      Тест 1\n"
         "верно.лумс   пройден\n"
         "вечно.лумс   слишком долго\n"
         "лишняя.лумс  закрашена лишняя клетка\n"
         "не_все.лумс  не закрашены 2 клетки\n"
         "стена.лумс   робот разбился о стену на строке 5\n"},
        {"задача: Ч\nусловие: У\nвремя: 1\nтест:\nфигура: 0 0, 2 0, 2 1\n",
         draftsman,
         {{"верно", "сместиться в точку(2, 0)\nсместиться на вектор(0, 1)\n"},
          {"лишний", "сместиться в точку(2, 0)\nсместиться в точку(2, 2)\n"},
          {"не_весь", "сместиться в точку(2, 0)\n"}},
         "Решение       Тест 1\n"
         "верно.лумс    пройден\n"
         "лишний.лумс   нарисован лишний отрезок\n"
         "не_весь.лумс  не нарисован отрезок\n"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        writeFile(folder / "т.задача", c.task);
        for (const Solution& s : c.solutions) writeFile(folder / (std::string(s.name) + ".лумс"), c.start + s.program);
        ProcessOptions options;
        options.timeoutSeconds = 120;
        const ProcessResult r = runLum({"--check", folder / "т.задача", folder.path()}, options);
        EXPECT_EQ(r.exitCode, 1) << r.out;
        EXPECT_EQ(table(r.out), c.table) << r.out;
    }
}
