// The checked run-time words, written once: each method of the run-time object that checks the
// values it is given, with its values and their kinds, its role, and what the reference says of it.
// The run-time layer's checks (output/runtime/words.js gets this table from output/runtime_words.cpp),
// the vocabulary's roles, the editor's signatures and hovers all read it; a test holds docs/язык.md
// to it.
// Tests: tests/rules/checked_words_test.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rules/vocabulary.h"

namespace rules {

// One value of a checked word. Kinds, as the run-time layer tells them apart: "число",
// "неотрицательное", "положительное", "цвет", "текст", "функция", "любое".
struct CheckedValue {
    std::string_view name, kind;
};

struct CheckedWord {
    // The method of the run-time object: "circle"; for an executor's word that passes its method a
    // fixed value, the call as its rule writes it: "robotStep(0)".
    std::string_view method;
    std::string_view word;              // the built-in table's word for it: "круг"
    WordRole role;                      // the role of a rule that calls it
    std::vector<CheckedValue> values;   // in order
    int optional = 0;                   // how many of the last values may be left out
    std::string_view example;           // the values of the run-time layer's example: "(150, 75, 40)"; "" for executors
    std::string_view meaning;           // the reference's "Значение"
    std::string_view shown;             // the reference's "Пример", without its backquotes
    std::string_view executor;          // "" or the executor whose word it is (its script checks it)
};

// Every checked word; the order matters to nothing but the run-time layer's table (written in it).
const std::vector<CheckedWord>& checkedWords();

// The row of a method of the run-time object, or nullptr.
const CheckedWord* checkedWord(std::string_view method);

// The row of a rule's replacement that is nothing but a call of one: "__LUM__.circle(",
// ";__LUM__.robotStep(0)", "__LUM__.fillText"; nullptr for any other replacement.
const CheckedWord* checkedWordWritten(std::string_view replacement);

// The values' names as the editor shows them, a value that may be left out in brackets:
// "текст", "x", "y", "[ширина]".
std::vector<std::string> shownValues(const CheckedWord& word);

}  // namespace rules
