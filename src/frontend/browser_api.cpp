// The program's entry in the browser: the C API that the playground's worker calls. Rules, source
// and libraries arrive as bytes and become files of the in-memory file system, so the rules load
// and the source compiles through the very code the command line runs. What a call found comes
// back as JSON data (a report), never as printed lines to be read again. The editor's language
// services (problems with their ranges, hovers, completions) answer from the same core.
// Tests: tests/playground/playground_test.mjs.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/paths.h"
#include "base/warnings.h"
#include "base/json.h"
#include "editor/vocabulary_json.h"
#include "frontend/field_edit.h"
#include "frontend/frontend.h"
#include "frontend/report.h"
#include "output/compile.h"
#include "output/task_page.h"
#include "platform/files.h"
#include "platform/home.h"
#include "platform/platform.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"
#include "services/answers.h"
#include "services/problems.h"
#include "tasks/task.h"

namespace frontend {
namespace {

// What one call hands back stays here until the next call of the same kind; the worker copies it
// out at once. The module has one caller, the worker's one thread.
struct Session {
    // The rules loaded, as start-up would load them (the built-in other languages' words), made
    // again at each load that gives a table.
    rules::LoadedRules loaded = rules::loadedRules({});
    std::string output;
    std::string report;       // JSON of the last compile
    std::string rulesReport;  // JSON of the last rules load
    std::string vocabulary;
    // The program in the editor, for the language services, and the table they read it with
    // (made again after each rules load).
    std::shared_ptr<const services::Language> language;
    std::string programBytes;
    services::Text program;
    std::vector<services::ProgramName> names;
    std::string answer;  // JSON of the last language call
    std::optional<tasks::Task> task;  // the task file opened, for compiles that ask for its page
    std::string taskReport;           // JSON of the last task load
    std::string fieldAnswer;          // JSON or text of the last field editor call
};

Session& session() {
    static Session s = [] {
        // The working folder is the home folder: libraries go to its "библиотеки" folder, where
        // a program's own folder is searched first, and the paths printed stay short.
        const std::string home = platform::homeFolder();
        platform::makeFolder(home);
        platform::setCurrentFolder(home);
        return Session{};
    }();
    return s;
}

bool writeBytes(const std::string& path, const char* bytes, std::size_t size) {
    return platform::writeFileAtomically(path, std::string(bytes, size));
}

// A plain file name of the working folder: no separator, not "." or "..".
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

// A compile refused before it began, in the same shape.
std::string refusedJson(const std::string& outcome) {
    return base::printJson(base::jsonObject({{"status", base::jsonString("refused")}, {"outputName", base::jsonString("")},
                                 {"js", base::jsonBool(false)}, {"encoding", base::jsonString("")}, {"rules", base::jsonNumber(0)},
                                 {"warnings", base::jsonArray({})}, {"warningLines", base::jsonArray({})},
                                 {"hints", base::jsonArray({})}, {"notes", base::jsonArray({})},
                                 {"outcome", base::jsonString(outcome)}}));
}

const services::Language& languageOf(Session& s) {
    if (!s.language) s.language = std::make_shared<const services::Language>(services::makeLanguage(s.loaded));
    return *s.language;
}

// {"line", "character"} with the character in UTF-16 units, as the editor counts.
base::Json placeJson(const services::Text& text, services::Place p) {
    return base::jsonObject({{"line", base::jsonNumber(static_cast<long>(p.line))},
                               {"character", base::jsonNumber(static_cast<long>(services::utf16Column(text, p)))}});
}

base::Json rangeJson(const services::Text& text, const services::Range& r) {
    return base::jsonObject({{"from", placeJson(text, r.from)}, {"to", placeJson(text, r.to)}});
}

}  // namespace

extern "C" {

// Loads the rules text as the rules file keywords.csv, as start-up loads it. Returns the number of
// rules in the table afterwards: a text without rules leaves the previous table. What the load
// said is in lum_rules_report().
int lum_load_rules(const char* bytes, std::size_t size) {
    Session& s = session();
    const std::string path = "keywords.csv";
    RulesLoad load;
    std::vector<rules::Rule> table;
    if (!writeBytes(path, bytes, size))
        load.lines.push_back("Ошибка: не могу записать файл: " + path);
    else
        load = loadRulesFile(path, table);
    if (load.loaded) s.loaded = rules::loadedRules(std::move(table), std::move(s.loaded.otherWords));
    s.rulesReport = base::printJson(base::jsonObject({{"loaded", base::jsonBool(load.loaded)},
                                          {"rules", base::jsonNumber(static_cast<long>(s.loaded.table.size()))},
                                          {"warnings", warningTexts(load.warnings)},
                                          {"warningLines", warningLines(load.warnings)},
                                          {"lines", base::jsonStrings(load.lines)}}));
    s.vocabulary.clear();
    s.language.reset();
    s.programBytes.clear();
    s.program = services::makeText("");
    return static_cast<int>(s.loaded.table.size());
}

// JSON of the last rules load: {"loaded", "rules", "warnings": [texts], "warningLines": [line or 0],
// "lines": [as start-up prints them]}.
const char* lum_rules_report() { return session().rulesReport.c_str(); }

// Puts a file (a library) at `path`, relative to the working folder, making its folder: 1 when
// written. Only "name" and "folder/name" are taken.
int lum_put_file(const char* path, const char* bytes, std::size_t size) {
    session();
    const std::string p = path;
    const std::size_t cut = p.find('/');
    const std::string folder = cut == std::string::npos ? std::string() : p.substr(0, cut);
    const std::string name = cut == std::string::npos ? p : p.substr(cut + 1);
    if (!isPlainName(name) || (cut != std::string::npos && !isPlainName(folder))) return 0;
    if (!folder.empty()) platform::makeFolder(folder);
    return writeBytes(p, bytes, size) ? 1 : 0;
}

// Compiles the source bytes as the file `name` of the working folder, as `lum name` would, with
// -js when bit 0 of `flags` is set and -map when bit 1 is; 1 when a page or script was made. The
// source and the output are removed again, so nothing piles up in memory between compiles. The
// report is in lum_report().
int lum_compile(const char* name, const char* bytes, std::size_t size, int flags) {
    Session& s = session();
    s.output.clear();
    const std::string source = name;
    if (!isPlainName(source)) {
        s.report = refusedJson("Ошибка: имя файла не годится: " + source);
        return 0;
    }
    if (!writeBytes(source, bytes, size)) {
        s.report = refusedJson("Ошибка: не могу записать файл: " + source);
        return 0;
    }
    output::CompileOptions options;
    options.js = (flags & 1) != 0;
    options.sourceMap = (flags & 2) != 0;
    const output::CompileContext context{s.loaded};
    // Bit 2: the task page of the task opened (lum_load_task) instead of the ordinary page.
    const bool withTask = (flags & 4) != 0 && !options.js && s.task;
    const output::CompileReport report =
        withTask ? output::compileTaskPage(source, *s.task, context) : output::compileFile(source, options, context);
    int made = 0;
    std::string outputName;
    if (report.status == output::CompileStatus::Written && platform::readWholeFile(report.outputPath, s.output)) {
        outputName = base::fileNameOf(report.outputPath);
        made = 1;
    }
    if (report.status == output::CompileStatus::Written) platform::removeFile(report.outputPath);
    platform::removeFile(source);
    s.report = reportJson(report, outputName);
    return made;
}

const char* lum_output() { return session().output.data(); }
std::size_t lum_output_size() { return session().output.size(); }

// JSON of the last compile (see reportJson).
const char* lum_report() { return session().report.c_str(); }

// Reads the bytes of the task file `name` and keeps the task for compiles with bit 2 of their
// flags; 1 when it was read. lum_task_report() says what came of it: {"ok", "title", "outcome":
// the error line, naming the file}. A task that does not read leaves no task opened.
int lum_load_task(const char* name, const char* bytes, std::size_t size) {
    Session& s = session();
    tasks::TaskRead read = tasks::parseTask(std::string(bytes, size));
    if (read.ok) s.task = std::move(read.task);
    else s.task.reset();
    s.taskReport = base::printJson(base::jsonObject({
        {"ok", base::jsonBool(read.ok)},
        {"title", base::jsonString(read.ok ? s.task->title : std::string())},
        {"outcome", base::jsonString(read.ok ? std::string() : tasks::taskErrorLine(name, read))}}));
    return read.ok ? 1 : 0;
}
const char* lum_task_report() { return session().taskReport.c_str(); }

// The vocabulary of the rules loaded, as JSON (see vocabularyJson).
const char* lum_vocabulary() {
    Session& s = session();
    if (s.vocabulary.empty()) s.vocabulary = editor::vocabularyJson(s.loaded.vocabulary, s.loaded.table);
    return s.vocabulary.c_str();
}

// The program the language calls below read: the editor's text, kept until the next call.
void lum_edit(const char* bytes, std::size_t size) {
    Session& s = session();
    std::string text(bytes, size);
    if (text == s.programBytes && !s.program.lineStarts.empty()) return;
    s.programBytes = std::move(text);
    s.program = services::makeText(s.programBytes);
    s.names = services::programNames(s.program, languageOf(s));
}

// [{"range", "severity" (1 error … 4 hint), "code", "message", "fix": {"range", "text", "title"}?}]
// for the program of lum_edit, as a compile finds them.
const char* lum_problems() {
    Session& s = session();
    std::vector<base::Json> list;
    for (const services::Problem& p : services::analyse(s.program, ".", languageOf(s)).problems) {
        base::Json item = base::jsonObject({{"range", rangeJson(s.program, p.range)},
                                                {"severity", base::jsonNumber(static_cast<long>(p.severity))},
                                                {"code", base::jsonString(p.code)},
                                                {"message", base::jsonString(p.message)}});
        if (p.hasFix)
            item.members.push_back({"fix", base::jsonObject({{"range", rangeJson(s.program, p.fixRange)},
                                                               {"text", base::jsonString(p.fix)},
                                                               {"title", base::jsonString(p.fixTitle)}})});
        list.push_back(std::move(item));
    }
    s.answer = base::printJson(base::jsonArray(std::move(list)));
    return s.answer.c_str();
}

// {"range", "markdown"} of the word at a line (from 0) and UTF-16 column, or null.
const char* lum_hover(int line, int character) {
    Session& s = session();
    const auto hover = services::hoverAt(s.program, services::placeOfUtf16(s.program, static_cast<std::uint32_t>(line < 0 ? 0 : line),
                                                                           static_cast<std::uint64_t>(character < 0 ? 0 : character)),
                                         languageOf(s), s.names);
    s.answer = hover ? base::printJson(base::jsonObject({{"range", rangeJson(s.program, hover->range)},
                                                             {"markdown", base::jsonString(hover->markdown)}}))
                     : "null";
    return s.answer.c_str();
}

// {"range": the word being typed, "items": [{"label", "kind", "detail", "documentation", "insert", "snippet"}]}.
const char* lum_complete(int line, int character) {
    Session& s = session();
    const services::Place at = services::placeOfUtf16(s.program, static_cast<std::uint32_t>(line < 0 ? 0 : line),
                                                      static_cast<std::uint64_t>(character < 0 ? 0 : character));
    // CodeMirror's completion types, by services::CompletionKind.
    static const char* const kinds[] = {"keyword", "function", "method", "constant", "text", "variable", "constant",
                                        "variable", "class"};
    std::vector<base::Json> items;
    for (const services::Completion& c : services::completionsAt(s.program, at, languageOf(s), s.names))
        items.push_back(base::jsonObject({{"label", base::jsonString(c.label)},
                                            {"kind", base::jsonString(kinds[static_cast<int>(c.kind)])},
                                            {"detail", base::jsonString(c.detail)},
                                            {"documentation", base::jsonString(c.documentation)},
                                            {"insert", base::jsonString(c.insertText)},
                                            {"snippet", base::jsonBool(c.snippet)}}));
    services::Range word = services::wordAt(s.program, at);
    word.to = at;
    s.answer = base::printJson(base::jsonObject({{"range", rangeJson(s.program, word)}, {"items", base::jsonArray(std::move(items))}}));
    return s.answer.c_str();
}

// The field editor (frontend/field_edit.h): the bytes of a ".поле" file as the editor's JSON.
const char* lum_field_read(const char* bytes, std::size_t size) {
    Session& s = session();
    s.fieldAnswer = fieldEditJson(std::string(bytes, size));
    return s.fieldAnswer.c_str();
}

// The editor's field as the file's text: `cells` one hexadecimal digit a cell, `notes` one a
// line, finishColumn -1 for no finish; "" when that is no field.
const char* lum_field_write(int width, int height, int robotColumn, int robotRow, int finishColumn, int finishRow,
                            const char* cells, const char* notes) {
    Session& s = session();
    s.fieldAnswer = fieldEditText({width, height, robotColumn, robotRow, finishColumn, finishRow, cells, notes});
    return s.fieldAnswer.c_str();
}

}  // extern "C"

}  // namespace frontend
