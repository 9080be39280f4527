// Run-time errors as a learner meets them in Chromium: each program's panel line by line, with
// the colour of the lines the run-time layer adds. All programs run as frames of one page.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/browser.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

struct Case {
    const char* what;
    std::string source;
    std::vector<std::string> panel;  // "[red] …" for a line in a colour of its own
    bool js = false;                 // the -js file in a page of the test's own
    std::string stub = "";           // a script put first into the page, before the run-time layer
};

const std::string undefinedHint = "[pink] Подсказка: может быть, «очки»? Проверьте, как написано имя.";
const std::string nothingHint =
    "[pink] Подсказка: слева от точки или [ ] пустое значение: переменная ещё не получила значения, в массиве нет "
    "элемента с таким номером или «спросить» вернул «пусто». Выведите это значение строкой выше, чтобы проверить.";
const std::string syntaxHint =
    "[pink] Подсказка: программа не запустилась вовсе. Проверьте эту строку и строку выше: закрыты ли скобки и "
    "кавычки, не пропущено ли «тогда», «то» или «делать» в конце условия или цикла и есть ли у каждого блока свой "
    "«конец».";

std::string error(const std::string& message, int line) {
    return "[red] У вас ошибка " + message + " (около строки " + std::to_string(line) + " вашей программы)";
}

const std::string loopHint =
    "[pink] Подсказка: проверьте условие цикла: меняется ли внутри цикла то, от чего оно зависит (например, i = i + 1), "
    "и станет ли оно когда-нибудь ложным.";
const std::string recursionHint =
    "[pink] Подсказка: функция вызывает сама себя снова и снова. Добавьте в её начало условие, при котором она сразу "
    "делает «вернуть» без нового вызова, и проверьте, что оно когда-нибудь выполняется.";
// Line 2 of a program that says whether it was stopped within 2.5 s of its start.
const std::string inTime = "пусть т0 = Date.now()\nwindow.addEventListener(\"error\", функция(): "
                           "вывести(Date.now() - т0 < 2500 ? \"вовремя\" : \"поздно\") конец)\n";
// A console as slow as a browser's with its tools open: a millisecond a line. On the line after <body>.
const std::string slowConsole =
    "<script>console.log = function () { var t = Date.now(); while (Date.now() - t < 1) {} };</script>";

// What a stopped loop adds below its hint: the page's limit and the offer to run again with more time.
const std::vector<std::string> moreTime = {
    "[gray] Предел для одного цикла на этой странице — 2 секунды. Если программа не зависла, а просто долго считает, "
    "дайте ей больше времени: она запустится снова с пределом 4 с.",
    "Дать программе больше времени"};

std::vector<std::string> stopped(int line, const std::string& word, const std::string& hint) {
    std::vector<std::string> panel = {"[red] строка " + std::to_string(line) + ": цикл «" + word +
                                          "» работает уже 2 секунды и не заканчивается — программа остановлена",
                                      hint};
    panel.insert(panel.end(), moreTime.begin(), moreTime.end());
    return panel;
}

// An endless loop of every form, at the top level and inside a function, stops within 2.5 s with
// its message on its header's line, line 5, and a «пока» names what its condition read.
std::vector<Case> endlessLoops() {
    const std::string unchanged =
        "[pink] Подсказка: условие «i < 10» читает «i», а «i» в цикле не меняется: может быть, забыли «i = i + 1»?";
    const char* forms[][4] = {  // loop word in the message, header, the block's end, hint ("" the general one)
        {"пока", "пока i < 10 делать", "конец", "u"},      {"пока", "пока i < 10 то", "конец", "u"},
        {"пока", "пока i < 10 тогда", "конец", "u"},       {"пока", "пока(i < 10) {", "}", "u"},
        {"пока", "пока(i < 10):", "конец", "u"},           {"для каждого", "для каждого x из м делать", "конец", ""},
        {"для каждого", "для каждого x из м то", "конец", ""}, {"для каждого", "для каждого x из м тогда", "конец", ""},
        {"повторить", "повторить 4000000000 раз", "конец", ""}, {"повторить", "повторить 4000000000 разов {", "}", ""},
    };
    const std::string body = "i = i * 1; м.delete(i); м.add(i)";  // a set seen anew: для каждого never ends
    std::vector<Case> out;
    for (const auto& form : forms)
        for (const bool inFunction : {false, true}) {
            const std::string loop = std::string(form[1]) + "\n  " + body + "\n" + form[2] + "\n";
            std::vector<std::string> panel = stopped(5, form[0], form[3][0] ? unchanged : loopHint);
            panel.push_back("вовремя");
            out.push_back({form[1], inTime + (inFunction ? "функция ф(i):\n  пусть м = new Set([0])\n  " + loop + "конец\nф(0)\n"
                                                         : "пусть i = 0\nпусть м = new Set([0])\n" + loop),
                           panel});
        }
    return out;
}

const std::vector<Case> fixedCases = {
    {"a loop that slows down later stops in time",
     inTime + "пусть i = 0\nпока истина делать\n  i = i + 1\n  если i > 20000000 то вывести(i); очистить_вывод() конец\nконец\n",
     [] {
         std::vector<std::string> panel = stopped(4, "пока", "[pink] Подсказка: условие «истина» не читает ни одной "
                                                            "переменной и не станет ложным само: цикл кончится, только "
                                                            "если внутри него выполнится «прервать».");
         panel.push_back("вовремя");
         return panel;
     }()},
    {"a loop whose name moves away from the condition's end says so",
     "пусть i = 0\nпока i < 10 делать\n  i = i - 1\nконец\n",
     stopped(2, "пока", "[pink] Подсказка: условие «i < 10» читает «i», а «i» в цикле уменьшается (было …")},
    {"a recursion that prints to a slow console stops in time on the line that calls itself",
     inTime + "функция ф(н):\n  вывести(н); очистить_вывод()\n  ф(н + 1)\nконец\nф(1)\n",
     {"[red] строка 5: функция «ф» вызывает сама себя уже 2 секунды и не заканчивается — программа остановлена",
      recursionHint, "вовремя"},
     false, slowConsole},
    {"a recursion that loops on every call stops in time",
     inTime + "функция ф(н):\n  пусть т = Date.now()\n  пока Date.now() < т + 1 делать конец\n  ф(н + 1)\nконец\nф(1)\n",
     {"[red] строка 6: функция «ф» вызывает сама себя уже 2 секунды и не заканчивается — программа остановлена",
      recursionHint, "вовремя"}},
    {"a misspelt name keeps the output before it and gets «может быть»",
     "пусть очки = 5\nвывести(\"до\")\nвывести(очкии)\n",
     {"до", error("при использовании ссылки: очкии не определена/объявлена", 3), undefinedHint}},
    {"a property of nothing, named by the learner's word",
     "пусть имя = пусто\nвывести(имя.строчными())\n",
     {error("типа: нельзя взять «строчными» у значения «пусто»", 2), nothingHint}},
    {"not a function, the method by the learner's word", "пусть s = \"абв\"\ns.добавить(1)\n",
     {error("типа: s.добавить не является функцией", 2),
      "[pink] Подсказка: «s» — текст (значение со строки 1), а «добавить» есть только у массива. Если нужен список, "
      "объявите его на строке 1 пустым массивом: []"}},
    {"not a function, of a number", "пусть s = 5\ns.добавить(1)\n",
     {error("типа: s.добавить не является функцией", 2),
      "[pink] Подсказка: скобки ( ) вызывают команду, а это не команда: проверьте, как написано имя и у какого "
      "значения она вызвана (например, «добавить» есть только у массива)."}},
    {"not a function, a list called with round brackets", "пусть цены = [5, 7]\nвывести(цены(1))\n",
     {error("типа: цены не является функцией", 2),
      "[pink] Подсказка: «цены» — список, а не функция: элемент по номеру пишут в квадратных скобках: цены[1]."}},
    {"not iterable", "для каждого x из 5 делать вывести(x) конец\n",
     {error("типа: 5 нельзя перебрать по одному", 1),
      "[pink] Подсказка: перебирать по одному можно массив или строку: проверьте, что стоит после «из»."}},
    {"not a constructor", "пусть q = 3\nпусть w = new q()\n",
     {error("типа: q — не класс", 2), "[pink] Подсказка: новый объект создаётся только из класса: проверьте, как написано имя класса."}},
    {"assignment to a constant", "константа к = 1\nк = 2\n",
     {error("типа: значение константы менять нельзя!.", 2),
      "[pink] Подсказка: «к» объявлена словом «константа» на строке 1, а её значение не меняется: объявите её там словом «пусть»."}},
    {"declared twice", "пусть а = 1\nпусть а = 2\n",
     {error("в синтаксисе: имя «а» уже объявлено", 2),
      "[pink] Подсказка: уберите «пусть» на строке 2: имя уже объявлено, а значение меняют без «пусть»."}},
    {"used before its declaration", "вывести(б)\nпусть б = 1\n",
     {error("при использовании ссылки: к «б» нельзя обращаться раньше, чем оно объявлено", 1),
      "[pink] Подсказка: перенесите строку, где объявлено это имя, выше этой строки."}},
    {"a missing «то» names «вывести», not console", "пусть x = 1\nесли x больше 0 вывести(x) конец\n",
     {error("в синтаксисе: идентифекатор-инвалид (не на своем месте) 'вывести'", 2),
      "[pink] Подсказка: допишите «то» перед «вывести» на строке 2."}},
    {"unexpected token", "var ok = 1;\nvar = 2;\n",
     {error("в синтаксисе: неуместный символ '='", 2), syntaxHint}},
    {"unexpected string", "пусть s = \"а\" \"б\"\n", {error("в синтаксисе: неуместная строка в кавычках", 1), syntaxHint}},
    {"unexpected number", "пусть ч = 1 2\n", {error("в синтаксисе: неуместное число", 1), syntaxHint}},
    {"end of input past the last line names the last line", "если истина то\n  вывести(1)\n\n\n",
     {error("в синтаксисе: неожиданный конец ввода", 2),
      "[pink] Подсказка: строка 1: «если» не закрыт словом «конец» — допишите «конец» после последней строки блока."}},
    {"invalid or unexpected token", "вывести(1)\nпусть ч = 1 @ 2\n",
     {error("в синтаксисе: токен-инвалид (символ не на своем месте)", 2),
      "[pink] Подсказка: в строке есть знак, которого нет в языке, или незакрытая кавычка: закройте кавычки и уберите "
      "лишние знаки."}},
    {"missing ) after the arguments", "console.log('a');\nconsole.log('b';\n",
     {error("в синтаксисе: пропущено ) после перечисления аргументов", 2),
      "[pink] Подсказка: допишите «)» перед «;» в конце строки 2."}},
    {"a break outside a loop", "прервать\n", {error("в синтаксисе: «прервать» стоит вне цикла", 1), syntaxHint}},
    {"endless recursion", "функция ф(н): вернуть ф(н + 1) конец\nф(1)\n",
     {error("в диапозоне: функция вызывает сама себя без конца (стек вызовов переполнен)", 1),
      "[pink] Подсказка: функция вызывает сама себя снова и снова. Добавьте в её начало условие, при котором она сразу "
      "делает «вернуть» без нового вызова, и проверьте, что оно когда-нибудь выполняется."}},
    {"invalid array length", "повторить 5000000000 раз вывести(1) конец\n",
     {error("в диапозоне: недопустимая длина массива", 1),
      "[pink] Подсказка: число повторов и длина массива — целое число от 0 до 4294967295."}},
    {"a learner's own error keeps only its text", "throw new Error('бум');\n", {error("бум", 1)}},
    {"console output is text", "вывести(\"x<y\", 1 < 2, \"&\")\n", {"x<y true &"}},
    {"consolelog keeps its HTML", "показать(\"<b>жирный</b>\")\nвывести(\"<i>\")\n", {"жирный<i>"}},
    {"an endless loop stops with its line, the output before it stays, the page lives on",
     "вывести(\"до\")\nsetTimeout(функция(): вывести(\"страница жива\") конец, 0)\nпусть i = 0\n"
     "пока i меньше 10 делать\n  i = i * 1\nконец\nвывести(\"после\")\n",
     [] {
         std::vector<std::string> panel = stopped(4, "пока", "[pink] Подсказка: условие «i меньше 10» читает «i», а «i» "
                                                            "в цикле не меняется: может быть, забыли «i = i + 1»?");
         panel.insert(panel.begin(), "до");
         panel.push_back("страница жива");
         return panel;
     }()},
    {"a loop that ends in time runs to its end",
     "пусть i = 0\nпока(i < 3000000) {\n  i = i + 1\n}\nдля каждого x из [1, 2] делать i = i + x конец\n"
     "повторить 2 раза i = i + 1 конец\nпока i < 3000010 то i = i + 1 конец\nпока i < 3000020 тогда i = i + 2 конец\n"
     "вывести(i)\n",
     {"3000020"}},
    {"time in a question window is not loop time",
     "пусть ответ = 0\nпусть раз_спросил = 0\nпока ответ не равно 7 делать\n  ответ = спросить_число(\"Число?\")\n"
     "  раз_спросил = раз_спросил + 1\nконец\nвывести(\"угадал за\", раз_спросил)\n",
     {"угадал за 5"}, false,
     "<script>var n = 0; window.prompt = function () { var t = Date.now(); while (Date.now() - t < 600) {} "
     "return ++n < 5 ? '1' : '7'; };</script>\n"},
    {"an argument check", "ПБ расширенной работы с холстом\nвывести(\"рисую\")\nкруг(330, 60)\n",
     {"рисую", "[red] строка 3: «круг» ждёт 3 числа (x, y, радиус), а получил 2",
      "[pink] Подсказка: пример — круг(150, 75, 40)"}},
    {"a value of the wrong kind and a canvas not there",
     "ПБ расширенной работы с холстом\nфункция кадр(): вывести(1) конец\nкаждые(30, кадр())\n",
     {"1", "[red] строка 3: «каждые» ждёт 2 значения (миллисекунды, функция), а функция — «неопределено»",
      "[pink] Подсказка: имя функции пишется без скобок, пример — каждые(30, кадр)"}},
    {"drawing without the canvas library", "прямоугольник(1, 2, 3, 4)\n",
     {"[red] строка 1: «прямоугольник» рисует на холсте, а холст не подключён",
      "[pink] Подсказка: добавьте в начало программы строку «подключить библиотеку расширенной работы с холстом»."}},
    {"the -js file says the same, ending in «)»", "пусть очки = 5\nвывести(\"до\")\nвывести(очкии)\n",
     {"до", "[red] У вас ошибка при использовании ссылки: очкии не определена/объявлена (около строки 3)", undefinedHint},
     true},
    {"the -js file checks arguments on the right line", "ПБ расширенной работы с холстом\n\nлиния(1, 2)\n",
     {"[red] строка 3: «линия» ждёт 4 числа (x1, y1, x2, y2), а получил 2",
      "[pink] Подсказка: пример — линия(0, 0, 300, 150)"},
     true},
};

const std::vector<Case> cases = [] {
    std::vector<Case> all = fixedCases, loops = endlessLoops();
    all.insert(all.end(), loops.begin(), loops.end());
    return all;
}();

// After every frame has loaded: each frame's panel as lines, a line that stands in an element
// with a colour of its own prefixed "[colour] ", the panel's first space left out.
const std::string collector = R"(<pre id="out"></pre>
<script>
window.addEventListener('load', function () { setTimeout(function () {
  var out = [];
  document.querySelectorAll('iframe').forEach(function (frame) {
    var panel = frame.contentDocument.getElementById('result'), text = '';
    panel.childNodes.forEach(function (node) {
      var colour = node.style && node.style.color;
      text += colour ? node.textContent.replace(/[^\n]+/g, function (l) { return '[' + colour + '] ' + l; })
                     : node.textContent;
    });
    out.push(text.replace(/^ /, '').replace(/\n$/, ''));
  });
  document.getElementById('out').textContent = JSON.stringify(out);
}, 100); });
</script>
)";

}  // namespace

TEST(BrowserPageErrors, EachProgramShowsItsLinesInThePanel) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    std::string frames;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string name = "п" + std::to_string(100 + i);
        writeFile(folder / (name + ".лумс"), cases[i].source);
        ASSERT_FALSE(compileWithLum(folder / (name + ".лумс"), cases[i].js ? std::vector<std::string>{"-js"}
                                                                              : std::vector<std::string>{})
                         .empty());
        std::string page = name + ".html";
        if (cases[i].js) {
            page = name + ".страница.html";
            writeFile(folder / page, "<!DOCTYPE html>\n<html>\n<body>\n<canvas id=\"canvas\"></canvas>\n"
                                     "<div id=\"result\"></div>\n<script src=\"" + name + ".js\"></script>\n</body>\n</html>\n");
        }
        if (!cases[i].stub.empty()) {
            std::string html = readFile(folder / page);
            const std::size_t body = html.find("<body");
            html.insert(html.find('>', body) + 2, cases[i].stub);
            writeFile(folder / page, html);
        }
        frames += "<iframe src=\"" + page + "\"></iframe>\n";
    }
    writeFile(folder / "все.html", "<!DOCTYPE html>\n<html>\n<body>\n" + frames + collector + "</body>\n</html>\n");
    const std::string shown = elementText(dumpDom(folder / "все.html", 5000, {allowFileScripts}), "out");
    // The JSON array of panels, one string per frame.
    std::vector<std::string> panels;
    for (std::size_t at = shown.find('"'); at != std::string::npos; at = shown.find('"', at + 1)) {
        std::string text;
        for (++at; at < shown.size() && shown[at] != '"'; ++at) {
            if (shown[at] == '\\' && at + 1 < shown.size()) {
                ++at;
                text += shown[at] == 'n' ? '\n' : shown[at];
            } else {
                text += shown[at];
            }
        }
        panels.push_back(text);
    }
    ASSERT_EQ(panels.size(), cases.size()) << shown;
    // An expected line ending in "…" is the start of its line (the rest holds values read while running).
    const std::string ellipsis = "…";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::string expected, shownLines;
        std::size_t from = 0;
        for (const std::string& line : cases[i].panel) {
            const std::size_t end = std::min(panels[i].find('\n', from), panels[i].size());
            std::string got = from <= panels[i].size() ? panels[i].substr(from, end - from) : "";
            const bool prefix = line.size() > ellipsis.size() && line.compare(line.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0;
            if (prefix && got.compare(0, line.size() - ellipsis.size(), line, 0, line.size() - ellipsis.size()) == 0) got = line;
            expected += (expected.empty() ? "" : "\n") + line;
            shownLines += (shownLines.empty() ? "" : "\n") + got;
            from = end + 1;
        }
        if (from < panels[i].size()) shownLines += "\n" + panels[i].substr(from);
        EXPECT_EQ(shownLines, expected) << cases[i].what << "\n" << cases[i].source << "\n" << panels[i];
    }
}
