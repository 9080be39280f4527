// The learner's task page and the teacher's checking page, with their data as JSON.
// Tests: tests/browser/task_page_test.mjs, tests/browser/task_check_test.cpp.
#include "output/task_page.h"

#include <cstdio>

#include "base/json.h"
#include "embedded/runtimeCheckPage.h"
#include "embedded/runtimeTaskPage.h"
#include "embedded/runtimeTaskRun.h"
#include "output/page.h"
#include "platform/files.h"
#include "tasks/compare.h"

namespace output {

namespace {

base::Json reals(const std::vector<double>& values) {
    std::vector<base::Json> items;
    for (const double v : values) items.push_back(base::jsonReal(v));
    return base::jsonArray(std::move(items));
}

base::Json limitMs(const tasks::Task& task) { return base::jsonNumber(static_cast<long long>(task.seconds * 1000 + 0.5)); }

// What a test asks of the executors: "поле", "фигура" and "безВывода" (true) when it expects no
// output; none for a test of output only.
std::vector<base::JsonMember> executorMembers(const tasks::Test& test) {
    std::vector<base::JsonMember> members;
    if (test.hasField) members.push_back({"поле", tasks::fieldJson(test.field)});
    if (test.hasFigure) members.push_back({"фигура", reals(test.figure)});
    if ((test.hasField || test.hasFigure) && test.expected.empty()) members.push_back({"безВывода", base::jsonBool(true)});
    return members;
}

std::string taskJson(const tasks::Task& task, const std::string& programPage, const std::string& wordRule) {
    const tasks::Comparison& how = task.comparison;
    std::vector<base::Json> tests;
    for (const tasks::Test& test : task.tests) {
        std::vector<base::JsonMember> members = {{"ответы", base::jsonStrings(test.answers)}, {"скрытый", base::jsonBool(test.hidden)}};
        for (base::JsonMember& m : executorMembers(test)) members.push_back(std::move(m));
        if (test.hidden) {
            const tasks::HiddenExpectation hidden = tasks::hiddenExpectation(test.expected, how, task.salt);
            members.push_back({"отпечаток", base::jsonString(hidden.digest)});
            members.push_back({"смещения", reals(hidden.offsets)});
        } else {
            members.push_back({"ожидалось", base::jsonStrings(test.expected)});
        }
        tests.push_back(base::jsonObject(std::move(members)));
    }
    return base::compactJson(base::jsonObject({
        {"название", base::jsonString(task.title)},
        {"предел", limitMs(task)},
        {"секунды", base::jsonString(tasks::secondsText(task.seconds))},
        {"как", base::jsonObject({{"регистр", base::jsonBool(how.ignoreCase)},
                                  {"порядок", base::jsonBool(how.anyOrder)},
                                  {"точность", base::jsonReal(how.tolerance)}})},
        {"соль", base::jsonString(task.salt)},
        {"слова", base::jsonString(wordRule)},
        {"тесты", base::jsonArray(std::move(tests))},
        {"страница", base::jsonString(programPage)},
    }));
}

constexpr const char* style =
    "body{font-family:Verdana,sans-serif;margin:16px;max-width:60em}"
    "#task-statement{white-space:pre-wrap;font-size:18px;margin-bottom:12px}"
    "#task-check{font-size:18px;padding:6px 18px}"
    "#task-summary{margin:10px 0;font-weight:bold}"
    "#task-table{border-collapse:collapse}#task-table td{border:1px solid #ccc;padding:4px 8px;white-space:pre-wrap;vertical-align:top}"
    ".пройден .вердикт,#task-summary.пройден{color:green}.не-пройден .вердикт,#task-summary.не-пройден{color:#b00}"
    "#task-runs{position:absolute;left:-10000px;top:0}"
    "#task-program{width:100%;height:320px;border:1px solid #ccc}"
    "#task-hand-in-row{margin:14px 0}#task-pupil{font-size:16px;width:16em}#task-hand-in{font-size:16px;padding:4px 14px}";

}  // namespace

std::string buildTaskPage(const tasks::Task& task, const std::string& programPage, const std::string& wordRule) {
    std::string page;
    page += "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    page += "<title>Задача: " + escapeHtml(task.title) + "</title>\n<style>" + style + "</style>\n</head>\n<body>\n";
    page += "<!-- Скомпилировано ЛУМ скрипт (ЛУМ2.7, lum.exe), задача -->\n";
    page += "<h1 id=\"task-title\">" + escapeHtml(task.title) + "</h1>\n";
    page += "<div id=\"task-statement\">" + escapeHtml(task.statement) + "</div>\n";
    page += "<button id=\"task-check\" type=\"button\">Проверить</button>\n";
    page += "<div id=\"task-summary\"></div>\n<table id=\"task-table\"></table>\n";
    page += "<p id=\"task-hand-in-row\"><label>Имя и фамилия: <input id=\"task-pupil\" autocomplete=\"name\" maxlength=\"80\"></label> "
            "<button id=\"task-hand-in\" type=\"button\">Сдать</button> <span id=\"task-hand-in-note\"></span></p>\n";
    page += "<h2>Ваша программа</h2>\n";
    page += "<iframe id=\"task-program\" sandbox=\"allow-scripts allow-modals\" title=\"Ваша программа\"></iframe>\n";
    page += "<div id=\"task-runs\" aria-hidden=\"true\"></div>\n";
    page += "<script>\nwindow.__LUM_ЗАДАЧА__ = " + taskJson(task, programPage, wordRule) + ";\n</script>\n";
    page += "<script>\n";
    page += runtimeTaskRun;
    page += runtimeTaskPage;
    page += "</script>\n</body>\n</html>\n";
    return page;
}

CompileReport compileTaskPage(const std::string& sourcePath, const tasks::Task& task, const CompileContext& context) {
    CompileOptions options;
    options.task = &task;
    CompileReport report = compileFile(sourcePath, options, context);
    if (report.status != CompileStatus::Written) return report;
    report.outputPath = outputPathFor(sourcePath, false);
    const std::string page = buildTaskPage(task, report.output, report.wordRule);
    report.output.clear();
    report.status = platform::writeFileAtomically(report.outputPath, page) ? CompileStatus::Written : CompileStatus::Unwritable;
    return report;
}

std::string buildCheckPage(const tasks::Task& task, const std::vector<std::string>& programPages, const std::string& mark) {
    std::vector<base::Json> answers, executors;
    for (const tasks::Test& test : task.tests) {
        answers.push_back(base::jsonStrings(test.answers));
        executors.push_back(base::jsonObject(executorMembers(test)));
    }
    const std::string json = base::compactJson(base::jsonObject({{"метка", base::jsonString(mark)},
                                                                 {"предел", limitMs(task)},
                                                                 {"ответы", base::jsonArray(std::move(answers))},
                                                                 {"исполнители", base::jsonArray(std::move(executors))},
                                                                 {"решения", base::jsonStrings(programPages)}}));
    std::string page = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>Проверка: " +
                       escapeHtml(task.title) + "</title>\n</head>\n<body>\n<div id=\"runs\"></div>\n";
    page += "<script>\nwindow.__LUM_ПРОВЕРКА__ = " + json + ";\n</script>\n<script>\n";
    page += runtimeTaskRun;
    page += runtimeCheckPage;
    page += "</script>\n</body>\n</html>\n";
    return page;
}

}  // namespace output
