// The class table, класс.html and the class checking page.
// Tests: tests/output/class_page_test.cpp, tests/browser/class_test.mjs.
#include "output/class_page.h"

#include "base/json.h"
#include "base/paths.h"
#include "embedded/runtimeClassCheck.h"
#include "embedded/runtimeTaskRun.h"
#include "output/page.h"

namespace output {

namespace {

// Every character that could end a text or an attribute written as an entity.
std::string escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

// "16:30" and "09.12" of a hand-in time; "" for none.
std::string clock(const std::string& time) { return time.size() >= 16 ? time.substr(11, 5) : ""; }
std::string day(const std::string& time) { return time.size() >= 10 ? time.substr(8, 2) + "." + time.substr(5, 2) : ""; }

const char* markClass(int mark) {
    switch (mark) {
        case 5: return "m5";
        case 4: return "m4";
        case 3: return "m3";
        case 2: return "m2";
    }
    return "m0";
}

constexpr const char* style =
    "@page{size:A4;margin:10mm}"
    "body{font-family:Verdana,sans-serif;margin:12px;color:#222;font-size:13px}"
    "h1{font-size:20px;margin:0 0 4px}h2{font-size:15px;margin:14px 0 4px}h3{font-size:13px;margin:8px 0 2px}"
    "p{margin:2px 0}ul{margin:2px 0;padding-left:18px}"
    "#grid{border-collapse:collapse}#grid td,#grid th{border:1px solid #999;padding:2px 6px;text-align:center}"
    "#grid th{background:#eee;font-weight:normal}#grid td.who{text-align:left;white-space:nowrap}"
    ".m5{background:#8fd19e}.m4{background:#d4edbc}.m3{background:#ffe89a}.m2{background:#f5a3a3}.m0{background:#e4e4e4;color:#777}"
    ".when{font-size:10px;color:#444}.twice{font-size:10px}.extra{font-style:italic}"
    ".bars{display:grid;grid-template-columns:12em 1fr;gap:3px 8px;align-items:center;max-width:46em}"
    ".bar{display:flex;height:16px;border:1px solid #999}.bar span{display:block;height:100%;font-size:10px;text-align:center;"
    "line-height:16px;overflow:hidden}"
    ".legend span{display:inline-block;padding:0 6px;margin-right:4px;border:1px solid #999}"
    ".pair{display:flex;gap:8px}.pair pre{flex:1;border:1px solid #ccc;background:#fafafa;padding:4px;margin:2px 0;"
    "white-space:pre-wrap;font-size:12px;max-height:24em;overflow:auto}"
    ".columns{columns:2;column-gap:16px}.columns>div{break-inside:avoid}"
    "*{-webkit-print-color-adjust:exact;print-color-adjust:exact}"
    "@media print{body{margin:0;font-size:11px}.screen{display:none}#grid td,#grid th{padding:1px 4px}h2{margin-top:8px}}";

}  // namespace

std::string cellText(const ClassCell& cell) {
    if (!cell.handedIn) return "не сдано";
    std::string text = std::to_string(cell.passed) + "/" + std::to_string(cell.total) + " " + std::to_string(cell.mark);
    if (!cell.time.empty()) text += " " + clock(cell.time);
    if (cell.handIns > 1) text += " ×" + std::to_string(cell.handIns);
    return text;
}

std::vector<std::vector<std::string>> classTable(const ClassReport& report) {
    std::vector<std::vector<std::string>> table;
    std::vector<std::string> header = {"Ученик"};
    for (const ClassTask& t : report.tasks) header.push_back(t.title);
    header.push_back("Оценка");
    table.push_back(header);
    for (std::size_t p = 0; p < report.pupils.size(); ++p) {
        std::vector<std::string> row = {report.pupils[p]};
        for (const ClassCell& cell : report.cells[p]) row.push_back(cellText(cell));
        row.push_back(std::to_string(report.marks[p]));
        table.push_back(row);
    }
    return table;
}

std::string buildClassPage(const ClassReport& r) {
    const tasks::ClassSettings& s = r.settings;
    std::string name = r.folder;
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) name.pop_back();
    name = base::fileNameOf(name);
    const std::string title = name.empty() || name == "." || name == ".." ? "Класс" : "Класс: " + escaped(name);
    std::string page = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
                       "</title>\n<style>" + style + "</style>\n</head>\n<body>\n";
    page += "<h1>" + title + "</h1>\n<p>Учеников: " + std::to_string(r.pupils.size()) + ", задач: " +
            std::to_string(r.tasks.size()) + ". Оценка — по доле пройденных проверок: 5 — от " + std::to_string(s.five) +
            "%, 4 — от " + std::to_string(s.four) + "%, 3 — от " + std::to_string(s.three) + "%.</p>\n";

    // The grid.
    page += "<table id=\"grid\">\n<tr><th>Ученик</th>";
    for (const ClassTask& t : r.tasks) page += "<th>" + escaped(t.title) + "</th>";
    page += "<th>Оценка</th></tr>\n";
    for (std::size_t p = 0; p < r.pupils.size(); ++p) {
        page += "<tr><td class=\"who" + std::string(r.listed[p] || s.pupils.empty() ? "" : " extra") + "\">" + escaped(r.pupils[p]) + "</td>";
        for (const ClassCell& c : r.cells[p]) {
            page += std::string("<td class=\"") + markClass(c.handedIn ? c.mark : 0) + "\">";
            if (!c.handedIn) page += "—";
            else {
                page += "<b>" + std::to_string(c.passed) + "/" + std::to_string(c.total) + "</b> " + std::to_string(c.mark);
                if (!c.time.empty()) page += " <span class=\"when\">" + escaped(day(c.time) + " " + clock(c.time)) + "</span>";
                if (c.handIns > 1) page += " <span class=\"twice\">×" + std::to_string(c.handIns) + "</span>";
            }
            page += "</td>";
        }
        page += std::string("<td class=\"") + markClass(r.marks[p]) + "\"><b>" + std::to_string(r.marks[p]) + "</b></td></tr>\n";
    }
    page += "</table>\n";
    bool extra = false;
    for (const bool listed : r.listed) extra = extra || !listed;
    if (extra && !s.pupils.empty()) page += "<p class=\"extra\">Курсивом — ученики, которых нет в списке класса (" + std::string(tasks::settingsName) + ").</p>\n";

    // A bar per task: how many got each mark, and how many have not handed in.
    page += "<h2>Задачи</h2>\n<p class=\"legend\"><span class=\"m5\">5</span><span class=\"m4\">4</span><span class=\"m3\">3</span>"
            "<span class=\"m2\">2</span><span class=\"m0\">не сдали</span></p>\n<div class=\"bars\">\n";
    for (std::size_t t = 0; t < r.tasks.size(); ++t) {
        std::size_t counts[6] = {0, 0, 0, 0, 0, 0};
        for (std::size_t p = 0; p < r.pupils.size(); ++p) ++counts[r.cells[p][t].handedIn ? r.cells[p][t].mark : 0];
        page += "<div>" + escaped(r.tasks[t].title) + "</div><div class=\"bar\">";
        for (const int m : {5, 4, 3, 2, 0}) {
            if (!counts[m] || r.pupils.empty()) continue;
            const double share = 100.0 * static_cast<double>(counts[m]) / static_cast<double>(r.pupils.size());
            page += std::string("<span class=\"") + markClass(m) + "\" style=\"width:" + std::to_string(share) + "%\">" +
                    std::to_string(counts[m]) + "</span>";
        }
        page += "</div>\n";
    }
    page += "</div>\n";

    // Per task: the common mistakes and who has not handed in.
    page += "<div class=\"columns\">\n";
    for (std::size_t t = 0; t < r.tasks.size(); ++t) {
        page += "<div><h3>" + escaped(r.tasks[t].title) + "</h3>\n";
        bool any = false;
        for (std::size_t p = 0; p < r.pupils.size(); ++p) any = any || r.cells[p][t].handedIn;
        if (!any) page += "<p>Работ нет.</p>\n";
        else if (r.tasks[t].mistakes.empty()) page += "<p>Ошибок нет: все сдавшие решили задачу.</p>\n";
        else {
            page += "<ul>\n";
            for (const tasks::CommonFinding& f : r.tasks[t].mistakes)
                page += "<li><b>" + std::to_string(f.count) + "</b> — " + escaped(f.text) + " <i>(например, " + escaped(f.example) + ")</i></li>\n";
            page += "</ul>\n";
        }
        std::string missing;
        for (std::size_t p = 0; p < r.pupils.size(); ++p)
            if (!r.cells[p][t].handedIn) missing += (missing.empty() ? "" : ", ") + escaped(r.pupils[p]);
        page += "<p>Не сдали: " + (missing.empty() ? std::string("все сдали") : missing) + "</p></div>\n";
    }
    page += "</div>\n";

    // Possible copies: who, and on screen the two programs side by side.
    page += "<h2>Возможные списывания</h2>\n";
    if (r.copies.empty()) page += "<p>Одинаковых решений нет.</p>\n";
    for (const CopyGroup& g : r.copies) {
        std::string who;
        for (const std::string& p : g.pupils) who += (who.empty() ? "" : ", ") + escaped(p);
        page += "<p><b>" + escaped(r.tasks[g.task].title) + "</b>: " + who + " — одна и та же программа (с точностью до имён, "
                "пробелов, комментариев и порядка независимых строк)</p>\n";
        page += "<div class=\"pair screen\"><pre>" + escaped(g.first) + "</pre><pre>" + escaped(g.second) + "</pre></div>\n";
    }
    if (!r.problems.empty()) {
        page += "<h2>Файлы, которые не проверены</h2>\n<ul>\n";
        for (const FileProblem& f : r.problems) page += "<li>" + escaped(f.file) + ": " + escaped(f.what) + "</li>\n";
        page += "</ul>\n";
    }
    return page + "</body>\n</html>\n";
}

std::string buildClassCheckPage(const std::vector<tasks::Task>& checked, const std::vector<std::string>& programPages,
                                const std::vector<ClassRun>& runs, const std::string& mark) {
    std::vector<base::Json> tasksJson, runsJson;
    for (const tasks::Task& task : checked) {
        std::vector<base::Json> answers;
        for (const tasks::Test& test : task.tests) answers.push_back(base::jsonStrings(test.answers));
        tasksJson.push_back(base::jsonObject({{"предел", base::jsonNumber(static_cast<long long>(task.seconds * 1000 + 0.5))},
                                              {"ответы", base::jsonArray(std::move(answers))}}));
    }
    for (const ClassRun& run : runs)
        runsJson.push_back(base::jsonArray({base::jsonNumber(static_cast<long long>(run.solution)), base::jsonNumber(static_cast<long long>(run.task)),
                                            base::jsonNumber(static_cast<long long>(run.test))}));
    const std::string json = base::compactJson(base::jsonObject({{"метка", base::jsonString(mark)},
                                                                 {"задачи", base::jsonArray(std::move(tasksJson))},
                                                                 {"решения", base::jsonStrings(programPages)},
                                                                 {"запуски", base::jsonArray(std::move(runsJson))}}));
    std::string page = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>Проверка класса</title>\n"
                       "</head>\n<body>\n<div id=\"runs\"></div>\n";
    page += "<script>\nwindow.__LUM_КЛАСС__ = " + json + ";\n</script>\n<script>\n";
    page += runtimeTaskRun;
    page += runtimeClassCheck;
    page += "</script>\n</body>\n</html>\n";
    return page;
}

}  // namespace output
