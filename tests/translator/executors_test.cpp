// Executor directives: which are found, what they leave of the text, and which rules they switch on.
#include <gtest/gtest.h>

#include "base/text.h"
#include "rules/rulesfile.h"
#include "translator/executors.h"
#include "translator/rewrite.h"

using namespace translator;

namespace {

std::vector<rules::Rule> table() {
    base::WarningList warnings;
    return rules::parseRules("\\bвправо\\b,R(),gi,Робот\n\\bопустить +перо\\b,P(),gi,Чертёжник\n\\bвывести\\b,log,gi\n", warnings);
}

}  // namespace

TEST(Executors, Directives) {
    const struct {
        const char* source;
        const char* left;          // the text after the directives are taken out
        const char* found;         // "executor:field;" for each one found
        std::size_t warnings;
    } cases[] = {
        {"подключить исполнителя Робот\nвправо\n", "\nвправо\n", "Робот:;", 0},
        {"  Подключить Исполнителя робот с полем коридор ;\nx\n", "  \nx\n", "Робот:коридор;", 0},
        {"ПИ Чертежник\nПИ Робот с полем поля/а.поле\n", "\n\n", "Чертёжник:;Робот:поля/а.поле;", 0},
        {"пи Робот\n", "пи Робот\n", "", 0},                     // the short form only in capitals
        {"подключить исполнителя Кот\nx\n", "\nx\n", "", 1},        // unknown: warned and removed
        {"x = 'подключить исполнителя Робот'\n", "x = 'подключить исполнителя Робот'\n", "", 0},
        {"ПИ Робот\nПИ робот с полем б\n", "\n\n", "Робот:;", 0},  // the first of each counts
    };
    for (const auto& c : cases) {
        base::CodeText text = base::makeText(base::decodeBytes(c.source));
        std::vector<ExecutorDirective> found;
        base::WarningList warnings;
        collectExecutorDirectives(text, table(), found, warnings);
        std::string got;
        for (const ExecutorDirective& d : found) got += d.executor + ":" + d.field + ";";
        EXPECT_EQ(base::encodeUtf8(text.chars), c.left) << c.source;
        EXPECT_EQ(got, c.found) << c.source;
        EXPECT_EQ(warnings.size(), c.warnings) << c.source;
    }
}

TEST(Executors, RulesApplyOnlyWhenAsked) {
    const std::vector<rules::Rule> rules = table();
    const struct {
        std::vector<std::string> executors;
        const char* expected;
    } cases[] = {
        {{}, "вправо опустить перо log"},
        {{"робот"}, "R() опустить перо log"},
        {{"Чертёжник", "Робот"}, "R() P() log"},
    };
    for (const auto& c : cases) {
        base::CodeText text = base::makeText(base::decodeBytes("вправо опустить перо вывести"));
        applyRules(text, RuleSet{rules, false, c.executors});
        EXPECT_EQ(base::encodeUtf8(text.chars), c.expected);
    }
}
