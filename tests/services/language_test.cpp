// Snippets made from a table's roles, for the built-in table and a teacher's own.
#include "services/language.h"

#include <gtest/gtest.h>

#include <map>

#include "rules/rulesfile.h"
#include "services/answers.h"

namespace {

std::vector<rules::Rule> tableOf(const std::string& csv) {
    base::WarningList warnings;
    return rules::parseRules(csv, warnings);
}

std::vector<rules::Rule> builtInTable() {
    std::vector<rules::Rule> table;
    base::WarningList warnings;
    rules::loadRules(std::string(LUM_SOURCE_DIR) + "/src/keywords.csv", table, warnings);
    return table;
}

TEST(Snippets, ComeFromTheTablesRoles) {
    struct Row {
        std::vector<rules::Rule> table;
        std::vector<std::pair<std::string, std::string>> expected;  // title, body
    };
    const Row rows[] = {
        {builtInTable(),
         {{"если … то … конец", "если ${1:условие} то\n\t$0\nконец"},
          {"если … то … иначе … конец", "если ${1:условие} то\n\t$2\nиначе\n\t$0\nконец"},
          {"пока … делать … конец", "пока ${1:условие} делать\n\t$0\nконец"},
          {"повторить N раз … конец", "повторить ${1:10} раз\n\t$0\nконец"},
          {"функция … конец", "функция ${1:имя}(${2:параметры}):\n\t$0\nконец"},
          {"для каждого … из … делать … конец", "для каждого ${1:элемент} из ${2:массив} делать\n\t$0\nконец"},
          {"круг(3)", "круг(${1:x}, ${2:y}, ${3:радиус})$0"}}},
        {tableOf("pattern,replacement,flags\n\\bкогда\\b,if (,gi\n\\bвот\\b,) {,gi\n\\bвсё\\b,},gi\n\\bпо\\b,of,gi\n"
                 "\\bдля\\b,for (const,gi\n\\bделай\\b,) {,gi\n\\bшар\\(,__LUM__.circle(,gi\n"),
         {{"когда … вот … всё", "когда ${1:условие} вот\n\t$0\nвсё"},
          {"для … по … делай … всё", "для ${1:элемент} по ${2:массив} делай\n\t$0\nвсё"},
          {"шар(3)", "шар(${1:x}, ${2:y}, ${3:радиус})$0"}}},
        {tableOf("pattern,replacement,flags\n\\bкогда\\b,if (,gi\n"), {}},  // no closing words: no snippet
    };
    for (const Row& row : rows) {
        const std::vector<services::Snippet> got = services::snippetsOf(row.table, rules::deriveVocabulary(row.table));
        for (const auto& [title, body] : row.expected) {
            const auto found = std::find_if(got.begin(), got.end(), [&](const services::Snippet& s) { return s.title == title; });
            ASSERT_NE(found, got.end()) << title;
            EXPECT_EQ(found->body, body);
        }
        if (row.expected.empty()) EXPECT_TRUE(got.empty());
    }
}

// A teacher's word that the reference does not know is shown with its snippet as the example.
TEST(Words, ATeachersWordHasItsSnippetForExample) {
    const services::Language l = services::makeLanguage(rules::loadedRules(
        tableOf("pattern,replacement,flags\n\\bкогда\\b,if (,gi\n\\bвот\\b,) {,gi\n\\bвсё\\b,},gi\n\\bшар\\(,__LUM__.circle(,gi\n"), {}));
    std::map<std::string, std::string> examples;
    for (const services::Word& w : l.words) examples[w.phrase] = w.example;
    EXPECT_EQ(examples["когда"], "`когда условие вот`");
    EXPECT_EQ(examples["шар"], "`шар(x, y, радиус)`");
}

TEST(Signatures, OfCheckedWordsWrittenWithOrWithoutTheirBracketOfOneWordOrMany) {
    const services::Language l = services::makeLanguage(rules::loadedRules(builtInTable(), {}));
    struct Row {
        std::string line, label;  // the place is the line's end; "" when there is no signature
        std::uint32_t active;
    };
    const Row rows[] = {
        {"круг(1, 2, ", "круг(x, y, радиус)", 2},
        {"написать(\"а\", ", "написать(текст, x, y, [ширина])", 1},
        {"сместиться  в точку(2, ", "сместиться  в точку(x, y)", 1},
        {"Сместиться на вектор(", "Сместиться на вектор(dx, dy)", 0},
        {"в точку(2, ", "", 0},
        {"вниз(", "", 0},
    };
    for (const Row& row : rows) {
        const services::Text text = services::makeText(row.line);
        const auto s = services::signatureAt(text, text.place(text.chars.size()), l, {});
        EXPECT_EQ(s ? s->label : "", row.label) << row.line;
        if (s) EXPECT_EQ(s->active, row.active) << row.line;
    }
}

}  // namespace
