// Executor directives: "подключить исполнителя Робот" (or "ПИ Робот"), with "с полем имя" for
// the Robot's field file, found at the start of a line, checked against the executors the rule
// table names, and removed from the text; and which rules apply to a program that asked for them.
// Tests: tests/translator/executors_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/warnings.h"
#include "rules/rulesfile.h"

namespace translator {

struct ExecutorDirective {
    std::string executor;  // as the table spells it: «Робот»
    std::string field;     // the field file's name as written after "с полем", or ""
    std::uint32_t line = 0;
};

// The executors the table's rules name, each once, in table order.
std::vector<std::string> tableExecutors(const std::vector<rules::Rule>& table);

// Whether two executor names are the same name: any case, «ё» as «е».
bool sameExecutorName(const std::string& a, const std::string& b);

// Finds the directives, appends one entry per known executor (the first directive of each), warns
// about an executor the table does not know, and removes every directive (not its line break).
void collectExecutorDirectives(base::CodeText& text, const std::vector<rules::Rule>& table,
                               std::vector<ExecutorDirective>& found, base::WarningList& warnings);

}  // namespace translator
