// The language an editor is helped with: a loaded rule table read once into what hovers,
// completions, snippets and signature help show (each word's role, meaning and example, the
// snippets its roles make, the checked words' values), and the words of other languages.
// Tests: tests/services/language_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/loaded_rules.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

namespace services {

// One phrase of the table as the editor shows it.
struct Word {
    std::string phrase;       // "больше или равно", as the table writes it
    rules::WordRole role = rules::WordRole::Other;
    std::string javaScript;   // what it becomes (short: a library's text is not shown)
    std::string meaning;      // from the reference when it knows this JavaScript, else by role
    std::string example;      // from the reference when the table writes the same word there
    bool ignoreCase = false;
    bool call = false;        // the pattern ends with "(": written straight before its bracket
    std::vector<std::string> parameters;  // of a checked word or a library function, in order
};

// A snippet made from the table's words: «если ${1:условие} то …».
struct Snippet {
    std::string title;        // "если … то … конец"
    std::string prefix;       // the first word
    std::string body;         // lines joined by "\n", VS Code's snippet syntax
    std::string description;
};

// A name a built-in library defines, with its values and what it does, from the reference.
struct LibraryName {
    std::string name, description, directive;
    std::vector<std::string> parameters;
};

// The loaded rules with what an editor adds to them; made once per load of the rules.
struct Language {
    rules::LoadedRules loaded;          // the table, its vocabulary, the other languages' words
    std::vector<Word> words;            // each phrase once, in table order
    std::vector<Snippet> snippets;
    std::vector<LibraryName> libraryNames;  // of the libraries the table inserts
    std::string blockClose, headerMark;     // «конец», ":" (the mark that ends a function header)
};

Language makeLanguage(rules::LoadedRules loaded);

// The snippets the table's roles make (conditions, loops, functions, handlers, checked words);
// `vocabulary` is the table's.
std::vector<Snippet> snippetsOf(const std::vector<rules::Rule>& table, const rules::Vocabulary& vocabulary);

// A role in the learner's words: "начало условия или цикла", "рисование"…
const char* roleTitle(rules::WordRole role);

}  // namespace services
