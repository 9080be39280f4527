// The class page: every text a pupil or a file controls stays text, and the cells read as told.
#include <gtest/gtest.h>

#include "output/class_page.h"

using namespace output;

TEST(ClassPage, CellsReadAsTold) {
    const struct {
        ClassCell cell;
        const char* text;
    } cases[] = {
        {{false, 0, 5, 0, "", 0, ""}, "не сдано"},
        {{true, 4, 5, 4, "", 1, "а.лумс"}, "4/5 4"},
        {{true, 5, 5, 5, "2026-12-09T16:30:05+03:00", 2, "а.сдача"}, "5/5 5 16:30 ×2"},
    };
    for (const auto& c : cases) EXPECT_EQ(cellText(c.cell), c.text);
}

TEST(ClassPage, NothingAPupilWroteBecomesMarkup) {
    const std::string evil = "<img src=x onerror=alert(1)>\"'&";
    ClassReport r;
    r.folder = "/класс/" + evil;
    r.pupils = {evil};
    r.listed = {false};
    r.settings.pupils = {"Иванова Анна"};
    r.tasks = {{evil, evil, {{evil, 3, evil}}}};
    r.cells = {{ClassCell{true, 1, 2, 3, "2026-12-09T16:30:05+03:00<b>", 1, evil}}};
    r.marks = {3};
    r.copies = {{0, {evil, evil}, "вывести(\"</pre>" + evil + "\")", evil}};
    r.problems = {{evil, evil}};
    const std::string page = buildClassPage(r);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("<b>\""), std::string::npos);
    EXPECT_EQ(page.find("</pre><img"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=alert(1)&gt;&quot;&#39;&amp;"), std::string::npos);
    EXPECT_NE(page.find("class=\"who extra\""), std::string::npos) << "not in the list: in italics";
    const auto table = classTable(r);
    EXPECT_EQ(table[1], (std::vector<std::string>{evil, "1/2 3 16:30", "3"}));
}
