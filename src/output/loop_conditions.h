// The «пока» loops' heads hand the loop guard their condition and the values it reads, so that a
// stopped loop can say why it never ends.
// Tests: tests/diagnostics/endless_loops_test.cpp, tests/browser/page_errors_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"
#include "diagnostics/endless_loops.h"

namespace output {

// What a loop's head adds to its guard call: the condition in the learner's words and as
// JavaScript, the names it reads joined by "|" (the first eight), then those values (a dotted name read through
// "?.", so that an empty value reads as nothing). Empty for a loop whose condition calls something
// (what it read says nothing then) and for a head the learner wrote in JavaScript.
std::string conditionArguments(const diagnostics::WhileLoop& loop);

// Inserts each loop's arguments at its checkArguments position (loops in text order); the inserted
// code points take the line of the head. One pass over the text.
void passConditionsToGuard(base::CodeText& text, const std::vector<diagnostics::WhileLoop>& loops);

}  // namespace output
