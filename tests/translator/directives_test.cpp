// Library directives: recognition, argument trimming, reserved names, the search on disk.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/platform.h"
#include "support/temp_folder.h"
#include "translator/libraries_on_disk.h"
#include "translator/translator_helpers.h"

using namespace base;
using namespace translator;

namespace {

struct Collected {
    std::string text;
    std::string lines;  // of the rewritten text
    std::vector<std::string> paths;
    std::vector<std::uint32_t> directiveLines;
    WarningList warnings;
};

class Directives : public testing::Test {
protected:
    Collected collect(const std::string& source) {
        CodeText text = textOf(source);
        Collected c;
        collectLibraryDirectives(text, folder.path(), diskLibraries(), c.paths, c.directiveLines, c.warnings);
        EXPECT_EQ(text.chars.size(), text.lines.size());
        c.text = utf8Of(text);
        c.lines = linesOf(text);
        return c;
    }
    std::string inFolder(const std::string& name) const { return nativePath(folder.path(), name); }

    TempFolder folder, home;
    ScopedEnv homeVariable{"LUM_HOME", home.path()};
};

TEST_F(Directives, ShortPrefixOnItsOwnLine) {
    writeFile(folder / "библиотеки/графика.лумс", "x");
    const Collected c = collect("a\nПБ графика\nb");
    EXPECT_EQ(c.text, "a\n\nb");
    EXPECT_EQ(c.lines, "1,1,2,3");  // the line break stays, so the line count does too
    EXPECT_EQ(c.paths, std::vector<std::string>{inFolder("библиотеки/графика.лумс")});
    EXPECT_EQ(c.directiveLines, std::vector<std::uint32_t>{2});
    EXPECT_TRUE(c.warnings.empty());
}

TEST_F(Directives, WhatCountsAsADirective) {
    writeFile(folder / "графика.лумс", "x");
    const std::pair<const char*, const char*> cases[] = {
        {"ПОДКЛЮЧИТЬ БИБЛИОТЕКУ графика\n", "\n"},
        {"Подключить Библиотеку графика\n", "\n"},
        {"подключить библиотеку графика", ""},  // at the very end, no line break
        {"xyzПБ графика\n", "xyz\n"},            // nothing is needed before the prefix
        {"ПБ графика; \n", "; \n"},               // trailing ';' and spaces stay
        {"ПБ \t графика\t;;\r\n", "\t;;\r\n"},
        {"ПБ графика", ""},
        {"пб графика\n", "пб графика\n"},        // the short form is exact
        {"Пб графика\n", "Пб графика\n"},
        {"ПБграфика\n", "ПБграфика\n"},           // no space after the prefix
        {"ПБ  ;\nx", "ПБ  ;\nx"},                 // empty argument: not a directive
        {"ПБ \nx", "ПБ \nx"},
        {"ПБ ", "ПБ "},
        {"подключить библиотеку ", "подключить библиотеку "},
        {"'ПБ графика'", "'ПБ графика'"},         // inside a closed literal
        {"\"x ПБ графика\ny\"", "\"x ПБ графика\ny\""},
        {"'ПБ графика", "'"},                     // an unclosed quote is ordinary
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(collect(source).text, expected) << source;
}

TEST_F(Directives, ReservedNamesStayInTheText) {
    const char* sources[] = {
        "подключить библиотеку расширенной работы с холстом\n",
        "ПБ расширенной математики\n",
        "ПБ РАСШИРЕННОЙ РАБОТЫ С ТЕКСТОМ;\n",
        "подключить библиотеку кода в одну строку\n",
        "ПОДКЛЮЧИТЬ БИБЛИОТЕКУ Кода В Одну Строку\n",
        "ПБ Привет",
    };
    for (const char* source : sources) {
        const Collected c = collect(source);
        EXPECT_EQ(c.text, source);
        EXPECT_TRUE(c.paths.empty() && c.warnings.empty()) << source;
    }
    // A reserved name with more after it is an ordinary name.
    const Collected c = collect("ПБ привет мир\n");
    EXPECT_EQ(c.text, "\n");
    EXPECT_EQ(c.warnings.size(), 1u);
}

TEST_F(Directives, MissingLibrariesWarnOncePerDirectiveInTextOrder) {
    const Collected c = collect("ПБ нет\nx\nподключить библиотеку нет;\nПБ другая");
    EXPECT_EQ(c.text, "\nx\n;\n");
    EXPECT_TRUE(c.paths.empty());
    const std::string tail = ".лумс|.лум|.js рядом с программой и в ЛУМ2.7) — строка удалена";
    EXPECT_EQ(c.warnings, (WarningList{
                              "строка 1: библиотека «нет» не найдена (искал библиотеки\\нет" + tail,
                              "строка 3: библиотека «нет» не найдена (искал библиотеки\\нет" + tail,
                              "строка 4: библиотека «другая» не найдена (искал библиотеки\\другая" + tail,
                          }));
}

TEST_F(Directives, LongNamesAreWarnedInFull) {
    const std::string name(300, 'n');
    const Collected c = collect("ПБ " + name);
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_EQ(c.warnings[0].text.find("«" + name + "»"), std::string("строка 1: библиотека ").size());
    EXPECT_NE(c.warnings[0].text.find("библиотеки\\" + name + ".лумс"), std::string::npos);
}

TEST_F(Directives, NameWithANulIsNeverLookedUp) {
    writeFile(folder / "библиотеки/a", "x");
    CodeText text = textOf("ПБ a");
    text.chars.push_back(0);
    text.chars.push_back('b');
    text.lines.resize(text.chars.size(), 1);
    std::vector<std::string> paths;
    std::vector<std::uint32_t> lines;
    WarningList warnings;
    collectLibraryDirectives(text, folder.path(), diskLibraries(), paths, lines, warnings);
    EXPECT_TRUE(paths.empty());
    EXPECT_EQ(warnings.size(), 1u);
}

TEST_F(Directives, SearchOrder) {
    // Each step removes the winner of the one before, so every place and extension is seen
    // to be tried, in order.
    const std::string places[] = {
        inFolder("библиотеки/lib.лумс"),             inFolder("библиотеки/lib.лум"),
        inFolder("библиотеки/lib.js"),               inFolder("lib.лумс"),
        inFolder("lib.лум"),                         inFolder("lib.js"),
        nativePath(home.path(), "библиотеки/lib.лумс"), nativePath(home.path(), "библиотеки/lib.лум"),
        nativePath(home.path(), "библиотеки/lib.js"),   nativePath(home.path(), "lib.лумс"),
        nativePath(home.path(), "lib.лум"),             nativePath(home.path(), "lib.js"),
    };
    for (const std::string& place : places) writeFile(place, "x");
    for (const std::string& place : places) {
        const Collected c = collect("ПБ lib");
        EXPECT_EQ(c.paths, std::vector<std::string>{place});
        platform::removeFile(place);
    }
    EXPECT_EQ(collect("ПБ lib").warnings.size(), 1u);
}

TEST_F(Directives, FoldersNamedLikeCandidatesArePassedOver) {
    makeFolder(folder / "библиотеки/lib.лумс");
    makeFolder(folder / "lib.лум");
    writeFile(folder / "lib.js", "x");
    EXPECT_EQ(collect("ПБ lib").paths, std::vector<std::string>{inFolder("lib.js")});
}

TEST_F(Directives, NamesMayHoldSpacesAndSeparators) {
    writeFile(folder / "моя библиотека.лум", "x");
    writeFile(folder / "sub/inner.js", "x");
    const Collected c = collect("ПБ моя библиотека \nПБ sub/inner");
    // The name is used as written, its own separator included.
    EXPECT_EQ(c.paths, (std::vector<std::string>{inFolder("моя библиотека.лум"),
                                                 folder.path() + platform::separator() + "sub/inner.js"}));
    EXPECT_EQ(c.directiveLines, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(c.text, " \n");
}

}  // namespace
