// Every program in examples/ compiled by lum and run in headless Chromium: the panel's text,
// and for drawings the canvas pixels read back with getImageData at chosen points.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/browser.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// A copy of examples/ (with its библиотеки folder), so that pages are written outside the tree.
class Examples : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(fs::path(LUM_SOURCE_DIR) / "examples", fs::path(folder.path()),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }

    // The compiled page of one example, with `head` placed at the start of the body and `tail`
    // at its end; "" when the compile failed.
    std::string page(const std::string& name, const std::string& head = "", const std::string& tail = "") {
        const std::string html = compileWithLum(folder / (name + ".лумс"));
        if (html.empty()) return "";
        std::string text = readFile(html);
        const std::string body = "<body style=\"margin: 0px;\">\n";
        const std::size_t at = text.find(body);
        EXPECT_NE(at, std::string::npos) << html;
        if (at == std::string::npos) return "";
        text.insert(at + body.size(), head);
        text.insert(text.rfind("</body>"), tail);
        const std::string path = folder / (name + ".проверка.html");
        writeFile(path, text);
        return path;
    }

    TempFolder folder;
};

// A script that, after `delayMs` of the page's time, writes the RGBA of each canvas point into an
// element with id "pixels" ("r,g,b,a" per point, separated by spaces). `before` runs first.
std::string pixelProbe(const std::vector<std::pair<int, int>>& points, int delayMs, const std::string& before = "") {
    std::string list;
    for (const auto& [x, y] : points) list += (list.empty() ? "[" : ",[") + std::to_string(x) + "," + std::to_string(y) + "]";
    return "<div id=\"pixels\"></div>\n<script>\nsetTimeout(function () {\n" + before +
           "\n  var c = document.getElementById('canvas').getContext('2d');\n"
           "  document.getElementById('pixels').textContent = [" + list + "].map(function (p) {\n"
           "    return Array.from(c.getImageData(p[0], p[1], 1, 1).data).join(',');\n  }).join(' ');\n}, " +
           std::to_string(delayMs) + ");\n</script>\n";
}

TEST_F(Examples, TextProgramsShowTheirOutputInThePanel) {
    LUM_REQUIRE_CHROMIUM();
    const std::map<std::string, std::string> shown = {
        {"привет", " Привет, мир!\nПривет! Я ЛУМ скрипт. Пишите команды по-русски, а браузер их выполнит.\n"},
        {"условия", " Тепло\nВозьми зонт!\nХорошо\n"},
        {"циклы_пока", " 1\n2\n4\n8\n16\n32\n64\nшаг 1\nшаг 2\nшаг 4\nшаг 5\n"},
        {"повторить", " Шаг номер 1\nШаг номер 2\nШаг номер 3\n*\n**\n***\n****\nяблоко\nгруша\nслива\n"},
        {"функции", " Площадь: 12\nЗдравствуй, Маша!\n5! = 120\n49\n"},
        {"массивы", " Оценки: 5, 3, 4, 5\nСколько оценок: 4\nСредний балл: 4.25\nЕсть тройка: true\n"
                    "По порядку: 3, 4, 5, 5\nУбрали 5, осталось 3\n"},
        {"строки", " если хочешь, то сможешь\nДлина: 23\nЕСЛИ ХОЧЕШЬ, ТО СМОЖЕШЬ\nСлов: 4\n"
                   "сможешь то хочешь, если\ntrue\nесли хочешь, то получится\nхахаха\n2024!\n15\n"},
        {"математика", " Квадратный корень из 16: 4\nКорень из -9: 3i\nКубический корень из 27: 3\n"
                       "Корень четвертой степени из 81: 3\nляляля\n42\n0.1 + 0.2 = 0.3\ntrue\n"
                       "На кубике выпало число от 1 до 6\nВ ящике: 25\n"},
        {"текст", " [\"к\",\"о\",\"т\"]\nток\nмама\n3\n8900123\nRD и CPO\n"},
        {"одна_строка", " Первая\nВторая\nИ третья\n"},
        {"своя_библиотека", " Привет, Петя!\nПока, Петя!\n"},
    };
    for (const auto& [name, text] : shown) {
        const std::string html = page(name);
        ASSERT_FALSE(html.empty()) << name;
        const std::string dom = dumpDom(html);
        EXPECT_EQ(elementText(dom, "result"), text) << name;
        EXPECT_EQ(styleProperty(elementStyle(dom, "result"), "color"), "white") << name;
    }
}

TEST_F(Examples, InputAndOutputWithAnsweredQuestions) {
    LUM_REQUIRE_CHROMIUM();
    // Headless Chromium waits for ever on a real prompt: the page of the test answers it.
    const std::string stubs =
        "<script>\nvar ответы = ['Аня', '12'];\nwindow.prompt = function () { return ответы.shift(); };\n"
        "window.alert = function (текст) {\n  var d = document.getElementById('alerts');\n"
        "  if (!d) { d = document.createElement('div'); d.id = 'alerts'; document.body.appendChild(d); }\n"
        "  d.textContent += текст + '|';\n};\n</script>\n";
    const std::string html = page("ввод_и_вывод", stubs);
    ASSERT_FALSE(html.empty());
    const std::string dom = dumpDom(html);
    // показать replaced the first two lines; the later lines were appended to its HTML.
    EXPECT_EQ(elementText(dom, "result"), "Аня изучает ЛУМ скриптСтрока после показать\n"
                                          "ПРЕДУПРЕЖДЕНИЕ: Это предупреждение\n");
    EXPECT_NE(findElementById(dom, "result")->innerHtml.find("<b>Аня</b>"), std::string::npos);
    EXPECT_EQ(styleProperty(elementStyle(dom, "result"), "color"), "orange");
    EXPECT_EQ(elementText(dom, "alerts"), "Приятно познакомиться, Аня|");
}

TEST_F(Examples, DrawingPaintsTheHouse) {
    LUM_REQUIRE_CHROMIUM();
    const std::string html =
        page("рисование", "", pixelProbe({{50, 100}, {320, 70}, {120, 160}, {150, 200}, {210, 250}, {10, 290}}, 100));
    ASSERT_FALSE(html.empty());
    const std::string dom = dumpDom(html);
    EXPECT_EQ(elementText(dom, "pixels"),
              "173,216,230,255 255,255,0,255 205,133,63,255 255,255,255,255 139,69,19,255 0,128,0,255");
    const auto canvas = findElementById(dom, "canvas");
    ASSERT_TRUE(canvas.has_value());
    EXPECT_NE(canvas->attributes.find("width=\"400\""), std::string::npos) << canvas->attributes;
    EXPECT_NE(canvas->attributes.find("height=\"300\""), std::string::npos) << canvas->attributes;
    EXPECT_EQ(elementText(dom, "result"), " Рисунок готов\n");
}

TEST_F(Examples, AnimationMovesTheBallAndStops) {
    LUM_REQUIRE_CHROMIUM();
    // 40 frames of 30 ms: the ball is last drawn at x = 20 + 5 * 39 and the start is cleared.
    const std::string html = page("анимация", "", pixelProbe({{215, 100}, {20, 100}, {215, 60}}, 1800));
    ASSERT_FALSE(html.empty());
    const std::string dom = dumpDom(html, 2500);
    EXPECT_EQ(elementText(dom, "pixels"), "255,165,0,255 0,0,0,0 0,0,0,0");
    EXPECT_EQ(elementText(dom, "result"), " Мяч пролетел 40 кадров и остановился\n");
}

TEST_F(Examples, GameCountsAHitAndAMiss) {
    LUM_REQUIRE_CHROMIUM();
    const std::string clicks =
        "  var холст = document.getElementById('canvas');\n"
        "  var край = холст.getBoundingClientRect();\n"
        "  [[200, 150], [5, 295]].forEach(function (p) {\n"
        "    холст.dispatchEvent(new MouseEvent('click', {clientX: край.left + p[0], clientY: край.top + p[1], bubbles: true}));\n"
        "  });";
    // Before the clicks the target sits in the middle: red ring, white centre, black around.
    const std::string before = page("игра", "", pixelProbe({{200, 150}, {200, 125}, {395, 295}}, 100));
    ASSERT_FALSE(before.empty());
    const std::string first = dumpDom(before);
    EXPECT_EQ(elementText(first, "pixels"), "255,255,255,255 255,0,0,255 0,0,0,255");
    EXPECT_EQ(elementText(first, "result"), " Щелкните по мишени\n");

    const std::string played = page("игра", "", pixelProbe({{395, 295}}, 100, clicks));
    ASSERT_FALSE(played.empty());
    const std::string dom = dumpDom(played);
    EXPECT_EQ(elementText(dom, "result"), " Щелкните по мишени\nПопадание! Очки: 1\nМимо\n");
    EXPECT_EQ(elementText(dom, "pixels"), "0,0,0,255");
}

TEST_F(Examples, ArrowKeysMoveTheSquare) {
    LUM_REQUIRE_CHROMIUM();
    const std::string keys =
        "  ['ArrowRight', 'ArrowRight', 'ArrowRight', 'ArrowUp'].forEach(function (k) {\n"
        "    document.dispatchEvent(new KeyboardEvent('keydown', {key: k, bubbles: true}));\n"
        "  });";
    // The square of side 40 went from (130, 80) to (160, 70): inside the new one blue, the old
    // place white again.
    const std::string html = page("клавиши", "", pixelProbe({{165, 75}, {135, 115}}, 100, keys));
    ASSERT_FALSE(html.empty());
    const std::string dom = dumpDom(html);
    EXPECT_EQ(elementText(dom, "result"),
              " Квадрат в точке 140, 80\nКвадрат в точке 150, 80\nКвадрат в точке 160, 80\nКвадрат в точке 160, 70\n");
    EXPECT_EQ(elementText(dom, "pixels"), "0,0,255,255 255,255,255,255");
}

}  // namespace
