// The rules-file loader: fields, quoting, encodings, library tags, warnings and table state.
#include "rules/rulesfile.h"

#include <gtest/gtest.h>

#include "rules/libraries.h"
#include "support/temp_folder.h"

using namespace base;
using namespace rules;

namespace {

struct Loaded {
    bool ok = false;
    std::vector<std::string> rules;  // "pattern|replacement|g" or "...|gi"
    WarningList warnings;
};

std::string describe(const Rule& rule) {
    return encodeUtf8(rule.pattern) + "|" + encodeUtf8(rule.replacement) + (rule.ignoreCase ? "|gi" : "|g");
}

Rule sentinel() {
    Rule rule;
    rule.pattern = {'o', 'l', 'd'};
    return rule;
}

// The table the last load() loaded into.
std::vector<Rule> ruleTable;

// Writes the bytes as a rules file and loads it over a one-rule table.
Loaded load(const std::string& bytes) {
    TempFolder folder;
    writeFile(folder / "keywords.csv", bytes);
    ruleTable.assign(1, sentinel());
    Loaded result;
    result.ok = loadRules(folder / "keywords.csv", ruleTable, result.warnings);
    for (const Rule& rule : ruleTable) result.rules.push_back(describe(rule));
    return result;
}

const std::string old = "old||g";

std::string times(const std::string& piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += piece;
    return out;
}

TEST(LoadRules, FieldsQuotingAndWarnings) {
    struct Row {
        std::string file;
        std::vector<std::string> rules;  // the table afterwards
        WarningList warnings;
    };
    const std::string w = "keywords.csv, строка ";
    const Row rows[] = {
        {"слово,word,g", {"слово|word|g"}, {}},
        {"СЛОВО,word,gi", {"СЛОВО|word|gi"}, {}},
        {"x,y,G\na,b,g", {"a|b|g"}, {w + "1: флаги 'G' (нужно g или gi) — пропущено"}},
        {"x,y,ig\na,b,g", {"a|b|g"}, {w + "1: флаги 'ig' (нужно g или gi) — пропущено"}},
        {"x,y,g \na,b,g", {"a|b|g"}, {w + "1: флаги 'g ' (нужно g или gi) — пропущено"}},
        {"x,y,\na,b,g", {"a|b|g"}, {w + "1: флаги '' (нужно g или gi) — пропущено"}},
        {"x,y\na,b,g", {"a|b|g"}, {w + "1: меньше 3 полей — пропущено"}},
        {"xyz\na,b,g", {"a|b|g"}, {w + "1: меньше 3 полей — пропущено"}},
        {",y,g\na,b,g", {"a|b|g"}, {w + "1: пустое ключевое слово — пропущено"}},
        {"x,,g", {"x||g"}, {}},
        {"x,y,g,note", {"x|y|g"}, {}},
        {"x,y,g,,,", {"x|y|g"}, {}},
        {"\"a,b\",c,g", {"a,b|c|g"}, {}},
        {"q,\"say \"\"hi\"\"\",g", {"q|say \"hi\"|g"}, {}},
        {"ab\"c,d\"e,f,g", {"abc,de|f|g"}, {}},
        {"\"\",y,g\na,b,g", {"a|b|g"}, {w + "1: пустое ключевое слово — пропущено"}},
        {"\"x,y,g", {old}, {w + "1: меньше 3 полей — пропущено"}},  // unterminated quote
        {"x,\"y,g\"\",g", {old}, {w + "1: меньше 3 полей — пропущено"}},
        {"x,y,\"g\"", {"x|y|g"}, {}},
        {"x,y,g\"i\"", {"x|y|gi"}, {}},
        {"#x,y;z,g", {"#x|y;z|g"}, {}},
        {" x , y ,g", {" x | y |g"}, {}},
        // a line gets one warning, the first check it fails
        {",y,G\na,b,g", {"a|b|g"}, {w + "1: пустое ключевое слово — пропущено"}},
        {",y\na,b,g", {"a|b|g"}, {w + "1: меньше 3 полей — пропущено"}},
        {"x,{LIB_x},G\na,b,g", {"a|b|g"}, {w + "1: флаги 'G' (нужно g или gi) — пропущено"}},
        // header, blank lines and line numbers
        {"pattern,a,b\nx,y,g", {"x|y|g"}, {}},
        {"\xEF\xBB\xBFpattern,a,b\nx,y,g", {"x|y|g"}, {}},
        {"pattern\nx,y,g", {"x|y|g"}, {}},
        {"x,y,g\npattern,a,b", {"x|y|g"}, {w + "2: флаги 'b' (нужно g или gi) — пропущено"}},
        {"\npattern,a,b\nx,y,g", {"x|y|g"}, {w + "2: флаги 'b' (нужно g или gi) — пропущено"}},
        {"patterns,a,g", {"patterns|a|g"}, {}},
        {"\"pattern\",a,b\nx,y,g", {"x|y|g"}, {}},
        {"x,y,g\n\n\r\n\na\n,z,g\nb,c,gi\n",
         {"x|y|g", "b|c|gi"},
         {w + "5: меньше 3 полей — пропущено", w + "6: пустое ключевое слово — пропущено"}},
        {"a,b,g\r\nc,d,gi\r\ne,f\r\n", {"a|b|g", "c|d|gi"}, {w + "3: меньше 3 полей — пропущено"}},
        {"a,b\r,g", {"a|b\r|g"}, {}},  // a CR is only removed before the LF
        {"a,b,g\r\r\n", {old}, {w + "1: флаги 'g\r' (нужно g или gi) — пропущено"}},
        // no valid rule: the previous table stays
        {"", {old}, {}},
        {"pattern,replacement,flags\n", {old}, {}},
        {"\n\r\n\n", {old}, {}},
        {"x,y\n,y,g\nx,y,gg", {old},
         {w + "1: меньше 3 полей — пропущено", w + "2: пустое ключевое слово — пропущено",
          w + "3: флаги 'gg' (нужно g или gi) — пропущено"}},
        // library tags
        {"x,{LIB_math},g\na,b,g", {"a|b|g"}, {w + "1: неизвестная библиотека {LIB_math} — пропущено"}},
        {"x,{},g\na,b,g", {"a|b|g"}, {w + "1: неизвестная библиотека {} — пропущено"}},
        {"x,\"{a,b}\",g\na,b,g", {"a|b|g"}, {w + "1: неизвестная библиотека {a,b} — пропущено"}},
        {"x,{,g", {"x|{|g"}, {}},
        {"x,{a,g", {"x|{a|g"}, {}},
        {"x,}{,g", {"x|}{|g"}, {}},
        {"x,{LIB_MATH} ,g", {"x|{LIB_MATH} |g"}, {}},
        {"x, {LIB_MATH},g", {"x| {LIB_MATH}|g"}, {}},
        // the matcher recurses once per "+" atom; "\\b+" never recurses and is not counted
        {times("a+", 1001) + ",y,g\na,b,g", {"a|b|g"}, {w + "1: больше 1000 повторений «+» в шаблоне — пропущено"}},
        {times("a+", 1000) + ",y,g", {times("a+", 1000) + "|y|g"}, {}},
        {times("\\b+", 1001) + "a,y,g", {times("\\b+", 1001) + "a|y|g"}, {}},
    };
    for (const Row& row : rows) {
        const Loaded got = load(row.file);
        EXPECT_EQ(got.ok, row.rules != std::vector<std::string>{old}) << row.file;
        EXPECT_EQ(got.rules, row.rules) << row.file;
        EXPECT_EQ(got.warnings, row.warnings) << row.file;
    }
}

TEST(LoadRules, LibraryTagsBringTheWholeText) {
    std::string file;
    for (int i = 0; i < builtinLibraryCount; ++i)
        file += "x" + std::to_string(i) + "," + std::string(builtinLibraries()[i].tag) + ",g\n";
    const Loaded got = load(file);
    ASSERT_TRUE(got.ok);
    ASSERT_EQ(ruleTable.size(), 4u);
    for (int i = 0; i < builtinLibraryCount; ++i) {
        EXPECT_EQ(encodeUtf8(ruleTable[i].replacement), builtinLibraries()[i].text);
        EXPECT_GT(ruleTable[i].replacement.size(), 100u);
    }
}

TEST(LoadRules, EachFieldIsDecodedByItself) {
    // слово in CP1251 beside a UTF-8 replacement, and the reverse on the next line.
    const Loaded got = load("\xF1\xEB\xEE\xE2\xEE,слово,g\nслово,\xF1\xEB\xEE\xE2\xEE,gi\n");
    EXPECT_EQ(got.rules, (std::vector<std::string>{"слово|слово|g", "слово|слово|gi"}));
    EXPECT_EQ(ruleTable[0].pattern, ruleTable[1].pattern);
    EXPECT_TRUE(got.warnings.empty());
}

TEST(LoadRules, CrLfLoadsExactlyLikeLf) {
    const std::string lf = "pattern,replacement,flags\n\\bесли\\b,if (,g\nx,y\n\nа+,b,gi\n";
    std::string crlf;
    for (char c : lf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const Loaded a = load(lf);
    const Loaded b = load("\xEF\xBB\xBF" + crlf);
    EXPECT_EQ(a.rules, b.rules);
    EXPECT_EQ(a.warnings, b.warnings);
    EXPECT_EQ(a.rules.size(), 2u);
}

TEST(LoadRules, PatternsAreCompiled) {
    ASSERT_TRUE(load("ab+c,x,g\n[abc,y,g\n").ok);
    ASSERT_EQ(ruleTable.size(), 2u);
    ASSERT_EQ(ruleTable[0].nodes.size(), 3u);
    EXPECT_TRUE(ruleTable[0].nodes[1].oneOrMore);
    EXPECT_TRUE(ruleTable[1].nodes.empty());  // kept, never matches
}

TEST(LoadRules, LongFieldsAreQuotedWhole) {
    const std::string flags(600, 'q'), tag = "{" + std::string(700, 'L') + "}";
    const Loaded got = load("x,y," + flags + "\nx," + tag + ",g\na,b,g");
    ASSERT_EQ(got.warnings.size(), 2u);
    EXPECT_EQ(got.warnings[0], "keywords.csv, строка 1: флаги '" + flags + "' (нужно g или gi) — пропущено");
    EXPECT_EQ(got.warnings[1], "keywords.csv, строка 2: неизвестная библиотека " + tag + " — пропущено");
}

TEST(LoadRules, AFailedLoadKeepsThePreviousTable) {
    TempFolder folder;
    writeFile(folder / "keywords.csv", "a,b,g\nc,d,g\n");
    WarningList warnings;
    ASSERT_TRUE(loadRules(folder / "keywords.csv", ruleTable, warnings));
    ASSERT_EQ(ruleTable.size(), 2u);

    warnings.push_back("earlier");
    EXPECT_FALSE(loadRules(folder / "missing.csv", ruleTable, warnings));
    EXPECT_EQ(ruleTable.size(), 2u);
    EXPECT_EQ(warnings, WarningList{"earlier"});  // unreadable: nothing appended

    makeFolder(folder / "folder.csv");
    EXPECT_FALSE(loadRules(folder / "folder.csv", ruleTable, warnings));
    EXPECT_EQ(ruleTable.size(), 2u);

    writeFile(folder / "broken.csv", "x,y\n");
    EXPECT_FALSE(loadRules(folder / "broken.csv", ruleTable, warnings));
    ASSERT_EQ(ruleTable.size(), 2u);
    EXPECT_EQ(describe(ruleTable[1]), "c|d|g");

    // A good file replaces the whole table, merging nothing.
    writeFile(folder / "other.csv", "e,f,gi\n");
    EXPECT_TRUE(loadRules(folder / "other.csv", ruleTable, warnings));
    ASSERT_EQ(ruleTable.size(), 1u);
    EXPECT_EQ(describe(ruleTable[0]), "e|f|gi");
}

TEST(ParseRules, IsPureAndDropsTheByteOrderMark) {
    ruleTable.assign(3, sentinel());
    WarningList warnings;
    const std::vector<Rule> rules = parseRules("\xEF\xBB\xBFpattern,r,f\nx,y,g", warnings);
    EXPECT_EQ(ruleTable.size(), 3u);
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(describe(rules[0]), "x|y|g");
    EXPECT_TRUE(warnings.empty());
    // Only a leading mark is dropped; two bytes of one are ordinary bytes of the first field.
    EXPECT_EQ(parseRules("\xEF\xBB", warnings).size(), 0u);
    EXPECT_EQ(warnings.size(), 1u);
}

}  // namespace
