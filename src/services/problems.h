// What lum tells about a program, for an editor: the findings of the one analysis
// (diagnostics/analysis.h), each placed on the range of the words it names, with its kind's
// severity and, where it names an edit, that edit. Nothing is written.
// Tests: tests/services/problems_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "base/warnings.h"
#include "services/language.h"
#include "services/program.h"

namespace services {

using Severity = base::Severity;  // as LSP numbers them

struct Problem {
    Range range;
    Severity severity = Severity::Warning;
    std::string code;     // the finding kind's name: "warning", "unknown-word", …
    std::string message;  // the warning or hint without its "строка N: "
    bool hasFix = false;
    Range fixRange;         // where the fix goes: the words named, or an empty range to insert at
    std::string fix;        // put in place of `fixRange`
    std::string fixTitle;   // «Заменить на «если»», «Дописать «то»», «Убрать «конец»»
};

struct Analysis {
    std::vector<Problem> problems;            // warnings first, then hints, as a compile reports them
    std::vector<std::string> includedFiles;   // library files read: a change to one calls for a new analysis
};

// `folder` is where the program's library directives look first ("." for a text with no file).
// Linear in the text and its libraries, like a compile.
Analysis analyse(const Text& text, const std::string& folder, const Language& language);

// One finding placed on `text`: on its columns when they name words, else on the first word it
// quotes found on its line, else on its line from the first non-blank code point to the end.
Problem placeFinding(const Text& text, const base::Finding& finding);

}  // namespace services
