// Compiled JavaScript files included in pages of the test's own and run in headless Chromium:
// the panel, the guarded handler and the line numbers it reports.
#include <gtest/gtest.h>

#include <string>

#include "support/browser.h"
#include "support/temp_folder.h"

namespace {

const std::string pageHead = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n</head>\n<body>\n";
const std::string pageTail = "</body>\n</html>\n";

// Compiles the source with -js into prog.js beside the page.
bool compileScript(const TempFolder& folder, const std::string& source) {
    writeFile(folder / "prog.лумс", source);
    return !compileWithLum(folder / "prog.лумс", {"-js"}).empty();
}

// Writes the page and runs it; its scripts load prog.js from the same folder.
std::string runPage(const TempFolder& folder, const std::string& body) {
    writeFile(folder / "page.html", pageHead + body + pageTail);
    return dumpDom(folder / "page.html", 2000, {allowFileScripts});
}

std::string fileError(const std::string& message, int line) {
    return "У вас ошибка " + message + " (около строки " + std::to_string(line) + ")";
}

// The panel's line that reports an error ("" when none); the output and the hint stand around it.
std::string errorLine(const std::string& panel) {
    const std::size_t at = panel.find("У вас ошибка");
    return at == std::string::npos ? "" : panel.substr(at, panel.find('\n', at) - at);
}

}  // namespace

TEST(BrowserScriptFile, WithAPanelShowsOutputAndConsolelogTwice) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    ASSERT_TRUE(compileScript(folder, "console.log('hello', [1]);\nconsole.warn('w');\n"));
    const std::string dom = runPage(folder, "<div id=\"result\"></div>\n<script src=\"prog.js\"></script>\n");
    EXPECT_EQ(elementText(dom, "result"), "hello [1]\nПРЕДУПРЕЖДЕНИЕ: w\n");
    EXPECT_EQ(styleProperty(elementStyle(dom, "result"), "color"), "orange");

    TempFolder second;
    ASSERT_TRUE(compileScript(second, "console.error('first');\nconsolelog('shown');\n"));
    const std::string twice = runPage(second, "<div id=\"result\"></div>\n<script src=\"prog.js\"></script>\n");
    // consolelog replaces the panel, then its console.log appends the same text once more.
    EXPECT_EQ(elementText(twice, "result"), "shownshown\n");
    EXPECT_EQ(styleProperty(elementStyle(twice, "result"), "color"), "white");

    TempFolder third;
    ASSERT_TRUE(compileScript(third, "console.log('gone');\nconsoleclear();\n"));
    const std::string cleared = runPage(third, "<div id=\"result\">old</div>\n<script src=\"prog.js\"></script>\n");
    EXPECT_EQ(elementText(cleared, "result"), "");
    EXPECT_EQ(styleProperty(elementStyle(cleared, "result"), "display"), "none");
}

TEST(BrowserScriptFile, ErrorsNameTheSourceLineWithTheOffsetLeftAtZero) {
    LUM_REQUIRE_CHROMIUM();
    const struct {
        std::string source, message;
        int line;
    } cases[] = {
        {"throw new Error('first line');\n", "first line", 1},
        {"var a = 1;\n\nconsole.log(a);\nmissingThing(a);\n", "при использовании ссылки: missingThing не определена/объявлена",
         4},
        {"var f = 3;\nvar g = 4;\nf();\n", "типа: f не является функцией", 3},
        {"var a = 1;\nnew Function('a)');\n", "в синтаксисе: неуместный символ ')'", 2},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        ASSERT_TRUE(compileScript(folder, c.source));
        const std::string dom =
            runPage(folder, "<p>some text</p>\n<div id=\"result\"></div>\n\n<script src=\"prog.js\"></script>\n");
        EXPECT_EQ(errorLine(elementText(dom, "result")), fileError(c.message, c.line)) << c.source;
    }
}

TEST(BrowserScriptFile, AMutedErrorWithoutALineIsReportedAtLineZero) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    ASSERT_TRUE(compileScript(folder, "var a = 1;\nmissingThing(a);\n"));
    // Without allowFileScripts Chromium hides the details of a file:// script's error.
    writeFile(folder / "page.html", pageHead + "<div id=\"result\"></div>\n<script src=\"prog.js\"></script>\n" + pageTail);
    const std::string dom = dumpDom(folder / "page.html");
    EXPECT_EQ(elementText(dom, "result"),
              fileError("в скрипте с другого адреса (браузер скрыл подробности)", 0) + "\n");
}

TEST(BrowserScriptFile, PastedIntoAPageTheOffsetCountsTheHtmlLinesAbove) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    ASSERT_TRUE(compileScript(folder, "console.log(1);\nconsole.log(2);\nnotDefinedHere();\n"));
    std::string script = readFile(folder / "prog.js");
    const std::string above = pageHead + "<div id=\"result\"></div>\n<script>\n";
    std::size_t lines = 0;
    for (const char c : above) lines += c == '\n';
    const std::string zero = "var __LUM_OFFSET__ = 0;";
    const std::size_t at = script.find(zero);
    ASSERT_NE(at, std::string::npos);
    script.replace(at, zero.size(), "var __LUM_OFFSET__ = " + std::to_string(lines) + ";");
    writeFile(folder / "inline.html", above + script + "</script>\n" + pageTail);
    const std::string dom = dumpDom(folder / "inline.html");
    EXPECT_EQ(errorLine(elementText(dom, "result")),
              fileError("при использовании ссылки: notDefinedHere не определена/объявлена", 3));
}

TEST(BrowserScriptFile, WithoutAPanelNothingIsInstalledButConsolelogFindsALaterOne) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    ASSERT_TRUE(compileScript(folder, "console.log('early');\nconsolelog('also early');\n"));
    const std::string dom = runPage(folder,
                                    "<script src=\"prog.js\"></script>\n"
                                    "<div id=\"result\"></div>\n"
                                    "<script>console.log('not shown'); consolelog('late');</script>\n");
    // console was never wrapped, so consolelog fills the panel exactly once.
    EXPECT_EQ(elementText(dom, "result"), "late");
    EXPECT_EQ(styleProperty(elementStyle(dom, "result"), "display"), "block");
    EXPECT_EQ(styleProperty(elementStyle(dom, "result"), "color"), "white");
}

TEST(BrowserScriptFile, KeepsAnErrorHandlerThePageAlreadyHas) {
    LUM_REQUIRE_CHROMIUM();
    TempFolder folder;
    ASSERT_TRUE(compileScript(folder, "console.log('ran');\nbrokenCall();\n"));
    const std::string dom = runPage(folder,
                                    "<div id=\"own\"></div>\n<div id=\"result\"></div>\n"
                                    "<script>window.onerror = function (m, s, l) {\n"
                                    "  document.getElementById('own').textContent = 'own ' + l + ': ' + m;\n"
                                    "};</script>\n"
                                    "<script src=\"prog.js\"></script>\n");
    EXPECT_EQ(elementText(dom, "result"), "ran\n");
    const std::string own = elementText(dom, "own");
    EXPECT_EQ(own.rfind("own ", 0), 0u) << own;
    EXPECT_NE(own.find("brokenCall is not defined"), std::string::npos) << own;
    EXPECT_EQ(dom.find("У вас ошибка"), std::string::npos);
}

TEST(BrowserScriptFile, WithoutAPanelAtLoadTheConsoleStaysTheBrowsers) {
    LUM_REQUIRE_CHROMIUM();
    const std::string probe =
        "document.getElementById('probe').textContent = [console.log, console.error, console.warn].map(function (f) {\n"
        "  return /native code/.test(String(f));\n}).join(' ');\n";
    const struct {
        bool page;
        std::string expected;
    } cases[] = {{true, "true true true"}, {false, "true true true"}};
    for (const auto& c : cases) {
        TempFolder folder;
        if (c.page) {
            // A page whose panel was taken out by hand.
            writeFile(folder / "prog.лумс", probe);
            const std::string html = compileWithLum(folder / "prog.лумс");
            ASSERT_FALSE(html.empty());
            std::string page = readFile(html);
            const std::size_t at = page.find("<div id=\"result\"");
            ASSERT_NE(at, std::string::npos);
            page.replace(at, page.find("</div>", at) + 6 - at, "<div id=\"probe\"></div>");
            writeFile(html, page);
            EXPECT_EQ(elementText(dumpDom(html), "probe"), c.expected) << "page";
        } else {
            ASSERT_TRUE(compileScript(folder, probe));
            EXPECT_EQ(elementText(runPage(folder, "<div id=\"probe\"></div>\n<script src=\"prog.js\"></script>\n"), "probe"),
                      c.expected)
                << "-js";
        }
    }
}
