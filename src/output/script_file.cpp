// The JavaScript file: header, line map, offset variable, run-time layer and script body.
// Tests: tests/output/script_file_test.cpp, tests/browser/script_file_test.cpp.
#include <string_view>

#include "embedded/runtimeFileOutput.h"
#include "embedded/runtimeMistakes.h"
#include "embedded/runtimeOrigin.h"
#include "embedded/runtimePanel.h"
#include "output/error_messages.h"
#include "output/runtime_words.h"
#include "output/page.h"

namespace output {

namespace {

constexpr std::string_view ownLinesPlaceholder = "__FILE_LINES__";

// The header is one comment line: a line break in the file name (CR, LF, U+2028, U+2029)
// would end the comment and turn the rest of the name into code, so it becomes a space.
std::string oneLine(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\n' || name[i] == '\r') {
            out.push_back(' ');
        } else if (name.compare(i, 3, "\xE2\x80\xA8") == 0 || name.compare(i, 3, "\xE2\x80\xA9") == 0) {
            out.push_back(' ');
            i += 2;
        } else {
            out.push_back(name[i]);
        }
    }
    return out;
}

}  // namespace

std::string buildScriptFile(const std::string& fileName, const std::string& lineMap,
                            const std::string& scriptBody, const std::string& runtimeWords) {
    const std::string wordsScript = runtimeWordsScript();
    std::string file;
    file.reserve(scriptBody.size() + lineMap.size() + fileName.size() + runtimeFileOutput.size() +
                 runtimePanel.size() + 4096 + wordsScript.size() + runtimeWords.size() + 512);
    file += "// ";
    file += oneLine(fileName);
    file += " — скомпилировано ЛУМ скрипт (ЛУМ2.7)\n";
    file += "var __LUM_LINES__ = ";
    file += lineMap;
    file += ";\nvar __LUM_OFFSET__ = 0; // сколько строк вашего html выше этого файла — поправьте "
            "для точных номеров строк\n";
    file += wordsScript;
    file += runtimeFileOutput;
    file += runtimePanel;
    const std::size_t handlerStart = file.size();
    file += fileErrorHandler();
    const std::size_t handlerEnd = file.size();
    file += runtimeOrigin;
    file += runtimeMistakes;
    file += runtimeWords;

    // The handler subtracts the file's own lines above the script body, so that with the
    // offset at 0 a line of the file maps to the right line of the source.
    std::size_t ownLines = 0;
    for (const char c : file)
        if (c == '\n') ++ownLines;
    const std::string count = std::to_string(ownLines);
    std::size_t end = handlerEnd;
    for (std::size_t at = file.find(ownLinesPlaceholder, handlerStart); at != std::string::npos && at < end;
         at = file.find(ownLinesPlaceholder, at + count.size())) {
        file.replace(at, ownLinesPlaceholder.size(), count);
        end = end - ownLinesPlaceholder.size() + count.size();
    }

    file += scriptBody;
    file += "\n";
    return file;
}

}  // namespace output
