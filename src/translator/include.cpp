// Library inclusion: a found library file read, translated when it is a script, and framed.
// Tests: tests/translator/include_test.cpp.
#include <string>

#include "platform/files.h"
#include "platform/home.h"
#include "platform/platform.h"
#include "translator/libraries_on_disk.h"
#include "translator/rewrite.h"

namespace translator {

namespace {

// Nesting below the main text is limited to this many levels.
constexpr int deepestLibrary = 8;

void appendText(base::CodeText& to, const base::CodeText& from) {
    to.chars.insert(to.chars.end(), from.chars.begin(), from.chars.end());
    to.lines.insert(to.lines.end(), from.lines.begin(), from.lines.end());
}

void appendWithLine(base::CodeText& to, const base::CodePoints& points, std::uint32_t line) {
    to.chars.insert(to.chars.end(), points.begin(), points.end());
    to.lines.insert(to.lines.end(), points.size(), line);
}

bool isJavaScriptPath(const std::string& path) {
    if (path.size() < 3) return false;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return tail == ".js";
}

}  // namespace

LibraryReader diskLibraries() {
    return {[](const std::string& path) { return platform::pathKind(path) == platform::PathKind::File; },
            [](const std::string& path, std::string& bytes) { return platform::readWholeFile(path, bytes); },
            platform::homeFolder()};
}

bool includeLibrary(Inclusion& inclusion, const std::string& path, int depth, const std::vector<std::string>& chain,
                    std::uint32_t directiveLine, base::CodeText& out) {
    base::WarningList& warnings = inclusion.warnings;
    for (const std::string& outer : chain) {
        if (outer == path) {
            warnings.push_back("библиотека зациклилась: " + path + " — пропущена");
            return true;
        }
    }
    if (depth > deepestLibrary) {
        warnings.push_back("слишком глубокая цепочка библиотек (глубже 8) — " + path + " пропущена");
        return true;
    }
    std::string bytes;
    if (!inclusion.reader.read(path, bytes)) {
        warnings.push_back("не могу прочитать библиотеку: " + path);
        return false;
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    const base::CodePoints source = base::decodeBytes(bytes);
    bytes = std::string();
    inclusion.includedFiles.push_back(path);

    const std::size_t cut = path.find_last_of("\\/");
    const std::string displayName = cut == std::string::npos ? path : path.substr(cut + 1);
    appendWithLine(out, base::decodeBytes("\n/* библиотека: " + displayName + " */\n"), directiveLine);
    const base::CodePoints trailer{0x0A};

    if (isJavaScriptPath(path)) {  // copied as it stands: no directive, rule or post-step
        appendWithLine(out, source, directiveLine);
        appendWithLine(out, trailer, directiveLine);
        return true;
    }

    base::CodeText text = base::makeText(source);
    const std::string folder = cut == std::string::npos ? std::string(".") : path.substr(0, cut);
    std::vector<std::string> nestedPaths;
    std::vector<std::uint32_t> nestedLines;
    collectLibraryDirectives(text, folder, inclusion.reader, nestedPaths, nestedLines, warnings);
    std::vector<std::string> innerChain = chain;
    innerChain.push_back(path);
    for (std::size_t i = 0; i < nestedPaths.size(); ++i) {
        base::CodeText nested;
        if (includeLibrary(inclusion, nestedPaths[i], depth + 1, innerChain, nestedLines[i], nested))
            appendText(out, nested);
    }
    applyRules(text, inclusion.rules);
    appendText(out, text);
    appendWithLine(out, trailer, directiveLine);
    return true;
}

}  // namespace translator
