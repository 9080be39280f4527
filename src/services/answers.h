// What an editor asks about a place in a program: the hover text of a word, the completions
// there, the values of the call it stands in, where a name is defined, the program's symbols.
// Each answer reads the text once, in time linear in it.
// Tests: tests/services/language_test.cpp.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "services/language.h"
#include "services/program.h"
#include "translator/libraries_on_disk.h"

namespace services {

struct Hover {
    Range range;
    std::string markdown;
};
// A word of the table (its role, meaning, what it becomes and an example), a name the program
// defines (as what and on which line), or a built-in library's name; nothing on anything else.
std::optional<Hover> hoverAt(const Text& text, Place p, const Language& language, const std::vector<ProgramName>& names);

enum class CompletionKind { Keyword, Function, Method, Value, Snippet, Variable, Constant, Parameter, Class };
struct Completion {
    std::string label;
    CompletionKind kind = CompletionKind::Keyword;
    std::string detail;         // the role or what the name is
    std::string documentation;  // markdown
    std::string insertText;     // snippet syntax when `snippet`
    bool snippet = false;
};
// After a dot: the table's words written after a value. Elsewhere: the table's words, the
// snippets its roles make, the program's names and the built-in libraries' names.
std::vector<Completion> completionsAt(const Text& text, Place p, const Language& language, const std::vector<ProgramName>& names);

struct Signature {
    std::string label;                     // "круг(x, y, радиус)"
    std::vector<std::string> parameters;   // each a piece of the label
    std::string documentation;
    std::uint32_t active = 0;              // the value the place is in
};
// Inside the brackets of a checked word, a library function or a function of the program.
std::optional<Signature> signatureAt(const Text& text, Place p, const Language& language, const std::vector<ProgramName>& names);

// The definition of the name at a place, when the program defines it.
std::optional<Range> definitionAt(const Text& text, Place p, const std::vector<ProgramName>& names);

// Where an included library defines the name at a place: the first of `files` (read through
// `reader`; an unreadable one is passed over) whose names hold it, its text and the name's range.
struct LibraryDefinition {
    std::string file;
    Text text;
    Range at;
};
std::optional<LibraryDefinition> libraryDefinitionAt(const Text& text, Place p, const std::vector<std::string>& files,
                                                     const Language& language, const translator::LibraryReader& reader);

}  // namespace services
