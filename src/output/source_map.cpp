// Source Map v3 of the translated script: segments per run of code points from one source line,
// library code unmapped, the map inlined as a base64 data URL.
// Tests: tests/output/source_map_test.cpp, tests/step/step_test.mjs.
#include "output/source_map.h"

#include <algorithm>
#include <vector>

#include "base/json.h"
#include "rules/libraries.h"

namespace output {

namespace {

void appendVlq(std::string& out, long value) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    unsigned long v = value < 0 ? (static_cast<unsigned long>(-value) << 1) | 1u : static_cast<unsigned long>(value) << 1;
    do {
        unsigned long digit = v & 31u;
        v >>= 5;
        if (v) digit |= 32u;
        out += digits[digit];
    } while (v);
}

// Marks the code points of every built-in library a rule wrote into the main text. The libraries
// are the system's own fixed texts, so an exact occurrence is one.
void markBuiltinLibraries(const base::CodeText& text, std::size_t from, std::vector<bool>& library) {
    const auto begin = text.chars.begin() + static_cast<std::ptrdiff_t>(from);
    for (int i = 0; i < rules::builtinLibraryCount; ++i) {
        const base::CodePoints needle = base::decodeBytes(std::string(rules::builtinLibraries()[i].text));
        if (needle.empty()) continue;
        // Each library opens with its own comment, so a comparison ends within a few code points
        // everywhere but at a real occurrence.
        for (auto at = begin; at != text.chars.end();) {
            const auto found = std::search(at, text.chars.end(), needle.begin(), needle.end());
            if (found == text.chars.end()) break;
            const std::size_t start = static_cast<std::size_t>(found - text.chars.begin());
            std::fill(library.begin() + static_cast<std::ptrdiff_t>(start),
                      library.begin() + static_cast<std::ptrdiff_t>(start + needle.size()), true);
            at = found + static_cast<std::ptrdiff_t>(needle.size());
        }
    }
}

std::string base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += digits[(v >> 6) & 63];
        out += digits[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace

std::string sourceMapJson(const SourceMapInput& input) {
    const base::CodeText& text = *input.text;
    const std::size_t n = text.chars.size();
    std::vector<bool> library(n, false);
    std::fill(library.begin(), library.begin() + static_cast<std::ptrdiff_t>(std::min(input.ownStart, n)), true);
    if (input.ownStart < n) markBuiltinLibraries(text, input.ownStart, library);

    std::string mappings(input.linesAbove, ';');
    long column = 0;           // generated column, UTF-16 units, from the line's start
    long lastSourceLine = 0;   // 0-based, relative encoding across the whole map
    bool lineHasSegment = false;
    // The state of the last segment of this line: -1 unmapped, else the 1-based source line.
    long segmentState = -2;
    long segmentColumn = 0;  // generated column of the line's last segment
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t c = text.chars[i];
        if (c == 0x0A) {
            mappings += ';';
            column = 0;
            lineHasSegment = false;
            segmentState = -2;
            continue;
        }
        const long state = library[i] ? -1 : static_cast<long>(text.lines[i]);
        if (state != segmentState) {
            if (lineHasSegment) mappings += ',';
            // The column is relative to the line's previous segment; the first is absolute.
            appendVlq(mappings, column - (lineHasSegment ? segmentColumn : 0));
            segmentColumn = column;
            if (state >= 0) {
                appendVlq(mappings, 0);  // the one source
                appendVlq(mappings, state - 1 - lastSourceLine);
                appendVlq(mappings, 0);  // source column
                lastSourceLine = state - 1;
            }
            lineHasSegment = true;
            segmentState = state;
        }
        column += c >= 0x10000 ? 2 : 1;
        if (c == '<' && i + 1 < n && text.chars[i + 1] == '/') ++column;  // written "<\/"
    }
    return base::compactJson(base::jsonObject({{"version", base::jsonNumber(3)},
                                               {"file", base::jsonString(input.fileName)},
                                               {"sources", base::jsonStrings({input.sourceName})},
                                               {"sourcesContent", base::jsonStrings({input.sourceText})},
                                               {"names", base::jsonArray({})},
                                               {"mappings", base::jsonString(std::move(mappings))}}));
}

std::string sourceMapComment(const std::string& json) {
    return "//# sourceMappingURL=data:application/json;charset=utf-8;base64," + base64(json);
}

}  // namespace output
