// JSON values built in memory and written out: the one writer of the JSON lum makes (the editor
// files, the playground's reports, the watch server's notes, the data of the task and check pages,
// source maps), its strings by base::appendJsonString. Reading JSON is another job (nlohmann).
// Tests: tests/base/json_text_test.cpp, tests/editor/editor_test.mjs.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace base {

struct JsonMember;

struct Json {
    enum class Kind { Literal, String, Array, Object };
    Kind kind = Kind::Literal;
    std::string text = "null";  // a literal as written (true, 12) or a string's UTF-8 text
    std::vector<Json> items;    // an array's elements
    // An object's members, in written order. A struct of its own rather than a std::pair, whose
    // constructors' constraints would ask for Json's copy while Json is still being defined.
    std::vector<JsonMember> members;
};

struct JsonMember {
    std::string first;  // the name
    Json second;        // the value
};

Json jsonString(std::string text);
Json jsonBool(bool value);
Json jsonNumber(long long value);
// A number as C's "%.17g" writes it: every double read back the same.
Json jsonReal(double value);
Json jsonNull();
Json jsonArray(std::vector<Json> items);
Json jsonObject(std::vector<JsonMember> members);
// An array of strings.
Json jsonStrings(const std::vector<std::string>& texts);

// The value as JSON text ending in a line feed, indented by two spaces (small objects and arrays
// of scalars on one line); strings keep their UTF-8 as it is.
std::string printJson(const Json& value);
// The value as JSON text on one line with no spaces, as data inside a page or a reply.
std::string compactJson(const Json& value);
void appendCompactJson(std::string& out, const Json& value);

}  // namespace base
