// JSON string literals, written the way JSON.stringify writes them, with "<" escaped as well.
// Tests: tests/base/json_text_test.cpp.
#include "base/json_text.h"

namespace base {

namespace {

// The one-letter escapes, which JSON.stringify prefers too, so the page's build and lum write
// the same bytes; 0 for a character that has none.
char shortEscape(char c) {
    switch (c) {
        case '\b': return 'b';
        case '\f': return 'f';
        case '\n': return 'n';
        case '\r': return 'r';
        case '\t': return 't';
        default: return 0;
    }
}

}  // namespace

void appendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (const char shortForm = shortEscape(ch)) {
            out += '\\';
            out += shortForm;
        } else if (c < 0x20 || c == '<') {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

std::string jsonLiteral(std::string_view utf8) {
    std::string out;
    appendJsonString(out, utf8);
    return out;
}

}  // namespace base
