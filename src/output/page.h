// The two output formats: the self-contained HTML page and the JavaScript file.
#pragma once

#include <string>

namespace output {

// "&", "<" and ">" as entities; every other byte unchanged.
std::string escapeHtml(const std::string& utf8);

// scriptBody already has every "</" written "<\/"; sourceText is the source as decoded,
// UTF-8, not yet escaped; title is the output file's stem, not yet escaped. runtimeWords is the
// run-time layer's dictionary line (runtimeWordsLine), without "<"; empty, the layer knows no words.
std::string buildPage(const std::string& scriptBody, const std::string& lineMap,
                      const std::string& title, const std::string& sourceText, bool watch,
                      const std::string& runtimeWords = "");

// The build id a watch page carries in its watch scripts; "" for a page without them.
std::string watchPageBuild(const std::string& page);

// fileName is the source file's last path component, extension included.
std::string buildScriptFile(const std::string& fileName, const std::string& lineMap,
                            const std::string& scriptBody, const std::string& runtimeWords = "");

}  // namespace output
