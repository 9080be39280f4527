// A compile report in the terminal's words: the notes (warnings, then hints) and the outcome line
// for every status, and the hints as data with their lines and kinds.
#include "frontend/report.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_folder.h"

using namespace base;
using namespace platform;
using namespace rules;
using namespace translator;
using namespace diagnostics;
using namespace output;
using namespace frontend;

namespace {

std::vector<Rule> projectRules() {
    std::string bytes;
    readWholeFile(LUM_SOURCE_DIR "/src/keywords.csv", bytes);
    WarningList warnings;
    return parseRules(bytes, warnings);
}

TEST(Report, HintsComeAfterTheWarningsAndAsData) {
    const std::vector<Rule> rules = projectRules();
    TempFolder folder;
    writeFile(folder / "п.лумс", "вывести(есле)\nконец\n");
    const CompileReport report = compileFile(folder / "п.лумс", {true, false, false}, {RuleSet{rules, false}, builtinOtherWords()});
    ASSERT_EQ(report.status, CompileStatus::Written);
    EXPECT_EQ(noteLines(report), (std::vector<std::string>{
        "ПРЕДУПРЕЖДЕНИЕ [п.лумс]: строка 2: лишняя } (больше закрывающих, чем открытых)",
        "ПОДСКАЗКА [п.лумс]: строка 1: незнакомое слово «есле» — может быть, «если»?",
        "ПОДСКАЗКА [п.лумс]: строка 2: здесь нечего закрывать — уберите лишнее слово «конец»"}));
    ASSERT_EQ(report.hints.size(), 2u);
    EXPECT_EQ(report.hints[0].line, 1u);
    EXPECT_EQ(report.hints[0].kind, HintKind::UnknownWord);
    EXPECT_EQ(report.hints[1].kind, HintKind::UnclosedBlock);
    EXPECT_EQ(readFile(folder / "п.js").find("ПОДСКАЗКА"), std::string::npos);
}

TEST(Report, OutcomeLineForEveryStatus) {
    CompileReport r;
    r.sourcePath = "a/б.лумс";
    r.outputPath = "a/б.html";
    r.ruleCount = 129;
    const std::vector<std::pair<CompileStatus, std::string>> rows = {
        {CompileStatus::Written, "OK: a/б.лумс -> a/б.html  (HTML, кодировка исходника: UTF-8, правил: 129)"},
        {CompileStatus::Unreadable, "Ошибка: не могу прочитать файл: a/б.лумс"},
        {CompileStatus::Unwritable, "Ошибка: не могу записать файл: a/б.html"},
        {CompileStatus::OutOfMemory, "Ошибка: не хватает памяти, чтобы скомпилировать a/б.лумс"},
    };
    for (const auto& [status, line] : rows) {
        r.status = status;
        EXPECT_EQ(outcomeLine(r), line);
    }
    r.warnings = {"w"};
    EXPECT_TRUE(noteLines(r).empty()) << "notes only once the compile got to its checks";
    r.checked = true;
    EXPECT_EQ(noteLines(r), std::vector<std::string>{"ПРЕДУПРЕЖДЕНИЕ [б.лумс]: w"});
}

// The line the playground marks for a warning: the one its text names at its start.
TEST(WarningLine, IsTheLineTheTextNamesFirst) {
    const std::vector<std::pair<std::string, std::uint32_t>> rows = {
        {"строка 12: незакрытая кавычка \"", 12},
        {"keywords.csv, строка 3: меньше 3 полей — пропущено", 3},
        {"не хватает 2 закрывающих } — возможно, пропущен «конец»", 0},
        {"библиотека зациклилась: a, строка 5: x", 0},
        {"строка : x", 0},
        {"строка 7", 0},
        {"строка 9999999999: x", 0},
    };
    for (const auto& [text, line] : rows) EXPECT_EQ(warningLine(text), line) << text;
}

}  // namespace
