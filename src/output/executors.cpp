// The executors' script for a page or a JavaScript file, and the field a directive names.
// Tests: tests/browser/executors_test.cpp.
#include "output/executors.h"

#include "base/json.h"
#include "embedded/runtimeExecutors.h"
#include "platform/platform.h"

namespace output {

namespace {

bool writes(const rules::Rule& rule, const char* name) {
    return base::encodeUtf8(rule.replacement).find(name) != std::string::npos;
}

bool hasExtension(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot > 0;
}

}  // namespace

tasks::Field defaultField() { return tasks::emptyField(7, 7); }

ExecutorChoice chooseExecutors(const std::vector<translator::ExecutorDirective>& directives,
                               const std::vector<rules::Rule>& table) {
    ExecutorChoice choice;
    for (const translator::ExecutorDirective& d : directives) {
        for (const rules::Rule& rule : table) {
            if (!translator::sameExecutorName(rule.executor, d.executor)) continue;
            if (writes(rule, "__LUM__.robot") && !choice.robot) {
                choice.robot = true;
                choice.fieldName = d.field;
                choice.fieldLine = d.line;
            }
            if (writes(rule, "__LUM__.pen")) choice.pen = true;
        }
    }
    return choice;
}

tasks::Field loadDirectiveField(const ExecutorChoice& choice, const std::string& folder, const translator::LibraryReader& files,
                                base::WarningList& warnings) {
    if (choice.fieldName.empty()) return defaultField();
    // Each warning names the directive's line as a value, for the editors to place it.
    const auto warn = [&](const std::string& what) {
        base::Finding f{choice.fieldLine, base::onLine(choice.fieldLine, "поле «" + choice.fieldName + "»: " + what)};
        f.named = {choice.fieldName};
        warnings.push_back(std::move(f));
    };
    if (choice.fieldName.find('\0') != std::string::npos) {
        warn("такого файла нет — взято пустое поле 7×7");
        return defaultField();
    }
    const std::string sep(1, platform::separator());
    const std::string file = hasExtension(choice.fieldName) ? choice.fieldName : choice.fieldName + ".поле";
    std::string found;
    for (const std::string& candidate : {folder + sep + file, folder + sep + "поля" + sep + file})
        if (found.empty() && files.isFile(candidate)) found = candidate;
    std::string bytes;
    if (found.empty() || !files.read(found, bytes)) {
        warn("файл " + file + " не найден рядом с программой и в папке «поля» — взято пустое поле 7×7");
        return defaultField();
    }
    base::dropByteOrderMark(bytes);
    tasks::FieldRead read = tasks::readField(bytes);
    if (!read.ok) {
        warn("строка " + std::to_string(read.line) + " файла: " + read.message + " — взято пустое поле 7×7");
        return defaultField();
    }
    return std::move(read.field);
}

std::string executorScript(const ExecutorChoice& choice, const tasks::Field& field) {
    if (!choice.robot && !choice.pen) return {};
    std::string script(runtimeExecutors);
    script += "__LUM__.исполнители(";
    base::appendCompactJson(script, base::jsonObject({{"робот", choice.robot ? tasks::fieldJson(field) : base::jsonNull()},
                                                      {"чертёжник", base::jsonBool(choice.pen)}}));
    script += ");\n";
    return script;
}

}  // namespace output
