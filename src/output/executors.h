// The executors a program asked for, made into the page's script: the run-time layer of the Robot
// and the Draftsman and the call that hands it the field. Tests: tests/browser/executors_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "base/warnings.h"
#include "rules/rulesfile.h"
#include "tasks/field.h"
#include "translator/executors.h"
#include "translator/libraries_on_disk.h"

namespace output {

// The field of a program without "с полем": 7×7, no walls inside, the robot in the top left cell.
tasks::Field defaultField();

// What the directives ask for, decided by the words the executor's rules write (a teacher may
// rename the executor): the Robot's rules call __LUM__.robot…, the Draftsman's __LUM__.pen….
struct ExecutorChoice {
    bool robot = false, pen = false;
    std::string fieldName;  // the Robot's field file as the directive names it, or ""
    std::uint32_t fieldLine = 0;
};
ExecutorChoice chooseExecutors(const std::vector<translator::ExecutorDirective>& directives,
                               const std::vector<rules::Rule>& table);

// Reads the field file the directive names, next to the program (`folder`), with ".поле" added
// when the name has no extension, then in the folder "поля", through `files` (the reader the
// program's libraries came through); a missing or wrong file warns ("строка 2: поле «коридор»: …")
// and gives the default field.
tasks::Field loadDirectiveField(const ExecutorChoice& choice, const std::string& folder, const translator::LibraryReader& files,
                                base::WarningList& warnings);

// The run-time layer of the executors and the call with their start state; "" when none is asked.
std::string executorScript(const ExecutorChoice& choice, const tasks::Field& field);

}  // namespace output
