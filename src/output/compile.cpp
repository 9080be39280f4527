// The one-file compile: read and decode, analyse (diagnostics/analysis.h), assemble, write, and report.
// Tests: tests/output/compile_test.cpp, tests/e2e/cli_test.cpp.
#include "output/compile.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "diagnostics/analysis.h"
#include "diagnostics/names.h"
#include "diagnostics/slips.h"
#include "embedded/runtimeCheckPrelude.h"
#include "output/loop_conditions.h"
#include "output/executors.h"
#include "output/page.h"
#include "output/repair_words.h"
#include "output/source_map.h"
#include "output/runtime_words.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "tasks/compare.h"
#include "translator/executors.h"

namespace output {

namespace {

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}


}  // namespace

std::string outputPathFor(const std::string& sourcePath, bool js) {
    const std::string name = base::fileNameOf(sourcePath);
    // Only ASCII capitals are lowered, so ".ЛУМС" or ".лумС" is no source extension.
    std::string lowered = name;
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    std::string stem = name;
    if (endsWith(lowered, ".лумс"))
        stem = name.substr(0, name.size() - std::string(".лумс").size());
    else if (endsWith(lowered, ".лум"))
        stem = name.substr(0, name.size() - std::string(".лум").size());
    return base::folderOf(sourcePath) + platform::separator() + stem + (js ? ".js" : ".html");
}

std::string buildLineMap(const base::CodeText& text) {
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

void compileWhole(const std::string& sourcePath, const CompileOptions& options, const CompileContext& context,
                  CompileReport& report) {
    std::string bytes;
    if (!platform::readWholeFile(sourcePath, bytes)) return;  // Unreadable
    base::dropByteOrderMark(bytes);

    base::CodePoints source;
    if (!base::decodeUtf8(bytes, source)) {
        base::decodeCp1251(bytes, source);
        report.encoding = "CP1251";
    }
    // The page's hidden copy of the source, in UTF-8. Valid UTF-8 re-encodes to the very same
    // bytes, so those are kept as they are; only CP1251 needs encoding. A JavaScript file has none.
    std::string sourceUtf8;
    if (!options.js || options.sourceMap) sourceUtf8 = report.encoding[0] == 'U' ? std::move(bytes) : base::encodeUtf8(source);
    bytes = std::string();

    if (options.task) report.wordRule = tasks::wordRuleBroken(source, *options.task);
    const std::vector<rules::Rule>& table = context.rules.table;
    // What the run-time layer needs to speak the learner's words: the loaded rules' vocabulary
    // and the names this program defines.
    const rules::Vocabulary& vocabulary = context.rules.vocabulary;
    std::string runtimeWords =
        runtimeWordsLine(vocabulary, diagnostics::definedNames(source, vocabulary), lastCodeLine(source));

    const translator::LibraryReader libraries = translator::diskLibraries();
    diagnostics::Analysis analysis = diagnostics::analyse(
        std::move(source), {base::folderOf(sourcePath), context.rules, libraries, context.trace, context.traceLine, true, nullptr});
    report.warnings = std::move(analysis.warnings);
    report.includedFiles = std::move(analysis.includedFiles);
    report.hints = std::move(analysis.hints);
    // The run-time layer explains the program's errors with its facts and the hints about its blocks.
    runtimeWords += repairWordsLine(vocabulary, table, analysis.facts, report.hints, context.rules.otherWords);
    base::CodeText finalText = std::move(analysis.translated);
    // The guard is told each «пока» loop's condition; the loops were read off the program's own text.
    for (diagnostics::WhileLoop& loop : analysis.whileLoops) loop.checkArguments += analysis.ownStart;
    passConditionsToGuard(finalText, analysis.whileLoops);
    const std::size_t ownStart = analysis.ownStart;
    // The executors the program asked for: their run-time part, and the Robot's field.
    const ExecutorChoice executors = chooseExecutors(analysis.executorDirectives, table);
    const std::string executorsJs = executorScript(
        executors, executors.robot ? loadDirectiveField(executors, base::folderOf(sourcePath), libraries, report.warnings) : tasks::Field());
    report.checked = true;

    std::string body = escapeScriptBody(base::encodeUtf8(finalText.chars));
    const std::string lineMap = buildLineMap(finalText);
    report.outputPath = outputPathFor(sourcePath, options.js);
    const bool withMap = options.sourceMap || options.watch;
    SourceMapInput map;
    if (withMap) {
        map.text = &finalText;
        map.ownStart = ownStart;
        map.sourceName = base::fileNameOf(sourcePath);
        map.sourceText = sourceUtf8;
        map.fileName = base::fileNameOf(report.outputPath);
    }
    std::string output;
    if (options.js) {
        output = buildScriptFile(base::fileNameOf(sourcePath), lineMap, body, runtimeWords + executorsJs);
        if (withMap) {
            // The file ends with the body and one line feed; the map's last line follows.
            const std::size_t bodyStart = output.size() - body.size() - 1;
            map.linesAbove = static_cast<std::size_t>(
                std::count(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(bodyStart), '\n'));
            output += sourceMapComment(sourceMapJson(map));
            output += '\n';
        }
    } else {
        const std::string name = base::fileNameOf(report.outputPath);
        const std::string title = name.substr(0, name.size() - std::string(".html").size());
        if (withMap) {
            // The script element's text starts with the line feed after its opening tag.
            map.linesAbove = 1;
            body += '\n';
            body += sourceMapComment(sourceMapJson(map));
        }
        output = buildPage({body, lineMap, title, sourceUtf8, options.watch, runtimeWords,
                            options.task ? runtimeCheckPrelude : std::string_view(), executorsJs});
    }
    if (options.task && !options.js) {
        report.output = std::move(output);
        report.status = CompileStatus::Written;
        return;
    }
    finalText = base::CodeText();
    report.status = platform::writeFileAtomically(report.outputPath, output) ? CompileStatus::Written : CompileStatus::Unwritable;
    if (report.status == CompileStatus::Unwritable) report.writeProtected = platform::writeProtected(report.outputPath);
}

}  // namespace

// Memory is the one resource a compile can run out of with no message of its own: a source too
// large for it ends as OutOfMemory, like an unreadable one, and folder mode goes on.
CompileReport compileFile(const std::string& sourcePath, const CompileOptions& options, const CompileContext& context) {
    CompileReport report;
    report.sourcePath = sourcePath;
    report.js = options.js;
    report.ruleCount = context.rules.table.size();
    try {
        compileWhole(sourcePath, options, context, report);
    } catch (const std::bad_alloc&) {
        report.status = CompileStatus::OutOfMemory;
    } catch (const std::length_error&) {
        report.status = CompileStatus::OutOfMemory;
    }
    return report;
}

}  // namespace output
