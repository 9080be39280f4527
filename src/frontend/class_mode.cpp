// `--class папка [задачи…]`: every pupil's solution of every task in the class folder (hand-in
// files of «Сдать» and plain sources "ученик - задача.лумс") checked in one headless browser
// run; the table in the terminal and класс.html in the folder, with marks by the teacher's
// settings (класс.txt), common mistakes, who has not handed in, possible copies and every file
// that could not count. Tests: tests/browser/class_test.mjs, tests/e2e/class_mode_test.cpp.
#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
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

// What one class check gathers, step by step: the tasks, the works read off the folder, the
// solutions that count and what their runs gave, and the report made of them.
struct ClassCheck {
    std::string folder;
    std::string sep;
    std::vector<tasks::Task> checked;
    std::vector<std::string> stems;  // per task: its file's name without ".задача"
    // Per work that may count: the submission, its source (UTF-8), its file and its hand-in time.
    std::vector<tasks::Submission> submissions;
    std::vector<std::string> sources, files, times;
    tasks::ClassGrid grid;
    std::vector<Solution> solutions;
    std::vector<std::vector<std::size_t>> solutionAt;  // [pupil][task]: index into solutions, or none
    output::ClassReport report;
};

// The tasks named after the folder, else every .задача in it; false, with the error printed,
// when there is none or one does not read.
bool readClassTasks(ClassCheck& c, const std::vector<std::string>& taskArguments) {
    std::vector<std::string> taskPaths = taskArguments;
    if (taskPaths.empty()) {
        for (const platform::FolderEntry& e : platform::findEntries(c.folder, "*.задача"))
            if (!e.isFolder) taskPaths.push_back(c.folder + c.sep + e.name);
        std::sort(taskPaths.begin(), taskPaths.end());
        if (taskPaths.empty()) {
            printLine("Ошибка: в папке класса нет файлов задач (.задача): положите их туда или назовите после папки: "
                      "lum --class папка сумма.задача таблица.задача");
            return false;
        }
    }
    for (const std::string& path : taskPaths) {
        tasks::TaskRead read = tasks::readTaskFile(path);
        if (!read.ok) {
            printLine(tasks::taskErrorLine(path, read));
            return false;
        }
        c.checked.push_back(std::move(read.task));
        c.stems.push_back(stemOf(path));
    }
    return true;
}

// The task a work names, by title first, then by file name; none when neither fits.
std::size_t taskOf(const ClassCheck& c, const std::string& titleOrStem) {
    const std::string key = tasks::pupilKey(titleOrStem);
    for (std::size_t t = 0; t < c.checked.size(); ++t)
        if (tasks::pupilKey(c.checked[t].title) == key) return t;
    for (std::size_t t = 0; t < c.checked.size(); ++t)
        if (tasks::pupilKey(c.stems[t]) == key) return t;
    return tasks::ClassGrid::none;
}

// The teacher's settings (класс.txt) if there are any; false, with the error printed, when they
// do not read.
bool readClassSettings(ClassCheck& c) {
    const std::string settingsPath = c.folder + c.sep + tasks::settingsName;
    if (platform::pathKind(settingsPath) != platform::PathKind::File) return true;
    std::string bytes;
    const tasks::SettingsRead read = platform::readWholeFile(settingsPath, bytes) ? tasks::parseClassSettings(bytes)
                                                                                : tasks::SettingsRead{false, {}, 0, "не удалось прочитать файл"};
    if (!read.ok) {
        printLine("Ошибка в настройках класса: " + std::string(tasks::settingsName) +
                  (read.line ? ", строка " + std::to_string(read.line) : std::string()) + ": " + read.message);
        return false;
    }
    c.report.settings = read.settings;
    return true;
}

// One file of the folder that is a hand-in or a plain source, read into a submission; the
// reason it cannot count otherwise.
std::optional<std::string> readWork(const ClassCheck& c, const std::string& name, bool handIn, tasks::Submission& s, std::string& source,
                     std::string& time) {
    std::string bytes;
    if (!platform::readWholeFile(c.folder + c.sep + name, bytes)) return "не удалось прочитать файл";
    std::string taskName;
    if (handIn) {
        const tasks::HandInRead read = tasks::parseHandIn(bytes);
        if (!read.ok) return read.message;
        s.pupil = read.handIn.pupil;
        s.timed = true;
        s.seconds = read.handIn.seconds;
        taskName = read.handIn.task;
        source = read.handIn.program;
        time = read.handIn.time;
    } else {
        if (!tasks::splitPlainName(name, s.pupil, taskName))
            return "имя не по правилу «ученик - задача.лумс» (например, «Иванова Анна - сумма.лумс»): "
                   "непонятно, чья это работа и какой задачи";
        base::dropByteOrderMark(bytes);
        base::CodePoints points;
        if (!base::decodeUtf8(bytes, points)) base::decodeCp1251(bytes, points);
        source = base::encodeUtf8(points);
    }
    s.task = taskOf(c, taskName);
    if (s.task == tasks::ClassGrid::none)
        return "задача «" + taskName + "» не проверяется: среди задач нет ни такого названия, ни такого файла .задача";
    return std::nullopt;
}

// Every file of the folder: a hand-in, a plain source, one of lum's or the teacher's own, or
// something that cannot count, which is listed with what is wrong.
void readWorks(ClassCheck& c) {
    std::vector<platform::FolderEntry> entries = platform::findEntries(c.folder, "*");
    std::sort(entries.begin(), entries.end(), [](const platform::FolderEntry& a, const platform::FolderEntry& b) { return a.name < b.name; });
    for (const platform::FolderEntry& e : entries) {
        std::string outputName;
        int processId = 0;
        const std::string& name = e.name;
        if (name == "класс.html" || name == tasks::settingsName || endsWith(name, ".задача") ||
            (name.rfind("отчёт_", 0) == 0 && endsWith(name, ".html")) || platform::parseTemporaryName(name, outputName, processId))
            continue;
        if (e.isFolder) {
            c.report.problems.push_back({name, "это папка: lum смотрит только файлы в самой папке класса"});
            continue;
        }
        const bool handIn = endsWith(name, tasks::handInExtension);
        const bool plain = endsWith(name, ".лумс") || endsWith(name, ".лум");
        if (!handIn && !plain) {
            c.report.problems.push_back({name, "не сдача («Сдать», .сдача) и не программа (.лумс): файл не проверен"});
            continue;
        }
        tasks::Submission s;
        std::string source, time;
        if (const std::optional<std::string> problem = readWork(c, name, handIn, s, source, time)) {
            c.report.problems.push_back({name, *problem});
            continue;
        }
        c.submissions.push_back(s);
        c.sources.push_back(std::move(source));
        c.files.push_back(name);
        c.times.push_back(time);
    }
}

// The counting solutions compiled: a hand-in's program from a copy in `temporary`; each
// compiled page's runs, one per test, added to `runs`. False, with the error printed, when a copy
// cannot be written.
bool compileSolutions(ClassCheck& c, const std::string& temporary, const StartUp& start, std::vector<std::string>& pages,
                      std::vector<output::ClassRun>& runs) {
    c.solutionAt.assign(c.grid.pupils.size(), std::vector<std::size_t>(c.checked.size(), tasks::ClassGrid::none));
    for (std::size_t p = 0; p < c.grid.pupils.size(); ++p)
        for (std::size_t t = 0; t < c.checked.size(); ++t) {
            const std::size_t i = c.grid.counting[p][t];
            if (i == tasks::ClassGrid::none) continue;
            Solution s;
            s.submission = i;
            s.file = c.files[i];
            s.source = c.sources[i];
            if (c.submissions[i].timed) {
                s.compilePath = temporary + c.sep + std::to_string(c.solutions.size()) + ".лумс";
                if (!platform::writeFileAtomically(s.compilePath, s.source)) {
                    platform::removeFolderTree(temporary);
                    printLine("Ошибка: не удалось записать программу во временную папку " + temporary);
                    return false;
                }
            } else {
                s.compilePath = c.folder + c.sep + c.files[i];
            }
            output::CompileOptions options;
            options.task = &c.checked[t];
            s.report = output::compileFile(s.compilePath, options, start.context());
            if (s.report.status == output::CompileStatus::Written) {
                s.page = std::move(s.report.output);
                for (std::size_t k = 0; k < c.checked[t].tests.size(); ++k) runs.push_back({pages.size(), t, k});
                pages.push_back(s.page);
            }
            s.runs.resize(c.checked[t].tests.size());
            c.solutionAt[p][t] = c.solutions.size();
            c.solutions.push_back(std::move(s));
        }
    return true;
}

// Every compiled solution run on its task's tests in one browser; false, with the error printed,
// when the browser run fails.
bool runSolutions(ClassCheck& c, const std::string& browser, const std::string& temporary, const std::vector<std::string>& pages,
                  const std::vector<output::ClassRun>& runs, bool trace) {
    double longest = 0;
    for (const tasks::Task& t : c.checked) longest = std::max(longest, t.seconds);
    std::vector<CheckRun> results(runs.size());
    const std::string failure = runCheckingPage(
        browser, [&](const std::string& mark) { return output::buildClassCheckPage(c.checked, pages, runs, mark); }, longest, results,
        trace);
    platform::removeFolderTree(temporary);
    if (!failure.empty()) {
        printLine("Ошибка: " + failure);
        return false;
    }
    std::size_t next = 0;
    for (Solution& s : c.solutions)
        if (!s.page.empty())
            for (CheckRun& run : s.runs) run = std::move(results[next++]);
    return true;
}

// One pupil's cell of one task: handed in or not, the tests passed, the mark; the solution's
// findings added to the task's.
void scoreCell(ClassCheck& c, std::size_t p, std::size_t t,
               std::vector<std::pair<std::string, std::vector<tasks::Finding>>>& findings) {
    const tasks::Task& task = c.checked[t];
    const bool wordRules = !task.mustUse.empty() || !task.mustNotUse.empty();
    output::ClassCell& cell = c.report.cells[p][t];
    cell.total = task.tests.size() + (wordRules ? 1 : 0);
    const std::size_t at = c.solutionAt[p][t];
    if (at == tasks::ClassGrid::none) return;
    const Solution& s = c.solutions[at];
    cell.handedIn = true;
    cell.file = s.file;
    cell.handIns = 1 + c.grid.earlier[p][t].size();
    cell.time = c.times[s.submission];
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
    cell.mark = tasks::markFor(cell.passed, cell.total, c.report.settings);
    findings.push_back({c.grid.pupils[p], findingsOf(s, task, verdicts)});
}

// The cells, the marks, and each task's findings.
void scoreClass(ClassCheck& c) {
    output::ClassReport& report = c.report;
    report.pupils = c.grid.pupils;
    report.listed = c.grid.listed;
    report.cells.assign(c.grid.pupils.size(), std::vector<output::ClassCell>(c.checked.size()));
    std::vector<std::vector<std::pair<std::string, std::vector<tasks::Finding>>>> findings(c.checked.size());
    for (std::size_t t = 0; t < c.checked.size(); ++t) report.tasks.push_back({c.checked[t].title, c.stems[t], {}});
    for (std::size_t p = 0; p < c.grid.pupils.size(); ++p) {
        std::size_t passedAll = 0, totalAll = 0;
        for (std::size_t t = 0; t < c.checked.size(); ++t) {
            scoreCell(c, p, t, findings[t]);
            totalAll += report.cells[p][t].total;
            passedAll += report.cells[p][t].passed;
        }
        report.marks.push_back(tasks::markFor(passedAll, totalAll, report.settings));
    }
    for (std::size_t t = 0; t < c.checked.size(); ++t) report.tasks[t].mistakes = tasks::commonFindings(findings[t], 5);
    for (std::size_t p = 0; p < c.grid.pupils.size(); ++p)
        for (std::size_t t = 0; t < c.checked.size(); ++t)
            for (const std::size_t e : c.grid.earlier[p][t])
                report.problems.push_back({c.files[e], "сдано раньше, чем «" + report.cells[p][t].file + "»: считается более новая сдача"});
}

// Possible copies, per task.
void findCopies(ClassCheck& c, const StartUp& start) {
    const rules::Vocabulary& vocabulary = start.loaded.vocabulary;
    std::vector<std::string> words = rules::vocabularyWords(vocabulary);
    words.insert(words.end(), vocabulary.libraryNames.begin(), vocabulary.libraryNames.end());
    const std::set<std::string> keywords = tasks::keywordSet(words);
    for (std::size_t t = 0; t < c.checked.size(); ++t) {
        std::vector<std::string> forms;
        std::vector<std::size_t> tokens, owners;
        for (std::size_t p = 0; p < c.grid.pupils.size(); ++p) {
            if (c.solutionAt[p][t] == tasks::ClassGrid::none) continue;
            std::size_t count = 0;
            forms.push_back(tasks::copyForm(base::decodeBytes(c.solutions[c.solutionAt[p][t]].source), keywords, count));
            tokens.push_back(count);
            owners.push_back(p);
        }
        for (const std::vector<std::size_t>& group : tasks::copyGroups(forms, tokens)) {
            output::CopyGroup g;
            g.task = t;
            for (const std::size_t i : group) g.pupils.push_back(c.grid.pupils[owners[i]]);
            g.first = c.solutions[c.solutionAt[owners[group[0]]][t]].source;
            g.second = c.solutions[c.solutionAt[owners[group[1]]][t]].source;
            c.report.copies.push_back(std::move(g));
        }
    }
}

// The terminal's table, then what else there is to know.
void printClass(const ClassCheck& c) {
    const output::ClassReport& report = c.report;
    printLine("Класс: учеников " + std::to_string(report.pupils.size()) + ", задач " + std::to_string(c.checked.size()));
    const std::vector<std::vector<std::string>> table = output::classTable(report);
    std::vector<std::size_t> widths(table[0].size(), 0);
    for (const auto& row : table)
        for (std::size_t col = 0; col < row.size(); ++col) widths[col] = std::max(widths[col], width(row[col]));
    for (const auto& row : table) {
        std::string line;
        for (std::size_t col = 0; col < row.size(); ++col)
            line += (col ? "  " : "") + row[col] + (col + 1 < row.size() ? std::string(widths[col] - width(row[col]), ' ') : "");
        printLine(line);
    }
    for (std::size_t t = 0; t < c.checked.size(); ++t) {
        std::string missing;
        for (std::size_t p = 0; p < report.pupils.size(); ++p)
            if (!report.cells[p][t].handedIn) missing += (missing.empty() ? "" : ", ") + report.pupils[p];
        printLine("«" + c.checked[t].title + "»: " + (missing.empty() ? "сдали все" : "не сдали: " + missing));
        for (const tasks::CommonFinding& f : report.tasks[t].mistakes)
            printLine("  " + std::to_string(f.count) + " — " + f.text + " (например, " + f.example + ")");
    }
    for (const output::CopyGroup& g : report.copies) {
        std::string who;
        for (const std::string& p : g.pupils) who += (who.empty() ? "" : ", ") + p;
        printLine("Возможно списано («" + c.checked[g.task].title + "»): " + who);
    }
    for (const output::FileProblem& f : report.problems) printLine("Не проверен: " + f.file + ": " + f.what);
}

}  // namespace

int runClassMode(const std::string& folder, const std::vector<std::string>& taskArguments, const std::string& browserPath,
                 const StartUp& start) {
    if (platform::pathKind(folder) != platform::PathKind::Folder) {
        printLine("Ошибка: нет такой папки класса: " + folder);
        return 1;
    }
    ClassCheck c;
    c.folder = folder;
    c.sep = std::string(1, platform::separator());
    c.report.folder = folder;
    if (!readClassTasks(c, taskArguments) || !readClassSettings(c)) return 1;
    readWorks(c);

    c.grid = tasks::arrangeClass(c.submissions, c.checked.size(), c.report.settings.pupils);
    if (c.grid.pupils.empty()) {
        printLine("Ошибка: в папке класса нет ни одной работы (файлов «Сдать» .сдача или «ученик - задача.лумс»): " + folder);
        for (const output::FileProblem& f : c.report.problems) printLine(f.file + ": " + f.what);
        return 1;
    }
    const std::string browser = checkingBrowser(browserPath);
    if (browser.empty()) return 1;
    const std::string temporary = platform::makeTemporaryFolder();
    if (temporary.empty()) {
        printLine("Ошибка: не удалось создать временную папку для проверки");
        return 1;
    }
    std::vector<std::string> pages;
    std::vector<output::ClassRun> runs;
    if (!compileSolutions(c, temporary, start, pages, runs) || !runSolutions(c, browser, temporary, pages, runs, start.trace)) return 1;

    scoreClass(c);
    findCopies(c, start);
    printClass(c);
    const std::string pagePath = folder + c.sep + "класс.html";
    if (!platform::writeFileAtomically(pagePath, output::buildClassPage(c.report))) {
        printLine("Ошибка: не могу записать " + pagePath);
        return 1;
    }
    printLine("Таблица класса: " + pagePath);
    return 0;
}

}  // namespace frontend
