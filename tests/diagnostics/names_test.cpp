// The names a program defines, read with the project's rules and with a teacher's English ones.
#include "diagnostics/names.h"

#include <gtest/gtest.h>

#include "platform/files.h"

using namespace base;
using namespace platform;
using namespace rules;
using namespace diagnostics;

namespace {

Vocabulary vocabularyOf(const std::string& csv) {
    WarningList warnings;
    return deriveVocabulary(parseRules(csv, warnings));
}

Vocabulary projectVocabulary() {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(LUM_SOURCE_DIR "/src/keywords.csv", bytes));
    return vocabularyOf(bytes);
}

std::string namesOf(const std::string& source, const Vocabulary& v) {
    std::string joined;
    for (const std::string& name : definedNames(decodeBytes(source), v)) joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

TEST(DefinedNames, WhatAProgramDefines) {
    const Vocabulary v = projectVocabulary();
    const std::pair<const char*, const char*> rows[] = {
        {"пусть а = 1\nПЕРЕМЕННАЯ б\nконстанта в = 2", "а б в"},
        {"функция площадь(ширина, высота = 2):\n  вернуть ширина\nконец", "площадь ширина высота"},
        {"пусть ф = функция(x): вернуть x конец", "ф x"},
        {"для каждого фрукт из фрукты делать\nконец", "фрукт"},
        {"счёт = 0\nсчёт = счёт + 1\nа.поле = 2\nб == 3\nв += 1", "счёт"},
        {"пусть [а, б] = пара\nпусть {в, г} = объект", "а б в г"},
        {"let x = (a, b) => a\nconst f = y => y\nfunction g(h) {}\ncatch (e) {}", "x a b f y g h e"},
        {"пусть точка = {икс: 1, игрек: 2}\nесли а ? б : в то", "точка икс игрек"},
        {"// пусть скрытое = 1\nвывести(\"пусть строка = 2\")\nпусть `шаблон` = 3\n/* пусть x */", ""},
        {"пусть а = 1\nпусть а = 2\nпустьб в", "а"},  // once; «пустьб» is no declaration
        {"функция ф(а\nпусть б = 1\nфункция г(в):", "ф а б г в"},  // an unclosed list ends with its line
    };
    for (const auto& [source, names] : rows) EXPECT_EQ(namesOf(source, v), names) << source;
}

TEST(DefinedNames, ATeachersDeclaringWords) {
    const Vocabulary v = vocabularyOf("\\bmake\\b,let,gi\n\\bto\\b,function,gi\n\\bfor +each\\b,for (const,gi\n");
    EXPECT_EQ(namesOf("MAKE score = 1\nto jump(height):\nfor  each item of list\nпусть x\nlet y", v),
              "score jump height item y");
}

}  // namespace
