// Roles, learner's words and library names read off a rule table: the project's own and a
// teacher's table with other words.
#include "rules/pattern_regex.h"
#include "rules/vocabulary.h"

#include <gtest/gtest.h>

#include "platform/files.h"

using namespace base;
using namespace platform;
using namespace rules;

namespace {

std::vector<Rule> rulesFrom(const std::string& csv) {
    WarningList warnings;
    return parseRules("pattern,replacement,flags\n" + csv, warnings);
}

std::vector<Rule> projectRules() {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(LUM_SOURCE_DIR "/src/keywords.csv", bytes));
    WarningList warnings;
    return parseRules(bytes, warnings);
}

// The roles of the rules whose phrase is `phrase`, in table order, joined by "/".
std::string roleOf(const Vocabulary& v, const std::string& phrase) {
    std::string roles;
    for (const RuleWords& w : v.rules)
        if (w.phrase == phrase) roles += (roles.empty() ? "" : "/") + std::string(roleName(w.role));
    return roles.empty() ? "absent" : roles;
}

TEST(Vocabulary, RolesOfTheProjectsWords) {
    const Vocabulary v = deriveVocabulary(projectRules());
    const std::pair<const char*, const char*> rows[] = {
        {"если", "other/header-open"},   {"пока", "other/header-open"},  // «если(»: brackets of one's own
        {"для каждого", "header-open"},  {"то", "header-close"},  {"делать", "header-close"},
        {"иначе если", "other/other/header-open"}, {"иначе", "other/other/block-middle"},
        {"конец", "block-close"},        {"при нажатии на холст", "declaration/block-open"},
        {"равно", "comparison"},         {"больше или равно", "comparison"}, {"или", "logic"},
        {"пусть", "declaration"},        {"функция", "declaration"}, {"вернуть", "control"},
        {"истина", "value"},             {"вывести", "output"},    {"спросить_число", "output"},
        {"круг", "drawing"},             {"длина", "method"},      {"округлить", "function"},
        {"подключить библиотеку кода в одну строку", "library"},   {"из", "other"},
    };
    for (const auto& [phrase, role] : rows) EXPECT_EQ(roleOf(v, phrase), role) << phrase;
    int equality = 0;
    for (const RuleWords& w : v.rules) equality += w.equality;
    EXPECT_EQ(equality, 3);  // равно, равен, равна
    for (const char* name : {"стандарт", "кв_корень", "ЛУМС", "код_в_одну_строку", "убрать_цифры"})
        EXPECT_NE(std::find(v.libraryNames.begin(), v.libraryNames.end(), name), v.libraryNames.end()) << name;
}

TEST(Vocabulary, LearnersWordForJavaScriptNames) {
    const Vocabulary v = deriveVocabulary(projectRules());
    const std::pair<const char*, const char*> rows[] = {
        {"length", "длина"},   {"toLowerCase", "строчными"}, {"push", "добавить"},
        {"console", "вывести"}, {"console.log", "вывести"},  {"fillRect", "прямоугольник"},
        {"Math", ""},          {"ctx", ""},                  {"width", ""},  // inline code speaks for no one
        {"if", ""},            {"раз", ""},
        {"__LUM__.circle", "круг"}, {"circle", "круг"},     {"__LUM__.randomInt", "случайное_целое"},
        {"__LUM__", ""},       {"check", ""},                // the run-time object and the loop guard: no one's
    };
    for (const auto& [js, word] : rows) EXPECT_EQ(learnerWordFor(v, js), word) << js;
}

// Keywords and the names of the built-in libraries, for messages about them.
TEST(Vocabulary, LearnersWordForKeywordsAndTheLibraryThatDefinesAName) {
    const Vocabulary v = deriveVocabulary(projectRules());
    auto find = [](const std::vector<std::pair<std::string, std::string>>& pairs, const std::string& key) {
        for (const auto& [k, value] : pairs)
            if (k == key) return value;
        return std::string();
    };
    const std::pair<const char*, const char*> keywords[] = {
        {"else", "иначе"}, {"if", "если"}, {"let", "пусть"}, {"const", "константа"}, {"function", "функция"},
        {"return", "вернуть"}, {"break", "прервать"}, {"of", "из"}, {"null", "пусто"}, {"undefined", "неопределено"},
        {"true", "истина"}, {"while", ""},  // «пока» writes the loop guard's names too
    };
    for (const auto& [js, word] : keywords) EXPECT_EQ(find(v.keywords, js), word) << js;
    const std::pair<const char*, const char*> libraries[] = {
        {"ctx", "подключить библиотеку расширенной работы с холстом"},
        {"кв_корень", "подключить библиотеку расширенной математики"},
        {"код_в_одну_строку", "подключить библиотеку кода в одну строку"}, {"вывести", ""},
    };
    for (const auto& [name, phrase] : libraries) EXPECT_EQ(find(v.libraryDirectives, name), phrase) << name;
    const Vocabulary own = deriveVocabulary(rulesFrom("\\bnone\\b,null,gi\n\\bcanvas\\b,{LIB_CANVAS},gi\n"));
    EXPECT_EQ(find(own.keywords, "null"), "none");
    EXPECT_EQ(find(own.libraryDirectives, "ctx"), "canvas");
}

TEST(Vocabulary, ATeachersOwnWordsGetTheirRoles) {
    const Vocabulary v = deriveVocabulary(rulesFrom(
        "\\bwhen\\b,if (,gi\n\\bthen\\b,) {,gi\n\\bdone\\b,},gi\n\\bis\\b,==,gi\n\\bsay\\b,console.log,gi\n"
        "\\bnothing\\b,null,gi\n\\bloop\\b,while (,gi\n"));
    const std::pair<const char*, const char*> rows[] = {
        {"when", "header-open"}, {"then", "header-close"}, {"done", "block-close"}, {"is", "comparison"},
        {"say", "output"},       {"nothing", "value"},     {"loop", "header-open"},
    };
    for (const auto& [phrase, role] : rows) EXPECT_EQ(roleOf(v, phrase), role) << phrase;
    EXPECT_EQ(learnerWordFor(v, "log"), "say");
    // Nothing closes the "(" of a table without a closing word: no header opener then.
    EXPECT_EQ(roleOf(deriveVocabulary(rulesFrom("\\bwhen\\b,if (,gi\n")), "when"), "other");
}

}  // namespace

TEST(Vocabulary, WordsCapturedInTheRegexAndBracesOfEveryRule) {
    const std::vector<Rule> table = rulesFrom("\\bиначе +если\\b,} else if (,g\n\\):,) {,g\n\\bx1_\\d+,y,g\n");
    EXPECT_EQ(patternRegex(table[0].nodes, false, true),
              "(?<![0-9A-Za-z_А-яЁё])(иначе) +(если)(?![0-9A-Za-z_А-яЁё])");
    EXPECT_EQ(patternRegex(table[2].nodes, false, true), "(?<![0-9A-Za-z_А-яЁё])(x1_)[0123456789]+");
    std::vector<std::pair<int, int>> braces;  // the wordless "\):" too
    for (const auto& b : deriveVocabulary(table).braces) braces.emplace_back(b.opens, b.closes);
    EXPECT_EQ(braces, (std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {0, 0}}));
}
