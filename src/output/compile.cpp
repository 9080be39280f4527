// The one-file compile pipeline: read, decode, translate, check, assemble, write.
#include "output/compile.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "frontend/files.h"
#include "output/diagnostics.h"
#include "output/hints.h"
#include "output/names.h"
#include "output/page.h"
#include "output/source_map.h"
#include "output/runtime_words.h"
#include "platform/platform.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"
#include "translator/libraries_on_disk.h"
#include "translator/rewrite.h"

namespace {

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void appendText(CodeText& to, const CodeText& from) {
    to.chars.insert(to.chars.end(), from.chars.begin(), from.chars.end());
    to.lines.insert(to.lines.end(), from.lines.begin(), from.lines.end());
}

}  // namespace

std::string folderOf(const std::string& path) {
    const std::size_t at = lastSeparator(path);
    return at == std::string::npos ? std::string(".") : path.substr(0, at);
}

std::string fileNameOf(const std::string& path) {
    const std::size_t at = lastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string outputPathFor(const std::string& sourcePath, bool js) {
    const std::string name = fileNameOf(sourcePath);
    // Only ASCII capitals are lowered, so ".ЛУМС" or ".лумС" is no source extension.
    std::string lowered = name;
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    std::string stem = name;
    if (endsWith(lowered, ".лумс"))
        stem = name.substr(0, name.size() - std::string(".лумс").size());
    else if (endsWith(lowered, ".лум"))
        stem = name.substr(0, name.size() - std::string(".лум").size());
    return folderOf(sourcePath) + platform::separator() + stem + (js ? ".js" : ".html");
}

std::string escapeScriptBody(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 64);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        out.push_back(utf8[i]);
        if (utf8[i] == '<' && i + 1 < utf8.size() && utf8[i + 1] == '/') out.push_back('\\');
    }
    return out;
}

std::string buildLineMap(const CodeText& text) {
    std::string map = "[";
    const std::size_t n = text.chars.size();
    if (n > 0) map += std::to_string(text.lines[0]);
    for (std::size_t i = 1; i < n; ++i) {
        if (text.chars[i - 1] == 0x0A) {
            map += ',';
            map += std::to_string(text.lines[i]);
        }
    }
    map += ']';
    return map;
}

namespace {

std::string compileWhole(const std::string& sourcePath, const CompileOptions& options, CompileReport& report) {
    std::string bytes;
    if (!readWholeFile(sourcePath, bytes)) {
        std::printf("Ошибка: не могу прочитать файл: %s\n", sourcePath.c_str());
        return {};
    }
    dropByteOrderMark(bytes);

    const char* encoding = "UTF-8";
    CodePoints source;
    if (!decodeUtf8(bytes, source)) {
        decodeCp1251(bytes, source);
        encoding = "CP1251";
    }
    // The page's hidden copy of the source, in UTF-8. Valid UTF-8 re-encodes to the very same
    // bytes, so those are kept as they are; only CP1251 needs encoding. A JavaScript file has none.
    std::string sourceUtf8;
    if (!options.js || options.sourceMap) sourceUtf8 = encoding[0] == 'U' ? std::move(bytes) : encodeUtf8(source);
    bytes = std::string();

    const std::string folder = folderOf(sourcePath);
    WarningList warnings;
    checkQuotes(source, warnings);
    includedFiles.clear();
    // What the run-time layer needs to speak the learner's words: the loaded rules' vocabulary
    // and the names this program defines.
    const Vocabulary vocabulary = deriveVocabulary(ruleTable);
    const std::string runtimeWords =
        runtimeWordsLine(vocabulary, definedNames(source, vocabulary), lastCodeLine(source));

    // The working text takes the decoded code points over rather than copying them.
    CodeText working;
    working.lines.resize(source.size());
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < source.size(); ++i) {
        working.lines[i] = line;
        if (source[i] == 0x0A) ++line;
    }
    working.chars = std::move(source);
    working.chars.shrink_to_fit();  // decoding reserved one element per byte

    std::vector<std::string> libraryPaths;
    std::vector<std::uint32_t> libraryLines;
    collectLibraryDirectives(working, folder, libraryPaths, libraryLines, warnings);
    CodeText finalText;
    for (std::size_t i = 0; i < libraryPaths.size(); ++i) {
        CodeText library;
        if (includeLibrary(libraryPaths[i], 1, {}, library, warnings, libraryLines[i]))
            appendText(finalText, library);
    }
    // The hints read the source as the learner wrote it, before the rules rewrite it, and are
    // printed after the warnings.
    const WarningList hints = findHints(working, ruleTable, vocabulary, finalText.chars);
    applyRules(working);
    const std::size_t ownStart = finalText.chars.size();  // the main text follows the libraries
    if (finalText.chars.empty()) {
        finalText = std::move(working);
    } else {
        appendText(finalText, working);
        working = CodeText();
    }

    checkBrackets(finalText, warnings);
    printWarnings(sourcePath, warnings);
    printNotes("ПОДСКАЗКА", sourcePath, hints);
    // The page overlay and the playground list the hints after the warnings, as printed.
    report.notes = formatNotes("ПРЕДУПРЕЖДЕНИЕ", sourcePath, warnings);
    for (std::string& note : formatNotes("ПОДСКАЗКА", sourcePath, hints)) report.notes.push_back(std::move(note));

    std::string body = escapeScriptBody(encodeUtf8(finalText.chars));
    const std::string lineMap = buildLineMap(finalText);
    const std::string outputPath = outputPathFor(sourcePath, options.js);
    const bool withMap = options.sourceMap || options.watch;
    SourceMapInput map;
    if (withMap) {
        map.text = &finalText;
        map.ownStart = ownStart;
        map.sourceName = fileNameOf(sourcePath);
        map.sourceText = sourceUtf8;
        map.fileName = fileNameOf(outputPath);
    }
    std::string output;
    if (options.js) {
        output = buildScriptFile(fileNameOf(sourcePath), lineMap, body, runtimeWords);
        if (withMap) {
            // The file ends with the body and one line feed; the map's last line follows.
            const std::size_t bodyStart = output.size() - body.size() - 1;
            map.linesAbove = static_cast<std::size_t>(std::count(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(bodyStart), '\n'));
            output += sourceMapComment(sourceMapJson(map));
            output += '\n';
        }
    } else {
        const std::string name = fileNameOf(outputPath);
        const std::string title = name.substr(0, name.size() - std::string(".html").size());
        if (withMap) {
            // The script element's text starts with the line feed after its opening tag.
            map.linesAbove = 1;
            body += '\n';
            body += sourceMapComment(sourceMapJson(map));
        }
        output = buildPage(body, lineMap, title, sourceUtf8, options.watch, runtimeWords);
    }
    finalText = CodeText();

    if (!writeFileAtomically(outputPath, output)) {
        std::printf("Ошибка: не могу записать файл: %s\n", outputPath.c_str());
        return {};
    }
    std::printf("OK: %s -> %s  (%s, кодировка исходника: %s, правил: %d)\n", sourcePath.c_str(),
                outputPath.c_str(), options.js ? "JavaScript" : "HTML", encoding,
                static_cast<int>(ruleTable.size()));
    if (options.run && !options.js && !options.watch) {
        std::fflush(stdout);
        platform::openWithShell(outputPath);
    }
    return outputPath;
}

}  // namespace

// Memory is the one resource a compile can run out of with no message of its own: a source too
// large for it fails with a message, like an unreadable one, and folder mode goes on.
std::string compileFile(const std::string& sourcePath, const CompileOptions& options) {
    CompileReport report;
    return compileFile(sourcePath, options, report);
}

std::string compileFile(const std::string& sourcePath, const CompileOptions& options, CompileReport& report) {
    report.notes.clear();
    try {
        return compileWhole(sourcePath, options, report);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    std::printf("Ошибка: не хватает памяти, чтобы скомпилировать %s\n", sourcePath.c_str());
    return {};
}
