// The learner's task page and the teacher's checking page, with their data as JSON.
// Tests: tests/browser/task_page_test.mjs, tests/browser/task_check_test.cpp.
#include "output/task_page.h"

#include <cstdio>

#include "base/json_text.h"
#include "embedded/runtimeCheckPage.h"
#include "embedded/runtimeTaskPage.h"
#include "embedded/runtimeTaskRun.h"
#include "output/page.h"
#include "platform/files.h"
#include "tasks/compare.h"

namespace output {

namespace {

std::string number(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

std::string stringArray(const std::vector<std::string>& items) {
    std::string json = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) json += ',';
        base::appendJsonString(json, items[i]);
    }
    return json + "]";
}

std::string limitMs(const tasks::Task& task) { return std::to_string(static_cast<long long>(task.seconds * 1000 + 0.5)); }

// What a test asks of the executors: ",\"поле\":{…}", ",\"фигура\":[…]" and ",\"безВывода\":true" when
// it expects no output; "" for a test of output only.
std::string executorJson(const tasks::Test& test) {
    std::string json;
    if (test.hasField) json += ",\"поле\":" + tasks::fieldJson(test.field);
    if (test.hasFigure) {
        json += ",\"фигура\":[";
        for (std::size_t i = 0; i < test.figure.size(); ++i) json += (i ? "," : "") + number(test.figure[i]);
        json += "]";
    }
    if ((test.hasField || test.hasFigure) && test.expected.empty()) json += ",\"безВывода\":true";
    return json;
}

std::string taskJson(const tasks::Task& task, const std::string& programPage, const std::string& wordRule) {
    const tasks::Comparison& how = task.comparison;
    std::string json = "{\"название\":" + base::jsonLiteral(task.title) + ",\"предел\":" + limitMs(task) +
                       ",\"секунды\":" + base::jsonLiteral(tasks::secondsText(task.seconds)) +
                       ",\"как\":{\"регистр\":" + (how.ignoreCase ? "true" : "false") +
                       ",\"порядок\":" + (how.anyOrder ? "true" : "false") + ",\"точность\":" + number(how.tolerance) +
                       "},\"соль\":" + base::jsonLiteral(task.salt) + ",\"слова\":" + base::jsonLiteral(wordRule) +
                       ",\"тесты\":[";
    for (std::size_t i = 0; i < task.tests.size(); ++i) {
        const tasks::Test& test = task.tests[i];
        json += i ? ",{" : "{";
        json += "\"ответы\":" + stringArray(test.answers) + ",\"скрытый\":" + (test.hidden ? "true" : "false");
        json += executorJson(test);
        if (test.hidden) {
            const tasks::HiddenExpectation hidden = tasks::hiddenExpectation(test.expected, how, task.salt);
            json += ",\"отпечаток\":\"" + hidden.digest + "\",\"смещения\":[";
            for (std::size_t k = 0; k < hidden.offsets.size(); ++k) json += (k ? "," : "") + number(hidden.offsets[k]);
            json += "]";
        } else {
            json += ",\"ожидалось\":" + stringArray(test.expected);
        }
        json += "}";
    }
    json += "],\"страница\":";
    base::appendJsonString(json, programPage);
    return json + "}";
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
    std::vector<std::vector<std::string>> answers;
    std::string json = "{\"метка\":" + base::jsonLiteral(mark) + ",\"предел\":" + limitMs(task) + ",\"ответы\":[";
    for (std::size_t i = 0; i < task.tests.size(); ++i) json += (i ? "," : "") + stringArray(task.tests[i].answers);
    json += "],\"исполнители\":[";
    for (std::size_t i = 0; i < task.tests.size(); ++i) {
        const std::string asked = executorJson(task.tests[i]);  // ",…" or ""
        json += (i ? ",{" : "{") + (asked.empty() ? asked : asked.substr(1)) + "}";
    }
    json += "],\"решения\":" + stringArray(programPages) + "}";
    std::string page = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>Проверка: " +
                       escapeHtml(task.title) + "</title>\n</head>\n<body>\n<div id=\"runs\"></div>\n";
    page += "<script>\nwindow.__LUM_ПРОВЕРКА__ = " + json + ";\n</script>\n<script>\n";
    page += runtimeTaskRun;
    page += runtimeCheckPage;
    page += "</script>\n</body>\n</html>\n";
    return page;
}

}  // namespace output
