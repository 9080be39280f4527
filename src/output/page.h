// The two output formats: the self-contained HTML page and the JavaScript file.
// Tests: tests/output/page_test.cpp, tests/output/script_file_test.cpp, tests/browser/page_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace output {

// "&", "<" and ">" as entities; every other byte unchanged.
std::string escapeHtml(const std::string& utf8);

// What a page is made of besides its fixed pieces; views of texts that outlive the call.
struct PageParts {
    std::string_view scriptBody;    // every "</" already written "<\/"
    std::string_view lineMap;       // "[l1,l2,...]"
    std::string_view title;         // the output file's stem, not yet escaped
    std::string_view sourceText;    // the source as decoded, UTF-8, not yet escaped
    bool watch = false;             // the page carries the watch scripts
    std::string_view runtimeWords;  // the dictionary line (runtimeWordsLine), without "<"; "" knows no words
    std::string_view prelude;       // a script put first in the head (a task's checker prelude); "" for none
    std::string_view executors;     // the executors' run-time layer and start state (executorScript); "" for none
};

std::string buildPage(const PageParts& parts);

// The build id a watch page carries in its watch scripts; "" for a page without them.
std::string watchPageBuild(const std::string& page);

// fileName is the source file's last path component, extension included.
std::string buildScriptFile(const std::string& fileName, const std::string& lineMap,
                            const std::string& scriptBody, const std::string& runtimeWords = "");

}  // namespace output
