// The one JSON writer: what its strings escape, so that a literal stands inside a script element,
// and the compact form pages and replies carry.
#include "base/json.h"
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

// Compact: no space anywhere, members in the order given, keys escaped as strings are; numbers
// as given (whole) or as "%.17g" writes them.
TEST(JsonText, CompactFormHasNoSpaces) {
    const std::pair<Json, const char*> rows[] = {
        {jsonObject({}), "{}"},
        {jsonArray({}), "[]"},
        {jsonNull(), "null"},
        {jsonObject({{"a\"<", jsonNumber(-3)}, {"b", jsonArray({jsonBool(true), jsonNull(), jsonStrings({"x", "<"})})}}),
         "{\"a\\\"\\u003c\":-3,\"b\":[true,null,[\"x\",\"\\u003c\"]]}"},
        {jsonArray({jsonReal(0.1), jsonReal(2), jsonReal(-1e300)}), "[0.10000000000000001,2,-1.0000000000000001e+300]"},
    };
    for (const auto& [value, json] : rows) EXPECT_EQ(compactJson(value), json) << json;
    EXPECT_EQ(printJson(jsonObject({{"a", jsonNumber(1)}})), "{\"a\": 1}\n");
}

}  // namespace
