// Compiled pages run in headless Chromium: the panel's text and colour, and translated errors
// that name the right line of the source.
#include <gtest/gtest.h>

#include <string>

#include "support/browser.h"
#include "support/temp_folder.h"

namespace {

struct PageRun {
    std::string dom, panel, colour, display;
};

// Writes the source, compiles it to a page and runs the page.
PageRun runSource(const TempFolder& folder, const std::string& source, const std::string& name = "игра.лумс") {
    writeFile(folder / name, source);
    PageRun run;
    const std::string page = compileWithLum(folder / name);
    if (page.empty()) return run;
    run.dom = dumpDom(page);
    run.panel = elementText(run.dom, "result");
    const std::string style = elementStyle(run.dom, "result");
    run.colour = styleProperty(style, "color");
    run.display = styleProperty(style, "display");
    return run;
}

std::string pageError(const std::string& message, int line) {
    return "У вас ошибка " + message + " (около строки " + std::to_string(line) + " вашей программы)";
}

// The panel's line that reports an error ("" when none); the output and the hint stand around it.
std::string errorLine(const std::string& panel) {
    const std::size_t at = panel.find("У вас ошибка");
    return at == std::string::npos ? "" : panel.substr(at, panel.find('\n', at) - at);
}

}  // namespace

TEST(BrowserPage, ConsoleCallsAppendToThePanelAndTheLastColourWins) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    const PageRun run = runSource(folder,
                                  "console.log('one', 2, {a: [1, 'x']}, null);\n"
                                  "console.warn('careful');\n"
                                  "console.error('bad', 3);\n");
    // The panel starts with one space; console calls append.
    EXPECT_EQ(run.panel, " one 2 {\"a\":[1,\"x\"]} null\nПРЕДУПРЕЖДЕНИЕ: careful\nОШИБКА: bad 3\n");
    EXPECT_EQ(run.colour, "red");
    EXPECT_EQ(run.display, "block");

    TempFolder other;
    const PageRun warned = runSource(other, "console.log('a');\nconsole.warn('w');\n");
    EXPECT_EQ(warned.panel, " a\nПРЕДУПРЕЖДЕНИЕ: w\n");
    EXPECT_EQ(warned.colour, "orange");
}

TEST(BrowserPage, ConsolelogReplacesThePanelAndConsoleclearHidesIt) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    const PageRun shown = runSource(folder, "console.error('gone');\nconsolelog('<b>bold</b> text');\n");
    EXPECT_EQ(shown.panel, "bold text");
    EXPECT_NE(findElementById(shown.dom, "result")->innerHtml.find("<b>bold</b>"), std::string::npos);
    EXPECT_EQ(shown.colour, "white");
    EXPECT_EQ(shown.display, "block");

    TempFolder other;
    const PageRun cleared = runSource(other, "console.log('gone');\nconsoleclear();\n");
    EXPECT_EQ(cleared.panel, "");
    EXPECT_EQ(cleared.display, "none");
}

TEST(BrowserPage, ErrorLineCountsLibraryCodeInFrontAsTheDirectiveLine) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    writeFile(folder / "helper.js", "function helper() {\n  return 41;\n}\n");
    const PageRun run = runSource(folder,
                                  "подключить библиотеку helper\n"
                                  "console.log(helper() + 1);\n"
                                  "\n"
                                  "notThere();\n");
    EXPECT_EQ(errorLine(run.panel), pageError("при использовании ссылки: notThere не определена/объявлена", 4));
    // A library's own error is reported at the line of its directive.
    TempFolder second;
    writeFile(second / "broken.js", "\nfunction broken() {\n  return absentValue;\n}\nbroken();\n");
    const PageRun inLibrary = runSource(second, "console.log(1);\nподключить библиотеку broken\nconsole.log(2);\n");
    EXPECT_EQ(errorLine(inLibrary.panel), pageError("при использовании ссылки: absentValue не определена/объявлена", 2));
}

TEST(BrowserPage, HiddenSourceShowsTheSourceAsWrittenAndStaysHidden) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    const std::string source = "if (1 < 2 && 3 > 2) console.log(\"a < b & 'x'\");\n// </div> __OFFSET__\n";
    const PageRun run = runSource(folder, source, "a&b.лумс");
    EXPECT_EQ(elementText(run.dom, "lup"), "\n" + source + "\n");
    EXPECT_EQ(styleProperty(elementStyle(run.dom, "lup"), "display"), "none");
    EXPECT_EQ(run.panel, " a < b & 'x'\n");
    EXPECT_NE(run.dom.find("<title>\n  a&amp;b\n</title>"), std::string::npos);
}

TEST(BrowserPage, PageWithoutThePanelStillRuns) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    writeFile(folder / "p.лумс", "consolelog('quiet');\ndocument.title = 'ran';\nmissingName;\n");
    const std::string page = compileWithLum(folder / "p.лумс");
    ASSERT_FALSE(page.empty());
    // A page edited by hand without its panel: the output functions fall back to the console.
    std::string html = readFile(page);
    const std::size_t at = html.find("<div id=\"result\"");
    ASSERT_NE(at, std::string::npos);
    html.erase(at, html.find("</div>\n", at) + 7 - at);
    writeFile(page, html);
    const std::string dom = dumpDom(page);
    EXPECT_NE(dom.find("<title>ran</title>"), std::string::npos);
    EXPECT_FALSE(findElementById(dom, "result").has_value());
}
