// The rules file keywords.csv and the rule table loaded from it. The table is a value: the front
// end loads it at start-up and hands it to every compile. Tests: tests/rules/rulesfile_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"
#include "base/warnings.h"
#include "rules/pattern.h"

namespace rules {

struct Rule {
    base::CodePoints pattern;      // as written, for trace lines
    base::CodePoints replacement;  // literal text or a whole built-in library
    bool ignoreCase = false;
    CompiledPattern nodes;
    // The fourth column: the executor («Робот», «Чертёжник») whose word this is. Such a rule
    // rewrites only a program that asks for its executor; "" for every rule of the language.
    std::string executor;
};

// Parses the bytes of a rules file (byte order mark included) into rules, appending a warning
// for every rejected line. Pure: touches no global.
std::vector<Rule> parseRules(const std::string& bytes, base::WarningList& warnings);

// Reads and parses the file; on at least one rule `table` is replaced whole and true returned.
// Otherwise (unreadable, or no valid rule) `table` stays as it was and false is returned.
bool loadRules(const std::string& path, std::vector<Rule>& table, base::WarningList& warnings);

}  // namespace rules
