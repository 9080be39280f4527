// The front end: start-up, the command line and the interactive mode, the rules-file search,
// folder mode, watch mode, and the tools that write files for the loaded rules (the editor
// extension, the playground), the task modes (task_modes.cpp) and the class mode (class_mode.cpp).
// Tests: tests/e2e/cli_test.cpp, tests/e2e/folder_mode_test.cpp, tests/e2e/watch_test.cpp,
// tests/e2e/rules_location_test.cpp, tests/e2e/task_check_test.cpp, tests/browser/task_check_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "frontend/report.h"
#include "output/compile.h"
#include "rules/loaded_rules.h"
#include "rules/rulesfile.h"

namespace frontend {

// What start-up found and loaded, handed to every mode: the rules file, the rules as loaded from
// it (the table, its vocabulary, and the words of other languages: other_words.csv beside the
// rules file, else the built-in list; watch mode loads them again when the file changes) and
// whether LUM_TRACE was set.
struct StartUp {
    std::string rulesPath;
    rules::LoadedRules loaded;
    bool trace = false;

    output::CompileContext context() const { return output::CompileContext{loaded, trace, writeTraceLine}; }
};

// The name of a teacher's list of other languages' words, looked for beside the rules file.
constexpr const char* otherWordsName = "other_words.csv";
// other_words.csv from the rules file's folder when it is there and readable, else the built-in list.
std::vector<rules::OtherWord> loadOtherWords(const std::string& rulesPath);

// What a load of the rules file said: whether it gave a table, the loader's warnings, and the
// lines start-up prints for it (the warnings and the banner, or the error alone).
struct RulesLoad {
    bool loaded = false;
    base::WarningList warnings;
    std::vector<std::string> lines;
};
// Loads the rules file into `table` (which stays as it was when the file yields no rule).
RulesLoad loadRulesFile(const std::string& rulesPath, std::vector<rules::Rule>& table);
// The same, printing its lines as start-up does; whether it gave a table.
bool loadRulesAtStartUp(const std::string& rulesPath, std::vector<rules::Rule>& table);

// --playground: the installed playground.html, carrying the rules at the start-up's rules path as
// its default rules, written into `folder`; returns the exit code.
int writePlayground(const std::string& folder, const StartUp& start);

// The first of six candidates that exists and is not a folder, as built; "" when none.
std::string locateRulesFile();
// A file installed with lum (playground.html, step.js): beside the executable, then in the home
// folder; "" when neither holds it.
std::string locateInstalledFile(const std::string& name);

// One line of standard input, at most 1023 bytes, line-end characters removed; "" at end.
std::string readConsoleLine();

int runFolderMode(const std::string& folder, const output::CompileOptions& options, const StartUp& start);
void listFolder(const std::string& folder, const std::string& mask, std::vector<std::string>& list);

int runWatchMode(const std::string& source, const output::CompileOptions& options, StartUp& start);

// --task: the learner's page of the source with the task file's statement, tests and «Проверить».
int compileWithTask(const std::string& sourcePath, const std::string& taskPath, const StartUp& start);
// --check: every solution in the folder against the task's tests in a headless browser (the one
// at browserPath, or the first one found); the table, the report, and 0 only when all pass.
int runCheckMode(const std::string& taskPath, const std::string& folder, const std::string& browserPath, const StartUp& start);
// --class (class_mode.cpp): every pupil's work in the folder against the tasks (all .задача of the
// folder when none is named), the table and класс.html; 0 when the page was written.
int runClassMode(const std::string& folder, const std::vector<std::string>& taskPaths, const std::string& browserPath,
                 const StartUp& start);

}  // namespace frontend
