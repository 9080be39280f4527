// The one JSON string writer: what it escapes, so that a literal stands inside a script element.
#include "base/json_text.h"

#include <gtest/gtest.h>

#include <utility>

using namespace base;

namespace {

TEST(JsonText, StringsStandInsideAScriptElement) {
    const std::pair<const char*, const char*> rows[] = {
        {"слово", "\"слово\""},  {"a\"b\\c", "\"a\\\"b\\\\c\""},  {"</script><!--", "\"\\u003c/script>\\u003c!--\""},
        {"\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},  {"\x01\x1f", "\"\\u0001\\u001f\""},
    };
    for (const auto& [text, json] : rows) EXPECT_EQ(jsonLiteral(text), json) << text;
}

}  // namespace
