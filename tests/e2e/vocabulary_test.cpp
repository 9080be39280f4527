// The default vocabulary end to end: each construct compiled by lum with src/keywords.csv and run
// in node inside a stand-in page (node_page.js); the page's output is compared as a whole.
#include <algorithm>
#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/own_rules.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

const std::string harness = std::string(LUM_SOURCE_DIR) + "/tests/e2e/node_page.js";

bool nodeReady() {
    if (onPath("node")) return true;
    if (std::getenv("CI") && std::string(std::getenv("CI")) == "true") ADD_FAILURE() << "CI=true but node is missing";
    return false;
}

#define LUM_REQUIRE_NODE()                                                  \
    do {                                                                    \
        if (!nodeReady()) GTEST_SKIP() << "node is missing: apt-get install -y nodejs"; \
    } while (0)

// Compiles `source` with -js and runs it; returns what the page showed, or a description of
// the failure.
std::string runProgram(const std::string& source, const std::vector<std::string>& pageOptions = {}) {
    TempFolder folder;
    writeFile(folder / "программа.лумс", source);
    const ProcessResult compiled = runLum({"-js", folder / "программа.лумс"});
    if (compiled.exitCode != 0) return "lum failed: " + compiled.out;
    std::vector<std::string> argv = {"node", harness, folder / "программа.js"};
    argv.insert(argv.end(), pageOptions.begin(), pageOptions.end());
    const ProcessResult ran = runProcess(argv);
    if (ran.exitCode != 0) return "node failed: " + ran.out + ran.err;
    return ran.out;
}

// The translated body of a -js file: what follows the marker line that opens the source.
std::string translatedBody(const std::string& source) {
    TempFolder folder;
    writeFile(folder / "т.лумс", "/*BODY*/\n" + source);
    const ProcessResult compiled = runLum({"-js", folder / "т.лумс"});
    if (compiled.exitCode != 0) return "lum failed: " + compiled.out;
    const std::string js = readFile(folder / "т.js");
    const std::size_t at = js.rfind("/*BODY*/\n");
    if (at == std::string::npos) return "no marker in " + js;
    return js.substr(at + 9, js.size() - at - 9 - 1);  // without the file's closing line feed
}

// Three-digit names keep the files of a folder in case order.
std::string caseName(std::size_t i) {
    std::string n = std::to_string(i);
    return std::string(3 - std::min<std::size_t>(3, n.size()), '0') + n;
}

struct Case {
    const char* what;
    std::string source;
    std::string shown;
    std::vector<std::string> options = {};
};

void runCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(runProgram(c.source, c.options), c.shown) << c.what << "\n" << c.source;
}

std::vector<Case> variablesAndValuesCases() {
    return {
        {"let, const and the four values",
         "пусть а = истина\nпеременная б = ложь\nконстанта в = пусто\n"
         "вывести(а, б, в, неопределено, typeof неопределено)\n",
         "true false null undefined undefined\n"},
        {"константа cannot change", "константа к = 1\nк = 2\n",
         "[панель скрыта]\n[ошибка] Assignment to constant variable.\n"},
        {"words in any case", "ПУСТЬ а = ИСТИНА\nВывести(а)\n", "true\n"},
    };
}

TEST(Vocabulary, VariablesAndValues) {
    LUM_REQUIRE_NODE();
    runCases(variablesAndValuesCases());
}

std::vector<Case> outputAndInputCases() {
    return {
        {"console.log appends, errors and warnings carry their prefix",
         "вывести(\"один\", 2)\nвывести_ошибку(\"плохо\")\nвывести_предупреждение(\"осторожно\")\n",
         "один 2\nОШИБКА: плохо\nПРЕДУПРЕЖДЕНИЕ: осторожно\n"},
        // In a JavaScript file consolelog replaces the panel and then logs, so the wrapped
        // console.log appends the value once more, as text.
        {"показать replaces the panel", "вывести(\"раз\")\nпоказать(\"<b>два</b>\")\n",
         "<b>два</b>&lt;b&gt;два&lt;/b&gt;\n"},
        {"очистить_вывод hides it", "вывести(\"раз\")\nочистить_вывод()\n", "[панель скрыта]\n"},
        {"prompt, a number from prompt, alert",
         "пусть имя = спросить(\"Как тебя зовут?\")\nпусть год = спросить_число(\"Сколько тебе лет?\")\n"
         "сообщить(\"Привет, \" + имя)\nвывести(год + 1, тип(год))\n",
         "42 number\n[сообщение] Привет, Аня\n",
         {"--answers=Аня|41"}},
    };
}

TEST(Vocabulary, OutputAndInput) {
    LUM_REQUIRE_NODE();
    runCases(outputAndInputCases());
}

std::vector<Case> conditionsInWordFormCases() {
    return {
        {"если … то … иначе если … тогда … иначе … конец",
         "функция оценка(x):\n"
         "  если x больше 5 то\n    вернуть \"много\"\n"
         "  иначе если x равно 5 тогда\n    вернуть \"пять\"\n"
         "  иначе\n    вернуть \"мало\"\n  конец\nконец\n"
         "вывести(оценка(7), оценка(5), оценка(1))\n",
         "много пять мало\n"},
        {"on one line, and a condition in parentheses or ending in a call",
         "пусть а = [1, 2]\n"
         "если (а.длина > 1) и (а[0] == 1) то вывести(\"да\") конец\n"
         "если а.длина > максимум(0, 1) то вывести(\"вызов\") иначе вывести(\"нет\") конец\n",
         "да\nвызов\n"},
    };
}

TEST(Vocabulary, ConditionsInWordForm) {
    LUM_REQUIRE_NODE();
    runCases(conditionsInWordFormCases());
}

std::vector<Case> conditionsWithBracesCases() {
    return {
        {"если(…) { } иначе если (…) { } иначе { }",
         "функция знак(x) {\n"
         "  если(x > 0) {\n    вернуть \"+\"\n"
         "  } иначе если (x < 0) {\n    вернуть \"-\"\n"
         "  } иначе {\n    вернуть \"0\"\n  }\n}\n"
         "вывести(знак(3), знак(-3), знак(0))\n",
         "+ - 0\n"},
        {"without spaces around иначе",
         "функция вид(x) {\n"
         "  если(x % 2 == 0) {\n    вернуть \"чёт\"\n"
         "  }иначе если(x == 1) {\n    вернуть \"один\"\n"
         "  }иначе{\n    вернуть \"нечет\"\n  }\n}\n"
         "вывести(вид(2), вид(1), вид(3))\n",
         "чёт один нечет\n"},
    };
}

TEST(Vocabulary, ConditionsWithBraces) {
    LUM_REQUIRE_NODE();
    runCases(conditionsWithBracesCases());
}

std::vector<Case> comparisonAndLogicCases() {
    return {
        {"comparison words",
         "пусть а = 3\n"
         "вывести(а больше или равно 3, а меньше или равно 2, а не равно 3, а не равен 4, а не равна 4)\n"
         "вывести(а не больше 3, а не меньше 4, а равно 3, а равен \"3\", а равна 2)\n"
         "вывести(а больше 2, а меньше 2)\n",
         "true false false true true\ntrue false true true false\ntrue false\n"},
        {"и, или, не", "пусть а = 3\nвывести(а > 2 и а < 4, а > 5 или а < 0, не истина, не (а > 5))\n",
         "true false false true\n"},
    };
}

TEST(Vocabulary, ComparisonAndLogic) {
    LUM_REQUIRE_NODE();
    runCases(comparisonAndLogicCases());
}

std::vector<Case> loopsCases() {
    return {
        {"пока … делать … конец and пока(…) { }",
         "пусть i = 0\nпока i меньше 3 делать\n  i = i + 1\nконец\nвывести(i)\n"
         "пока(i > 0) {\n  i = i - 1\n}\nвывести(i)\n",
         "3\n0\n"},
        {"для каждого … из … делать, прервать, продолжить",
         "для каждого x из [1, 2, 3, 4, 5] делать\n"
         "  если x равно 2 то продолжить конец\n"
         "  если x равно 4 то прервать конец\n"
         "  вывести(x)\nконец\n",
         "1\n3\n"},
        {"повторить N раз with счетчик and счётчик",
         "повторить 3 раз\n  вывести(счетчик, счётчик)\nконец\n", "0 0\n1 1\n2 2\n"},
        {"раз, раза, разов with делать, braces or nothing",
         "повторить 1 раз делать вывести(\"а\") конец\n"
         "повторить 1 раз { вывести(\"б\") }\n"
         "повторить 2 раза вывести(\"в\") конец\n"
         "повторить 1 раза делать вывести(\"г\") конец\n"
         "повторить 1 раза { вывести(\"д\") }\n"
         "повторить 1 разов вывести(\"е\") конец\n"
         "повторить 1 разов делать вывести(\"ж\") конец\n"
         "повторить 1 разов { вывести(\"з\") }\n"
         "повторить 0 раз вывести(\"никогда\") конец\n",
         "а\nб\nв\nв\nг\nд\nе\nж\nз\n"},
        {"a count that is an expression", "пусть n = 2\nповторить n + 1 РАЗ\n  вывести(счетчик)\nконец\n",
         "0\n1\n2\n"},
    };
}

TEST(Vocabulary, Loops) {
    LUM_REQUIRE_NODE();
    runCases(loopsCases());
}

std::vector<Case> functionsCases() {
    return {
        {"named with a colon, anonymous, and with braces",
         "функция площадь(ш, в):\n  вернуть ш * в\nконец\n"
         "пусть удвоить = функция(x): вернуть x * 2 конец\n"
         "функция привет() {\n  вернуть \"привет\"\n}\n"
         "вывести(площадь(3, 4), удвоить(5), привет())\n",
         "12 10 привет\n"},
    };
}

TEST(Vocabulary, Functions) {
    LUM_REQUIRE_NODE();
    runCases(functionsCases());
}

std::vector<Case> numbersAndMathsCases() {
    return {
        {"rounding, roots, powers, min and max",
         "вывести(округлить(2.6), округлить_вниз(2.6), округлить_вверх(2.1), квадратный_корень(81), модуль(-4))\n"
         "вывести(минимум(3, 1, 2), максимум(3, 1, 2), степень(2, 8), синус(0), косинус(0), округлить(ПИ * 100))\n"
         "вывести(число(\"12\") + 1, строка(12) + 1, тип(5), тип(\"5\"), (2 / 3).до_знаков(2))\n",
         "3 2 3 9 4\n1 3 256 0 1 314\n13 121 number string 0.67\n"},
        {"random numbers stay in their range and reach both ends",
         "пусть видели = new Set()\nпусть вне = 0\n"
         "повторить 300 раз\n  видели.add(случайное_целое(1, 6))\n"
         "  пусть д = случайное_число()\n  если д < 0 или д >= 1 то вне = вне + 1 конец\nконец\n"
         "вывести(видели.size, Math.min(...видели), Math.max(...видели), вне)\n",
         "6 1 6 0\n",
         {"--seed=7"}},
    };
}

TEST(Vocabulary, NumbersAndMaths) {
    LUM_REQUIRE_NODE();
    runCases(numbersAndMathsCases());
}

std::vector<Case> stringsAndArraysCases() {
    return {
        {"adding to and removing from an array",
         "пусть список = [3, 10, 2]\nсписок.добавить(1)\nсписок.добавить_в_начало(0)\n"
         "вывести(список.соединить(\"-\"), список.длина)\n"
         "вывести(список.удалить_последний(), список.удалить_первый(), список.соединить(\",\"))\n"
         "список.вырезать(1, 1)\nвывести(список.соединить(\",\"))\n",
         "0-3-10-2-1 5\n1 0 3,10,2\n3,2\n"},
        {"sorting by value, by a function, reversing, searching",
         "пусть ч = [10, 9, 1, 100]\nвывести(ч.сортировать().соединить(\",\"))\n"
         "вывести(ч.сортировать(функция(а, б): вернуть б - а конец).соединить(\",\"))\n"
         "вывести(ч.перевернуть().соединить(\",\"), ч.позиция(9), ч.содержит(100), ч.содержит(5))\n"
         "вывести([\"я\", \"а\", \"м\"].сортировать().соединить(\"\"))\n",
         "1,9,10,100\n100,10,9,1\n1,9,10,100 1 true false\nамя\n"},
        {"string methods",
         "пусть слово = \"  Привет, Мир  \".обрезать_пробелы()\n"
         "вывести(слово.заглавными(), слово.строчными(), слово.часть(0, 6), слово.разделить(\", \").длина)\n"
         "вывести(\"ab\".повторить(3), \"a-b-c\".заменить(\"-\", \"+\"), слово.содержит(\"Мир\"), слово.позиция(\"М\"))\n",
         "ПРИВЕТ, МИР привет, мир Привет 2\nababab a+b+c true 8\n"},
    };
}

TEST(Vocabulary, StringsAndArrays) {
    LUM_REQUIRE_NODE();
    runCases(stringsAndArraysCases());
}

std::vector<Case> timeCases() {
    return {
        {"через, каждые, остановить_повтор",
         "пусть тики = 0\n"
         "пусть таймер = каждые(5, функция():\n  тики = тики + 1\n"
         "  если тики равно 3 то\n    остановить_повтор(таймер)\n    вывести(\"тики\", тики)\n  конец\nконец)\n"
         "через(1, функция(): вывести(\"через\") конец)\nвывести(\"сразу\")\n",
         "сразу\nчерез\nтики 3\n",
         {"--wait=300"}},
    };
}

TEST(Vocabulary, Time) {
    LUM_REQUIRE_NODE();
    runCases(timeCases());
}

// The executors' words, each shown by what the executor did: a word left untranslated stops the program.
std::vector<Case> executorCases() {
    return {
        {"the Robot's commands and conditions",
         "подключить исполнителя Робот\n"
         "вывести(сверху стена, слева стена, снизу свободно, справа свободно, клетка чистая)\n"
         "вправо\nвниз()\nзакрасить\nвывести(сверху свободно, слева свободно, снизу стена, справа стена, клетка закрашена)\n"
         "влево\nвверх\nвывести(__LUM__.итогИсполнителей().шагов)\n",
         "true true true true true\ntrue true false false true\n5\n"},
        {"the Draftsman's commands",
         "подключить исполнителя Чертёжник\nсместиться в точку(1, 2)\nопустить перо\nсместиться на вектор(3, 0)\n"
         "поднять перо\nсместиться на вектор(1, 1)\nвывести(__LUM__.итогИсполнителей().отрезки.join(' '))\n",
         "1 2 4 2\n"},
    };
}

TEST(Vocabulary, Executors) {
    LUM_REQUIRE_NODE();
    runCases(executorCases());
}

std::vector<Case> drawingCases() {
    return {
        {"every drawing word on the canvas library's ctx",
         "ПБ расширенной работы с холстом\n"
         "цвет(\"red\")\nпрямоугольник(1, 2, 3, 4)\nцвет_линии(\"blue\")\nтолщина_линии(2)\nрамка(5, 6, 7, 8)\n"
         "круг(10, 20, 5)\nокружность(10, 20, 6)\nдуга(0, 0, 10, 0, 90)\nлиния(1, 1, 9, 9)\n"
         "шрифт(\"20px serif\")\nнаписать(\"Да\", 3, 4)\nочистить_холст()\n",
         "[холст] fillStyle=red fillRect(1,2,3,4) strokeStyle=blue lineWidth=2 strokeRect(5,6,7,8) "
         "beginPath() arc(10,20,5,0,6.283) fill() beginPath() arc(10,20,6,0,6.283) stroke() "
         "beginPath() arc(0,0,10,0,1.571) stroke() beginPath() moveTo(1,1) lineTo(9,9) stroke() "
         "font=20px serif fillText(Да,3,4) clearRect(0,0,300,150)\n[панель скрыта]\n"},
    };
}

TEST(Vocabulary, Drawing) {
    LUM_REQUIRE_NODE();
    runCases(drawingCases());
}

std::vector<Case> eventsCases() {
    return {
        {"при нажатии на холст, with щелчок_x and щелчок_у",
         "при нажатии на холст\n  вывести(\"щелчок\", щелчок_x, щелчок_у)\nконец\n", "щелчок 12 34\n",
         {"--click=12,34"}},
        {"the same with braces and the other spelling",
         "при нажатии на холст {\n  вывести(щелчок_х, щелчок_y)\n}\n", "5 6\n", {"--click=5,6"}},
        {"the handler can also be called without a click",
         "при нажатии на холст\n  вывести(щелчок_x)\nконец\nпринажатиинахолст()\n", "0\n"},
        {"при нажатии клавиши", "при нажатии клавиши\n  вывести(\"клавиша\", клавиша)\nконец\n",
         "клавиша ArrowUp\n", {"--key=ArrowUp"}},
        {"при нажатии клавиши with braces", "при нажатии клавиши {\n  вывести(клавиша)\n}\n", "a\n", {"--key=a"}},
    };
}

TEST(Vocabulary, Events) {
    LUM_REQUIRE_NODE();
    runCases(eventsCases());
}

// Each built-in library by each directive form, the whole table applied to it: its functions run.
std::vector<Case> everyLibraryByEveryDirectiveFormCases() {
    const struct {
        const char* name;
        std::string use, shown;
    } libraries[] = {
        {"расширенной работы с холстом",
         "нарисовать_квадрат(1, 2, 3)\nпокрасить_весь_холст_в(\"black\")\nразмеры_холста(40, 30)\n"
         "вывести(стандарт, проверка_столкновений(0, 0, 10, 10, 5, 5, 10, 10), ctx.canvas.width)\n",
         "6.666 true 40\n[холст] fillRect(1,2,3,3) fillStyle=black fillRect(0,0,300,150) fillStyle=#000000\n"},
        {"расширенной математики",
         "вывести(кв_корень(16), кв_корень(-4), куб_корень(27), корень(16, 4), умножение(\"ab\", 2), умножение(3, 4))\n"
         "вывести(преобразовать_в_число(\"12\"), преобразовать_в_число(\"абв\"), примерно_равно(\"2.2\", 2))\n"
         "вывести(сложение_нецелых(0.1, 0.2), тип(наверное()), целое_случайное_число(5, 5))\n"
         "пусть л = new ЛУМС(1, функция(с): вывести(\"стало\", с) конец, \"number\")\nл.изменить(2)\n",
         "4 2i 3 2 abab 12\n12 3 true\n0.3 boolean 5\nстало 2\n"},
        {"расширенной работы с текстом",
         "вывести(записать_в_массив_текст(\"аб\"), записать_массив_в_строку([\"в\", \"г\"]))\n"
         "вывести(убрать_все_пробелы(\"а б в\"), разбить_строку_по_пробелам(\"а б\").длина)\n"
         "вывести(убрать_буквы(\"а1б2\"), убрать_цифры(\"а1б2\"))\nпринт(\"раз\", \"два\")\n",
         "[\"а\",\"б\"] вг\nабв 2\n12 аб\n[сообщение] раз два\n"},
        {"кода в одну строку",
         "код_в_одну_строку(функция(): вывести(1) конец, функция(): вывести(2) конец)\n", "1\n2\n"},
    };
    std::vector<Case> cases;
    for (const auto& library : libraries)
        for (const std::string form : {"подключить библиотеку ", "ПБ ", "Подключить Библиотеку "})
            cases.push_back({library.name, form + library.name + "\n" + library.use, library.shown});
    return cases;
}

TEST(Vocabulary, EveryLibraryByEveryDirectiveForm) {
    LUM_REQUIRE_NODE();
    runCases(everyLibraryByEveryDirectiveFormCases());
}

std::vector<Case> reservedGreetingCases() {
    const std::string greeting = "Привет! Я ЛУМ скрипт. Пишите команды по-русски, а браузер их выполнит.\n";
    return {
        {"long form", "подключить библиотеку привет\n", greeting},
        {"short form, then the program goes on", "ПБ привет\nвывести(1)\n", greeting + "1\n"},
    };
}

TEST(Vocabulary, ReservedGreeting) {
    LUM_REQUIRE_NODE();
    runCases(reservedGreetingCases());
}

std::vector<Case> trapsKeywordsInNamesStringsAndCommonNamesCases() {
    return {
        {"keywords inside identifiers stay",
         "пусть конец_игры = ложь\nпусть еслиб = 1\nпусть пустьx = 2\nпусть счетконец = 3\nпусть и2 = 4\n"
         "пусть покажи = 5\nвывести(конец_игры, еслиб, пустьx, счетконец, и2, покажи)\n",
         "false 1 2 3 4 5\n"},
        {"keywords inside string literals stay",
         "вывести(\"если то иначе конец пусть вывести\")\nвывести('пока делать 3 раз')\n",
         "если то иначе конец пусть вывести\nпока делать 3 раз\n"},
        {"common words stay usable as names",
         "пусть число = 5\nпусть строка = \"с\"\nпусть текст = \"т\"\nпусть список = [1]\nпусть длина = 2\n"
         "пусть имя = \"и\"\nпусть сумма = 0\nпусть счет = 1\nпусть x = 3\nпусть цвет = \"red\"\n"
         "пусть круг = 1\nпусть максимум = 9\nпусть модуль = 8\nпусть линия = 7\n"
         "вывести(число, строка, текст, список, длина, имя, сумма, счет, x, цвет, круг, максимум, модуль, линия)\n"
         "вывести(число(строка(число) + \"1\"), список.длина + длина)\n",
         "5 с т [1] 2 и 0 1 3 red 1 9 8 7\n51 3\n"},
        {"plain JavaScript beside the words",
         "let a = 1;\nif (a === 1) { console.log(\"js\"); }\nесли a равно 1 то вывести(\"лум\") конец\n"
         "for (let i = 0; i < 2; i++) { console.log(i) }\nconst f = (x) => x ? 1 : 2; console.log(f(0))\n",
         "js\nлум\n0\n1\n2\n"},
    };
}

TEST(Vocabulary, TrapsKeywordsInNamesStringsAndCommonNames) {
    LUM_REQUIRE_NODE();
    runCases(trapsKeywordsInNamesStringsAndCommonNamesCases());
}

// The JavaScript that the words produce is left alone by every rule: translating it again
// changes nothing, so no rule damages another's output and plain JavaScript passes through.
TEST(Vocabulary, TranslatedCodeIsStableUnderTheWholeTable) {
    const std::string js =
        "let a = [3, 1, 2];\nconst b = a.length + a.push(1);\nif (a.includes(3) && !false || null == undefined) {\n"
        "} else if (a.indexOf(2) != -1) {\n} else {\n}\nwhile (a.length > 10) { break }\n"
        "for (const x of a) { continue }\nfunction f(p, q) { return p >= q }\n"
        "console.log(a.sort((a,b)=>a<b?-1:a>b?1:0).join(\",\"), a.reverse().slice(1))\n"
        "console.error(1); console.warn(2); consolelog(3); consoleclear()\n"
        "alert(prompt(\"?\")); Object((q)=>Number(prompt(q)))(\"?\")\n"
        "Math.round(Math.floor(Math.ceil(Math.sqrt(Math.abs(Math.min(Math.max(Math.pow(Math.sin(Math.cos(Math.PI))))))))))\n"
        "Number(String(typeof(Math.random())))\nObject((a,b)=>Math.floor(Math.random()*(b-a+1))+a)(1, 2)\n"
        "Object((t,f)=>setTimeout(f,t))(1, f); Object((t,f)=>setInterval(f,t))(1, f); clearInterval(0)\n"
        "ctx.fillStyle=(1); ctx.strokeStyle=(1); ctx.lineWidth=(1); ctx.font=(1); ctx.fillRect(1); ctx.strokeRect(1)\n"
        "Object((x,y,r)=>{ctx.beginPath();ctx.arc(x,y,r,0,2*Math.PI);ctx.fill();})(1)\n"
        "ctx.fillText(1); Object(()=>ctx.clearRect(0,0,ctx.canvas.width,ctx.canvas.height))()\n"
        "function принажатиинахолст(){const щелчок_x=window.event?window.event.offsetX:0,щелчок_y=0;}\n"
        "document.onkeydown=function(событие){const клавиша=событие.key;}\n"
        "'a'.toUpperCase().toLowerCase().replaceAll('a', 'b').trim().repeat(2).split(''); (1).toFixed(2); a.pop(); a.shift(); a.unshift(1); a.splice(0, 1)\n"
        "счетчик = 1\n"
        "for (let __LUM_G__ = __LUM_V__, __LUM_N__ = 33, __LUM_K__ = __LUM__.whileLoop, __LUM_C__ = true; __LUM_N__; __LUM_N__ = "
        "__LUM_N__ ? 0 : (__LUM_G__ = __LUM_K__(__LUM_G__)).n) while (!--__LUM_N__ ? false : a) {}\n"
        "for (let __LUM_G__ = __LUM_V__, __LUM_N__ = 33, __LUM_K__ = __LUM__.eachLoop, __LUM_C__ = false; __LUM_G__; "
        "__LUM_G__ = 0) for (const x of a) {__LUM_C__||--__LUM_N__||(__LUM_N__=(__LUM_G__=__LUM_K__(__LUM_G__)).n);}\n"
        "__LUM__.circle(1); __LUM__.fillText(1); __LUM__.randomInt(1, 2); [].sort(__LUM__.order)\n";
    EXPECT_EQ(translatedBody(js), js);
}

std::vector<Case> allCases() {
    std::vector<Case> all;
    for (auto group : {&variablesAndValuesCases, &outputAndInputCases, &conditionsInWordFormCases, &conditionsWithBracesCases, &comparisonAndLogicCases, &loopsCases, &functionsCases, &numbersAndMathsCases, &stringsAndArraysCases, &timeCases, &executorCases, &drawingCases, &eventsCases, &everyLibraryByEveryDirectiveFormCases, &reservedGreetingCases, &trapsKeywordsInNamesStringsAndCommonNamesCases}) {
        const std::vector<Case> cases = group();
        all.insert(all.end(), cases.begin(), cases.end());
    }
    return all;
}

// The rule lines of src/keywords.csv, header left out.
std::vector<std::string> defaultRuleLines() {
    const std::string csv = readFile(std::string(LUM_SOURCE_DIR) + "/src/keywords.csv");
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < csv.size()) {
        std::size_t end = csv.find('\n', at);
        if (end == std::string::npos) end = csv.size();
        const std::string line = csv.substr(at, end - at);
        if (!line.empty() && line.rfind("pattern,", 0) != 0) lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

// Every case compiled with -js by a lum that has `rules`, left in `folder` as NNN.js; the
// translated program of each, in case order: what follows the run-time layer's dictionary line,
// which changes with the table whatever the program.
std::vector<std::string> compileAll(const std::vector<Case>& cases, const LumWithRules& lum, const TempFolder& folder) {
    for (std::size_t i = 0; i < cases.size(); ++i) writeFile(folder / (caseName(i) + ".лумс"), cases[i].source);
    const ProcessResult r = lum.run({"-js", folder.path()});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    std::vector<std::string> js;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string file = readFile(folder / (caseName(i) + ".js"));
        js.push_back(file.substr(std::min(file.size(), file.find('\n', file.find("\n__LUM__.словарь(") + 1))));
    }
    return js;
}

// What the table less one rule does to the cases: whether it changes the translation of some
// case, and whether a changed case then shows something else in the page.
struct Verdict {
    bool changed = false, caught = false;
};

// The changed cases run in node a few at a time: each run mostly waits for the page's timers.
Verdict tryWithout(const std::vector<Case>& cases, const std::vector<std::string>& base, const LumWithRules& lum) {
    TempFolder folder;
    const std::vector<std::string> js = compileAll(cases, lum, folder);
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < cases.size(); ++i)
        if (js[i] != base[i]) changed.push_back(i);
    Verdict verdict{!changed.empty(), false};
    constexpr std::size_t batch = 4;
    for (std::size_t from = 0; from < changed.size() && !verdict.caught; from += batch) {
        std::vector<std::future<bool>> runs;
        for (std::size_t at = from; at < std::min(changed.size(), from + batch); ++at)
            runs.push_back(std::async(std::launch::async, [&, i = changed[at]] {
                std::vector<std::string> argv = {"node", harness, folder / (caseName(i) + ".js")};
                argv.insert(argv.end(), cases[i].options.begin(), cases[i].options.end());
                return runProcess(argv).out != cases[i].shown;
            }));
        for (auto& run : runs) verdict.caught = run.get() || verdict.caught;
    }
    return verdict;
}

// Each rule of the default table is exercised by a case that fails without it: the table less
// that one rule changes the translation of some case, and that case then shows something else.
// Four rules are tried at a time: each try mostly waits for lum and node to start and for the
// pages' timers, so even two cores keep four busy.
TEST(Vocabulary, EveryRuleIsExercisedByACaseThatFailsWithoutIt) {
    LUM_REQUIRE_NODE();
    const std::vector<Case> cases = allCases();
    const std::vector<std::string> rules = defaultRuleLines();
    ASSERT_GT(rules.size(), 100u);
    std::string whole;
    for (const std::string& rule : rules) whole += rule + "\n";
    TempFolder baseFolder;
    const LumWithRules first(whole), second(whole), third(whole), fourth(whole);
    const std::vector<std::string> base = compileAll(cases, first, baseFolder);
    std::vector<Verdict> verdicts(rules.size());
    std::atomic<std::size_t> next{0};
    const auto worker = [&](const LumWithRules& lum) {
        for (std::size_t k; (k = next++) < rules.size();) {
            std::string without;
            for (std::size_t j = 0; j < rules.size(); ++j)
                if (j != k) without += rules[j] + "\n";
            lum.setRules(without);
            verdicts[k] = tryWithout(cases, base, lum);
        }
    };
    std::thread others[] = {std::thread(worker, std::cref(second)), std::thread(worker, std::cref(third)),
                            std::thread(worker, std::cref(fourth))};
    worker(first);
    for (std::thread& other : others) other.join();
    for (std::size_t k = 0; k < rules.size(); ++k) {
        EXPECT_TRUE(verdicts[k].changed) << "no case uses the rule " << rules[k];
        EXPECT_TRUE(!verdicts[k].changed || verdicts[k].caught) << "no case fails without the rule " << rules[k];
    }
}

}  // namespace
