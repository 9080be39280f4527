// The words the run-time layer needs to speak the learner's language, written into each output.
// Tests: tests/browser/page_errors_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/vocabulary.h"

namespace output {

// One line of JavaScript, "__LUM__.словарь({...});\n", that hands the run-time layer: JavaScript
// names -> the learner's words ("имена": the reverse dictionary, the keywords and the run-time
// object's methods, each "__LUM__."-qualified), the names the program defines ("свои") and the
// vocabulary's words ("слова") for «может быть, …?», the directive of the library that defines a
// name ("библиотеки"), the words that close a header and a block ("закрывают", "концы") and the
// equality word ("равно"), and the last source line that holds more than blanks ("последняя"): an
// error past the end of the script is reported there. Deterministic; no "<" in it, so it can stand
// inside a script element.
std::string runtimeWordsLine(const rules::Vocabulary& vocabulary, const std::vector<std::string>& programNames,
                             std::uint32_t lastLine);

// The run-time layer's script of words and checks (output/runtime/words.js) with the table of the
// checked words (rules/checked_words.h, the executors' rows aside: their script checks them)
// written in where the script leaves it empty: "имя":[[["имя значения","вид"],...],необязательных,"пример"].
// The same text for every output; no "<" in the table.
std::string runtimeWordsScript();

// The last line of the source that holds anything but spaces, tabs and line breaks; 0 when none.
std::uint32_t lastCodeLine(const base::CodePoints& source);

}  // namespace output
