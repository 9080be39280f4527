// Rule application and its fixed post-steps: escape words, the prompt sentence, counted loops.
// Tests: tests/translator/apply_rules_test.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "rules/rulesfile.h"

namespace translator {

// The rules a translation applies, and whether every accepted match is traced (LUM_TRACE was set
// at start-up) and to what: the front end's writer of trace lines. Made once per compile by its
// caller; nothing here is global.
struct RuleSet {
    const std::vector<rules::Rule>& table;
    bool trace = false;
    // The executors the program asked for by its directives: only their rules apply of those that
    // name an executor.
    std::vector<std::string> executors = {};
    void (*traceLine)(const std::string& line) = nullptr;
};

// Whether a rule applies to a program that asked for these executors.
bool ruleApplies(const rules::Rule& rule, const std::vector<std::string>& executors);

// Every rule of the table in table order, one full scan each, string literals skipped;
// then the post-steps. Never fails.
void applyRules(base::CodeText& text, const RuleSet& rules);

// Every occurrence of `search` (or the first only) replaced by `replacement`; quotes are
// ordinary code points here. Both literals are UTF-8; `search` is never empty.
void replaceLiteral(base::CodeText& text, std::string_view search, std::string_view replacement,
                    bool ignoreCase, bool firstOnly);

// "for(N раз){" (раза, разов, any case) becomes a loop over the indices of a new array.
void expandCountedLoops(base::CodeText& text);

}  // namespace translator
