// The whole-program checks on the project's table: each mistake told at its line in its words,
// each correct look-alike (and the same signs inside text and comments) silent.
#include "diagnostics/program_checks.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "translator/translator_helpers.h"

using namespace diagnostics;

namespace {

const std::vector<Rule>& projectRules() {
    static const std::vector<Rule> rules = [] {
        std::string bytes;
        platform::readWholeFile(LUM_SOURCE_DIR "/src/keywords.csv", bytes);
        WarningList warnings;
        return parseRules(bytes, warnings);
    }();
    return rules;
}

// Every finding's text, one a line.
std::string checked(const std::string& source) {
    const LoadedRules language = loadedRules(projectRules(), {});
    const CodeText text = textOf(source);
    const CodePoints libraries;
    std::vector<Hint> hints;
    programChecks({text, language, libraries}, hints);
    std::string all;
    for (const Hint& h : hints) all += (all.empty() ? "" : "\n") + h.text;
    return all;
}

struct Case {
    const char* source;
    const char* expected;  // a piece of the findings' text with its line, or "" for none
};

TEST(ProgramChecks, MistakesAtTheirLineAndLookAlikesSilent) {
    const Case cases[] = {
        {"пусть шаги = 0\nповторить 5 раз\n  шаги + 1\nконец\n", "строка 3: «шаги + 1» вычисляет значение"},
        {"пусть шаги = 0\nповторить 5 раз\n  шаги = шаги + 1\nконец\n", ""},
        {"пусть ш = 0\nпусть x = 2 +\n  ш + 1\n", ""},
        {"пусть имя = \"аня\"\nимя.заглавными()\n", "строка 2: «имя.заглавными()» даёт новое значение"},
        {"пусть имя = \"аня\"\nимя = имя.заглавными()\n", ""},
        {"функция сумма(а, б):\n  вернуть а + б\n  вывести(\"считаю\")\nконец\n", "строка 3: эта строка никогда не выполнится: «вернуть»"},
        {"функция сумма(а, б):\n  вывести(\"считаю\")\n  вернуть а + б\nконец\n", ""},
        {"функция знак(а):\n  если а > 0 то\n    вернуть 1\n  иначе\n    вернуть 0\n  конец\nконец\n", ""},
        {"функция ф():\n  вернуть [\n    1, 2]\nконец\n", ""},
        {"пусть в = 10\nесли в => 18 то\n  вывести(1)\nконец\n", "строка 2: «=>» не сравнивает; «больше или равно» пишется «>=»"},
        {"пусть t = 3\nесли t =< 5 то\n  вывести(1)\nконец\n", "строка 2: «=<» не сравнивает"},
        {"пусть в = 10\nесли в >= 18 то\n  вывести(\"в => 18\") // в => 18\nконец\n", ""},
        {"пусть с = 5\nвывести(с ^ 2)\n", "строка 2: «^» здесь не степень"},
        {"пусть с = 5\nвывести(\"с ^ 2\" + с ** 2) // с ^ 2\n", ""},
        {"пусть x = -3\nесли(x > 0); {\n  вывести(1)\n}\n", "строка 2: «;» сразу после условия заканчивает «если»"},
        {"пусть x = -3\nесли(x > 0) {\n  вывести(\"(x > 0);\")\n}\n", ""},
        {"пусть ч = [3, 1]\nч.сортировать\n", "строка 2: «ч.сортировать» без скобок"},
        {"пусть ч = [3, 1]\nч.сортировать()\nвывести(ч.длина)\n", ""},
        {"пусть д = 3\nесли д равно 6 или 7 то\n  вывести(1)\nконец\n", "строка 2: «или 7» ни с чем не сравнивает «7»: оно само считается истиной, и условие верно всегда; повторите сравнение: «или д равно 7»"},
        {"пусть д = 3\nесли д равно 6 или д равно 7 то\n  вывести(1)\nконец\n", ""},
        {"пусть имя = \"Аня\"\nвывести(\"Привет, ${имя}\")\n", "строка 2: «${имя}» в кавычках не подставляет значение"},
        {"пусть имя = \"Аня\"\nвывести(`Привет, ${имя}`)\nвывести(\"Привет, \" + имя) // ${имя}\n", ""},
    };
    for (const Case& c : cases) {
        const std::string found = checked(c.source);
        if (std::string(c.expected).empty()) EXPECT_EQ(found, "") << c.source;
        else EXPECT_NE(found.find(c.expected), std::string::npos) << c.source << "\n→ " << found;
    }
}

}  // namespace
