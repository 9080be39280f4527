// Beginner mistakes as a learner meets them in Chromium: for each kind, programs and the lines
// their panel shows (the repair the browser's parser confirmed, the compiler's hint at its line,
// grey notes after the output); and correct programs that look like the mistakes, which show no
// message at all. All programs run as frames of one page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/browser.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

struct Case {
    std::string source;
    std::vector<std::string> panel;  // "[colour] …" for a line in a colour of its own
    std::string answers = "";        // what prompt answers, in turn (a JavaScript array)
};

std::string error(const std::string& message, int line, const std::string& hint) {
    return "[red] У вас ошибка " + message + " (около строки " + std::to_string(line) + " вашей программы)\n[pink] Подсказка: " + hint;
}
std::string syntax(const std::string& message, int line, const std::string& hint) { return error("в синтаксисе: " + message, line, hint); }
const std::string between = "идентифекатор-инвалид (не на своем месте) 'вывести'";
const std::string unclosed = "пропущено ) после перечисления аргументов";
const std::string холст = "ПБ расширенной работы с холстом\n";
std::string leftEmpty(const std::string& function, int call, const std::string& parameter, int use) {
    return "строка " + std::to_string(call) + ": «" + function + "» вызвана с 1 знач., а параметров у неё 2 (строка " +
           std::to_string(call == 5 && use == 3 ? 2 : 1) + "): «" + parameter + "» остался без значения, это «неопределено», и строка " +
           std::to_string(use) + " взяла его. Передайте в вызове все значения.";
}
const std::string look =
    "программа не запустилась вовсе. Проверьте эту строку и строку выше: закрыты ли скобки и кавычки, не пропущено ли "
    "«тогда», «то» или «делать» в конце условия или цикла и есть ли у каждого блока свой «конец».";

const std::vector<std::vector<Case>> kinds = {
    // 1. Repairs tried with the browser's parser; none helps: only where to look.
    {{"функция ф(x)\n  вывести(x)\nконец\n", {syntax(between, 2, "допишите «:» в конце строки 1.")}},
     {"пусть x = 1\nесли x больше 0 вывести(x) конец\n", {syntax(between, 2, "допишите «то» перед «вывести» на строке 2.")}},
     {"вывести(Привет мир)\n", {syntax(unclosed, 1, "возьмите слова в кавычки: \"Привет мир\" — без кавычек они читаются как имена (строка 1).")}},
     {"пусть а = 1\nпусть б = 2\nвывести(а б)\n", {syntax(unclosed, 3, "между значениями ставят запятую: а, б (строка 3).")}},
     {"вывести(1,, 2)\n", {syntax("неуместный символ ','", 1, "уберите лишнюю запятую (строка 1).")}},
     {"пусть а = [1, 2\nвывести(а)\n", {syntax(between, 2, "допишите «]» в конце строки 1.")}},
     {"пусть а = 1\nпусть а = 2\n", {syntax("имя «а» уже объявлено", 2, "уберите «пусть» на строке 2: имя уже объявлено, а значение меняют без «пусть».")}},
     {"если x > 5:\n  вывести(x)\nконец\n", {syntax("неуместный символ ':'", 1, "в конце строки пишут «то» вместо «:» (строка 1).")}},
     {"if x > 5:\n  вывести(x)\nконец\n", {syntax("идентифекатор-инвалид (не на своем месте) 'x'", 1, "пишите «если» вместо «if», а «то» вместо «:» в конце строки (строка 1).")}},
     {"# счёт\nвывести(1)\n", {syntax("токен-инвалид (символ не на своем месте)", 1, "комментарий начинают с //, а не с # (строка 1).")}},
     {"var ok = 1;\nvar = 2;\n", {syntax("неуместный символ '='", 2, look)}}},
    // 2. Only what the learner wrote, no English.
    {{"пусть x = 1\nесли x больше 0 то\n  вывести(x)\nконец\nконец\n",
      {syntax("неуместное слово «конец»", 5, "уберите лишнее «конец» на строке 5.")}},
     {"константа к\nк = 5\n", {syntax("у «константа» нет значения", 1, "значение «константа» пишется сразу: константа имя = значение. Если значение появится позже, объявите имя словом «пусть» (строка 1).")}},
     {"пусть т = {имя = 1}\n", {syntax("в фигурных скобках { } после имени ставят «:», а не «=»", 1, look)}},
     {"5++\n", {syntax("++ и -- меняют только переменную", 1, look)}},
     {"пусть м = []\nвывести(м.reduce(функция(а, б): вернуть а + б конец))\n",
      {error("типа: массив пуст, и сложить его элементы нечем", 2, "")}}},
    // 3. Explained at the line to edit.
    {{"пусть x равно 5\n", {syntax("неуместное слово «равно»", 1, "«равно» сравнивает, а значение даёт знак «=»: пишите «=» вместо «равно» (строка 1).")}},
     {"пусть x = 3,5\n", {syntax("неуместное число", 1, "дробную часть числа отделяют точкой: 3.5, а не 3,5 (строка 1).")}},
     {"для каждого x в [1, 2] делать\n  вывести(x)\nконец\n", {syntax("здесь не хватает значения", 1, "пишите «из» вместо «в» (строка 1).")}},
     {"пусть ответ = input(\"Имя?\")\n",
      {error("при использовании ссылки: input не определена/объявлена", 1, "«input» — слово другого языка; в ЛУМ скрипте пишут «спросить».")}},
     {"пусть очки = 10\nочкм = очкм + 5\n", {error("при использовании ссылки: очкм не определена/объявлена", 2,
                                                "может быть, «очки»? Проверьте, как написано имя.")}},
     {"если истина то\n  пусть итог = 5\nконец\nвывести(итог)\n",
      {error("при использовании ссылки: итог не определена/объявлена", 4,
             "«итог» объявлено на строке 2 внутри блока, а имя, объявленное внутри «если», «пока», «для каждого» или «функция», "
             "живёт только до его «конец». Объявите «итог» перед блоком, а в блоке меняйте без «пусть».")}},
     {"пусть x = 1\nесли истина то\n  пусть x = x + 1\nконец\n",
      {error("при использовании ссылки: к «x» нельзя обращаться раньше, чем оно объявлено", 3,
             "«x» уже объявлено на строке 1, а на строке 3 объявлено снова: уберите там «пусть», чтобы менять прежнее значение.")}}},
    // 4. Silent bugs get a grey note after the output, once per kind.
    {{"пусть а = спросить(\"а?\")\nпусть б = спросить(\"б?\")\nвывести(а + б)\nвывести(а + б)\n",
      {"23", "[grey] Заметка: строка 3: «+» склеил ответы «спросить» как текст: \"2\" + \"3\" = \"23\". Чтобы сложить числа, "
             "спрашивайте «спросить_число» или пишите число(а) + число(б).", "23"},
      "['2', '3']"},
     {"ПБ расширенной работы с холстом\nразмеры_холста(300, 200)\nкруг(150, 260, 20)\nкруг(150, 100, 20)\n",
      {"[grey] Заметка: строка 3: «круг(150, 260, 20)» целиком за пределами холста, ниже нижнего края (холст 300 × 200): эту фигуру не видно. "
       "На холсте y растёт вниз: 0 — верхний край, 200 — нижний; чтобы подняться, уменьшайте y."}},
     {"пусть ч = 5\nвывести(ч.длина)\n",
      {"undefined", "[grey] Заметка: строка 2: у числа нет «длина» — она есть у текста и массива, поэтому вышло «неопределено». "
                    "Если нужна длина записи числа, пишите строка(x).длина."}},
     {"пусть x\nвывести(x)\nвывести(\"итог: \" + число(\"абв\"))\nвывести(x)\n",
      {"undefined", "[grey] Заметка: строка 2: выведено «неопределено» — у значения нет значения: переменная объявлена без значения, "
                    "в массиве нет элемента с таким номером, у значения нет такого свойства или функция ничего не вернула словом «вернуть».",
       "итог: NaN", "[grey] Заметка: строка 3: в тексте \"абв\" не только цифры, и число(\"абв\") дало NaN — «не число». "
                    "Оставьте в кавычках одни цифры.", "undefined"}},
     {"пусть лет = спросить_число(\"Сколько лет?\")\nвывести(лет + 1)\n", {"13"}, "['двенадцать', '12,0', '12']"},
     {"пусть ц = спросить_число(\"ц?\")\nпусть д = спросить(\"д?\")\nпусть итого = ц + д\nвывести(\"итого: \" + итого)\n",
      {"итого: 15025", "[grey] Заметка: строка 2: в «д» ответ «спросить», а это текст, и «+» на строке 3 склеил его с числом «ц»: "
                       "150 + \"25\" = \"15025\". Спрашивайте «спросить_число» или пишите число(д)."},
      "['150', '25']"}},
    // 5. An empty value drawn or printed inside a function: the line that made it, the call's line
    // when the call left a parameter without a value.
    {{холст + "функция р(n):\n  пусть к = n\nконец\nкруг(9, 9, р(3))\n",
      {"[red] строка 5: «круг» ждёт 3 числа (x, y, радиус), а радиус — «неопределено»", "[pink] Подсказка: строка 3: функция «р» "
       "доходит до «конец» без «вернуть», поэтому её вызов на строке 5 дал «неопределено». Чтобы функция отдала результат, пишите «вернуть» и значение."}},
     {холст + "функция дом(x, y):\n  рамка(x, y, 5, 5)\nконец\nдом(1)\n",
      {"[red] строка 3: «рамка» ждёт 4 числа (x, y, ширина, высота), а y — «неопределено»", "[pink] Подсказка: " + leftEmpty("дом", 5, "y", 3)}},
     {"подключить исполнителя Чертёжник\nпусть м = [1, 2]\nсместиться в точку(м[2], 0)\n",
      {"[red] строка 3: «сместиться в точку» ждёт два числа (x, y), например «сместиться в точку(2, 3)»", "[pink] Подсказка: строка 3: "
       "в «м» 2 эл., их номера — с 0 до 1, а номера 2 нет, поэтому вышло «неопределено». Номера элементов начинаются с 0."}},
     {"функция с(a, b):\n  вывести(a + b)\nконец\nфункция все():\n  с(1)\nконец\nвсе()\n",
      {"NaN", "[grey] Заметка: " + leftEmpty("с", 5, "b", 2)}},
     {"функция итог(ц):\n  пусть сум\n  для каждого x из ц делать\n    сум = сум + x\n  конец\n  вернуть сум\nконец\nвывести(\"итог: \" + итог([1, 2]))\n",
      {"итог: NaN", "[grey] Заметка: строка 2: «сум» объявлена без значения, и первое же сум + … дало NaN. Дайте начальное значение: пусть сум = 0."}}},
};

// Correct programs that look like the mistakes: the output and nothing else.
const std::vector<Case> lookAlikes = {
    {"пусть имя = спросить(\"Имя?\")\nпусть фам = спросить(\"Фамилия?\")\nвывести(имя + фам)\n", {"АняЛи"}, "['Аня', 'Ли']"},
    {"пусть а = спросить_число(\"а?\")\nпусть б = спросить_число(\"б?\")\nвывести(а + б)\n", {"5"}, "['2', '3']"},
    {"пусть ул = спросить(\"Улица?\")\nпусть дом = 5\nпусть адрес = ул + дом\nвывести(адрес)\n", {"Ленина5"}, "['Ленина']"},
    {"пусть ч = число(\"абв\")\nесли isNaN(ч) то вывести(\"не число\") конец\nвывести(\"NaN значит «не число»\")\n",
     {"не число", "NaN значит «не число»"}},
    {"если истина то\n  пусть в_блоке = 5\n  вывести(в_блоке)\nконец\nпусть т = \"слово\"\nвывести(т.длина, [1, 2].длина)\n", {"5", "5 2"}},
    {"вывести(3,5)\nкруг2 = 1\nпусть x = 1, y = 2\nвывести(x, y)\n", {"3 5", "1 2"}},
    {"функция ф(x):\n  вернуть x * 2\nконец\nдля каждого к из [1, 2] делать вывести(ф(к)) конец\nпусть з = 1\nз = з + 1\n", {"2", "4"}},
    {холст + "функция р(n):\n  вернуть n\nконец\nкруг(9, 9, р(3))\nфункция дом(x, y):\n  рамка(x, y, 5, 5)\nконец\nдом(1, 2)\n", {""}},
    {"функция с(a, b):\n  если b == неопределено то b = 0 конец\n  вывести(a + b, неопределено)\nконец\nс(1)\n", {"1 undefined"}},
};

std::string framesPage(TempFolder& folder, const std::vector<Case>& cases, const std::string& prefix) {
    std::string frames;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string name = prefix + std::to_string(100 + i);
        writeFile(folder / (name + ".лумс"), cases[i].source);
        EXPECT_FALSE(compileWithLum(folder / (name + ".лумс")).empty());
        if (!cases[i].answers.empty()) {
            std::string html = readFile(folder / (name + ".html"));
            html.insert(html.find('>', html.find("<body")) + 2,
                        "<script>var ответы = " + cases[i].answers + "; window.prompt = function () { return ответы.shift(); };</script>\n");
            writeFile(folder / (name + ".html"), html);
        }
        frames += "<iframe src=\"" + name + ".html\"></iframe>\n";
    }
    return frames;
}

}  // namespace

TEST(BrowserMistakes, EachKindIsExplainedAndLookAlikesStaySilent) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    std::vector<Case> all;
    for (const std::vector<Case>& kind : kinds) all.insert(all.end(), kind.begin(), kind.end());
    all.insert(all.end(), lookAlikes.begin(), lookAlikes.end());
    const std::string collector = R"(<pre id="out"></pre><script>
window.addEventListener('load', function () { setTimeout(function () {
  var out = [];
  document.querySelectorAll('iframe').forEach(function (frame) {
    var text = '';
    frame.contentDocument.getElementById('result').childNodes.forEach(function (node) {
      var colour = node.style && node.style.color;
      text += colour ? node.textContent.replace(/[^\n]+/g, function (l) { return '[' + colour + '] ' + l; }) : node.textContent;
    });
    out.push(text.replace(/^ /, '').replace(/\n$/, ''));
  });
  document.getElementById('out').textContent = JSON.stringify(out);
}, 100); });
</script>)";
    writeFile(folder / "все.html", "<!DOCTYPE html>\n<html>\n<body>\n" + framesPage(folder, all, "м") + collector + "</body>\n</html>\n");
    const std::string shown = elementText(dumpDom(folder / "все.html", 5000, {allowFileScripts}), "out");
    std::vector<std::string> panels;
    for (std::size_t at = shown.find('"'); at != std::string::npos; at = shown.find('"', at + 1)) {
        std::string text;
        for (++at; at < shown.size() && shown[at] != '"'; ++at) {
            if (shown[at] == '\\' && at + 1 < shown.size()) text += shown[++at] == 'n' ? '\n' : shown[at];
            else text += shown[at];
        }
        panels.push_back(text);
    }
    ASSERT_EQ(panels.size(), all.size()) << shown;
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::string expected;
        for (const std::string& line : all[i].panel) expected += (expected.empty() ? "" : "\n") + line;
        const std::string noHint = "\n[pink] Подсказка: ";  // an error without a hint
        if (expected.size() > noHint.size() && expected.compare(expected.size() - noHint.size(), noHint.size(), noHint) == 0)
            expected.resize(expected.size() - noHint.size());
        EXPECT_EQ(panels[i], expected) << all[i].source;
    }
}
