// The rules file keywords.csv and the process-wide rule table loaded from it.
#pragma once

#include <string>
#include <vector>

#include "base/warnings.h"
#include "rules/pattern.h"
#include "base/text.h"

struct Rule {
    CodePoints pattern;      // as written, for trace lines
    CodePoints replacement;  // literal text or a whole built-in library
    bool ignoreCase = false;
    CompiledPattern nodes;
};

// Filled at start-up and replaced whole by each successful load; read only while compiling.
extern std::vector<Rule> ruleTable;

// Parses the bytes of a rules file (byte order mark included) into rules, appending a warning
// for every rejected line. Pure: touches no global.
std::vector<Rule> parseRules(const std::string& bytes, WarningList& warnings);

// Reads and parses the file; on at least one rule the table is replaced and true returned.
// Otherwise (unreadable, or no valid rule) the previous table stays and false is returned.
bool loadRules(const std::string& path, WarningList& warnings);
