// Library directives in a text, the inclusion of the library files they name, and the reader
// those files come through.
// Tests: tests/translator/directives_test.cpp, tests/translator/include_test.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/warnings.h"
#include "translator/rewrite.h"

namespace translator {

// Where the files a program names come from (its libraries, the Robot's field): whether a path
// names a file, its bytes, and the home folder searched after the program's own. Inclusion reads
// libraries through it alone: diskLibraries() reads the system's files, a test hands in texts
// held in memory.
struct LibraryReader {
    std::function<bool(const std::string& path)> isFile;
    std::function<bool(const std::string& path, std::string& bytes)> read;
    std::string home;  // "" when there is none
};
// The system's files and its home folder (LUM_HOME or the installed one).
LibraryReader diskLibraries();

// One compile's inclusion of library files: the rules that translate a script library, the
// compile's warnings, and `includedFiles`, every library file read, in reading order, duplicates
// kept (watch mode watches them). Made by the compile; nothing outlives it.
struct Inclusion {
    RuleSet rules;
    const LibraryReader& reader;
    base::WarningList& warnings;
    std::vector<std::string> includedFiles;
};

// Finds "подключить библиотеку имя" / "ПБ имя" outside string literals, looks each name up
// in four folders with three extensions through `reader`, appends the found paths with their directive lines,
// and removes the directive span (not the line break) unless it names a built-in library.
void collectLibraryDirectives(base::CodeText& text, const std::string& folder, const LibraryReader& reader,
                              std::vector<std::string>& paths, std::vector<std::uint32_t>& lines,
                              base::WarningList& warnings);

// Appends the framed, translated library at `path` to `out`, its text taking the line of its
// directive. False only when the file cannot be read; cycles and chains deeper than eight warn
// and return true with nothing appended.
bool includeLibrary(Inclusion& inclusion, const std::string& path, int depth, const std::vector<std::string>& chain,
                    std::uint32_t directiveLine, base::CodeText& out);

}  // namespace translator
