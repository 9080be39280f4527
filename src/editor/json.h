// JSON values built in memory and printed with two-space indentation, for the editor files.
// Tests: tests/editor/editor_test.mjs.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace editor {

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
Json jsonNumber(long value);
Json jsonArray(std::vector<Json> items);
Json jsonObject(std::vector<JsonMember> members);
// An array of strings.
Json jsonStrings(const std::vector<std::string>& texts);

// The value as JSON text ending in a line feed; strings keep their UTF-8 as it is.
std::string printJson(const Json& value);

}  // namespace editor
