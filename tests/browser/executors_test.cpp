// The Robot and the Draftsman run in headless Chromium: a table of (field, program, what the
// panel shows at the end), crashes and a program that keeps «вправо» as its own name included.
#include <gtest/gtest.h>

#include <string>

#include "support/browser.h"
#include "support/temp_folder.h"

namespace {

// Prints the Robot's cell (column row, from 1) and its painted cells after the program, when it ends.
const std::string robotState =
    "\nconst итог = __LUM__.итогИсполнителей().робот\n"
    "вывести('клетка', итог.x + 1, итог.y + 1, 'закрашено', Array.from(итог.к).filter(b => b % 2).length)\n";
const std::string penState = "\nвывести(__LUM__.итогИсполнителей().отрезки.join(' '))\n";

std::string run(const TempFolder& folder, const std::string& field, const std::string& source) {
    if (!field.empty()) writeFile(folder / "поле.поле", field);
    writeFile(folder / "программа.лумс", source);
    const std::string page = compileWithLum(folder / "программа.лумс");
    if (page.empty()) return "";
    return elementText(dumpDom(page), "result");
}

}  // namespace

TEST(BrowserExecutors, RobotTable) {
    LUM_REQUIRE_CHROMIUM();
    const std::string corridor = "робот 1 2\n+-+-+-+-+\n|. . . .|\n+ +-+-+ +\n|       |\n+-+-+-+-+\n";
    const struct {
        std::string field;
        std::string program;
        std::string panel;
    } cases[] = {
        {"", "подключить исполнителя Робот\nвправо\nвниз()\nзакрасить\n" + robotState, " клетка 2 2 закрашено 1\n"},
        {"", "ПИ Робот\nпока справа свободно делать вправо конец\nпока снизу свободно делать закрасить вниз конец\n" + robotState,
         " клетка 7 7 закрашено 6\n"},
        {corridor,
         "подключить исполнителя Робот с полем поле\nвправо\nпока сверху стена делать закрасить вправо конец\n" + robotState,
         " клетка 4 2 закрашено 2\n"},
        {corridor, "ПИ Робот с полем поле\nвправо\nвверх\n", " Робот разбился: сверху стена (строка 3)\n"},
        {corridor, "ПИ Робот с полем поле\n\nвлево()\n", " Робот разбился: слева стена (строка 3)\n"},
        {corridor,
         "ПИ Робот с полем поле\nесли клетка чистая и не сверху свободно или слева стена то вывести('да') иначе вывести('нет') конец\n"
         "вверх\nесли сверху стена и клетка чистая то вывести('да') конец\n" + robotState,
         " да\nда\nклетка 1 1 закрашено 0\n"},
        {"", "функция вправо(x) { вернуть x + 1 }\nпусть вверх = 5\nвывести(вправо(вверх))\n", " 6\n"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        EXPECT_EQ(run(folder, c.field, c.program), c.panel) << c.program;
    }
}

TEST(BrowserExecutors, DraftsmanTable) {
    LUM_REQUIRE_CHROMIUM();
    const struct {
        std::string program;
        std::string panel;
    } cases[] = {
        {"подключить исполнителя Чертёжник\nопустить перо\nсместиться на вектор(2, 0)\nсместиться в точку(2, 3)\n" + penState,
         " 0 0 2 0 2 0 2 3\n"},
        {"ПИ Чертежник\nсместиться в точку(1, 1)\nопустить перо()\nповторить 2 раза сместиться на вектор(0, -1) конец\n"
         "поднять перо\nсместиться на вектор(5, 5)\n" + penState,
         " 1 1 1 0 1 0 1 -1\n"},
        {"ПИ Чертёжник\nсместиться на вектор(1)\n", " строка 2: «сместиться на вектор» ждёт два числа (dx, dy), а получил 1\n"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        EXPECT_EQ(run(folder, "", c.program), c.panel) << c.program;
    }
}
