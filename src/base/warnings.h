// A finding as a value (what it is about, where, what it says, what edit it proposes), the
// warning list every step of a compile appends to, and the lines the terminal shows for them.
// Tests: tests/diagnostics/checks_test.cpp, tests/frontend/report_test.cpp, tests/services/problems_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace base {

enum class Severity : std::uint8_t { Error = 1, Warning = 2, Information = 3, Hint = 4 };  // as LSP numbers them

// One row of the kinds of findings: the name it travels under as data ("warning",
// "unknown-word"), how serious an editor shows it, and whether the page tells it beside a
// run-time error (the hints about blocks are the ones that explain such errors).
struct FindingKind {
    const char* name;
    Severity severity;
    bool explainsRunTimeErrors;
};

// The kind of every warning of a compile or a rules load.
inline constexpr FindingKind warningKind{"warning", Severity::Warning, false};

// A text with the place it opens with: "строка N: " and the message after it, or a message
// alone (messageAt 0).
struct Said {
    std::string text;
    std::uint32_t messageAt = 0;
};
// "строка N: message"; a line of 0 is told in the text and names no line.
Said onLine(std::uint32_t line, const std::string& message);

struct Finding {
    Finding() = default;
    Finding(std::string text) : text(std::move(text)) {}  // names no line, no words
    Finding(const char* text) : text(text) {}
    Finding(std::uint32_t line, Said said) : line(line), text(std::move(said.text)), messageAt(said.messageAt) {}

    const FindingKind* what = &warningKind;
    std::uint32_t line = 0;  // the line it is about, from 1; 0 when it names none
    std::string text;        // as the terminal shows it: its place ("строка N: ") and its message
    std::uint32_t messageAt = 0;  // where the message starts in `text`
    // The words it names, as code-point columns of its line, [from, to); none when `to` is 0.
    std::uint32_t from = 0, to = 0;
    // The words it quotes, in its text's order, for a finding whose columns name no words: an
    // editor shows it on the first of them found on its line.
    std::vector<std::string> named;
    // The edit it proposes, when it names one: `fix` in place of [from, to) (an insertion when
    // from == to).
    bool hasFix = false;
    std::string fix;

    std::string message() const { return text.substr(messageAt); }
};

// Two findings are the same when they say the same: lists compare as the terminal shows them.
inline bool operator==(const Finding& a, const Finding& b) { return a.text == b.text; }

// Ordered findings; no limit, no de-duplication.
using WarningList = std::vector<Finding>;

// The lines the terminal shows for `entries` under `kind` ("ПРЕДУПРЕЖДЕНИЕ", "ПОДСКАЗКА"), each
// "kind [name]: text" without its line feed, name being the path's last component.
std::vector<std::string> formatNotes(const char* kind, const std::string& path, const WarningList& entries);

// The line that follows "Ошибка: не могу записать файл: <path>" when the file is protected from
// writing, without its line feed.
std::string protectedFileNote(const std::string& path);

}  // namespace base
