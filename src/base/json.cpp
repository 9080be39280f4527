// Builds JSON values and writes them, indented or compact.
// Tests: tests/base/json_text_test.cpp, tests/editor/editor_test.mjs.
#include "base/json.h"

#include <cstdio>

#include "base/json_text.h"

namespace base {

Json jsonString(std::string text) {
    Json j;
    j.kind = Json::Kind::String;
    j.text = std::move(text);
    return j;
}

Json jsonBool(bool value) {
    Json j;
    j.text = value ? "true" : "false";
    return j;
}

Json jsonNumber(long long value) {
    Json j;
    j.text = std::to_string(value);
    return j;
}

Json jsonReal(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    Json j;
    j.text = buffer;
    return j;
}

Json jsonNull() { return Json(); }

Json jsonArray(std::vector<Json> items) {
    Json j;
    j.kind = Json::Kind::Array;
    j.items = std::move(items);
    return j;
}

Json jsonObject(std::vector<JsonMember> members) {
    Json j;
    j.kind = Json::Kind::Object;
    j.members = std::move(members);
    return j;
}

Json jsonStrings(const std::vector<std::string>& texts) {
    Json j;
    j.kind = Json::Kind::Array;
    for (const std::string& text : texts) j.items.push_back(jsonString(text));
    return j;
}

namespace {

bool scalar(const Json& value) { return value.kind == Json::Kind::String || value.kind == Json::Kind::Literal; }

void print(const Json& value, int depth, std::string& out);

// An object of a few scalars, or holding one such object, on one line: {"name": "x"}.
bool printFlat(const Json& value, std::string& out) {
    if (value.kind != Json::Kind::Object || value.members.size() > 3) return false;
    std::string line = "{";
    for (std::size_t i = 0; i < value.members.size(); ++i) {
        const Json& member = value.members[i].second;
        if (i > 0) line += ", ";
        appendJsonString(line, value.members[i].first);
        line += ": ";
        if (scalar(member)) print(member, 0, line);
        else if (!printFlat(member, line)) return false;
    }
    line += '}';
    if (line.size() > 100) return false;
    out += line;
    return true;
}

// Arrays of scalars stay on one line, and small objects (printFlat); everything else puts one
// element per line.
void print(const Json& value, int depth, std::string& out) {
    const std::string indent(2 * static_cast<std::size_t>(depth + 1), ' ');
    const std::string closing(2 * static_cast<std::size_t>(depth), ' ');
    switch (value.kind) {
    case Json::Kind::Literal:
        out += value.text;
        return;
    case Json::Kind::String:
        appendJsonString(out, value.text);
        return;
    case Json::Kind::Array: {
        bool flat = true;
        for (const Json& item : value.items) flat = flat && scalar(item);
        out += '[';
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            if (i > 0) out += flat ? ", " : ",";
            if (!flat) out += "\n" + indent;
            print(value.items[i], depth + 1, out);
        }
        if (!flat && !value.items.empty()) out += "\n" + closing;
        out += ']';
        return;
    }
    case Json::Kind::Object:
        if (printFlat(value, out)) return;
        out += '{';
        for (std::size_t i = 0; i < value.members.size(); ++i) {
            out += i > 0 ? ",\n" : "\n";
            out += indent;
            appendJsonString(out, value.members[i].first);
            out += ": ";
            print(value.members[i].second, depth + 1, out);
        }
        if (!value.members.empty()) out += "\n" + closing;
        out += '}';
        return;
    }
}

}  // namespace

void appendCompactJson(std::string& out, const Json& value) {
    switch (value.kind) {
    case Json::Kind::Literal:
        out += value.text;
        return;
    case Json::Kind::String:
        appendJsonString(out, value.text);
        return;
    case Json::Kind::Array:
        out += '[';
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            if (i > 0) out += ',';
            appendCompactJson(out, value.items[i]);
        }
        out += ']';
        return;
    case Json::Kind::Object:
        out += '{';
        for (std::size_t i = 0; i < value.members.size(); ++i) {
            if (i > 0) out += ',';
            appendJsonString(out, value.members[i].first);
            out += ':';
            appendCompactJson(out, value.members[i].second);
        }
        out += '}';
        return;
    }
}

std::string compactJson(const Json& value) {
    std::string out;
    appendCompactJson(out, value);
    return out;
}

std::string printJson(const Json& value) {
    std::string out;
    print(value, 0, out);
    out += '\n';
    return out;
}

}  // namespace base
