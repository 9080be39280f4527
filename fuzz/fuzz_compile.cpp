// The whole compile of one source in a temporary folder, with the real rules file: it always
// writes its output, leaves no temporary behind, the output holds the source and a body without
// "</", and the hints come after the warnings, each on a line of the source.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "frontend/report.h"
#include "fuzz_support.h"
#include "output/compile.h"
#include "output/page.h"
#include "rules/loaded_rules.h"
#include "rules/rulesfile.h"

using namespace base;
using namespace rules;
using namespace output;
using namespace frontend;

namespace {

std::vector<Rule> projectTable;

const std::string& folder() {
    static const std::string path = [] {
        char name[] = "/tmp/lum-fuzz-compile-XXXXXX";
        const std::string root = ::mkdtemp(name) ? name : "/tmp";
        ::mkdir((root + "/home").c_str(), 0755);
        ::mkdir((root + "/src").c_str(), 0755);
        ::mkdir((root + "/src/библиотеки").c_str(), 0755);
        std::ofstream(root + "/src/библиотеки/граф.лумс") << "пусть граф = 1\nПБ граф\n";
        std::ofstream(root + "/src/util.js") << "var util = '</script>';\n";
        ::setenv("LUM_HOME", (root + "/home").c_str(), 1);
        WarningList warnings;
        if (!loadRules(LUM_SOURCE_DIR "/src/keywords.csv", projectTable, warnings)) std::abort();
        return root + "/src";
    }();
    return path;
}

std::string slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream out;
    out << file.rdbuf();
    return out.str();
}

std::size_t entryCount(const std::string& path) {
    std::size_t n = 0;
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* e = ::readdir(dir)) n += e->d_name[0] != '.';
        ::closedir(dir);
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string& root = folder();
    FuzzReader in{data, size};
    const std::uint8_t flags = in.byte();
    std::string source = in.rest();
    // Sprinkle the directives and words the fuzzer is unlikely to spell on its own.
    if (flags & 4) source = "ПБ граф\nподключить библиотеку util\n" + source;
    if (flags & 8) source += "\nповторить 3 раз\nвывести(\"</script>\")\nконец\n";

    CompileOptions options;
    options.js = flags & 1;
    options.watch = (flags & 2) && !options.js;
    const std::string sourcePath = root + "/исходник.лумс";
    {
        std::ofstream file(sourcePath, std::ios::binary | std::ios::trunc);
        file.write(source.data(), static_cast<std::streamsize>(source.size()));
    }
    static const rules::LoadedRules project = rules::loadedRules(projectTable);
    const CompileReport report = compileFile(sourcePath, options, {project, false});
    const std::string output = report.status == CompileStatus::Written ? report.outputPath : std::string();
    const std::string expectedPath = root + "/исходник" + (options.js ? ".js" : ".html");
    FUZZ_REQUIRE(output == expectedPath, "compile gave '%s'", output.c_str());
    const std::string written = slurp(output);
    FUZZ_REQUIRE(!written.empty());
    // исходник.лумс, its output, граф's folder and util.js: nothing else, no temporary.
    FUZZ_REQUIRE(entryCount(root) == 4, "%zu entries in the source folder", entryCount(root));

    std::string bytes = source;
    dropByteOrderMark(bytes);
    CodePoints decoded;
    if (!decodeUtf8(bytes, decoded)) decodeCp1251(bytes, decoded);

    // Warnings first, then hints, each hint naming a line of the source; none in the output.
    const long long lines = 1 + std::count(decoded.begin(), decoded.end(), 0x0Au);
    bool hinted = false;
    for (const std::string& note : noteLines(report)) {
        const std::string hint = "ПОДСКАЗКА [исходник.лумс]: строка ";
        if (note.rfind("ПРЕДУПРЕЖДЕНИЕ [исходник.лумс]: ", 0) == 0) {
            FUZZ_REQUIRE(!hinted, "a warning after a hint: %s", note.c_str());
            continue;
        }
        FUZZ_REQUIRE(note.rfind(hint, 0) == 0, "neither warning nor hint: %s", note.c_str());
        hinted = true;
        const long long line = std::atoll(note.c_str() + hint.size());
        FUZZ_REQUIRE(line >= 1 && line <= lines, "hint on line %lld of %lld: %s", line, lines, note.c_str());
    }
    // No hint line in the output (watch mode's overlay script names the kind, never a hint).
    const std::string hintLine = "ПОДСКАЗКА [";
    FUZZ_REQUIRE(!hinted || written.find(hintLine) == std::string::npos || source.find(hintLine) != std::string::npos);
    if (!options.js) {
        const std::string tag = "<script type=\"text/javascript\" id=\"js\">\n";
        const std::size_t at = written.find(tag);
        FUZZ_REQUIRE(at != std::string::npos);
        const std::size_t end = written.rfind("\n</script>\n", written.size() - (options.watch ? 1 : 0));
        FUZZ_REQUIRE(end != std::string::npos && end >= at + tag.size());
        const std::size_t bodyEnd = options.watch ? written.rfind("\n</script>\n<script>\n") : end;
        FUZZ_REQUIRE(bodyEnd != std::string::npos && bodyEnd >= at + tag.size());
        const std::string body = written.substr(at + tag.size(), bodyEnd - at - tag.size());
        FUZZ_REQUIRE(body.find("</") == std::string::npos, "the script body holds </");
        FUZZ_REQUIRE(written.find("<div id='lup' style=\"display: none;\">\n" + escapeHtml(encodeUtf8(decoded)) +
                                  "\n</div>\n") != std::string::npos,
                     "the hidden source differs from the decoded source");
        FUZZ_REQUIRE(written.find("__OFFSET__") == std::string::npos || source.find("__OFFSET__") != std::string::npos);
    } else {
        FUZZ_REQUIRE(written.compare(0, 3, "// ") == 0);
    }
    ::unlink(output.c_str());
    return 0;
}
