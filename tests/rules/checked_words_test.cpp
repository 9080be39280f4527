// The table of checked words against the reference (docs/язык.md) and the built-in rule table.
#include "rules/checked_words.h"

#include <gtest/gtest.h>

#include <fstream>
#include <algorithm>
#include <map>
#include <set>
#include <regex>
#include <sstream>

#include "output/runtime_words.h"

namespace {

std::string readSource(const std::string& path) {
    std::ifstream in(std::string(LUM_SOURCE_DIR) + "/" + path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The reference's rows whose JavaScript is a method of the run-time object: method -> the
// rows' cells "word | meaning | example", the word without its backquotes and bracket.
std::map<std::string, std::vector<std::string>> referenceRows(const std::string& text) {
    std::map<std::string, std::vector<std::string>> rows;
    const std::regex row(R"(^\| `([^`]+?)\(?` \| `;?__LUM__\.(\w+(?:\(\d*\))?)\(?` \| (.*) \| (.*) \|$)");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_match(line, m, row)) rows[m[2]].push_back(m[1].str() + " | " + m[3].str() + " | " + m[4].str());
    }
    return rows;
}

TEST(CheckedWords, TheReferenceSaysWhatTheTableSays) {
    const std::string reference = readSource("docs/язык.md");
    const auto rows = referenceRows(reference);
    // The words section 6 says check their values: the table's, those of the executors aside.
    const std::size_t from = reference.find("Проверяют свои значения");
    // Their names in backquotes, a remark in brackets aside.
    const std::string listed = std::regex_replace(reference.substr(from, reference.find("Эти слова", from) - from),
                                                  std::regex(R"(\([^)]*\))"), "");
    std::set<std::string> inList;
    const std::regex quoted("`([^`]+)`");
    for (std::sregex_iterator i(listed.begin(), listed.end(), quoted), end; i != end; ++i) inList.insert((*i)[1]);
    std::set<std::string> expectedList;
    for (const rules::CheckedWord& w : rules::checkedWords()) {
        const auto found = rows.find(std::string(w.method));
        ASSERT_NE(found, rows.end()) << w.method;
        EXPECT_EQ(found->second, std::vector<std::string>{std::string(w.word) + " | " + std::string(w.meaning) + " | `" +
                                                          std::string(w.shown) + "`"});
        if (w.executor.empty()) expectedList.insert(std::string(w.word));
    }
    EXPECT_EQ(inList, expectedList);
    // and the reference shows no run-time word the table lacks.
    EXPECT_EQ(rows.size(), rules::checkedWords().size());
}

TEST(CheckedWords, TheBuiltInTableCallsThemByTheirWordsAndRoles) {
    std::vector<rules::Rule> table;
    base::WarningList warnings;
    ASSERT_TRUE(rules::loadRules(std::string(LUM_SOURCE_DIR) + "/src/keywords.csv", table, warnings));
    const rules::Vocabulary v = rules::deriveVocabulary(table);
    for (const rules::CheckedWord& w : rules::checkedWords()) {
        std::vector<std::string> phrases;
        for (const rules::RuleWords& r : v.rules) {
            if (rules::checkedWordWritten(base::encodeUtf8(table[r.rule].replacement)) != &w) continue;
            phrases.push_back(r.phrase);
            EXPECT_EQ(r.role, w.role) << r.phrase;
        }
        EXPECT_EQ(phrases, std::vector<std::string>{std::string(w.word)});
        // The run-time layer's script carries the rows of the words it checks itself.
        const std::string script = output::runtimeWordsScript();
        const std::string head = "\"" + std::string(w.method) + "\":[[";
        EXPECT_EQ(script.find(head) != std::string::npos, w.executor.empty()) << w.method;
    }
}

}  // namespace
