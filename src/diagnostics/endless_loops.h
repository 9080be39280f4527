// «пока» loops as the rules wrote them: where the guard's check is called in the loop's head, the
// condition in the learner's words and as JavaScript, the names it reads, and whether anything in
// the body can end the loop; and the compile-time hint for a loop whose body cannot.
// Tests: tests/diagnostics/endless_loops_test.cpp, tests/browser/page_errors_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "diagnostics/hint.h"
#include "rules/vocabulary.h"

namespace diagnostics {

struct WhileLoop {
    std::size_t checkArguments = 0;  // position in the translated text just after the head's guard argument
    std::uint32_t line = 0;          // source line of the head
    std::string condition;           // the condition as written on that line, "" when not found there
    std::string script;              // the condition as translated
    std::vector<std::string> reads;  // dotted names the condition reads ("x", "м.length"), each once
    bool conditionCalls = false;     // the condition calls something (its value may change by itself)
    // The body assigns a name the condition reads, calls something that could, or leaves the loop
    // by break, return or throw.
    bool bodyMayEnd = false;
};

// The loops whose head has the guard's check "__LUM_K__(__LUM_G__)).n) while" in `translated` (the
// rules' output, one source line per code point), in text order. `source` is the text the rules
// were given, for the conditions in the learner's words. Linear in the text.
std::vector<WhileLoop> readWhileLoops(const base::CodeText& translated, const base::CodePoints& source,
                                      const rules::Vocabulary& vocabulary);

// A hint on each loop whose condition reads names, calls nothing, and whose body can end it in none
// of the ways above.
std::vector<Hint> endlessLoopHints(const std::vector<WhileLoop>& loops, const rules::Vocabulary& vocabulary);

}  // namespace diagnostics
