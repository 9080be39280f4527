// The browser's error texts in Russian: one table, from which both error handlers of the
// run-time layer are written (the page's and the JavaScript file's), so that no row is written
// twice. Tests: tests/output/error_messages_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace output {

// One row: the browser's text and its Russian words. Handlers apply the rows one after another
// in table order, each to its first occurrence only, case-sensitively.
struct MessageRow {
    std::string_view english;
    std::string_view russian;
    bool inFile;  // among the JavaScript file's own rows, which it applies first
    // For a row the file does not apply among its own: the file applies it later, to the browser's
    // text only, where this text follows it ("" anywhere), so that a name such as missingThing
    // keeps its letters.
    std::string_view fileOnlyBefore;
};

// The rows in table order.
const MessageRow* messageRows();
std::size_t messageRowCount();

// The chain of the page's handler, one ".replace('english', 'russian')" line per row, each after
// `indent`, lines joined by line feeds, no line feed after the last.
std::string pageReplacements(std::string_view indent);
// The same for the rows of the JavaScript file.
std::string fileReplacements(std::string_view indent);
// The rows the file applies later, as JavaScript array elements ["english", "russian", "before"],
// one line each after `indent`, joined by ",\n".
std::string fileLaterRows(std::string_view indent);

// The run-time layer's error handlers (runtime/page_errors.js, runtime/file_errors.js) with
// their rows written in.
std::string pageErrorHandler();
std::string fileErrorHandler();

}  // namespace output
