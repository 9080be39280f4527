// One compile-time hint: the line to edit, what kind of mistake it explains, and its text, as a finding.
// Tests: tests/diagnostics/hints_test.cpp, tests/frontend/report_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/warnings.h"

namespace diagnostics {

// The kinds of beginner mistakes the hints explain. Hints on one line are told in this order.
enum class HintKind : std::uint8_t {
    UnclosedBlock = 1,      // a block never closed by its word, or a closing word too many
    UnfinishedHeader = 2,   // a condition or loop header whose closing word is missing on its line
    SwallowingString = 3,   // a quote that opened a text running over line ends
    UnknownWord = 4,        // a word no rule takes, one typing mistake away from a known word
    MixedLetters = 5,       // a word of Cyrillic letters with a Latin one among them, or the other way
    AssignInCondition = 6,  // "=" inside a condition, where the comparison word was meant
    ForeignWord = 7,        // a command of another language («print»), where the table has its own word
    DecimalComma = 8,       // «x = 3,5»: a comma where a number's point was meant
    ComparisonGivesValue = 9,  // «x равно 5» as a statement: the comparison word where "=" was meant
    LoopWord = 10,          // «для каждого x в …»: a word of the learner's for the loop's own
    EndlessLoop = 11,       // a «пока» whose body changes nothing its condition reads and never leaves it
    DroppedValue = 12,      // «шаги + 1», «имя.заглавными()» as a statement: a value made and thrown away
    NeverRuns = 13,         // a line after «вернуть» in the same block
    SwappedComparison = 14, // "=>" or "=<" where ">=" or "<=" was meant
    CaretPower = 15,        // "^" where a power was meant
    EmptyCondition = 16,    // «если(…);»: a ";" that ends the condition before its block
    PlainQuotesTemplate = 17,  // "${…}" or a name alone inside quotes, where it is only letters
    LostValue = 18,         // a value overwritten before it is read: a swap without a third name, a list shared, not copied
    LoopFlow = 19,          // a loop that cannot do its job: a total reset each round, a flag reset, «вернуть» on the first round
    BranchFlow = 20,        // a branch that never runs, two «если» that both run, «не» of a name, a position as a truth value
    FunctionFlow = 21,      // a function's result dropped, a parameter never read or overwritten before it is read,
                            // a function never called, arguments in another order, a value on one path only
    TextAnswer = 22,        // an answer of «спросить» (text) compared strictly with a number or with another answer
    NameShape = 23,         // a name with a space inside or a digit first
    ElementBrackets = 24,   // «цены(1)» of a list: round brackets where an element's number was meant
    Computation = 25,       // a formula that computes other than meant: an average with its brackets missing, digits by "/"
};

// The kind's row: its name where hints travel as data ("unclosed-block", "unfinished-header", …),
// how serious an editor shows it, and whether the page tells it beside a run-time error.
const base::FindingKind& hintKindRow(HintKind kind);
inline const char* hintKindName(HintKind kind) { return hintKindRow(kind).name; }

// A hint is a finding (base/warnings.h) with its kind, by which hints on one line are ordered.
struct Hint : base::Finding {
    Hint() { what = &hintKindRow(kind); }
    Hint(std::uint32_t line, HintKind kind, base::Said said) : base::Finding(line, std::move(said)), kind(kind) {
        what = &hintKindRow(kind);
    }

    HintKind kind = HintKind::UnclosedBlock;
};

// The hint with the words it quotes, for an editor to show it on when its columns name none.
inline Hint naming(Hint hint, std::vector<std::string> words) {
    hint.named = std::move(words);
    return hint;
}

// The hint with the span of code points [from, to) of `chars` (a text whose line starts are
// found by looking back for its line feed) and, when `fix` is given, that edit.
Hint spanned(Hint hint, const std::uint32_t* chars, std::size_t from, std::size_t to, const std::string* fix = nullptr);

}  // namespace diagnostics
