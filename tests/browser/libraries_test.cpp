// The built-in libraries brought into a page by the starter rules and run in headless Chromium.
#include <gtest/gtest.h>

#include <string>

#include "support/browser.h"
#include "support/temp_folder.h"

namespace {

// Compiles the source with the lum under test (its starter rules beside it) and returns the
// panel's text after the page ran.
std::string panelAfterRunning(const TempFolder& folder, const std::string& source) {
    writeFile(folder / "библиотеки.лумс", source);
    const std::string page = compileWithLum(folder / "библиотеки.лумс");
    if (page.empty()) return "";
    return elementText(dumpDom(page), "result");
}

// The panel's text: one space, then each console line ended by a line feed.
std::string panelLines(const std::vector<std::string>& lines) {
    std::string text = " ";
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

const std::string alertToPanel = "window.alert = (m) => console.log('alert: ' + m);\n";

TEST(BrowserLibraries, Canvas) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    const std::string panel = panelAfterRunning(
        folder,
        "подключить библиотеку расширенной работы с холстом\n" + alertToPanel +
            "размеры_холста(40, 30)\n"
            "вывести(ctx.canvas.width, ctx.canvas.height, стандарт)\n"
            "ctx.fillStyle = 'rgb(0, 0, 255)'\n"
            "покрасить_весь_холст_в('rgb(255, 0, 0)')\n"
            "вывести(ctx.fillStyle, [...ctx.getImageData(39, 29, 1, 1).data].join(' '))\n"
            "нарисовать_квадрат(5, 5, 10)\n"
            "вывести([...ctx.getImageData(14, 14, 1, 1).data].join(' '), [...ctx.getImageData(15, 15, 1, 1).data].join(' '))\n"
            "вывести(проверка_столкновений(0, 0, 10, 10, 5, 5, 10, 10), проверка_столкновений(0, 0, 10, 10, 50, 50, 5, 5))\n"
            "размеры_холста(\"стандарт\")\n"
            "вывести(ctx.canvas.width === window.innerWidth, ctx.canvas.height === window.innerHeight)\n");
    EXPECT_EQ(panel, panelLines({"40 30 6.666", "#0000ff 255 0 0 255", "0 0 255 255 255 0 0 255", "true false",
                                 "true true"}));
}

TEST(BrowserLibraries, Mathematics) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    const std::string panel = panelAfterRunning(
        folder,
        "ПБ расширенной математики\n" + alertToPanel +
            "вывести(кв_корень(-4), кв_корень(9), куб_корень(27), корень(16, 4))\n"
            "вывести(умножение(\"ab\", 3), умножение(2, \"xy\"), умножение(6, 7))\n"
            "пусть в_пределах = истина\n"
            "повторить 500 раз\n"
            "  пусть r = целое_случайное_число(1, 6)\n"
            "  если r < 1 || r > 6 || r !== Math.round(r) то в_пределах = ложь конец\n"
            "конец\n"
            "вывести(в_пределах, преобразовать_в_число('12'), преобразовать_в_число('абв'))\n"
            "вывести(примерно_равно(2.4, '2'), сложение_нецелых(0.1, 0.2), наверное(1), наверное(-1))\n"
            "пусть л = new ЛУМС(1, (x) => вывести('теперь ' + x), 'number')\n"
            "л.изменить(2)\n"
            "л.изменить('текст')\n"
            "л.изменить(3)\n");
    EXPECT_EQ(panel, panelLines({"2i 3 3 2", "ababab xyxy 42", "true 12 3", "true 0.3 true false", "теперь 2",
                                 "теперь текст", "alert: У класса ЛУМС не тот тип!", "теперь текст"}));
}

TEST(BrowserLibraries, TextAndOneLine) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    const std::string panel = panelAfterRunning(
        folder,
        "подключить библиотеку расширенной работы с текстом\n"
        "подключить библиотеку кода в одну строку\n" +
            alertToPanel +
            "вывести(записать_в_массив_текст('абв').length, записать_массив_в_строку(['а', 1, 'б']))\n"
            "вывести(убрать_все_пробелы(' a b  c '), разбить_строку_по_пробелам('a b c').length)\n"
            "вывести(убрать_буквы('x1y2 3'), убрать_цифры('x1y2 3'))\n"
            "принт('a', 1, истина)\n"
            "код_в_одну_строку(() => вывести('раз'), () => вывести('два'))\n");
    EXPECT_EQ(panel, panelLines({"3 а1б", "abc 3", "123 xy ", "alert: a 1 true", "раз", "два"}));
}

}  // namespace
