// The pages of a task: the learner's page (the statement, «Проверить» and the table of tests,
// which runs the program once per test) and the teacher's checking page (every solution against
// every test in one browser run). Tests: tests/browser/task_page_test.mjs, tests/browser/task_check_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "output/compile.h"
#include "tasks/task.h"

namespace output {

// The learner's page for a program page compiled with the task (CompileReport::output). Hidden
// tests carry only their digest and offsets, never their expected output.
std::string buildTaskPage(const tasks::Task& task, const std::string& programPage, const std::string& wordRule);

// Compiles the source with the task and writes the learner's page where the ordinary page would
// go (stem + ".html"); the report tells what came of it, like compileFile's.
CompileReport compileTaskPage(const std::string& sourcePath, const tasks::Task& task, const CompileContext& context);

// The teacher's checking page: each of `programPages` against the answers of every test, one run
// after another, each result logged as one console line that starts with `mark`.
std::string buildCheckPage(const tasks::Task& task, const std::vector<std::string>& programPages, const std::string& mark);

}  // namespace output
