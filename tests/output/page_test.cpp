// The HTML page: fixed pieces in order, escaping, line offset, placeholders and the poll script.
#include <gtest/gtest.h>

#include <string>

#include "embedded/runtimePageOutput.h"
#include "embedded/runtimePanel.h"
#include "embedded/runtimePoll.h"
#include "embedded/runtimeMistakes.h"
#include "embedded/runtimeOrigin.h"
#include "output/runtime_words.h"
#include "output/error_messages.h"
#include "output/page.h"

using namespace output;

namespace {

const std::string head =
    "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n"
    "<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<title>\n  ";
const std::string afterTitle =
    "\n</title>\n"
    "</head>\n<body style=\"margin: 0px;\">\n"
    "<!-- Скомпилировано ЛУМ скрипт (ЛУМ2.7, lum.exe) -->\n"
    "<canvas id=\"canvas\" style=\"margin-bottom: 3px; display: block\" onclick=\"принажатиинахолст()\"></canvas>\n"
    "<div id=\"result\" style=\"display: none; width: 98vw; min-height: 2em; border: 0px; color: Olive; "
    "background-color: black; font-size: 20px; font-family: Verdana; outline: none; white-space: pre-wrap; "
    "padding: 4px;\"> </div>\n"
    "<div id='lup' style=\"display: none;\">\n";
const std::string bodyTag = "<script type=\"text/javascript\" id=\"js\">\n";
const std::string tail = "</body>\n</html>\n";

std::size_t countLines(const std::string& s) {
    std::size_t n = 0;
    for (const char c : s) n += c == '\n';
    return n;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

std::size_t occurrences(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(EscapeHtml, WritesOnlyAmpersandAndAngleBracketsAsEntities) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"a & b", "a &amp; b"},
        {"<script>", "&lt;script&gt;"},
        {"&amp;", "&amp;amp;"},
        {"\"quoted\" 'single'", "\"quoted\" 'single'"},
        {"пусть x = 1 << 2 > 0", "пусть x = 1 &lt;&lt; 2 &gt; 0"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) EXPECT_EQ(escapeHtml(c.in), c.out) << c.in;
}

TEST(Page, IsTheFourteenPiecesInOrder) {
    const std::string words = "__LUM__.словарь({});\n";
    const std::string page = buildPage({"console.log(1);", "[1]", "игра", "вывести 1", false, words});
    std::string runtime = output::runtimeWordsScript() + std::string(runtimePageOutput) + std::string(runtimePanel) +
                          pageErrorHandler() + std::string(runtimeOrigin) + std::string(runtimeMistakes);
    const std::string upToRuntime = head + "игра" + afterTitle + "вывести 1" + "\n</div>\n" + "<script>\n";
    const std::size_t offset =
        countLines(upToRuntime) + countLines(runtime) + 1 + 1 + 1 + 1;  // words, "</script>\n", map, body tag
    runtime = replaceAll(runtime, "__OFFSET__", std::to_string(offset));
    const std::string expected = upToRuntime + runtime + words + "</script>\n" +
                                 "<script>window.__LUM_LINES__ = [1];</script>\n" + bodyTag +
                                 "console.log(1);" + "\n</script>\n" + tail;
    EXPECT_EQ(page, expected);
}

TEST(Page, RuntimeLayerHoldsItsNamesAndTheWholeTranslationTable) {
    const std::string runtime =
        std::string(runtimePageOutput) + std::string(runtimePanel) + pageErrorHandler();
    for (const char* text :
         {"function consolelog(содержимое)", "function consoleclear()", "window.onerror", "сообщение, источник, строка",
          "'ОШИБКА: '", "'ПРЕДУПРЕЖДЕНИЕ: '", "'red'", "'orange'", "'white'", "'У вас ошибка '", "' (около строки '",
          "' вашей программы)'", "return false", "window.__LUM_LINES__", "JSON.stringify", "старыйЛог",
          "стараяОшибка", "староеПредупреждение", "собрать", "дописать", "панель"})
        EXPECT_NE(runtime.find(text), std::string::npos) << text;
    const char* table[][2] = {
        {"Uncaught ", ""},
        {"SyntaxError:", "в синтаксисе:"},
        {"Unexpected token", "неуместный символ"},
        {"ReferenceError:", "при использовании ссылки:"},
        {"is not defined", "не определена/объявлена"},
        {"TypeError:", "типа:"},
        {"is not a function", "не является функцией"},
        {"missing", "пропущено"},
        {"after argument list", "после перечисления аргументов"},
        {"Invalid or unexpected token", "токен-инвалид (символ не на своем месте)"},
        {"Unexpected identifier", "идентифекатор-инвалид (не на своем месте)"},
        {"RangeError:", "в диапозоне:"},
        {"EvalError:", "при выполнении выполнить код():"},
        {"URIError:", "при выпонении encodeURI() и/или decodeURI():"},
        {"AggregateError:", "(несколько):"},
        {"Assignment to constant variable", "значение константы менять нельзя!"},
        {"Unexpected end of input", "неожиданный конец ввода"},
    };
    // The replacements stand in the table's order.
    const std::string handler(pageErrorHandler());
    std::size_t last = 0;
    for (const auto& row : table) {
        const std::string call = std::string(".replace('") + row[0] + "', '" + row[1] + "')";
        const std::size_t at = handler.find(call);
        ASSERT_NE(at, std::string::npos) << call;
        EXPECT_GT(at, last) << call;
        last = at;
    }
    EXPECT_EQ(occurrences(handler, ".replace("), 17u);
}

TEST(Page, LineOffsetIsTheNumberOfLinesAboveTheScriptBody) {
    for (const bool watch : {false, true}) {
        for (const std::string source : {"", "одна строка", "строка 1\nстрока 2\nстрока 3\n\n"}) {
            const std::string page = buildPage({"first();\nsecond();", "[1,2]", "t", source, watch});
            const std::size_t bodyStart = page.find(bodyTag) + bodyTag.size();
            ASSERT_EQ(page.compare(bodyStart, 8, "first();"), 0);
            const std::size_t n = countLines(page.substr(0, bodyStart));
            EXPECT_NE(page.find("строка - " + std::to_string(n) + ";"), std::string::npos)
                << "offset " << n << " for source \"" << source << "\"";
            EXPECT_EQ(page.find("__OFFSET__"), std::string::npos);
        }
    }
}

TEST(Page, EscapesTitleAndHiddenSourceButNotTheScript) {
    const std::string page =
        buildPage({"if (a < b && c > d) x = '<\\/div>';", "[1]", "a&b<c>", "если a < b & c > d \"q\" 'a'</div>", false});
    EXPECT_NE(page.find("<title>\n  a&amp;b&lt;c&gt;\n</title>\n"), std::string::npos);
    EXPECT_NE(page.find("<div id='lup' style=\"display: none;\">\nесли a &lt; b &amp; c &gt; d \"q\" 'a'&lt;/div&gt;\n</div>\n"),
              std::string::npos);
    EXPECT_NE(page.find(bodyTag + "if (a < b && c > d) x = '<\\/div>';\n</script>\n"), std::string::npos);
}

TEST(Page, LeavesOffsetPlaceholderInSourceAndScriptAlone) {
    const std::string page = buildPage({"var s = '__OFFSET__';\n// __OFFSET__", "[1,2]", "__OFFSET__",
                                       "x = '__OFFSET__'", false});
    EXPECT_NE(page.find("<title>\n  __OFFSET__\n</title>"), std::string::npos);
    EXPECT_NE(page.find("\nx = '__OFFSET__'\n</div>"), std::string::npos);
    EXPECT_NE(page.find(bodyTag + "var s = '__OFFSET__';\n// __OFFSET__\n</script>"), std::string::npos);
    EXPECT_EQ(occurrences(page, "__OFFSET__"), 4u);
}

TEST(Page, PollScriptOnlyWithTheWatchFlag) {
    const std::string plain = buildPage({"x();", "[1]", "t", "x", false});
    const std::string watched = buildPage({"x();", "[1]", "t", "x", true});
    EXPECT_EQ(plain.find("/wait"), std::string::npos);
    EXPECT_EQ(plain.find("лусОпрос"), std::string::npos);
    EXPECT_EQ(watchPageBuild(plain), "");
    // The watch scripts carry the page's build id: 16 hex digits that follow what the page holds.
    const std::string build = watchPageBuild(watched);
    ASSERT_EQ(build.size(), 16u);
    EXPECT_EQ(build.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(watched.find("__LUM_BUILD__"), std::string::npos);
    EXPECT_NE(watchPageBuild(buildPage({"y();", "[1]", "t", "x", true})), build);
    EXPECT_NE(watchPageBuild(buildPage({"x();", "[1]", "t", "x ", true})), build);
    const std::size_t poll = watched.find("\n</script>\n<script>\n") + 11;
    EXPECT_EQ(watched.substr(poll, 9), "<script>\n");
    EXPECT_EQ(watched.compare(watched.size() - tail.size() - 10, 10, "</script>\n"), 0);
    for (const char* text : {"лусОпрос", "'/wait?build=' + сборка", "fetch(", "status === 200", "location.reload()",
                             "setTimeout(лусОпрос, 800)", "setTimeout(лусОпрос, 1200)", "BroadcastChannel",
                             "navigator.locks", "'/notes'"})
        EXPECT_NE(watched.find(text, poll), std::string::npos) << text;
    // The poll script stands below the body, so the offset is the same with and without it.
    EXPECT_EQ(watched.substr(0, watched.find(bodyTag)), plain.substr(0, plain.find(bodyTag)));
}

TEST(Page, SameInputGivesTheSameBytes) {
    const std::string a = buildPage({"a();\nb();", "[3,4]", "имя", "исходник", true});
    EXPECT_EQ(a, buildPage({"a();\nb();", "[3,4]", "имя", "исходник", true}));
    EXPECT_NE(a, buildPage({"a();\nb();", "[3,5]", "имя", "исходник", true}));
}

TEST(Page, EmptyScriptStillHasItsElementAndMap) {
    const std::string page = buildPage({"", "[]", "", "", false});
    EXPECT_NE(page.find("<title>\n  \n</title>\n"), std::string::npos);
    EXPECT_NE(page.find("<script>window.__LUM_LINES__ = [];</script>\n" + bodyTag + "\n</script>\n" + tail),
              std::string::npos);
}
