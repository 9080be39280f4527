// The program's entry in the browser: the C API that the playground's worker calls. Rules, source
// and libraries arrive as bytes and become files of the in-memory file system, so the rules load
// and the source compiles through the very code the command line runs; what lum prints goes to
// standard output, which the worker collects line by line.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "frontend/files.h"
#include "frontend/frontend.h"
#include "output/compile.h"
#include "platform/platform.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

namespace {

// What one call hands back stays here until the next call of the same kind; the worker copies it
// out at once. The module has one caller, the worker's one thread.
struct Session {
    std::string output;
    std::string outputName;  // the file name lum gave the output: "игра.html"
    std::string notes;
    std::string vocabulary;
};

Session& session() {
    static Session s = [] {
        // The working folder is the home folder: libraries go to its "библиотеки" folder, where
        // a program's own folder is searched first, and the paths printed stay short.
        const std::string home = homeFolder();
        ::mkdir(home.c_str(), 0755);
        ::chdir(home.c_str());
        return Session{};
    }();
    return s;
}

bool writeBytes(const std::string& path, const char* bytes, std::size_t size) {
    return writeFileAtomically(path, std::string(bytes, size));
}

// A plain file name of the working folder: no separator, not "." or "..".
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

extern "C" {

// Loads the rules text as the rules file keywords.csv and prints what start-up prints. Returns the
// number of rules in the table afterwards: a text without rules leaves the previous table.
int lum_load_rules(const char* bytes, std::size_t size) {
    session();
    const std::string path = "keywords.csv";
    if (!writeBytes(path, bytes, size)) {
        std::printf("Ошибка: не могу записать файл: %s\n", path.c_str());
    } else {
        loadRulesAtStartUp(path);
    }
    session().vocabulary.clear();
    std::fflush(stdout);
    return static_cast<int>(ruleTable.size());
}

// Puts a file (a library) at `path`, relative to the working folder, making its folder: 1 when
// written. Only "name" and "folder/name" are taken.
int lum_put_file(const char* path, const char* bytes, std::size_t size) {
    session();
    const std::string p = path;
    const std::size_t cut = p.find('/');
    const std::string folder = cut == std::string::npos ? std::string() : p.substr(0, cut);
    const std::string name = cut == std::string::npos ? p : p.substr(cut + 1);
    if (!isPlainName(name) || (cut != std::string::npos && !isPlainName(folder))) return 0;
    if (!folder.empty()) ::mkdir(folder.c_str(), 0755);
    return writeBytes(p, bytes, size) ? 1 : 0;
}

// Compiles the source bytes as the file `name` of the working folder, as `lum name` would, with
// -js when bit 0 of `flags` is set and -map when bit 1 is; 1 when a page or script was made. The
// source and the output are removed again, so nothing piles up in memory between compiles.
int lum_compile(const char* name, const char* bytes, std::size_t size, int flags) {
    Session& s = session();
    s.output.clear();
    s.outputName.clear();
    s.notes.clear();
    const std::string source = name;
    int made = 0;
    if (!isPlainName(source)) {
        std::printf("Ошибка: имя файла не годится: %s\n", source.c_str());
    } else if (!writeBytes(source, bytes, size)) {
        std::printf("Ошибка: не могу записать файл: %s\n", source.c_str());
    } else {
        CompileOptions options;
        options.js = (flags & 1) != 0;
        options.sourceMap = (flags & 2) != 0;
        CompileReport report;
        const std::string written = compileFile(source, options, report);
        for (const std::string& line : report.notes) s.notes += line + "\n";
        if (!written.empty() && readWholeFile(written, s.output)) {
            s.outputName = fileNameOf(written);
            made = 1;
        }
        if (!written.empty()) platform::removeFile(written);
        platform::removeFile(source);
    }
    std::fflush(stdout);
    return made;
}

const char* lum_output() { return session().output.data(); }
std::size_t lum_output_size() { return session().output.size(); }
const char* lum_output_name() { return session().outputName.c_str(); }

// The warning and hint lines of the last compile, each ending in a line feed.
const char* lum_notes() { return session().notes.c_str(); }

// The vocabulary of the rules loaded, as JSON (see vocabularyJson).
const char* lum_vocabulary() {
    Session& s = session();
    if (s.vocabulary.empty()) s.vocabulary = vocabularyJson(deriveVocabulary(ruleTable), ruleTable);
    return s.vocabulary.c_str();
}

}  // extern "C"
