// The one-file compile: source in, page or JavaScript file written beside it.
#pragma once

#include <string>
#include <vector>

#include "rules/text.h"

struct CompileOptions {
    bool js = false;     // write a JavaScript file instead of a page
    bool run = false;    // open the written page; only when js and watch are both false
    bool watch = false;  // the page carries the reload poll script
    bool sourceMap = false;  // the script carries an inline source map (always in watch mode)
};

// Returns the path written, or "" when the compile failed; prints its own messages.
std::string compileFile(const std::string& sourcePath, const CompileOptions& options);

// What one compile printed about the source besides its success and error lines: every warning
// line, then every hint line, as printed but without the line feed. Watch mode shows them in the page.
struct CompileReport {
    std::vector<std::string> notes;
};
// The same compile, also filling `report` (emptied first).
std::string compileFile(const std::string& sourcePath, const CompileOptions& options, CompileReport& report);

// Path pieces: "\" and "/" both separate; a path with neither has the folder ".".
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);
// Folder + native separator + stem + ".js" or ".html".
std::string outputPathFor(const std::string& sourcePath, bool js);

// Every "</" written "<\/".
std::string escapeScriptBody(const std::string& utf8);
// "[l1,l2,...]": the source line of the first code point of each line of the text.
std::string buildLineMap(const CodeText& text);
