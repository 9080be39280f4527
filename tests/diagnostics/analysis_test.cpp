// The analysis with its libraries held in memory: what it reads comes only through the reader.
#include "diagnostics/analysis.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/platform.h"

using namespace diagnostics;

namespace {

const std::string sep(1, platform::separator());

struct Row {
    std::string source;
    std::map<std::string, std::string> files;  // path -> bytes; "" cannot be read
    std::vector<std::string> included, warnings;
    std::string translatedStart;
};

TEST(Analysis, ReadsLibrariesThroughTheReaderOnly) {
    base::WarningList loadWarnings;
    const rules::LoadedRules language =
        rules::loadedRules(rules::parseRules("pattern,replacement,flags\n\\bвывести\\b,console.log,gi\n", loadWarnings), {});
    const std::string lib = "п" + sep + "библиотеки" + sep, home = "дом" + sep + "библиотеки" + sep;
    const Row rows[] = {
        {"ПБ а\nвывести(1)\n", {{lib + "а.лумс", "вывести(2)\nПБ б\n"}, {"дом" + sep + "б.js", "b()"}},
         {lib + "а.лумс", "дом" + sep + "б.js"}, {},
         "\n/* библиотека: а.лумс */\n\n/* библиотека: б.js */\nb()\nconsole.log(2)\n\n\n"},
        {"ПБ в\nПБ нет\n", {{home + "в.лумс", ""}}, {},
         {"строка 2: библиотека «нет» не найдена (искал библиотеки\\нет.лумс|.лум|.js рядом с программой и в ЛУМ2.7) — строка удалена",
          "не могу прочитать библиотеку: " + home + "в.лумс"},
         "\n\n"},
        {"ПБ сам\n", {{lib + "сам.лум", "ПБ сам\n"}}, {lib + "сам.лум"},
         {"библиотека зациклилась: " + lib + "сам.лум — пропущена"}, "\n/* библиотека: сам.лум */\n\n\n\n"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> asked;
        const translator::LibraryReader reader{
            [&](const std::string& path) {
                asked.push_back(path);
                return row.files.count(path) != 0;
            },
            [&](const std::string& path, std::string& bytes) {
                bytes = row.files.at(path);
                return !bytes.empty();
            },
            "дом"};
        const Analysis a = analyse(base::decodeBytes(row.source), {"п", language, reader, false, nullptr, false, nullptr});
        EXPECT_EQ(a.includedFiles, row.included) << row.source;
        std::vector<std::string> warnings;
        for (const base::Finding& w : a.warnings) warnings.push_back(w.text);
        EXPECT_EQ(warnings, row.warnings) << row.source;
        EXPECT_EQ(base::encodeUtf8(a.translated.chars).substr(0, row.translatedStart.size()), row.translatedStart) << row.source;
        for (const std::string& path : asked)  // the program's folder and the reader's home, nothing else
            EXPECT_TRUE(path.rfind("п" + sep, 0) == 0 || path.rfind("дом" + sep, 0) == 0) << path;
    }
}

}  // namespace
