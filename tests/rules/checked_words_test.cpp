// The table of checked words against the reference (docs/язык.md) and the built-in rule table.
#include "rules/checked_words.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "output/runtime_words.h"
#include "platform/files.h"

namespace {

TEST(CheckedWords, TheReferenceSaysWhatTheTableSays) {
    std::string reference;  // through the platform's reader: the name is UTF-8 on Windows too
    ASSERT_TRUE(platform::readWholeFile(std::string(LUM_SOURCE_DIR) + "/docs/язык.md", reference));
    // Rows whose JavaScript calls the run-time object: method -> "word | meaning | example".
    std::map<std::string, std::vector<std::string>> rows;
    const std::regex row(R"(^\| `([^`]+?)\(?` \| `;?__LUM__\.(\w+(?:\(\d*\))?)\(?` \| (.*) \| (.*) \|$)");
    std::istringstream lines(reference);
    for (std::string line; std::getline(lines, line);)
        if (std::smatch m; std::regex_match(line, m, row)) rows[m[2]].push_back(m[1].str() + " | " + m[3].str() + " | " + m[4].str());
    // The words section 6 says check their values (a remark in brackets aside): the table's, the executors' aside.
    const std::size_t from = reference.find("Проверяют свои значения");
    const std::string listed = std::regex_replace(reference.substr(from, reference.find("Эти слова", from) - from),
                                                  std::regex(R"(\([^)]*\))"), "");
    std::set<std::string> inList, expectedList;
    const std::regex quoted("`([^`]+)`");
    for (std::sregex_iterator i(listed.begin(), listed.end(), quoted), end; i != end; ++i) inList.insert((*i)[1]);
    for (const rules::CheckedWord& w : rules::checkedWords()) {
        const auto found = rows.find(std::string(w.method));
        ASSERT_NE(found, rows.end()) << w.method;
        EXPECT_EQ(found->second, std::vector<std::string>{std::string(w.word) + " | " + std::string(w.meaning) + " | `" +
                                                          std::string(w.shown) + "`"});
        if (w.executor.empty()) expectedList.insert(std::string(w.word));
    }
    EXPECT_EQ(inList, expectedList);
    EXPECT_EQ(rows.size(), rules::checkedWords().size());  // and no run-time word the table lacks
}

TEST(CheckedWords, TheBuiltInTableCallsThemByTheirWordsAndRoles) {
    std::vector<rules::Rule> table;
    base::WarningList warnings;
    ASSERT_TRUE(rules::loadRules(std::string(LUM_SOURCE_DIR) + "/src/keywords.csv", table, warnings));
    const rules::Vocabulary v = rules::deriveVocabulary(table);
    const std::string script = output::runtimeWordsScript();
    for (const rules::CheckedWord& w : rules::checkedWords()) {
        std::vector<std::string> phrases;
        for (const rules::RuleWords& r : v.rules) {
            if (rules::checkedWordWritten(base::encodeUtf8(table[r.rule].replacement)) != &w) continue;
            phrases.push_back(r.phrase);
            EXPECT_EQ(r.role, w.role) << r.phrase;
        }
        EXPECT_EQ(phrases, std::vector<std::string>{std::string(w.word)});
        // The run-time layer's script carries the rows of the words it checks itself.
        EXPECT_EQ(script.find("\"" + std::string(w.method) + "\":[[") != std::string::npos, w.executor.empty()) << w.method;
    }
}

}  // namespace
