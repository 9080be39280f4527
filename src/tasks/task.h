// A teacher's task (a ".задача" file): its title, statement, tests and rules, and the reader of
// the file, which names the line of every mistake in it. Tests: tests/tasks/task_file_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tasks/field.h"

namespace tasks {

// How a program's output is compared with a test's expected output. Trailing spaces of a line
// and blank lines at the end never count.
struct Comparison {
    bool ignoreCase = false;  // "регистр не важен": capitals equal small letters (Latin, Cyrillic, Ё)
    bool anyOrder = false;    // "порядок строк не важен": the lines compared as a sorted list
    double tolerance = 0;     // "точность 0.01": numbers within it are equal; 0 compares them as text
};

struct Test {
    std::vector<std::string> answers;   // what спросить / спросить_число get, in order
    std::vector<std::string> expected;  // the expected output, one entry per line
    bool hidden = false;                // the learner sees only whether it passed
    std::size_t line = 0;               // the line of its "тест:" in the task file
    // "поле:" and the field's lines under it: the Robot's start field; at the end the cells marked
    // "to be painted" must be exactly the painted ones (besides those painted at the start), and
    // the robot in the finish cell when the field names one.
    bool hasField = false;
    Field field;
    // "фигура: 0 0, 2 0, 2 3": the Draftsman's figure, broken lines through the points, x1 y1 x2 y2
    // per segment; compared as sets of unit segments.
    std::vector<double> figure;
    bool hasFigure = false;
};

struct Task {
    std::string title;
    std::string statement;             // lines joined with "\n"
    double seconds = 2;                // the limit of one test's run
    Comparison comparison;
    std::vector<std::string> mustUse;     // words the solution has to contain
    std::vector<std::string> mustNotUse;  // words it may not contain
    std::vector<Test> tests;
    std::string salt;  // per task: the digest of the file's bytes, mixed into every hidden digest
};

// A read of a task file: the task, or the first mistake and its line (1-based).
struct TaskRead {
    bool ok = false;
    Task task;
    std::size_t line = 0;
    std::string message;  // Russian, saying what to write instead
};

// The longest task file read: far more than any hand-written task.
constexpr std::size_t taskFileLimit = 4 * 1024 * 1024;
// The longest time limit a task may set, in seconds.
constexpr double longestLimit = 60;

TaskRead parseTask(const std::string& bytes);
// Reads and parses the file; an unreadable or too large file is a mistake of line 0.
TaskRead readTaskFile(const std::string& path);
// "сумма.задача, строка 7: …" (without the line for line 0), for printing.
std::string taskErrorLine(const std::string& path, const TaskRead& read);
// A decimal number with "." as its point, the whole text of it; false for anything else. (strtod
// in the C locale, which lum never changes: the browser build's library has no from_chars for it.)
bool readDecimal(const std::string& text, double& out);
// Seconds as a learner reads them: "2", "0,5".
std::string secondsText(double seconds);

}  // namespace tasks
