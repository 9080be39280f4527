// The built-in library texts: their frame and table, and their functions run in node.
#include "rules/libraries.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "support/temp_folder.h"

using namespace base;
using namespace rules;

namespace {

std::size_t lineCount(std::string_view text) {
    std::size_t lines = 1;
    for (char c : text) lines += c == '\n';
    return lines;
}

TEST(BuiltinLibraries, TableFrameAndSize) {
    struct Row {
        const char* tag;
        const char* name;
        std::size_t lines;
        std::vector<std::string> defines;
    };
    const Row rows[] = {
        {"{LIB_CANVAS}", "расширенной работы с холстом", 27,
         {"ctx=document.getElementById('canvas').getContext('2d');", "стандарт", "function покрасить_весь_холст_в(",
          "function нарисовать_квадрат(", "function размеры_холста(", "function проверка_столкновений("}},
        {"{LIB_MATH}", "расширенной математики", 70,
         {"function целое_случайное_число(", "function кв_корень(", "function куб_корень(", "function корень(",
          "function умножение(", "function преобразовать_в_число(", "function наверное(", "function примерно_равно(",
          "function сложение_нецелых(", "ЛУМС"}},
        {"{LIB_TEXT}", "расширенной работы с текстом", 23,
         {"function записать_в_массив_текст(", "function записать_массив_в_строку(", "function принт(",
          "function убрать_все_пробелы(", "function разбить_строку_по_пробелам(", "function убрать_буквы(",
          "function убрать_цифры("}},
        {"{LIB_ONELINE}", "кода в одну строку", 5, {"function код_в_одну_строку("}},
    };
    ASSERT_NE(builtinLibraries(), nullptr);
    for (int i = 0; i < builtinLibraryCount; ++i) {
        const Row& row = rows[i];
        const BuiltinLibrary& library = builtinLibraries()[i];
        EXPECT_EQ(library.tag, row.tag);
        EXPECT_EQ(library.displayName, row.name);
        EXPECT_EQ(findLibraryByTag(row.tag), &library);
        const std::string first = "/*подключение библиотеки " + std::string(row.name) + "*/\n";
        const std::string last = "\n/*конец библиотеки. Дальше можете писать свой код!*/";
        EXPECT_EQ(library.text.substr(0, first.size()), first) << row.tag;
        ASSERT_GE(library.text.size(), last.size());
        EXPECT_EQ(library.text.substr(library.text.size() - last.size()), last) << row.tag;
        EXPECT_EQ(lineCount(library.text), row.lines) << row.tag;
        EXPECT_EQ(library.text.find('\r'), std::string_view::npos);
        EXPECT_EQ(library.text.find("</"), std::string_view::npos);  // would close the page's script
        CodePoints decoded;
        EXPECT_TRUE(decodeUtf8(std::string(library.text), decoded)) << row.tag;
        for (const std::string& name : row.defines)
            EXPECT_NE(library.text.find(name), std::string_view::npos) << row.tag << " lacks " << name;
    }
    EXPECT_EQ(findLibraryByTag("{LIB_math}"), nullptr);
    EXPECT_EQ(findLibraryByTag("{LIB_MATH} "), nullptr);
    EXPECT_EQ(findLibraryByTag(""), nullptr);
}

TEST(BuiltinLibraries, TheOneLineLibraryIsExact) {
    EXPECT_EQ(findLibraryByTag("{LIB_ONELINE}")->text,
              "/*подключение библиотеки кода в одну строку*/\nfunction код_в_одну_строку(){\n"
              "  [...arguments].forEach((элемент)=>элемент());\n}\n"
              "/*конец библиотеки. Дальше можете писать свой код!*/");
}

// ---- The functions, run in node behind small stand-ins for the page. The texts are the same
// on every platform, so the Windows build (run under Wine, without node) leaves this to the
// native one.
#ifndef _WIN32

bool haveNode() { return std::system("node --version >/dev/null 2>&1") == 0; }

// Runs the script; its standard output and whether node exited with 0.
std::pair<bool, std::string> runNode(const std::string& script) {
    TempFolder folder;
    writeFile(folder / "test.js", script);
    const std::string command = "node " + folder / "test.js" + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {false, "popen failed"};
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    return {pclose(pipe) == 0, out};
}

const std::string pageStandIns = R"JS(
const assert = require('assert');
var alerts = [];
var alert = (m) => alerts.push(String(m));
var fills = [];
var fakeContext = { fillStyle: '#000000', canvas: { width: 300, height: 150 },
  fillRect(x, y, w, h) { fills.push([this.fillStyle, x, y, w, h]); } };
var document = { getElementById: (id) => (id === 'canvas' ? { getContext: (kind) => (kind === '2d' ? fakeContext : null) } : null) };
var window = { innerWidth: 1280, innerHeight: 720 };
)JS";

void expectRuns(const std::string& tag, const std::string& checks, int copies = 1) {
    if (!haveNode()) {
        if (const char* ci = std::getenv("CI"); ci && std::string(ci) == "true") FAIL() << "node is required under CI";
        GTEST_SKIP() << "node not found";
    }
    std::string script = pageStandIns;
    for (int i = 0; i < copies; ++i) script += std::string(findLibraryByTag(tag)->text) + "\n";
    script += checks + "\nconsole.log('all checks passed');\n";
    const auto [ok, out] = runNode(script);
    EXPECT_TRUE(ok) << out;
    EXPECT_NE(out.find("all checks passed"), std::string::npos) << out;
}

TEST(BuiltinLibrariesInNode, Canvas) {
    expectRuns("{LIB_CANVAS}", R"JS(
assert.strictEqual(ctx, fakeContext);
assert.strictEqual(стандарт, 6.666);
ctx.fillStyle = 'red';
покрасить_весь_холст_в('blue');
assert.deepStrictEqual(fills.pop(), ['blue', 0, 0, 300, 150]);
assert.strictEqual(ctx.fillStyle, 'red');
нарисовать_квадрат(10, 20, 5);
assert.deepStrictEqual(fills.pop(), ['red', 10, 20, 5, 5]);
размеры_холста(640, 480);
assert.deepStrictEqual([ctx.canvas.width, ctx.canvas.height], [640, 480]);
размеры_холста('стандарт');
assert.deepStrictEqual([ctx.canvas.width, ctx.canvas.height], [1280, 720]);
// overlapping, apart, touching edges, and b inside a (b's corners are not tested)
assert.strictEqual(проверка_столкновений(0, 0, 10, 10, 5, 5, 10, 10), true);
assert.strictEqual(проверка_столкновений(6, 6, 10, 10, 0, 0, 10, 10), true);
assert.strictEqual(проверка_столкновений(0, 0, 10, 10, 20, 20, 5, 5), false);
assert.strictEqual(проверка_столкновений(0, 0, 10, 10, 10, 0, 10, 10), false);
assert.strictEqual(проверка_столкновений(0, 0, 10, 10, 2, 2, 3, 3), false);
assert.strictEqual(проверка_столкновений(2, 2, 3, 3, 0, 0, 10, 10), true);
assert.strictEqual(проверка_столкновений(15, 5, 10, 2, 10, 0, 10, 10), true);
)JS");
}

TEST(BuiltinLibrariesInNode, Mathematics) {
    expectRuns("{LIB_MATH}", R"JS(
for (let i = 0; i < 2000; ++i) {
  const r = целое_случайное_число(3, 7);
  assert.ok(Number.isInteger(r) && r >= 3 && r <= 7, String(r));
}
const seen = new Set();
for (let i = 0; i < 2000; ++i) seen.add(целое_случайное_число(1, 3));
assert.deepStrictEqual([...seen].sort(), [1, 2, 3]);
assert.strictEqual(кв_корень(9), 3);
assert.strictEqual(кв_корень(0), 0);
assert.strictEqual(кв_корень(-4), '2i');
assert.ok(Math.abs(куб_корень(27) - 3) < 1e-12);
assert.ok(Math.abs(корень(16, 4) - 2) < 1e-12);
assert.strictEqual(умножение('ab', 3), 'ababab');
assert.strictEqual(умножение(2, 'xy'), 'xyxy');
assert.strictEqual(умножение(6, 7), 42);
assert.strictEqual(умножение(6, null), undefined);
assert.strictEqual(преобразовать_в_число('12'), 12);
assert.strictEqual(преобразовать_в_число(3.5), 3.5);
assert.strictEqual(преобразовать_в_число('абв'), 3);
assert.strictEqual(typeof наверное(), 'boolean');
assert.strictEqual(наверное(1), true);
assert.strictEqual(наверное(-1), false);
assert.strictEqual(примерно_равно(2.4, '2'), true);
assert.strictEqual(примерно_равно('abc', 3.2), true);
assert.strictEqual(примерно_равно(1, 2), false);
assert.strictEqual(сложение_нецелых(0.1, 0.2), 0.3);
assert.strictEqual(0.1 + 0.2 === 0.3, false);
const seenByCallback = [];
const л = new ЛУМС(5, (x) => seenByCallback.push(x), 'number');
assert.strictEqual(л.содержимое, 5);
л.изменить(7);
assert.strictEqual(л.содержимое, 7);
assert.deepStrictEqual(alerts, []);
const т = new ЛУМС('текст', (x) => seenByCallback.push(x), 'number');
т.изменить(1);
assert.strictEqual(т.содержимое, 'текст');
assert.strictEqual(alerts.length, 1);
assert.ok(alerts[0].includes('У класса ЛУМС не тот тип!'));
assert.deepStrictEqual(seenByCallback, [7, 'текст']);
)JS");
}

TEST(BuiltinLibrariesInNode, Text) {
    expectRuns("{LIB_TEXT}", R"JS(
assert.deepStrictEqual(записать_в_массив_текст('абв'), ['а', 'б', 'в']);
assert.strictEqual(записать_массив_в_строку(['а', 1, 'б']), 'а1б');
принт('a', 1, true);
assert.deepStrictEqual(alerts, ['a 1 true']);
assert.strictEqual(убрать_все_пробелы(' a b  c '), 'abc');
assert.strictEqual(убрать_все_пробелы('a\tb'), 'a\tb');
assert.deepStrictEqual(разбить_строку_по_пробелам('a b  c'), ['a', 'b', '', 'c']);
assert.strictEqual(убрать_буквы('a1б2 3'), '123');
assert.strictEqual(убрать_цифры('a1б2 3'), 'aб ');
)JS");
}

TEST(BuiltinLibrariesInNode, OneLine) {
    expectRuns("{LIB_ONELINE}", R"JS(
const order = [];
код_в_одну_строку(() => order.push(1), () => order.push(2), function () { order.push(arguments.length); });
assert.deepStrictEqual(order, [1, 2, 0]);
)JS");
}

TEST(BuiltinLibrariesInNode, EveryLibraryMayBeInsertedTwice) {
    for (int i = 0; i < builtinLibraryCount; ++i) expectRuns(std::string(builtinLibraries()[i].tag), "", 2);
}
#endif

}  // namespace
