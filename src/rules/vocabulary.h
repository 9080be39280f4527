// What the loaded rules say about the language's own words: the words each pattern is made of,
// the part its replacement plays (opens a condition, closes a block, compares, prints, draws...),
// the JavaScript names it writes, and the names of the built-in libraries it inserts. Derived
// from the rule table alone, never from a list of words, so a teacher's own keywords.csv gets
// its own words; a table that tells nothing about a role has no word in it.
// Tests: tests/rules/vocabulary_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "rules/rulesfile.h"

namespace rules {

// The part a rule's replacement plays, judged from the brackets it leaves open or closes (net of
// the brackets its own pattern consumes) and from the JavaScript it writes, in this order of
// precedence: library, header open, header close, block middle, block open, block close,
// comparison, logic, declaration, control, value, output, the role a checked word of the run-time
// object has in its table (rules/checked_words.h), drawing, method, function, other.
enum class WordRole : std::uint8_t {
    Other,        // nothing the rules tell
    Library,      // inserts a built-in library
    HeaderOpen,   // opens a "(" that another rule's replacement closes: a condition or loop word
    HeaderClose,  // closes such a "(" and opens a "{": the word that ends a condition or loop header
    BlockMiddle,  // closes a "{" and opens the next one
    BlockOpen,    // opens a "{" that another rule's replacement closes
    BlockClose,   // closes a "{": the word that ends a block
    Comparison,   // ==, !=, <, >, <=, >= (and the strict forms)
    Logic,        // &&, ||, !
    Declaration,  // let, const, var, function, class
    Control,      // return, break, continue
    Value,        // true, false, null, undefined, NaN, Infinity
    Output,       // prints, clears the output, asks or tells the user: console.*, alert, prompt...
    Drawing,      // draws on the canvas: ctx.*
    Method,       // a pattern that starts with ".": a word written after a value and a dot
    Function,     // a call: the pattern or the replacement ends in "("
};

// Lower-case name of a role, as the editor grammar and the playground use it: "header-open"...
const char* roleName(WordRole role);

struct RuleWords {
    std::size_t rule = 0;            // index in the table
    std::vector<std::string> words;  // UTF-8 letter runs of the pattern, as written, in order
    std::string phrase;              // the words joined by single spaces: "больше или равно"
    WordRole role = WordRole::Other;
    bool equality = false;           // the replacement is exactly "==": the comparison word
    // Brackets the replacement leaves open or closes beyond those the pattern consumes; brackets
    // inside quotes of the replacement do not count.
    int opensParen = 0, closesParen = 0, opensBrace = 0, closesBrace = 0;
    // JavaScript names the replacement writes, each dotted path whole and its last component
    // ("console.log", "log"; ".length" gives "length"), outside quotes, keywords left out.
    std::vector<std::string> produces;
    bool ignoreCase = false;  // the rule's "gi": its words match in any case
    // The pattern ends with "(" right after its words («\bчисло\(»): the words alone, without the
    // bracket («пусть число = 5»), are a name the rule leaves as it is.
    bool needsBracket = false;
    // The declaring keyword the replacement ends with, so that the name written next is defined:
    // "let", "const", "var", "function" or "class" («пусть» → "let", «для каждого» → "for (const");
    // "" for every other rule.
    std::string declares;
};

struct Vocabulary {
    std::vector<RuleWords> rules;  // one entry per rule whose pattern has at least one word
    // Names that the built-in libraries inserted by the table define at their top level.
    std::vector<std::string> libraryNames;
    // JavaScript name -> the learner's word (phrase) it came from, from the rules whose replacement
    // writes nothing but that one name (".length", "console.log", "ctx.fillRect("); table order wins.
    std::vector<std::pair<std::string, std::string>> reverse;
    // Braces each rule of the table opens and closes beyond those its pattern consumes, in table
    // order, whether its pattern has words or not ("\\):" rewritten to ") {" opens one).
    struct Braces {
        int opens = 0, closes = 0;
    };
    std::vector<Braces> braces;
    // JavaScript keyword -> the learner's word, from the rules whose replacement names that keyword
    // alone, brackets aside ("} else {" gives else -> иначе, "null" gives null -> пусто).
    std::vector<std::pair<std::string, std::string>> keywords;
    // Name a built-in library defines -> the phrase of the first rule that inserts that library.
    std::vector<std::pair<std::string, std::string>> libraryDirectives;
};

// The run-time object that the table's checked words call ("__LUM__.circle(") and whose
// methods the run-time layer defines; a rule that calls one of the checked words
// (rules/checked_words.h) takes that word's role.
extern const char* const runtimeObject;

Vocabulary deriveVocabulary(const std::vector<Rule>& table);

// The learner's word for a JavaScript name, or "" when no rule wrote it.
std::string learnerWordFor(const Vocabulary& vocabulary, const std::string& jsName);

// Every distinct word of the vocabulary (letter runs of every pattern), in table order.
std::vector<std::string> vocabularyWords(const Vocabulary& vocabulary);

// The words of a pattern as node ranges [first, last): runs of literal word characters without
// "+" that hold at least one letter.
std::vector<std::pair<std::size_t, std::size_t>> wordRanges(const CompiledPattern& nodes);

}  // namespace rules
