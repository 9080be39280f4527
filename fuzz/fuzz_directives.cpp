// Library directives: collectLibraryDirectives only removes text (never inserts or reorders),
// keeps every line break, and reports one found path or one warning per directive it removes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "fuzz_support.h"
#include "translator/libraries_on_disk.h"

using namespace base;
using namespace translator;

namespace {

// A source folder with a library in its library folder and one beside it, and an empty home.
const std::string& folder() {
    static const std::string path = [] {
        char name[] = "/tmp/lum-fuzz-directives-XXXXXX";
        const std::string root = ::mkdtemp(name) ? name : "/tmp";
        ::mkdir((root + "/библиотеки").c_str(), 0755);
        ::mkdir((root + "/home").c_str(), 0755);
        ::mkdir((root + "/папка.лумс").c_str(), 0755);
        std::ofstream(root + "/библиотеки/граф.js") << "var граф = 1;\n";
        std::ofstream(root + "/lib.лумс") << "вывести(1)\n";
        ::setenv("LUM_HOME", (root + "/home").c_str(), 1);
        return root;
    }();
    return path;
}

void piece(std::uint8_t b, CodePoints& out) {
    static const char* const pieces[] = {"ПБ ", "подключить библиотеку ", "ПОДКЛЮЧИТЬ БИБЛИОТЕКУ ", "lib", "граф",
                                         "папка", "нет", "привет", "кода в одну строку", " ", "\t", ";", "\n",
                                         "\r", "\"", "'", "x", "пб ", "/", "\\", ".."};
    const CodePoints p = decodeBytes(pieces[b % (sizeof pieces / sizeof pieces[0])]);
    out.insert(out.end(), p.begin(), p.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 200) return 0;
    const std::string& root = folder();
    CodePoints points;
    for (std::size_t i = 0; i < size; ++i) piece(data[i], points);
    CodeText text = makeText(points);
    const CodeText before = text;

    std::vector<std::string> paths;
    std::vector<std::uint32_t> lines;
    WarningList warnings;
    static const LibraryReader reader = diskLibraries();
    collectLibraryDirectives(text, root, reader, paths, lines, warnings);

    FUZZ_REQUIRE(text.chars.size() == text.lines.size());
    FUZZ_REQUIRE(paths.size() == lines.size());
    // What is left is a subsequence of the text, each code point with its own line, and no
    // line break is ever removed.
    std::size_t j = 0;
    for (std::size_t i = 0; i < before.chars.size(); ++i) {
        if (j < text.chars.size() && before.chars[i] == text.chars[j] && before.lines[i] == text.lines[j])
            ++j;
        else
            FUZZ_REQUIRE(before.chars[i] != 0x0A && before.chars[i] != 0x0D, "a line break was removed");
    }
    FUZZ_REQUIRE(j == text.chars.size(), "the result is not a subsequence of the text");
    // A removed directive is either found or warned about.
    FUZZ_REQUIRE((text.chars == before.chars) == (paths.empty() && warnings.empty()));
    const std::uint32_t highest = before.lines.empty() ? 1 : before.lines.back();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        FUZZ_REQUIRE(lines[i] >= 1 && lines[i] <= highest);
        struct stat st {};
        FUZZ_REQUIRE(::stat(paths[i].c_str(), &st) == 0 && S_ISREG(st.st_mode), "found '%s' is no file",
                     paths[i].c_str());
        FUZZ_REQUIRE(paths[i].compare(0, root.size(), root) == 0);
    }
    for (const base::Finding& finding : warnings) {
        const std::string& warning = finding.text;
        const long long line = namedLine(warning);
        FUZZ_REQUIRE(line >= 1 && line <= highest);
    }
    return 0;
}
