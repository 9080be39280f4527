// Where lum finds keywords.csv, and what it prints for a missing, broken or warned-about file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/process.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string notFound =
    "Ошибка: не найден src/keywords.csv (ищу рядом с lum.exe, в ЛУМ2.7 и в текущей папке)\n";
const std::string pausePrompt = "\nНажмите Enter для выхода...";
const std::string bannerStart = "ЛУМ скрипт -> HTML/JS компилятор, версия 2.7 (ЛУМ2.7). Правил: ";

std::string banner(int rules, const std::string& path) {
    return bannerStart + std::to_string(rules) + " (" + path + ")\n";
}

// A Windows build under Wine names the same files "Z:\\tmp\\...\\keywords.csv" or
// "/tmp/...\\keywords.csv"; its output is read with "/" for "\\" and the drive dropped.
std::string posixPaths(std::string out) {
    if (lumSeparator() != '\\') return out;
    for (char& c : out)
        if (c == '\\') c = '/';
    for (std::size_t at; (at = out.find("Z:/")) != std::string::npos;) out.erase(at, 2);
    return out;
}

// A rules file with `count` valid rules, so the banner tells the candidates apart.
std::string rulesWith(int count) {
    std::string text = "pattern,replacement,flags\n";
    for (int i = 0; i < count; ++i) text += "x" + std::to_string(i) + ",y,g\n";
    return text;
}

// A copy of the lum under test in app/, a home folder, and a working folder, all empty of rules.
class RulesLocation : public ::testing::Test {
protected:
    TempFolder root;
    std::string app, home, work;
    std::vector<std::string> command;

    void SetUp() override {
        const std::string base = fs::canonical(root.path()).string();
        app = base + "/app";
        home = base + "/home";
        work = base + "/work";
        for (const std::string& f : {app, home, work}) makeFolder(f);
        command = lumCommand();
        const fs::path original(command.back());
        const std::string copy = app + "/" + original.filename().string();
        fs::copy_file(original, copy);
        command.back() = copy;
    }

    ProcessResult lum(const std::vector<std::string>& args, std::optional<std::string> lumHome,
                      const std::string& input = "") {
        ProcessOptions options;
        options.workingFolder = work;
        options.environment["LUM_HOME"] = lumHome;
        options.input = input;
        std::vector<std::string> argv = command;
        argv.insert(argv.end(), args.begin(), args.end());
        ProcessResult r = runProcess(argv, options);
        EXPECT_EQ(r.err, "");
        r.out = posixPaths(r.out);
        return r;
    }
};

TEST_F(RulesLocation, SearchOrder) {
    // Candidate k holds k + 1 rules.
    const std::vector<std::string> candidates = {app + "/keywords.csv", app + "/src/keywords.csv",
                                                 home + "/keywords.csv", home + "/src/keywords.csv",
                                                 work + "/keywords.csv", work + "/src/keywords.csv"};
    const std::vector<std::string> shown = {candidates[0], candidates[1], candidates[2], candidates[3],
                                            "keywords.csv", "src/keywords.csv"};
    struct Row {
        std::string present;  // "f" file, "d" folder named keywords.csv, "-" nothing; one per candidate
        int chosen;           // -1: none qualifies
    };
    const Row rows[] = {
        {"ffffff", 0}, {"-fffff", 1}, {"--ffff", 2}, {"---fff", 3}, {"----ff", 4}, {"-----f", 5},
        {"f-f-f-", 0}, {"--f--f", 2}, {"d-f---", 2}, {"df----", 1}, {"ddddf-", 4}, {"dddddf", 5},
        {"dddddd", -1}, {"------", -1},
    };
    for (const Row& row : rows) {
        for (std::size_t k = 0; k < candidates.size(); ++k) {
            fs::remove_all(candidates[k]);
            if (row.present[k] == 'f') writeFile(candidates[k], rulesWith(static_cast<int>(k) + 1));
            if (row.present[k] == 'd') makeFolder(candidates[k]);
        }
        const ProcessResult r = lum({"-h"}, home);
        if (row.chosen < 0) {
            EXPECT_EQ(r.out, notFound) << row.present;
            EXPECT_EQ(r.exitCode, 1) << row.present;
        } else {
            EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), banner(row.chosen + 1, shown[row.chosen])) << row.present;
            EXPECT_EQ(r.exitCode, 0) << row.present;
        }
    }
}

TEST_F(RulesLocation, HomeIsTakenAsWritten) {
    writeFile(home + "/src/keywords.csv", rulesWith(2));
    const ProcessResult r = lum({"-h"}, home + "/");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), banner(2, home + "//src/keywords.csv"));
    EXPECT_EQ(r.exitCode, 0);
}

TEST_F(RulesLocation, EmptyHomeVariableIsLikeNone) {
    writeFile(work + "/keywords.csv", rulesWith(3));
    const ProcessResult empty = lum({"-h"}, std::string());
    const ProcessResult unset = lum({"-h"}, std::nullopt);
    EXPECT_EQ(empty.out, unset.out);
    EXPECT_EQ(empty.exitCode, unset.exitCode);
    // Unless an installed copy sits in the built-in home, the current folder's file is found.
    EXPECT_NE(empty.out.find(bannerStart), std::string::npos) << empty.out;
}

TEST_F(RulesLocation, MissingFileStopsBeforeTheArguments) {
    ProcessResult r = lum({"-h"}, home);
    EXPECT_EQ(r.out, notFound);
    EXPECT_EQ(r.exitCode, 1);
    r = lum({"nothing.лумс"}, home, "\n");
    EXPECT_EQ(r.out, notFound);
    EXPECT_EQ(r.exitCode, 1);
    // Started without arguments it waits for Enter; also at end of input it ends.
    r = lum({}, home, "\n");
    EXPECT_EQ(r.out, notFound + pausePrompt);
    EXPECT_EQ(r.exitCode, 1);
    r = lum({}, home);
    EXPECT_EQ(r.out, notFound + pausePrompt);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.timedOut);
}

TEST_F(RulesLocation, OnlyTheRunWithoutArgumentsReadsItsInput) {
    // What lum leaves of its standard input is read back by the shell that started it.
    ProcessOptions options;
    options.workingFolder = work;
    options.environment["LUM_HOME"] = home;
    options.input = "AB\n";
    auto leftOver = [&](const std::string& args) {
        std::vector<std::string> argv = {"sh", "-c", "\"$@\" " + args + "; echo \"code=$?\"; read rest; echo \"left=$rest\"",
                                         "sh"};
        argv.insert(argv.end(), command.begin(), command.end());
        return posixPaths(runProcess(argv, options).out);
    };
    EXPECT_EQ(leftOver("-h"), notFound + "code=1\nleft=AB\n");
    const std::string paused = leftOver("");
    EXPECT_EQ(paused.rfind(notFound + pausePrompt + "code=1\nleft=", 0), 0u) << paused;
    EXPECT_EQ(paused.find("left=AB"), std::string::npos) << paused;
}

TEST_F(RulesLocation, FileWithoutRulesIsBroken) {
    for (const std::string& bytes : {std::string(), std::string("pattern,replacement,flags\n"),
                                     std::string("x,y\n,y,g\nx,y,G\n"), std::string("\xEF\xBB\xBF\r\n")}) {
        writeFile(app + "/keywords.csv", bytes);
        for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"-h"}}) {
            const ProcessResult r = lum(args, home);
            EXPECT_EQ(r.out, "Ошибка: пустой или испорченный файл правил: " + app + "/keywords.csv\n") << bytes;
            EXPECT_EQ(r.exitCode, 1);
        }
    }
}

TEST_F(RulesLocation, WarningsComeBeforeTheBanner) {
    writeFile(work + "/keywords.csv",
              "pattern,replacement,flags\nx,y\n\n,y,g\nslovo,word,g\nx,y,G\nx,{LIB_x},g\nz,{LIB_MATH},gi\n");
    const ProcessResult r = lum({"-h"}, home);
    const std::string label = "ПРЕДУПРЕЖДЕНИЕ [keywords.csv]: keywords.csv, строка ";
    const std::string expected = label + "2: меньше 3 полей — пропущено\n" + label +
                                 "4: пустое ключевое слово — пропущено\n" + label +
                                 "6: флаги 'G' (нужно g или gi) — пропущено\n" + label +
                                 "7: неизвестная библиотека {LIB_x} — пропущено\n" + banner(2, "keywords.csv");
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
    EXPECT_EQ(r.exitCode, 0);
}

// A teacher's other_words.csv beside the rules file takes the built-in list's place.
TEST_F(RulesLocation, OtherWordsBesideTheRulesAreTheTeachers) {
    fs::copy_file(fs::path(LUM_SOURCE_DIR) / "src/keywords.csv", app + "/keywords.csv");
    writeFile(work + "/п.лумс", "print(1)\nshow(2)\n");
    const std::string builtIn = lum({"п.лумс"}, home).out;
    EXPECT_NE(builtIn.find("строка 1: «print» — слово другого языка; в ЛУМ скрипте пишут «вывести»"), std::string::npos)
        << builtIn;
    writeFile(app + "/other_words.csv", "слово,по-нашему\nshow,показать\n");
    const std::string teachers = lum({"п.лумс"}, home).out;
    EXPECT_EQ(teachers.find("«print»"), std::string::npos) << teachers;
    EXPECT_NE(teachers.find("строка 2: «show» — слово другого языка; в ЛУМ скрипте пишут «показать»"), std::string::npos)
        << teachers;
}

TEST_F(RulesLocation, StarterRulesTranslateTheExample) {
    fs::copy_file(fs::path(LUM_SOURCE_DIR) / "src/keywords.csv", app + "/keywords.csv");
    fs::copy_file(fs::path(LUM_SOURCE_DIR) / "examples/привет.лумс", work + "/привет.лумс");
    const ProcessResult r = lum({"-js", "привет.лумс"}, home);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out.find("ПРЕДУПРЕЖДЕНИЕ"), std::string::npos) << r.out;
    const std::string js = readFile(work + "/привет.js");
    EXPECT_NE(js.find("console.log(\"Привет, мир!\")"), std::string::npos) << js;
    // The run-time layer's dictionary names the learner's words; the translated program below it does not.
    const std::size_t body = js.find('\n', js.rfind("__LUM__.словарь("));
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(js.find("вывести", body), std::string::npos) << js;
}

// A small vocabulary of the test's own, independent of the shipped one.
const std::string smallVocabulary =
    "pattern,replacement,flags\n"
    "\\bвывести\\b,console.log,g\n"
    "\\bпусть\\b,let,g\n"
    "\\bфункция\\b,function,g\n"
    "\\bначало\\b,{,g\n"
    "\\bвернуть\\b,return,g\n"
    "\\bесли\\b,if (,g\n"
    "\\bто\\b,) {,g\n"
    "\\bиначе\\b,} else {,g\n"
    "\\bпока\\b,while (,g\n"
    "\\bделать\\b,) {,g\n"
    "\\bконец\\b,},g\n"
    "\\bистина\\b,true,g\n"
    "\\bложь\\b,false,g\n"
    "\\bповторить\\b,for(,g\n"
    "\\bраз\\b,раз){,g\n"
    "\\bраза\\b,раза){,g\n"
    "\\bразов\\b,разов){,g\n"
    "подключить библиотеку расширенной работы с холстом,{LIB_CANVAS},gi\n"
    "ПБ расширенной работы с холстом,{LIB_CANVAS},gi\n"
    "подключить библиотеку расширенной математики,{LIB_MATH},gi\n"
    "ПБ расширенной математики,{LIB_MATH},gi\n"
    "подключить библиотеку расширенной работы с текстом,{LIB_TEXT},gi\n"
    "ПБ расширенной работы с текстом,{LIB_TEXT},gi\n"
    "подключить библиотеку кода в одну строку,{LIB_ONELINE},gi\n"
    "ПБ кода в одну строку,{LIB_ONELINE},gi\n";

TEST_F(RulesLocation, RulesAndLibraryTagsRunAProgram) {
    if (!onPath("node")) {
        if (const char* ci = std::getenv("CI"); ci && std::string(ci) == "true") FAIL() << "node is required under CI";
        GTEST_SKIP() << "node not found";
    }
    writeFile(app + "/keywords.csv", smallVocabulary);
    writeFile(work + "/игра.лумс",
              "подключить библиотеку расширенной математики\n"
              "ПБ кода в одну строку\n"
              "ПОДКЛЮЧИТЬ БИБЛИОТЕКУ расширенной работы с текстом;\n"
              "пусть x = 5\n"
              "функция удвоить(n) начало\n"
              "  вернуть n * 2\n"
              "конец\n"
              "если x > 3 то\n"
              "  вывести(\"больше \" + удвоить(x))\n"
              "иначе\n"
              "  вывести(\"меньше\")\n"
              "конец\n"
              "пусть i = 0\n"
              "пока i < 2 делать\n"
              "  i = i + 1\n"
              "конец\n"
              "повторить 3 раза\n"
              "  вывести(кв_корень(-4))\n"
              "конец\n"
              "повторить i раз\n"
              "  вывести(убрать_цифры(\"a1b2\"))\n"
              "конец\n"
              "код_в_одну_строку(() => вывести(\"один\"), () => вывести(истина, ложь))\n");
    const ProcessResult compiled = lum({"-js", "игра.лумс"}, home);
    ASSERT_EQ(compiled.exitCode, 0) << compiled.out;
    EXPECT_EQ(compiled.out.find("ПРЕДУПРЕЖДЕНИЕ"), std::string::npos) << compiled.out;
    ProcessOptions options;
    options.workingFolder = work;
    const ProcessResult ran = runProcess({"node", work + "/игра.js"}, options);
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_EQ(ran.out, "больше 10\n2i\n2i\n2i\nab\nab\nодин\ntrue false\n") << readFile(work + "/игра.js");
}

}  // namespace
