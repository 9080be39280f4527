// The one writer of JSON string literals, for every JSON lum writes (the page's dictionary line,
// the watch server's notes, the editor files, the playground's reports). Tests: tests/base/json_text_test.cpp.
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
