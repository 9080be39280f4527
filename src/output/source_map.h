// Source Map v3 of the translated script: which line of the learner's source each piece of the
// script came from, so that a browser's developer tools show and stop at the learner's lines.
// Tests: tests/output/source_map_test.cpp, tests/step/step_test.mjs.
#pragma once

#include <cstddef>
#include <string>

#include "base/text.h"

namespace output {

struct SourceMapInput {
    const base::CodeText* text = nullptr;  // the final text: included libraries first, then the main text
    std::size_t ownStart = 0;        // where the main text begins in it
    std::string sourceName;          // the source's file name, as the map names it
    std::string sourceText;          // the source as decoded, UTF-8 (the map carries it whole)
    std::string fileName;            // the output file's name
    std::size_t linesAbove = 0;      // lines of the generated script above the text's first line
};

// The map as JSON. Library code (the included libraries in front and the built-in libraries a
// rule wrote into the main text) is left unmapped: only the learner's own code is named. Generated
// columns count UTF-16 units of the script as written, with every "</" already written "<\/";
// source columns are 0, as the text keeps lines, not columns.
std::string sourceMapJson(const SourceMapInput& input);

// "//# sourceMappingURL=data:application/json;charset=utf-8;base64,…" for the map, one line.
std::string sourceMapComment(const std::string& json);

}  // namespace output
