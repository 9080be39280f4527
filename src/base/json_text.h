// The one writer of JSON string literals: base/json.h writes every string of a JSON value with it,
// and the run-time tables of the page (its dictionary line, messages) that are JavaScript rather
// than JSON data use it directly. Tests: tests/base/json_text_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace base {

// Appends `utf8` as a JSON string literal: '"' and '\' escaped, the one-letter escapes that
// JSON.stringify prefers too (\b \f \n \r \t), other control characters and "<" as \u00XX, so the
// literal can stand inside an HTML script element. Every other byte, UTF-8 included, stays as it is.
void appendJsonString(std::string& out, std::string_view utf8);
// The same, as a new string.
std::string jsonLiteral(std::string_view utf8);

}  // namespace base
