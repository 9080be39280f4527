// Pages built from a source with a script library and a JavaScript library in front: a
// script error is still reported against the line of the file it stands in.
#include <gtest/gtest.h>

#include "e2e/own_rules.h"
#include "support/browser.h"

namespace {

class LibraryPage : public testing::Test {
protected:
    // Compiles src/main.лумс with the given rules file and returns the text of the panel.
    std::string panelAfterRun(const std::string& main) {
        writeFile(src / "main.лумс", main);
        ProcessOptions options;
        options.environment["LUM_HOME"] = home.path();
        const ProcessResult r = lum.run({src / "main.лумс"}, options);
        EXPECT_EQ(r.exitCode, 0) << r.out;
        if (!fileExists(src / "main.html")) return {};
        return elementText(dumpDom(src / "main.html"), "result");
    }

    TempFolder src, home;
    LumWithRules lum{"вывести,consolelog,g\nбросить,throw new Error,g\n"};
};

TEST_F(LibraryPage, AnErrorInTheMainTextNamesItsSourceLine) {
    LUM_REQUIRE_CHROMIUM();
    // The panel keeps only the last message, so the error text itself shows that both
    // libraries ran before the main text.
    writeFile(src / "библиотеки/помощник.лумс", "// помощник\nfunction помочь() {\n  return 'помогаю';\n}\n");
    writeFile(src / "счёт.js", "var счёт = 0;\n// ПБ нет\nfunction прибавить() { счёт++; }\n");
    const std::string panel = panelAfterRun(
        "ПБ помощник\n"
        "ПБ счёт\n"
        "прибавить();\n"
        "вывести('начало');\n"
        "\n"
        "бросить('стоп ' + помочь() + ' ' + счёт);\n"
        "вывести('не дошли');\n");
    EXPECT_NE(panel.find("стоп помогаю 1 (около строки 6 вашей программы)"), std::string::npos) << panel;
    EXPECT_EQ(panel.find("не дошли"), std::string::npos) << panel;
}

TEST_F(LibraryPage, AnErrorInAScriptLibraryNamesTheLineOfThatLibrarysFile) {
    LUM_REQUIRE_CHROMIUM();
    writeFile(src / "ломается.лумс", "// первая\n// вторая\nбросить('в библиотеке');\n");
    const std::string panel = panelAfterRun("\n\n\n\n\nПБ ломается\nвывести('main');\n");
    EXPECT_NE(panel.find("в библиотеке"), std::string::npos) << panel;
    EXPECT_NE(panel.find("около строки 3 "), std::string::npos) << panel;
}

}  // namespace
