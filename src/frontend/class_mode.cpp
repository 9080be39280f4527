// `--class папка [задачи…]`: every pupil's solution of every task in the class folder (hand-in
// files of «Сдать» and plain sources "ученик - задача.лумс") checked in one headless browser
// run; the table in the terminal and класс.html in the folder, with marks by the teacher's
// settings (класс.txt), common mistakes, who has not handed in, possible copies and every file
// that could not count. Tests: tests/browser/class_test.mjs, tests/e2e/class_mode_test.cpp.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "base/paths.h"
#include "base/text.h"
#include "diagnostics/hint.h"
#include "frontend/check_runs.h"
#include "frontend/frontend.h"
#include "frontend/report.h"
#include "output/class_page.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "rules/vocabulary.h"
#include "tasks/class_copies.h"
#include "tasks/class_folder.h"
#include "tasks/compare.h"

namespace frontend {

namespace {

// Prints the line with every control character a space: pupils' names, file names and their
// programs' output reach the terminal, and none of them may drive it.
void printLine(const std::string& line) {
    std::string withEnd;
    withEnd.reserve(line.size() + 1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c == 0x7F) withEnd += ' ';
        else if (c == 0xC2 && i + 1 < line.size() && static_cast<unsigned char>(line[i + 1]) >= 0x80 &&
                 static_cast<unsigned char>(line[i + 1]) <= 0x9F) {
            withEnd += ' ';  // C1 controls
            ++i;
        } else withEnd += line[i];
    }
    withEnd += "\n";
    std::fwrite(withEnd.data(), 1, withEnd.size(), stdout);
}

// Whether the file name ends with `tail`, capitals and small letters alike.
bool endsWith(const std::string& name, const std::string& tail) {
    const std::string key = tasks::pupilKey(name), small = tasks::pupilKey(tail);
    return key.size() >= small.size() && key.compare(key.size() - small.size(), small.size(), small) == 0;
}

std::string stemOf(const std::string& path) {
    std::string stem = base::fileNameOf(path);
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0) stem.resize(dot);
    return stem;
}

// One solution that counts: whose, which task, its source and what came of it.
struct Solution {
    std::size_t submission = 0;
    std::string file;
    std::string source;        // UTF-8
    std::string compilePath;   // the file compiled
    std::string page;          // "" when it did not compile
    output::CompileReport report;
    std::vector<CheckRun> runs;  // one per test
};

std::size_t width(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The findings of one checked solution, for the common mistakes.
std::vector<tasks::Finding> findingsOf(const Solution& s, const tasks::Task& task, const std::vector<int>& verdicts) {
    std::vector<tasks::Finding> found;
    if (s.page.empty()) {
        found.push_back({"не компилируется", outcomeLine(s.report)});
        return found;
    }
    for (const base::Finding& w : s.report.warnings) found.push_back({"w:" + tasks::withoutLineNumbers(w.text), w.text});
    for (const diagnostics::Hint& h : s.report.hints) found.push_back({std::string("h:") + diagnostics::hintKindName(h.kind), h.text});
    if (!s.report.wordRule.empty()) found.push_back({"слова", "Слова: " + s.report.wordRule});
    // The failed tests as one finding, so that pupils who failed the same ones are counted
    // together; the text shows the first visible one's input, expectation and output.
    std::string failed, detail;
    for (std::size_t t = 0; t < task.tests.size(); ++t) {
        if (verdicts[t] == 0) continue;
        failed += (failed.empty() ? "" : ", ") + std::to_string(t + 1);
        if (verdicts[t] == 2) found.push_back({"d:" + std::to_string(t), "тест " + std::to_string(t + 1) + ": слишком долго (" +
                                                                            tasks::secondsText(task.seconds) + " с)"});
        if (verdicts[t] == 3) found.push_back({"e:" + tasks::withoutLineNumbers(s.runs[t].error), s.runs[t].error});
        if (verdicts[t] == 1 && detail.empty() && !task.tests[t].hidden) {
            std::string answers, expected, got;
            for (const std::string& a : task.tests[t].answers) answers += (answers.empty() ? "" : ", ") + a;
            for (const std::string& e : task.tests[t].expected) expected += (expected.empty() ? "" : " / ") + e;
            for (const std::string& g : tasks::outputLines(s.runs[t].output)) got += (got.empty() ? "" : " / ") + g;
            if (got.size() > 120) got = got.substr(0, 117) + "…";
            detail = "; тест " + std::to_string(t + 1) + ": ввод " + (answers.empty() ? "нет" : answers) + " — ожидалось " +
                     (expected.empty() ? "(пусто)" : expected) + ", получено " + (got.empty() ? "(пусто)" : got);
        }
    }
    if (!failed.empty()) {
        const bool all = std::count(failed.begin(), failed.end(), ',') + 1 == static_cast<long>(task.tests.size());
        found.push_back({"t:" + failed, (all ? std::string("не пройден ни один тест") : "не пройдены тесты " + failed) +
                                            " из " + std::to_string(task.tests.size()) + detail});
    }
    return found;
}

}  // namespace

int runClassMode(const std::string& folder, const std::vector<std::string>& taskArguments, const std::string& browserPath,
                 const StartUp& start) {
    if (platform::pathKind(folder) != platform::PathKind::Folder) {
        printLine("Ошибка: нет такой папки класса: " + folder);
        return 1;
    }
    const std::string sep(1, platform::separator());
    std::vector<std::string> taskPaths = taskArguments;
    if (taskPaths.empty()) {
        for (const platform::FolderEntry& e : platform::findEntries(folder, "*.задача"))
            if (!e.isFolder) taskPaths.push_back(folder + sep + e.name);
        std::sort(taskPaths.begin(), taskPaths.end());
        if (taskPaths.empty()) {
            printLine("Ошибка: в папке класса нет файлов задач (.задача): положите их туда или назовите после папки: "
                      "lum --class папка сумма.задача таблица.задача");
            return 1;
        }
    }
    std::vector<tasks::Task> checked;
    std::vector<std::string> stems;
    for (const std::string& path : taskPaths) {
        tasks::TaskRead read = tasks::readTaskFile(path);
        if (!read.ok) {
            printLine(tasks::taskErrorLine(path, read));
            return 1;
        }
        checked.push_back(std::move(read.task));
        stems.push_back(stemOf(path));
    }
    const auto taskOf = [&](const std::string& titleOrStem) {
        const std::string key = tasks::pupilKey(titleOrStem);
        for (std::size_t t = 0; t < checked.size(); ++t)
            if (tasks::pupilKey(checked[t].title) == key) return t;
        for (std::size_t t = 0; t < checked.size(); ++t)
            if (tasks::pupilKey(stems[t]) == key) return t;
        return tasks::ClassGrid::none;
    };

    output::ClassReport report;
    report.folder = folder;
    const std::string settingsPath = folder + sep + tasks::settingsName;
    if (platform::pathKind(settingsPath) == platform::PathKind::File) {
        std::string bytes;
        const tasks::SettingsRead read = platform::readWholeFile(settingsPath, bytes) ? tasks::parseClassSettings(bytes)
                                                                                    : tasks::SettingsRead{false, {}, 0, "не удалось прочитать файл"};
        if (!read.ok) {
            printLine("Ошибка в настройках класса: " + std::string(tasks::settingsName) +
                      (read.line ? ", строка " + std::to_string(read.line) : std::string()) + ": " + read.message);
            return 1;
        }
        report.settings = read.settings;
    }

    // Every file of the folder: a hand-in, a plain source, one of lum's or the teacher's own, or
    // something that cannot count, which is listed with what is wrong.
    std::vector<platform::FolderEntry> entries = platform::findEntries(folder, "*");
    std::sort(entries.begin(), entries.end(), [](const platform::FolderEntry& a, const platform::FolderEntry& b) { return a.name < b.name; });
    std::vector<tasks::Submission> submissions;
    std::vector<std::string> sources, files, times;
    for (const platform::FolderEntry& e : entries) {
        std::string outputName;
        int processId = 0;
        const std::string& name = e.name;
        if (name == "класс.html" || name == tasks::settingsName || endsWith(name, ".задача") ||
            (name.rfind("отчёт_", 0) == 0 && endsWith(name, ".html")) || platform::parseTemporaryName(name, outputName, processId))
            continue;
        if (e.isFolder) {
            report.problems.push_back({name, "это папка: lum смотрит только файлы в самой папке класса"});
            continue;
        }
        const bool handIn = endsWith(name, tasks::handInExtension);
        const bool plain = endsWith(name, ".лумс") || endsWith(name, ".лум");
        if (!handIn && !plain) {
            report.problems.push_back({name, "не сдача («Сдать», .сдача) и не программа (.лумс): файл не проверен"});
            continue;
        }
        std::string bytes;
        if (!platform::readWholeFile(folder + sep + name, bytes)) {
            report.problems.push_back({name, "не удалось прочитать файл"});
            continue;
        }
        tasks::Submission s;
        std::string taskName, source, time;
        if (handIn) {
            const tasks::HandInRead read = tasks::parseHandIn(bytes);
            if (!read.ok) {
                report.problems.push_back({name, read.message});
                continue;
            }
            s.pupil = read.handIn.pupil;
            s.timed = true;
            s.seconds = read.handIn.seconds;
            taskName = read.handIn.task;
            source = read.handIn.program;
            time = read.handIn.time;
        } else {
            if (!tasks::splitPlainName(name, s.pupil, taskName)) {
                report.problems.push_back({name, "имя не по правилу «ученик - задача.лумс» (например, «Иванова Анна - сумма.лумс»): "
                                                 "непонятно, чья это работа и какой задачи"});
                continue;
            }
            base::dropByteOrderMark(bytes);
            base::CodePoints points;
            if (!base::decodeUtf8(bytes, points)) base::decodeCp1251(bytes, points);
            source = base::encodeUtf8(points);
        }
        s.task = taskOf(taskName);
        if (s.task == tasks::ClassGrid::none) {
            report.problems.push_back({name, "задача «" + taskName + "» не проверяется: среди задач нет ни такого названия, "
                                             "ни такого файла .задача"});
            continue;
        }
        submissions.push_back(s);
        sources.push_back(std::move(source));
        files.push_back(name);
        times.push_back(time);
    }

    const tasks::ClassGrid grid = tasks::arrangeClass(submissions, checked.size(), report.settings.pupils);
    if (grid.pupils.empty()) {
        printLine("Ошибка: в папке класса нет ни одной работы (файлов «Сдать» .сдача или «ученик - задача.лумс»): " + folder);
        for (const output::FileProblem& f : report.problems) printLine(f.file + ": " + f.what);
        return 1;
    }
    std::string message;
    const std::string browser = checkingBrowser(browserPath, message);
    if (browser.empty()) {
        printLine("Ошибка: " + message);
        return 1;
    }

    // The counting solutions compiled: a hand-in's program from a temporary copy.
    const std::string temporary = platform::makeTemporaryFolder();
    if (temporary.empty()) {
        printLine("Ошибка: не удалось создать временную папку для проверки");
        return 1;
    }
    std::vector<Solution> solutions;
    std::vector<std::vector<std::size_t>> solutionAt(grid.pupils.size(), std::vector<std::size_t>(checked.size(), tasks::ClassGrid::none));
    std::vector<std::string> pages;
    std::vector<output::ClassRun> runs;
    for (std::size_t p = 0; p < grid.pupils.size(); ++p)
        for (std::size_t t = 0; t < checked.size(); ++t) {
            const std::size_t i = grid.counting[p][t];
            if (i == tasks::ClassGrid::none) continue;
            Solution s;
            s.submission = i;
            s.file = files[i];
            s.source = sources[i];
            if (submissions[i].timed) {
                s.compilePath = temporary + sep + std::to_string(solutions.size()) + ".лумс";
                if (!platform::writeFileAtomically(s.compilePath, s.source)) {
                    platform::removeFolderTree(temporary);
                    printLine("Ошибка: не удалось записать программу во временную папку " + temporary);
                    return 1;
                }
            } else {
                s.compilePath = folder + sep + files[i];
            }
            output::CompileOptions options;
            options.task = &checked[t];
            s.report = output::compileFile(s.compilePath, options, start.context());
            if (s.report.status == output::CompileStatus::Written) {
                s.page = std::move(s.report.output);
                for (std::size_t k = 0; k < checked[t].tests.size(); ++k) runs.push_back({pages.size(), t, k});
                pages.push_back(s.page);
            }
            s.runs.resize(checked[t].tests.size());
            solutionAt[p][t] = solutions.size();
            solutions.push_back(std::move(s));
        }

    double longest = 0;
    for (const tasks::Task& t : checked) longest = std::max(longest, t.seconds);
    std::vector<CheckRun> results(runs.size());
    const std::string failure = runCheckingPage(
        browser, [&](const std::string& mark) { return output::buildClassCheckPage(checked, pages, runs, mark); }, longest, results,
        start.trace);
    platform::removeFolderTree(temporary);
    if (!failure.empty()) {
        printLine("Ошибка: " + failure);
        return 1;
    }
    {
        std::size_t next = 0;
        for (Solution& s : solutions)
            if (!s.page.empty())
                for (CheckRun& run : s.runs) run = std::move(results[next++]);
    }

    // The cells, the marks, and each task's findings.
    report.pupils = grid.pupils;
    report.listed = grid.listed;
    report.cells.assign(grid.pupils.size(), std::vector<output::ClassCell>(checked.size()));
    std::vector<std::vector<std::pair<std::string, std::vector<tasks::Finding>>>> findings(checked.size());
    for (std::size_t t = 0; t < checked.size(); ++t) report.tasks.push_back({checked[t].title, stems[t], {}});
    for (std::size_t p = 0; p < grid.pupils.size(); ++p) {
        std::size_t passedAll = 0, totalAll = 0;
        for (std::size_t t = 0; t < checked.size(); ++t) {
            const tasks::Task& task = checked[t];
            const bool wordRules = !task.mustUse.empty() || !task.mustNotUse.empty();
            output::ClassCell& cell = report.cells[p][t];
            cell.total = task.tests.size() + (wordRules ? 1 : 0);
            totalAll += cell.total;
            const std::size_t at = solutionAt[p][t];
            if (at == tasks::ClassGrid::none) continue;
            const Solution& s = solutions[at];
            cell.handedIn = true;
            cell.file = s.file;
            cell.handIns = 1 + grid.earlier[p][t].size();
            cell.time = times[s.submission];
            std::vector<int> verdicts(task.tests.size(), 3);  // 0 passed, 1 failed, 2 too long, 3 error
            if (!s.page.empty()) {
                for (std::size_t k = 0; k < task.tests.size(); ++k) {
                    const CheckRun& run = s.runs[k];
                    if (run.tooLong) verdicts[k] = 2;
                    else if (!run.error.empty()) verdicts[k] = 3;
                    else if (run.cut) verdicts[k] = 1;
                    else verdicts[k] = tasks::compareOutput(task.tests[k].expected, run.output, task.comparison).same ? 0 : 1;
                    cell.passed += verdicts[k] == 0;
                }
                if (wordRules && s.report.wordRule.empty()) ++cell.passed;
            }
            cell.mark = tasks::markFor(cell.passed, cell.total, report.settings);
            passedAll += cell.passed;
            findings[t].push_back({grid.pupils[p], findingsOf(s, task, verdicts)});
        }
        report.marks.push_back(tasks::markFor(passedAll, totalAll, report.settings));
    }
    for (std::size_t t = 0; t < checked.size(); ++t) report.tasks[t].mistakes = tasks::commonFindings(findings[t], 5);
    for (std::size_t p = 0; p < grid.pupils.size(); ++p)
        for (std::size_t t = 0; t < checked.size(); ++t)
            for (const std::size_t e : grid.earlier[p][t])
                report.problems.push_back({files[e], "сдано раньше, чем «" + report.cells[p][t].file + "»: считается более новая сдача"});

    // Possible copies, per task.
    const rules::Vocabulary& vocabulary = start.loaded.vocabulary;
    std::vector<std::string> words = rules::vocabularyWords(vocabulary);
    words.insert(words.end(), vocabulary.libraryNames.begin(), vocabulary.libraryNames.end());
    const std::set<std::string> keywords = tasks::keywordSet(words);
    for (std::size_t t = 0; t < checked.size(); ++t) {
        std::vector<std::string> forms;
        std::vector<std::size_t> tokens, owners;
        for (std::size_t p = 0; p < grid.pupils.size(); ++p) {
            if (solutionAt[p][t] == tasks::ClassGrid::none) continue;
            std::size_t count = 0;
            forms.push_back(tasks::copyForm(base::decodeBytes(solutions[solutionAt[p][t]].source), keywords, count));
            tokens.push_back(count);
            owners.push_back(p);
        }
        for (const std::vector<std::size_t>& group : tasks::copyGroups(forms, tokens)) {
            output::CopyGroup g;
            g.task = t;
            for (const std::size_t i : group) g.pupils.push_back(grid.pupils[owners[i]]);
            g.first = solutions[solutionAt[owners[group[0]]][t]].source;
            g.second = solutions[solutionAt[owners[group[1]]][t]].source;
            report.copies.push_back(std::move(g));
        }
    }

    // The terminal's table, then what else there is to know.
    printLine("Класс: учеников " + std::to_string(report.pupils.size()) + ", задач " + std::to_string(checked.size()));
    const std::vector<std::vector<std::string>> table = output::classTable(report);
    std::vector<std::size_t> widths(table[0].size(), 0);
    for (const auto& row : table)
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], width(row[c]));
    for (const auto& row : table) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += (c ? "  " : "") + row[c] + (c + 1 < row.size() ? std::string(widths[c] - width(row[c]), ' ') : "");
        printLine(line);
    }
    for (std::size_t t = 0; t < checked.size(); ++t) {
        std::string missing;
        for (std::size_t p = 0; p < report.pupils.size(); ++p)
            if (!report.cells[p][t].handedIn) missing += (missing.empty() ? "" : ", ") + report.pupils[p];
        printLine("«" + checked[t].title + "»: " + (missing.empty() ? "сдали все" : "не сдали: " + missing));
        for (const tasks::CommonFinding& f : report.tasks[t].mistakes)
            printLine("  " + std::to_string(f.count) + " — " + f.text + " (например, " + f.example + ")");
    }
    for (const output::CopyGroup& g : report.copies) {
        std::string who;
        for (const std::string& p : g.pupils) who += (who.empty() ? "" : ", ") + p;
        printLine("Возможно списано («" + checked[g.task].title + "»): " + who);
    }
    for (const output::FileProblem& f : report.problems) printLine("Не проверен: " + f.file + ": " + f.what);
    const std::string pagePath = folder + sep + "класс.html";
    if (!platform::writeFileAtomically(pagePath, output::buildClassPage(report))) {
        printLine("Ошибка: не могу записать " + pagePath);
        return 1;
    }
    printLine("Таблица класса: " + pagePath);
    return 0;
}

}  // namespace frontend
