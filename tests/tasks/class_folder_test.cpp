// Hand-in files, names, settings, marks, which hand-in counts, and the common findings.
#include <gtest/gtest.h>

#include "tasks/class_folder.h"

using namespace tasks;

TEST(ClassFolder, HandInFilesAreReadOrToldWhatIsWrong) {
    const std::string good = R"j({"лум":"сдача","ученик":"  Иванова Анна ","задача":"Сумма","время":"2026-12-09T16:30:05+03:00",)j"
                             R"j("программа":"вывести(5)","проверка":{"пройдено":2,"тестов":3}})j";
    const struct {
        std::string bytes;
        std::string message;  // "" when it reads
    } cases[] = {
        {good, ""},
        {"не json", "это не файл «Сдать»"},
        {R"j({"ученик":"А","задача":"С","время":"2026-12-09T16:30:05Z","программа":""})j", "это не файл «Сдать»"},
        {R"j({"лум":"сдача","ученик":"  ","задача":"С","время":"2026-12-09T16:30:05Z","программа":""})j", "нет имени ученика"},
        {R"j({"лум":"сдача","ученик":"А","задача":"С","время":"2026-13-09T16:30:05Z","программа":""})j", "нет времени сдачи"},
        {R"j({"лум":"сдача","ученик":"А","задача":"С","время":"2026-12-09T16:30:05Z"})j", "нет программы"},
        {R"j({"лум":"сдача","ученик":"А","время":"2026-12-09T16:30:05Z","программа":""})j", "нет названия задачи"},
        {R"j({"лум":"сдача","ученик":")j" + std::string(101, 'a') + R"j(","задача":"С","время":"2026-12-09T16:30:05Z","программа":""})j",
         "длиннее 100 знаков"},
        {"\xff\xfe", "не в UTF-8"},
        {std::string(handInLimit + 1, ' '), "больше 1 МБ"},
    };
    for (const auto& c : cases) {
        const HandInRead read = parseHandIn(c.bytes);
        EXPECT_EQ(read.ok, c.message.empty()) << c.bytes.substr(0, 80);
        EXPECT_NE(read.message.find(c.message), std::string::npos) << read.message;
    }
    const HandIn h = parseHandIn(good).handIn;
    EXPECT_EQ(h.pupil, "Иванова Анна");
    EXPECT_EQ(h.seconds, 1796823005);  // 13:30:05 UTC
    EXPECT_EQ(h.passed, 2);
    EXPECT_EQ(h.tests, 3);
}

TEST(ClassFolder, TimesNamesAndKeys) {
    long long seconds = 0;
    EXPECT_TRUE(parseHandInTime("1970-01-01T00:00:00Z", seconds));
    EXPECT_EQ(seconds, 0);
    EXPECT_TRUE(parseHandInTime("2024-02-29T23:59:59-01:00", seconds));
    EXPECT_EQ(seconds, 1709254799);
    for (const char* bad : {"2024-02-30T00:00:00Z", "2024-02-29 00:00:00Z", "2024-02-29T24:00:00Z", "2024-02-29T00:00:00+3:00", ""})
        EXPECT_FALSE(parseHandInTime(bad, seconds)) << bad;

    const struct {
        const char* file;
        bool ok;
        const char* pupil;
        const char* task;
    } names[] = {
        {"Иванова Анна - сумма.лумс", true, "Иванова Анна", "сумма"},
        {"Салтыков-Щедрин Миша - таблица - 2.лумс", true, "Салтыков-Щедрин Миша - таблица", "2"},
        {"Иванов П. - сумма.лум", true, "Иванов П.", "сумма"},
        {"сумма.лумс", false, "", ""},
        {" - сумма.лумс", false, "", ""},
    };
    for (const auto& n : names) {
        std::string pupil, task;
        EXPECT_EQ(splitPlainName(n.file, pupil, task), n.ok) << n.file;
        if (n.ok) EXPECT_EQ(pupil + "|" + task, std::string(n.pupil) + "|" + n.task);
    }
    EXPECT_EQ(pupilKey("  Артём   ЁЖИКОВ\t"), "артем ежиков");
}

TEST(ClassFolder, SettingsAndMarks) {
    const SettingsRead read = parseClassSettings("\xEF\xBB\xBF# мой класс\nОценка 5: 100%\nоценка 4: 80\nученики:\n  Иванова Анна\n"
                                                 "  Петров Пётр\n  иванова  анна\nученик: Сидоров Иван\n");
    ASSERT_TRUE(read.ok) << read.message;
    EXPECT_EQ(read.settings.pupils, (std::vector<std::string>{"Иванова Анна", "Петров Пётр", "Сидоров Иван"}));
    const struct {
        const char* bytes;
        std::size_t line;
        const char* says;
    } bad[] = {
        {"оценка 5: много\n", 1, "в процентах"},
        {"\nоценка 3: 101\n", 2, "от 0 до 100"},
        {"оценка 4: 95\n", 0, "по убыванию"},
        {"что-то\n", 1, "непонятная строка"},
        {"ученик:\n", 1, "нужно имя"},
    };
    for (const auto& b : bad) {
        const SettingsRead r = parseClassSettings(b.bytes);
        EXPECT_FALSE(r.ok) << b.bytes;
        EXPECT_EQ(r.line, b.line) << b.bytes;
        EXPECT_NE(r.message.find(b.says), std::string::npos) << r.message;
    }
    const ClassSettings defaults;
    const struct {
        std::size_t passed, total;
        int mark;
    } marks[] = {{5, 5, 5}, {9, 10, 5}, {8, 10, 4}, {7, 10, 4}, {69, 100, 3}, {1, 2, 3}, {49, 100, 2}, {0, 3, 2}, {0, 0, 2}};
    for (const auto& m : marks) EXPECT_EQ(markFor(m.passed, m.total, defaults), m.mark) << m.passed << "/" << m.total;
    EXPECT_EQ(markFor(9, 10, read.settings), 4);
}

TEST(ClassFolder, NewestHandInCountsAndEveryoneIsListed) {
    const std::vector<Submission> s = {
        {"Петров Пётр", 0, true, 200},   // 0: older
        {"петров  пётр", 0, true, 300},  // 1: newer, counts
        {"Петров Пётр", 0, false, 0},    // 2: a plain source never beats a hand-in
        {"Иванова Анна", 1, false, 0},   // 3
        {"Иванова Анна", 1, false, 0},   // 4: a tie: the later file counts
        {"Зайцев Олег", 1, true, 100},   // 5: not in the list
    };
    const ClassGrid g = arrangeClass(s, 2, {"Иванова Анна", "Петров Пётр", "Сидоров Иван"});
    EXPECT_EQ(g.pupils, (std::vector<std::string>{"Иванова Анна", "Петров Пётр", "Сидоров Иван", "Зайцев Олег"}));
    EXPECT_EQ(g.listed, (std::vector<bool>{true, true, true, false}));
    const std::size_t none = ClassGrid::none;
    EXPECT_EQ(g.counting, (std::vector<std::vector<std::size_t>>{{none, 4}, {1, none}, {none, none}, {none, 5}}));
    EXPECT_EQ(g.earlier[1][0], (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(g.earlier[0][1], (std::vector<std::size_t>{3}));
}

TEST(ClassFolder, CommonFindingsCountPupilsOnce) {
    const std::vector<std::pair<std::string, std::vector<Finding>>> byPupil = {
        {"Аня", {{"t1", "Тест 1: не пройден"}, {"t1", "Тест 1: не пройден"}, {"h", "строка 3: забыт «конец»"}}},
        {"Боря", {{"h", "строка 7: забыт «конец»"}}},
        {"Вера", {{"t2", "Тест 2: не пройден"}, {"h", "строка 1: забыт «конец»"}, {"t1", "Тест 1: не пройден"}}},
    };
    const std::vector<CommonFinding> common = commonFindings(byPupil, 2);
    ASSERT_EQ(common.size(), 2u);
    EXPECT_EQ(common[0].text + "|" + std::to_string(common[0].count) + "|" + common[0].example, "строка 3: забыт «конец»|3|Аня");
    EXPECT_EQ(common[1].text + "|" + std::to_string(common[1].count) + "|" + common[1].example, "Тест 1: не пройден|2|Аня");
    EXPECT_EQ(withoutLineNumbers("строка 12: У вас ошибка x (около строки 12 вашей программы)j"), "У вас ошибка x (около строки N вашей программы)j");
}
