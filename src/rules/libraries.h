// The four built-in script libraries a rule can insert by tag.
// Tests: tests/rules/libraries_test.cpp.
#pragma once

#include <string_view>

namespace rules {

struct BuiltinLibrary {
    std::string_view tag;          // "{LIB_CANVAS}" ...
    std::string_view displayName;  // "расширенной работы с холстом" ...
    std::string_view text;         // UTF-8, framed, no newline after the last line
};

// The four libraries in the order canvas, mathematics, text, one line.
const BuiltinLibrary* builtinLibraries();
constexpr int builtinLibraryCount = 4;
// The library whose tag is exactly `field`, or nullptr.
const BuiltinLibrary* findLibraryByTag(std::string_view field);

}  // namespace rules
