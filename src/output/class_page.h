// The class at a glance: the table of pupils × tasks as text rows (the terminal prints them) and
// as класс.html (a coloured grid, a bar per task, common mistakes, who has not handed in,
// possible copies side by side, files that are not solutions; one A4 page in print, no network),
// and the page that checks a whole class in one browser run. Every text a pupil controls is
// escaped. Tests: tests/output/class_page_test.cpp, tests/browser/class_test.mjs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tasks/class_folder.h"
#include "tasks/task.h"

namespace output {

// One pupil's solution of one task, as checked.
struct ClassCell {
    bool handedIn = false;
    std::size_t passed = 0, total = 0;  // checks passed: the tests, and the word rule when the task has one
    int mark = 0;                       // 2…5; 0 when not handed in
    std::string time;                   // "2026-12-09T16:30:05+03:00", "" for a plain source
    std::size_t handIns = 0;            // files of this pupil and task, the counting one included
    std::string file;                   // the counting file's name
};

struct ClassTask {
    std::string title;
    std::string stem;  // of its file
    std::vector<tasks::CommonFinding> mistakes;
};

// Solutions of one task with the same copy form: the pupils and the programs of the first two.
struct CopyGroup {
    std::size_t task = 0;
    std::vector<std::string> pupils;
    std::string first, second;
};

// A file of the folder that is no solution, or one that cannot count, and what is wrong with it.
struct FileProblem {
    std::string file;
    std::string what;
};

struct ClassReport {
    std::string folder;  // as named on the command line
    std::vector<std::string> pupils;
    std::vector<bool> listed;  // per pupil: in the settings' list
    std::vector<ClassTask> tasks;
    std::vector<std::vector<ClassCell>> cells;  // [pupil][task]
    std::vector<int> marks;                     // per pupil, over all tasks
    std::vector<CopyGroup> copies;
    std::vector<FileProblem> problems;
    tasks::ClassSettings settings;
};

// The text of a cell: "4/5 4 16:30" (checks, mark, time), "×2" after it when handed in twice,
// "не сдано" when not handed in.
std::string cellText(const ClassCell& cell);
// The table: a header ("Ученик", the tasks' titles, "Оценка") and a row per pupil.
std::vector<std::vector<std::string>> classTable(const ClassReport& report);

std::string buildClassPage(const ClassReport& report);

// One run of the class check: the solution (index into the pages), its task and the test.
struct ClassRun {
    std::size_t solution = 0, task = 0, test = 0;
};
std::string buildClassCheckPage(const std::vector<tasks::Task>& checked, const std::vector<std::string>& programPages,
                                const std::vector<ClassRun>& runs, const std::string& mark);

}  // namespace output
