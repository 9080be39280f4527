// The one-file compile: source in, page or JavaScript file written beside it, and a report of
// everything it found and did, as data. The front ends turn the report into text.
// Tests: tests/output/compile_test.cpp, tests/e2e/cli_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/paths.h"
#include "base/text.h"
#include "base/warnings.h"
#include "diagnostics/hint.h"
#include "rules/loaded_rules.h"
#include "tasks/task.h"

namespace output {

struct CompileOptions {
    bool js = false;     // write a JavaScript file instead of a page
    bool run = false;    // open the written page; only when js and watch are both false (the front end does)
    bool watch = false;  // the page carries the reload poll script
    bool sourceMap = false;  // the script carries an inline source map (always in watch mode)
    // A task's check: the page carries the checker prelude (task pages run it once per test), it
    // is returned in CompileReport::output instead of written, and the source is checked against
    // the task's word rules. Only for pages.
    const tasks::Task* task = nullptr;
};

// What a compile reads besides its source and options: the rules as loaded (table, vocabulary,
// other languages' words) and the trace switch with its writer. The front end makes it from what
// it loaded at start-up; nothing of it is global.
struct CompileContext {
    const rules::LoadedRules& rules;
    bool trace = false;  // every accepted match of the program's own text goes to traceLine
    void (*traceLine)(const std::string& line) = nullptr;
};

enum class CompileStatus {
    Written,      // the output file was written
    Unreadable,   // the source could not be read: nothing else happened
    Unwritable,   // the output could not be written (the checks ran and their notes stand)
    OutOfMemory,  // the compile ran out of memory part-way
};

// Everything one compile found and did. `checked` tells whether the compile got as far as its
// checks: only then are `warnings` and `hints` complete, and they are shown before the outcome.
struct CompileReport {
    CompileStatus status = CompileStatus::Unreadable;
    std::string sourcePath;   // as the caller gave it
    std::string outputPath;   // the file written, or the one that could not be written
    bool js = false;          // the output is a JavaScript file
    const char* encoding = "UTF-8";  // of the source: "UTF-8" or "CP1251"
    std::size_t ruleCount = 0;       // rules in the table the compile used
    bool checked = false;
    base::WarningList warnings;     // the checks' warnings, in the order they were found
    std::vector<diagnostics::Hint> hints;  // after the warnings, in line order
    std::vector<std::string> includedFiles;  // every library file read, in reading order; watch mode watches them
    std::string output;    // with a task: the page, which was not written (status Written all the same)
    std::string wordRule;  // with a task: the word rule the source breaks, as a message; "" when none
    bool writeProtected = false;  // Unwritable because the output file is protected from writing
};

// Reads, decodes, translates, checks, assembles and writes; prints nothing (the trace aside, on
// standard error when the context asks for it). A source too large for the memory ends as
// OutOfMemory, like an unreadable one, and the caller goes on.
CompileReport compileFile(const std::string& sourcePath, const CompileOptions& options, const CompileContext& context);

// Folder + native separator + stem + ".js" or ".html".
std::string outputPathFor(const std::string& sourcePath, bool js);

// Every "</" written "<\/", and no "<!--" or "<script" left, so that the page's script element
// ends only at its own end tag (output/script_escape.cpp).
std::string escapeScriptBody(const std::string& utf8);
// "[l1,l2,...]": the source line of the first code point of each line of the text.
std::string buildLineMap(const base::CodeText& text);

}  // namespace output
