// A compile report in the terminal's words: the notes (warnings, then hints) and the outcome line
// for every status, the hints as data with their lines and kinds, and warning lines as printed.
#include "frontend/report.h"

#include <gtest/gtest.h>

#include "diagnostics/analysis.h"
#include "output/repair_words.h"
#include "platform/files.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"
#include "services/problems.h"
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
    const LoadedRules rules = loadedRules(projectRules());
    TempFolder folder;
    writeFile(folder / "п.лумс", "вывести(есле)\nконец\n");
    const CompileReport report = compileFile(folder / "п.лумс", {true, false, false}, {rules});
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

// A finding's place and message: the terminal shows both, an editor the message alone; a line
// of 0 names none and stays in the message.
TEST(OnLine, PlaceAndMessage) {
    const struct {
        std::uint32_t line;
        std::string said, text, message;
    } rows[] = {
        {12, "незакрытая кавычка", "строка 12: незакрытая кавычка", "незакрытая кавычка"},
        {1, "«если»", "строка 1: «если»", "«если»"},
        {0, "не совпадают", "строка 0: не совпадают", "строка 0: не совпадают"},
    };
    for (const auto& row : rows) {
        const Finding f{row.line, onLine(row.line, row.said)};
        EXPECT_EQ(f.text, row.text);
        EXPECT_EQ(f.message(), row.message) << row.text;
        EXPECT_EQ(f.line, row.line);
    }
}

// A kind of finding added as one row and one detector reaches every front door: the terminal's
// notes, the page's run-time explanations, an editor's problems and the playground's report.
constexpr FindingKind plantedKind{"planted-kind", Severity::Information, true};

void plantedDetector(const DetectorInput& input, std::vector<Hint>& out) {
    if (input.source.chars.size() < 8) return;
    Hint h{2, HintKind::LoopWord, onLine(2, "посаженная находка «стоп»")};
    h.what = &plantedKind;
    h.from = 2;
    h.to = 6;
    out.push_back(h);
}

TEST(Analysis, APlantedKindReachesEveryFrontDoor) {
    std::vector<Rule> table;
    WarningList loaded;
    loadRules(std::string(LUM_SOURCE_DIR) + "/src/keywords.csv", table, loaded);
    const LoadedRules language = loadedRules(std::move(table));
    const LibraryReader disk = diskLibraries();
    const std::string source = "вывести(1)\n  стоп\nвывести(2)\n";
    const std::vector<Detector> planted = {plantedDetector};
    for (const bool plant : {false, true}) {
        Analysis a = analyse(decodeBytes(source), {".", language, disk, false, nullptr, true, plant ? &planted : nullptr});
        CompileReport r;
        r.sourcePath = "p.лумс";
        r.status = CompileStatus::Written;
        r.checked = true;
        r.hints = a.hints;
        const std::string note = "ПОДСКАЗКА [p.лумс]: строка 2: посаженная находка «стоп»";
        const std::vector<std::string> notes = noteLines(r);
        EXPECT_EQ(std::count(notes.begin(), notes.end(), note), plant ? 1 : 0);
        const std::string page = repairWordsLine(language.vocabulary, language.table, a.facts, a.hints, language.otherWords);
        EXPECT_EQ(page.find("[2,\"строка 2: посаженная находка «стоп»\"]") != std::string::npos, plant) << page;
        const std::string json = reportJson(r, "p.html");
        EXPECT_EQ(json.find("\"kind\": \"planted-kind\"") != std::string::npos, plant) << json;
        const services::Text text = services::makeText(source);
        std::vector<services::Problem> problems;
        for (const Hint& h : a.hints) problems.push_back(services::placeFinding(text, h));
        const auto found = std::find_if(problems.begin(), problems.end(), [](const auto& p) { return p.code == "planted-kind"; });
        ASSERT_EQ(found != problems.end(), plant);
        if (!plant) continue;
        EXPECT_EQ(found->message, "посаженная находка «стоп»");
        EXPECT_EQ(found->severity, Severity::Information);
        EXPECT_EQ(found->range.from.line, 1u);
        EXPECT_EQ(found->range.from.column, 2u);
        EXPECT_EQ(found->range.to.column, 6u);
    }
}

}  // namespace

TEST(PrintWarnings, LabelsEveryEntryWithTheLastPathComponent) {
    const struct {
        std::string path, label;
    } cases[] = {
        {"keywords.csv", "keywords.csv"},
        {"/home/u/lum/keywords.csv", "keywords.csv"},
        {"C:\\работа\\игра.лумс", "игра.лумс"},
        {"папка/под\\массив.лум", "массив.лум"},
        {"папка/", ""},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        frontend::printWarnings(c.path, {"первое", "второе"});
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "ПРЕДУПРЕЖДЕНИЕ [" + c.label + "]: первое\nПРЕДУПРЕЖДЕНИЕ [" + c.label + "]: второе\n")
            << c.path;
    }
}

TEST(PrintWarnings, PrintsNothingForAnEmptyListAndLongEntriesWhole) {
    testing::internal::CaptureStdout();
    frontend::printWarnings("a.лумс", {});
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    const std::string longEntry(100000, 'x');
    testing::internal::CaptureStdout();
    frontend::printWarnings("a.лумс", {longEntry});
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ПРЕДУПРЕЖДЕНИЕ [a.лумс]: " + longEntry + "\n");
}
