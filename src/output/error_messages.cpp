// The browser's error texts in Russian, and the handlers' replacement chains made from them.
// Tests: tests/output/error_messages_test.cpp, tests/browser/page_errors_test.cpp.
#include "output/error_messages.h"

#include <utility>

#include "base/json_text.h"
#include "embedded/runtimeFileErrors.h"
#include "embedded/runtimePageErrors.h"

namespace output {

namespace {

constexpr MessageRow rows[] = {
    {"Uncaught ", "", true, ""},
    {"SyntaxError:", "в синтаксисе:", true, ""},
    {"Unexpected token", "неуместный символ", false, ""},
    {"ReferenceError:", "при использовании ссылки:", true, ""},
    {"is not defined", "не определена/объявлена", true, ""},
    {"TypeError:", "типа:", true, ""},
    {"is not a function", "не является функцией", true, ""},
    {"missing", "пропущено", false, " ) after argument list"},
    {"after argument list", "после перечисления аргументов", false, ""},
    {"Invalid or unexpected token", "токен-инвалид (символ не на своем месте)", false, ""},
    {"Unexpected identifier", "идентифекатор-инвалид (не на своем месте)", false, ""},
    {"RangeError:", "в диапозоне:", false, ""},
    {"EvalError:", "при выполнении выполнить код():", false, ""},
    {"URIError:", "при выпонении encodeURI() и/или decodeURI():", false, ""},
    {"AggregateError:", "(несколько):", false, ""},
    {"Assignment to constant variable", "значение константы менять нельзя!", true, ""},
    {"Unexpected end of input", "неожиданный конец ввода", false, ""},
};

// The table holds no apostrophe or backslash, so its texts stand in single quotes as they are.
std::string chain(std::string_view indent, bool fileOnly) {
    std::string out;
    for (const MessageRow& row : rows) {
        if (fileOnly && !row.inFile) continue;
        if (!out.empty()) out += '\n';
        out += indent;
        out += ".replace('";
        out += row.english;
        out += "', '";
        out += row.russian;
        out += "')";
    }
    return out;
}

}  // namespace

const MessageRow* messageRows() { return rows; }
std::size_t messageRowCount() { return sizeof rows / sizeof rows[0]; }

std::string pageReplacements(std::string_view indent) { return chain(indent, false); }
std::string fileReplacements(std::string_view indent) { return chain(indent, true); }

std::string fileLaterRows(std::string_view indent) {
    std::string out;
    for (const MessageRow& row : rows) {
        if (row.inFile) continue;
        if (!out.empty()) out += ",\n";
        out += indent;
        out += '[';
        base::appendJsonString(out, row.english);
        out += ", ";
        base::appendJsonString(out, row.russian);
        out += ", ";
        base::appendJsonString(out, row.fileOnlyBefore);
        out += ']';
    }
    return out;
}

std::string pageErrorHandler() {
    std::string handler(runtimePageErrors);
    const std::string_view placeholder = "__REPLACEMENTS__";
    handler.replace(handler.find(placeholder), placeholder.size(), pageReplacements("    "));
    return handler;
}

std::string fileErrorHandler() {
    std::string handler(runtimeFileErrors);
    const std::pair<std::string_view, std::string> fills[] = {
        {"__REPLACEMENTS__", fileReplacements("      ")},
        {"__LATER_ROWS__", fileLaterRows("      ")},
    };
    for (const auto& [placeholder, text] : fills) handler.replace(handler.find(placeholder), placeholder.size(), text);
    return handler;
}

}  // namespace output
