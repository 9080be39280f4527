// «пока» loops read off the project's translation: what each condition reads, whether the body can
// end the loop, and the compile-time hint, silent for loops that end in any of the ways a body can.
#include "diagnostics/endless_loops.h"

#include <gtest/gtest.h>

#include "output/loop_conditions.h"
#include "platform/files.h"
#include "translator/rewrite.h"
#include "translator/translator_helpers.h"

using namespace diagnostics;

namespace {

struct Read {
    std::vector<WhileLoop> loops;
    std::string hints;
    CodeText translated;
};

Read readOf(const std::string& source) {
    const Vocabulary vocabulary = deriveVocabulary(projectRules());
    Read read;
    read.translated = textOf(source);
    translator::applyRules(read.translated, {projectRules(), false});
    read.loops = readWhileLoops(read.translated, decodeBytes(source), vocabulary);
    for (const Hint& hint : endlessLoopHints(read.loops, vocabulary)) read.hints += (read.hints.empty() ? "" : "\n") + hint.text;
    return read;
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : " ") + name;
    return out;
}

TEST(EndlessLoops, ConditionsAndTheirNames) {
    struct Row {
        std::string source, condition, reads;
        bool calls;
    };
    const std::vector<Row> rows = {
        {"пока x меньше 10 делать\n  x = x + 1\nконец\n", "x меньше 10", "x", false},
        {"пока(i < м.длина) {\n  i++\n}\n", "i < м.длина", "i м.length", false},
        {"пока (а + б) * 2 > в и не готово то\nконец\n", "(а + б) * 2 > в и не готово", "а б в готово", false},
        {"пока x < 10 тогда x = x + 1 конец\n", "x < 10", "x", false},
        {"пока ответ != \"да, x\" делать\n  ответ = \"да\"\nконец\n", "ответ != \"да, x\"", "ответ", false},
        {"пока Date.now() < т + 1 делать конец\n", "Date.now() < т + 1", "т", true},
        {"пока истина делать\n  прервать\nконец\n", "истина", "", false},
    };
    for (const Row& row : rows) {
        const Read read = readOf(row.source);
        ASSERT_EQ(read.loops.size(), 1u) << row.source;
        EXPECT_EQ(read.loops[0].line, 1u) << row.source;
        EXPECT_EQ(read.loops[0].condition, row.condition) << row.source;
        EXPECT_EQ(joined(read.loops[0].reads), row.reads) << row.source;
        EXPECT_EQ(read.loops[0].conditionCalls, row.calls) << row.source;
    }
}

TEST(EndlessLoops, HintOnlyWhereNothingCanEndTheLoop) {
    const std::string tail = " и ничто его не прерывает: цикл не закончится никогда. Может быть, забыли ";
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"пусть x = 0\nпока x меньше 10 делать\n  вывести(x)\nконец\n",
         "строка 2: условие «x меньше 10» читает «x», а внутри цикла «пока» «x» не меняется" + tail + "«x = x + 1»?"},
        {"пока 0 < x то\n  y = y + 1\nконец\n",
         "строка 1: условие «0 < x» читает «x», а внутри цикла «пока» «x» не меняется" + tail + "«x = x - 1»?"},
        {"пока a > b и с делать\n  пусть a = 1\nконец\n",
         "строка 1: условие «a > b и с» читает «a», «b» и «с», а внутри цикла «пока» «a», «b» и «с» не меняются" + tail +
             "изменить «a» внутри цикла?"},
        // Each way a body ends its loop keeps the hint away.
        {"пока x < 10 делать\n  x = x + 1\nконец\n", ""},
        {"пока x < 10 делать\n  x += 2\nконец\n", ""},
        {"пока x < 10 делать\n  ++x\nконец\n", ""},
        {"пока м.длина < 10 делать\n  м[0] = 1\nконец\n", ""},
        {"пока м.длина < 10 делать\n  м.добавить(1)\nконец\n", ""},
        {"пока x < 10 делать\n  если x то прервать конец\nконец\n", ""},
        {"функция ф():\n  пока x < 10 делать\n    вернуть 1\n  конец\nконец\n", ""},
        {"пока x < 10 делать\n  сдвинуть()\nконец\n", ""},
        {"пока Date.now() < т делать\nконец\n", ""},
        {"пока истина делать\n  вывести(1)\nконец\n", ""},
        {"пока x < 10 делать\n", ""},
    };
    for (const auto& [source, hint] : rows) EXPECT_EQ(readOf(source).hints, hint) << source;
}

TEST(EndlessLoops, TheGuardGetsTheConditionAndItsValues) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"пока x меньше 10 делать x = x + 1 конец\n", ",\"x меньше 10\",\"x \\u003c 10\",\"x\",x"},
        {"пока м.длина > \"\\\"\" делать конец\n",
         ",\"м.длина > \\\"\\\\\\\"\\\"\",\"м.length > \\\"\\\\\\\"\\\"\",\"м.length\",м?.length"},
        {"пока истина делать прервать конец\n", ",\"истина\",\"true\",\"\""},
        {"пока f(x) делать конец\n", ""},
    };
    for (const auto& [source, arguments] : rows) {
        Read read = readOf(source);
        ASSERT_EQ(read.loops.size(), 1u) << source;
        EXPECT_EQ(output::conditionArguments(read.loops[0]), arguments) << source;
        output::passConditionsToGuard(read.translated, read.loops);
        EXPECT_NE(utf8Of(read.translated).find("__LUM_K__(__LUM_G__" + arguments + ")).n) while"), std::string::npos)
            << source;
    }
}

TEST(EndlessLoops, LoopsLeftOpenByTheThousandStayLinear) {
    std::string source;
    for (int i = 0; i < 20000; ++i) source += "пока (x < 1 делать\n";
    const Read read = readOf(source);
    EXPECT_LE(read.loops.size(), 20000u);
    EXPECT_EQ(read.hints, "");
}

}  // namespace
