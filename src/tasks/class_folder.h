// A class folder as data: the hand-in file the learner's page saves («Сдать»), the names of
// plain sources ("ученик - задача.лумс"), the teacher's settings file (mark thresholds and the
// list of pupils), marks, which hand-in counts when a pupil handed in twice, and the mistakes
// most of the class made. Pure: the front end reads the files and runs the programs.
// Tests: tests/tasks/class_folder_test.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tasks {

// What «Сдать» saves, one JSON object per file (see docs/задачи.md).
struct HandIn {
    std::string pupil;    // as the learner typed it
    std::string task;     // the task's title
    std::string time;     // local time with its offset: "2026-12-09T16:30:05+03:00"
    long long seconds = 0;  // the same moment, seconds since 1970-01-01 UTC
    std::string program;  // the source
    int passed = -1, tests = -1;  // the page's own check when the learner handed in; -1: not run
};
struct HandInRead {
    bool ok = false;
    HandIn handIn;
    std::string message;  // what is wrong, for the teacher
};
constexpr const char* handInExtension = ".сдача";
// The longest hand-in file read.
constexpr std::size_t handInLimit = 1024 * 1024;
HandInRead parseHandIn(const std::string& bytes);

// "2026-12-09T16:30:05+03:00" (or "…Z") as seconds since 1970 UTC; false for anything else.
bool parseHandInTime(const std::string& text, long long& seconds);

// A plain source named "ученик - задача.лумс": the pupil and the task file's stem, split at the
// last " - "; false when the name does not have that form.
bool splitPlainName(const std::string& fileName, std::string& pupil, std::string& taskStem);

// The pupil's name as compared: spaces trimmed and collapsed, small letters, «ё» as «е».
std::string pupilKey(const std::string& name);

// The teacher's settings (класс.txt): the least share of checks passed, in per cent, for the
// marks 5, 4 and 3 (below the last: 2), and the pupils of the class, in the teacher's order.
struct ClassSettings {
    int five = 90, four = 70, three = 50;
    std::vector<std::string> pupils;
};
struct SettingsRead {
    bool ok = false;
    ClassSettings settings;
    std::size_t line = 0;  // of the first mistake, 1-based
    std::string message;
};
constexpr const char* settingsName = "класс.txt";
SettingsRead parseClassSettings(const std::string& bytes);

// 5, 4, 3 or 2 for `passed` of `total` checks; 2 when total is 0.
int markFor(std::size_t passed, std::size_t total, const ClassSettings& settings);

// One solution found in the folder: whose, of which task, and when it was handed in.
struct Submission {
    std::string pupil;      // as written
    std::size_t task = 0;   // index into the checked tasks
    bool timed = false;     // a hand-in file carries its time; a plain source does not
    long long seconds = 0;
};
// Who handed in what: the pupils (the settings' list in its order, then everyone else who handed
// in, by name) and, per pupil and task, the submission that counts — the newest hand-in, a plain
// source only when there is no hand-in, the later file on a tie — and the others, kept.
struct ClassGrid {
    std::vector<std::string> pupils;
    std::vector<bool> listed;  // per pupil: named in the settings' list
    std::vector<std::vector<std::size_t>> counting;  // [pupil][task]: index into the submissions, or none
    std::vector<std::vector<std::vector<std::size_t>>> earlier;  // [pupil][task]: the ones that do not count
    static constexpr std::size_t none = static_cast<std::size_t>(-1);
};
ClassGrid arrangeClass(const std::vector<Submission>& submissions, std::size_t taskCount, const std::vector<std::string>& roster);

// A finding about one solution: lum's hint or warning, a failed test, an error; `key` is what
// makes two pupils' findings the same mistake, `text` what is shown.
struct Finding {
    std::string key;
    std::string text;
};
struct CommonFinding {
    std::string text;     // the example's own text
    std::size_t count = 0;  // pupils who got it
    std::string example;  // the first pupil who got it
};
// The findings most pupils got, most first (on a tie, the one met first), at most `most`; a
// pupil counts once per key. `byPupil` holds each pupil's name and findings.
std::vector<CommonFinding> commonFindings(const std::vector<std::pair<std::string, std::vector<Finding>>>& byPupil,
                                          std::size_t most);

// A text with its line numbers taken out ("строка 7: …" → "…", "около строки 3" → "около строки N"), so
// that the same mistake on different lines is one key.
std::string withoutLineNumbers(const std::string& text);

}  // namespace tasks
