// The two task modes: `--task задача` writes the learner's task page instead of the ordinary one;
// `--check задача папка` runs every solution in a folder against every test in one headless
// browser run, prints the table, writes the HTML report and exits with 0 only when all pass.
// Tests: tests/e2e/task_check_test.cpp, tests/browser/task_check_test.cpp, tests/browser/class_test.mjs.
#include <algorithm>
#include <cstdio>
#include <optional>

#include <nlohmann/json.hpp>

#include "base/paths.h"
#include "base/sha256.h"
#include "base/text.h"
#include "frontend/check_runs.h"
#include "frontend/frontend.h"
#include "frontend/report.h"
#include "output/page.h"
#include "output/task_page.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "tasks/compare.h"

namespace frontend {

namespace {

void printLine(const std::string& line) {
    const std::string withEnd = line + "\n";
    std::fwrite(withEnd.data(), 1, withEnd.size(), stdout);
}

std::optional<tasks::Task> loadTask(const std::string& path) {
    tasks::TaskRead read = tasks::readTaskFile(path);
    if (!read.ok) {
        printLine(tasks::taskErrorLine(path, read));
        return std::nullopt;
    }
    return std::move(read.task);
}

// What one run of one solution on one test came to.
enum class Verdict { Passed, Failed, TooLong, Error };
const char* verdictText(Verdict v) {
    switch (v) {
        case Verdict::Passed: return "пройден";
        case Verdict::Failed: return "не пройден";
        case Verdict::TooLong: return "слишком долго";
        case Verdict::Error: return "ошибка";
    }
    return "";
}

struct Run {
    bool done = false;
    bool tooLong = false;
    bool cut = false;       // the page cut the output at its limit, so it was not judged
    std::string output, error;  // the output only up to what the report shows, once judged
    std::string executor;  // what the Robot or the Draftsman did wrong, in the learner's words; "" when nothing
    Verdict verdict = Verdict::Error;
    std::size_t difference = 0;
};

// The page's limit on one run's output, in UTF-16 code units (as the browser counts).
constexpr const char* outputLimit = "1048576";
// The output the report shows of one run, in bytes; the rest is judged but not kept.
constexpr std::size_t shownBytes = 65536;

// Judges a run that came back against its test, then keeps only the start of its output.
void judge(Run& run, const tasks::Test& test, const tasks::Comparison& how) {
    if (run.tooLong) run.verdict = Verdict::TooLong;
    else if (!run.executor.empty()) run.verdict = Verdict::Failed;
    else if (!run.error.empty()) run.verdict = Verdict::Error;
    else if (run.cut) run.verdict = Verdict::Failed;
    else if ((test.hasField || test.hasFigure) && test.expected.empty()) run.verdict = Verdict::Passed;
    else {
        const tasks::Difference d = tasks::compareOutput(test.expected, run.output, how);
        run.verdict = d.same ? Verdict::Passed : Verdict::Failed;
        run.difference = d.line;
    }
    if (run.output.size() > shownBytes) {
        std::size_t end = shownBytes;
        while (end > 0 && (static_cast<unsigned char>(run.output[end]) & 0xC0) == 0x80) --end;
        run.output.resize(end);
        run.output += "\n…";
    }
}

struct Solution {
    std::string path;
    std::string name;      // as listed in the folder, whatever characters it holds
    std::string page;      // "" when it did not compile
    std::string problem;   // why it did not compile
    std::string wordRule;  // the word rule it breaks, "" when none
    std::vector<Run> runs;  // one per test
};

// file:// URL of an absolute path, every byte outside the unreserved set percent-encoded.
std::string fileUrl(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    std::string url = path.size() > 1 && path[1] == ':' ? "file:///" : "file://";
    static const char hex[] = "0123456789ABCDEF";
    for (const unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
            c == '_' || c == '.' || c == '~' || c == ':') {
            url.push_back(static_cast<char>(c));
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

// The JSON of one result line of the checking page, or nullopt for any other line of the log:
// the page's own lines are `"<mark> {…}", source: <its URL> (…)`; the programs' lines come
// from their frames ("about:srcdoc") and are never taken, whatever they print.
std::optional<nlohmann::json> resultOf(const std::string& line, const std::string& mark) {
    const std::string opening = "\"" + mark + " ";
    const std::size_t at = line.find(opening);
    const std::size_t close = line.rfind("\", source: ");
    if (at == std::string::npos || close == std::string::npos || close < at) return std::nullopt;
    if (line.compare(close + 11, 6, "about:") == 0) return std::nullopt;
    const std::string text = line.substr(at + opening.size(), close - at - opening.size());
    nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    if (value.is_discarded() || !value.is_object()) return std::nullopt;
    return value;
}

// What a program printed, as the browser's log shows its frame's console lines, kept while a run
// goes on: a program stopped at the limit cannot report, but its lines reached the log as printed.
// A line the program printed with line feeds in it takes several lines of the log.
struct Printed {
    std::string text, pending;
    bool inside = false;  // after the first line of a console line that has not ended yet
    void take(const std::string& line) {
        std::size_t from = 0;
        if (!inside) {
            const std::size_t console = line.find(":CONSOLE");
            const std::size_t open = console == std::string::npos ? console : line.find("] \"", console);
            if (open == std::string::npos) return;
            from = open + 3;
            pending.clear();
        }
        const std::size_t end = line.rfind("\", source: ");
        inside = end == std::string::npos || end < from;
        if (pending.size() < shownBytes) pending += line.substr(from, inside ? std::string::npos : end - from) + "\n";
        if (inside || line.compare(end + 11, 6, "about:") != 0) return;
        if (text.size() < shownBytes) text += pending;
    }
};

std::string stringField(const nlohmann::json& value, const char* name) {
    const auto it = value.find(name);
    return it != value.end() && it->is_string() ? it->get<std::string>() : std::string();
}
long long numberField(const nlohmann::json& value, const char* name) {
    const auto it = value.find(name);
    return it != value.end() && it->is_number_integer() ? it->get<long long>() : -1;
}

struct BrowserRun {
    std::string failure;  // "" when every run got its result
};

// Runs the checking page in the browser from run `first` on, taking each result as it comes;
// a browser that stops answering (a program it could not stop) is ended and started again
// after the run it was on, which counts as too long.
BrowserRun runChecks(const std::string& browser, const std::string& pagePath, const std::string& profile,
                     const std::string& mark, const tasks::Task& task, std::vector<Run*>& runs, bool trace) {
    BrowserRun outcome;
    const int limitMs = static_cast<int>(task.seconds * 1000);
    std::size_t next = 0;
    while (next < runs.size()) {
        std::vector<std::string> argv = {browser, "--headless", "--disable-gpu", "--disable-background-networking",
                                         "--disable-component-update", "--disable-sync", "--no-first-run",
                                         "--no-default-browser-check", "--mute-audio", "--enable-logging=stderr",
                                         // The frames the programs run in are never on screen: their timers
                                         // and their process keep full speed all the same.
                                         "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
                                         "--disable-backgrounding-occluded-windows",
                                         "--user-data-dir=" + profile};
        if (platform::runningAsRoot()) argv.push_back("--no-sandbox");
        argv.push_back(fileUrl(pagePath) + "#%D1%81=" + std::to_string(next));
        platform::ChildProcess child;
        if (!platform::startChild(argv, child)) {
            outcome.failure = "не удалось запустить браузер: " + browser;
            return outcome;
        }
        const std::size_t before = next;
        long long current = -1;
        Printed printed;
        bool finished = false;
        for (;;) {
            std::string line;
            // A browser gets half a minute to start; a run, its limit and ten seconds more.
            const platform::ChildRead read = platform::readChildLine(child, line, current >= 0 ? limitMs + 10000 : 30000);
            if (read == platform::ChildRead::Line) {
                const std::optional<nlohmann::json> result = resultOf(line, mark);
                if (!result) {
                    if (current >= 0) printed.take(line);
                    continue;
                }
                if (result->contains("готово")) {
                    finished = true;
                    break;
                }
                const long long started = numberField(*result, "начат");
                if (started >= 0) {
                    current = started;
                    printed = Printed();
                    continue;
                }
                const long long n = numberField(*result, "запуск");
                if (n < 0 || static_cast<std::size_t>(n) >= runs.size()) continue;
                Run& run = *runs[static_cast<std::size_t>(n)];
                if (result->contains("часть")) {  // a long output comes in parts before its result
                    run.output += stringField(*result, "часть");
                    continue;
                }
                run.done = true;
                run.output += stringField(*result, "вывод");
                run.error = stringField(*result, "ошибка");
                run.executor = stringField(*result, "исполнитель");
                const auto slow = result->find("долго");
                run.tooLong = slow != result->end() && slow->is_boolean() && slow->get<bool>();
                const auto cut = result->find("обрезан");
                run.cut = cut != result->end() && cut->is_boolean() && cut->get<bool>();
                if (run.tooLong && run.output.empty()) run.output = printed.text;
                // A caller that judges its runs itself (the class check) gives a task without tests.
                if (!task.tests.empty()) judge(run, task.tests[static_cast<std::size_t>(n) % task.tests.size()], task.comparison);
                next = static_cast<std::size_t>(n) + 1;
                current = -1;
                if (trace) std::fprintf(stderr, "[check] run %lld: %lld ms at %llu\n", n, numberField(*result, "мс"),
                                        static_cast<unsigned long long>(platform::monotonicMs()));
                continue;
            }
            if (current >= 0) {  // stopped answering, or gone, in the middle of a run
                Run& run = *runs[static_cast<std::size_t>(current)];
                run.done = true;
                run.tooLong = read == platform::ChildRead::TimedOut;
                if (!run.tooLong) run.error = "браузер закрылся во время запуска";
                run.output = printed.text;
                if (!task.tests.empty())
                    judge(run, task.tests[static_cast<std::size_t>(current) % task.tests.size()], task.comparison);
                next = static_cast<std::size_t>(current) + 1;
            }
            break;
        }
        platform::endChild(child);
        if (finished) break;
        if (next == before) {
            outcome.failure = "браузер не открыл страницу проверки (" + browser + ")";
            return outcome;
        }
    }
    for (Run* run : runs)
        if (!run->done) outcome.failure = "браузер закончил, не проверив всех решений";
    return outcome;
}

// Writes `build(mark)` into a new temporary folder and runs it (runChecks); the failure, or "".
// LUM_TRACE keeps the checking page to look at.
std::string runPage(const std::string& browser, const std::function<std::string(const std::string&)>& build,
                    const tasks::Task& task, std::vector<Run*>& runs, bool trace) {
    const std::string temporary = platform::makeTemporaryFolder();
    if (temporary.empty()) return "не удалось создать временную папку для проверки";
    const std::string mark = "LUM-" + base::sha256Hex(std::to_string(platform::processId()) + "/" +
                                                      std::to_string(reinterpret_cast<std::uintptr_t>(&runs)) + "/" +
                                                      std::to_string(platform::monotonicMs())).substr(0, 24);
    const std::string sep(1, platform::separator());
    const std::string pagePath = temporary + sep + "проверка.html";
    const std::string profile = temporary + sep + "профиль";
    BrowserRun browserRun;
    if (!platform::writeFileAtomically(pagePath, build(mark)) || !platform::makeFolder(profile))
        browserRun.failure = "не удалось записать страницу проверки во временную папку " + temporary;
    else
        browserRun = runChecks(browser, pagePath, profile, mark, task, runs, trace);
    if (trace) std::fprintf(stderr, "[check] page: %s\n", pagePath.c_str());
    else platform::removeFolderTree(temporary);
    return browserRun.failure;
}

std::size_t width(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}
std::string padded(const std::string& text, std::size_t to) { return text + std::string(to > width(text) ? to - width(text) : 0, ' '); }

std::string joined(const std::vector<std::string>& lines, const char* empty) {
    if (lines.empty()) return empty;
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    return text;
}

// What the report shows a run printed: a run stopped at the limit shows what it had printed by then.
std::string outputCell(const Run& run, const tasks::Task& task) {
    if (run.verdict == Verdict::Error) return run.error;
    const std::vector<std::string> lines = tasks::outputLines(run.output);
    if (run.verdict != Verdict::TooLong) return joined(lines, "(пусто)");
    return (lines.empty() ? std::string() : joined(lines, "") + "\n") + "(остановлена на пределе " +
           tasks::secondsText(task.seconds) + " с)";
}
std::string differenceCell(const Run& run) {
    if (run.cut) return std::string("вывод длиннее ") + outputLimit + " знаков: обрезан, не проверен";
    return run.difference ? "строка " + std::to_string(run.difference) : "";
}

std::string reportPage(const tasks::Task& task, const std::string& taskPath, const std::vector<Solution>& solutions,
                       const std::vector<std::vector<std::string>>& table) {
    using output::escapeHtml;
    std::string page = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>Проверка: " +
                       escapeHtml(task.title) + "</title>\n<style>body{font-family:Verdana,sans-serif;margin:16px}"
                       "table{border-collapse:collapse;margin-bottom:16px}td,th{border:1px solid #ccc;padding:4px 8px;"
                       "vertical-align:top;white-space:pre-wrap;text-align:left}.пройден{color:green}"
                       ".не{color:#b00}</style>\n</head>\n<body>\n<h1>Проверка: " + escapeHtml(task.title) + "</h1>\n<p>Задача: " +
                       escapeHtml(taskPath) + "</p>\n<table id=\"summary\">\n";
    for (std::size_t r = 0; r < table.size(); ++r) {
        page += "<tr>";
        for (const std::string& cell : table[r]) {
            const char* tag = r == 0 ? "th" : "td";
            const char* kind = cell == "пройден" ? " class=\"пройден\"" : (cell == "не пройден" || cell == "ошибка" || cell == "слишком долго") ? " class=\"не\"" : "";
            page += std::string("<") + tag + kind + ">" + escapeHtml(cell) + "</" + tag + ">";
        }
        page += "</tr>\n";
    }
    page += "</table>\n";
    for (const Solution& s : solutions) {
        page += "<h2>" + escapeHtml(s.name) + "</h2>\n";
        if (!s.problem.empty()) page += "<p class=\"не\">" + escapeHtml(s.problem) + "</p>\n";
        if (!s.wordRule.empty()) page += "<p class=\"не\">Слова: " + escapeHtml(s.wordRule) + "</p>\n";
        if (s.page.empty()) continue;
        page += "<table>\n<tr><th>Тест</th><th>Итог</th><th>Ввод</th><th>Ожидалось</th><th>Получено</th><th>Первое отличие</th></tr>\n";
        for (std::size_t t = 0; t < task.tests.size(); ++t) {
            const tasks::Test& test = task.tests[t];
            const Run& run = s.runs[t];
            std::string verdict = run.executor.empty() ? verdictText(run.verdict) : run.executor;
            if (run.verdict == Verdict::TooLong) verdict += " (" + tasks::secondsText(task.seconds) + " с)";
            page += "<tr><td>" + std::to_string(t + 1) + (test.hidden ? " (скрытый)" : "") + "</td><td class=\"" +
                    (run.verdict == Verdict::Passed ? "пройден" : "не") + "\">" + escapeHtml(verdict) + "</td><td>" +
                    escapeHtml(joined(test.answers, "нет")) + "</td><td>" + escapeHtml(joined(test.expected, "(пусто)")) +
                    "</td><td>" + escapeHtml(outputCell(run, task)) + "</td><td>" + escapeHtml(differenceCell(run)) + "</td></tr>\n";
        }
        page += "</table>\n";
    }
    return page + "</body>\n</html>\n";
}

// Every solution compiled as a page of the task; the written pages also in `pages`, in order.
std::vector<Solution> compileSolutions(const std::vector<std::string>& paths, const std::string& folder, const tasks::Task& task,
                                       const StartUp& start, std::vector<std::string>& pages) {
    std::vector<Solution> solutions;
    for (const std::string& path : paths) {
        Solution s;
        s.path = path;
        s.name = path.substr(folder.size() + 1);
        output::CompileOptions options;
        options.task = &task;
        output::CompileReport report = output::compileFile(path, options, start.context());
        if (report.status == output::CompileStatus::Written) {
            s.page = std::move(report.output);
            s.wordRule = report.wordRule;
            pages.push_back(s.page);
        } else {
            s.problem = outcomeLine(report);
        }
        s.runs.resize(task.tests.size());
        solutions.push_back(std::move(s));
    }
    return solutions;
}

// The verdicts, compared here with the task's own expectations, hidden ones included: the table
// (a header, then a row per solution) and how many solutions passed everything. A solution that
// did not compile gets its problem as each run's error.
std::size_t verdictTable(const tasks::Task& task, std::vector<Solution>& solutions, std::vector<std::vector<std::string>>& table) {
    std::vector<std::string> header = {"Решение"};
    for (std::size_t t = 0; t < task.tests.size(); ++t)
        header.push_back("Тест " + std::to_string(t + 1) + (task.tests[t].hidden ? " (скрытый)" : ""));
    const bool wordRules = !task.mustUse.empty() || !task.mustNotUse.empty();
    if (wordRules) header.push_back("Слова");
    table.push_back(header);
    std::size_t allPassed = 0;
    for (Solution& s : solutions) {
        std::vector<std::string> row = {s.name};
        bool passed = s.wordRule.empty() && !s.page.empty();
        for (std::size_t t = 0; t < task.tests.size(); ++t) {
            Run& run = s.runs[t];
            if (s.page.empty()) run.error = s.problem;
            passed = passed && run.verdict == Verdict::Passed;
            row.push_back(run.executor.empty() ? verdictText(run.verdict) : run.executor);
        }
        if (wordRules) row.push_back(s.page.empty() ? "ошибка" : s.wordRule.empty() ? "пройден" : "не пройден");
        allPassed += passed;
        table.push_back(row);
    }
    return allPassed;
}

// The terminal's account of a check: the task, the table, each solution's problems, the summary.
void printCheck(const tasks::Task& task, const std::vector<Solution>& solutions, const std::vector<std::vector<std::string>>& table,
                std::size_t allPassed) {
    printLine("Задача «" + task.title + "»: решений " + std::to_string(solutions.size()) + ", тестов " +
              std::to_string(task.tests.size()) + " (предел " + tasks::secondsText(task.seconds) + " с на тест)");
    std::vector<std::size_t> widths(table[0].size(), 0);
    for (const auto& row : table)
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], width(row[c]));
    for (const auto& row : table) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) line += (c ? "  " : "") + (c + 1 < row.size() ? padded(row[c], widths[c]) : row[c]);
        printLine(line);
    }
    for (const Solution& s : solutions) {
        if (!s.problem.empty()) printLine(s.name + ": " + s.problem);
        if (!s.wordRule.empty()) printLine(s.name + ": " + s.wordRule);
        for (std::size_t t = 0; t < s.runs.size(); ++t)
            if (s.runs[t].cut) printLine(s.name + ": тест " + std::to_string(t + 1) + ": " + differenceCell(s.runs[t]));
    }
    printLine(allPassed == solutions.size() ? "Все решения прошли все тесты."
                                            : "Прошли все тесты: " + std::to_string(allPassed) + " из " +
                                                  std::to_string(solutions.size()) + " решений.");
}

// отчёт_<task file's stem>.html in the solutions' folder.
std::string reportPathFor(const std::string& folder, const std::string& taskPath) {
    std::string stem = base::fileNameOf(taskPath);
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0) stem.resize(dot);
    return folder + platform::separator() + "отчёт_" + stem + ".html";
}

}  // namespace

int compileWithTask(const std::string& sourcePath, const std::string& taskPath, const StartUp& start) {
    const std::optional<tasks::Task> task = loadTask(taskPath);
    if (!task) return 1;
    const output::CompileReport report = output::compileTaskPage(sourcePath, *task, start.context());
    printReport(report);
    if (!report.wordRule.empty()) printLine("Задача: " + report.wordRule);
    return report.status == output::CompileStatus::Written ? 0 : 1;
}

int runCheckMode(const std::string& taskPath, const std::string& folder, const std::string& browserPath, const StartUp& start) {
    const std::optional<tasks::Task> loaded = loadTask(taskPath);
    if (!loaded) return 1;
    const tasks::Task& task = *loaded;
    if (platform::pathKind(folder) != platform::PathKind::Folder) {
        printLine("Ошибка: нет такой папки с решениями: " + folder);
        return 1;
    }
    const std::string browser = checkingBrowser(browserPath);
    if (browser.empty()) return 1;
    std::vector<std::string> paths;
    listFolder(folder, "*.лумс", paths);
    listFolder(folder, "*.лум", paths);
    std::sort(paths.begin(), paths.end());
    if (paths.empty()) {
        printLine("Ошибка: в папке нет решений (.лумс или .лум): " + folder);
        return 1;
    }

    std::vector<std::string> pages;
    std::vector<Solution> solutions = compileSolutions(paths, folder, task, start, pages);
    std::vector<Run*> runs;
    for (Solution& s : solutions)
        if (!s.page.empty())
            for (Run& run : s.runs) runs.push_back(&run);
    if (!runs.empty()) {
        const std::string failure = runPage(
            browser, [&](const std::string& mark) { return output::buildCheckPage(task, pages, mark); }, task, runs, start.trace);
        if (!failure.empty()) {
            printLine("Ошибка: " + failure);
            return 1;
        }
    }

    std::vector<std::vector<std::string>> table;
    const std::size_t allPassed = verdictTable(task, solutions, table);
    printCheck(task, solutions, table, allPassed);
    const std::string reportPath = reportPathFor(folder, taskPath);
    if (!platform::writeFileAtomically(reportPath, reportPage(task, taskPath, solutions, table))) {
        printLine("Ошибка: не могу записать отчёт: " + reportPath);
        return 1;  // the teacher asked for the report: a check without it did not end well
    }
    printLine("Отчёт: " + reportPath);
    return allPassed == solutions.size() ? 0 : 1;
}

}  // namespace frontend

namespace frontend {

std::string checkingBrowser(const std::string& given) {
    if (given.empty()) {
        const std::string found = platform::findBrowser();
        if (found.empty())
            printLine("Ошибка: для проверки нужен браузер Chromium, Google Chrome или Microsoft Edge, а он не найден. "
                      "Установите один из них или укажите его файл: --browser путь");
        return found;
    }
    if (platform::pathKind(given) != platform::PathKind::File) {
        printLine("Ошибка: браузер не найден: " + given);
        return "";
    }
    return given;
}

std::string runCheckingPage(const std::string& browser, const std::function<std::string(const std::string&)>& build,
                            double seconds, std::vector<CheckRun>& results, bool trace) {
    if (results.empty()) return "";
    std::vector<Run> runs(results.size());
    std::vector<Run*> pointers;
    for (Run& run : runs) pointers.push_back(&run);
    tasks::Task limits;  // no tests: the caller judges the runs itself
    limits.seconds = seconds;
    const std::string failure = runPage(browser, build, limits, pointers, trace);
    for (std::size_t i = 0; i < runs.size(); ++i)
        results[i] = CheckRun{runs[i].done, runs[i].tooLong, runs[i].cut, std::move(runs[i].output), std::move(runs[i].error)};
    return failure;
}

}  // namespace frontend
