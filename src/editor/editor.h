// The editor extension for VS Code (its grammar also serves other TextMate editors), generated
// from a rule table, so that a teacher's own keywords.csv gets its own colours and blocks.
// Tests: tests/editor/editor_test.mjs, tests/e2e/cli_test.cpp.
#pragma once

#include <string>
#include <vector>

#include "rules/loaded_rules.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"

namespace editor {

// The extension's identity: its folder is "lum.lum-script-2.7.0", its package "lum-script-2.7.0.vsix".
inline constexpr const char* extensionPublisher = "lum";
inline constexpr const char* extensionName = "lum-script";
inline constexpr const char* extensionVersion = "2.7.0";

// The TextMate grammar (scope "source.lum") of the language the table defines: every word of
// its rules as a keyword scoped by the part it plays, the built-in libraries' names, strings in
// both quotes as rule application protects them, "//" and "/* */" comments, numbers.
std::string grammarJson(const rules::LoadedRules& loaded);
// Each phrase of the table's words, once, in table order, with the role the grammar colours it
// by; a phrase whose words are coloured apart («раз делать») gives each word instead.
std::vector<std::pair<std::string, rules::WordRole>> shownPhrases(const rules::LoadedRules& loaded);
// Comment toggling, brackets, auto-closing, indentation after a word that opens a block and out
// at one that closes it, folding from opener to closer: all read off the table.
std::string languageConfigurationJson(const rules::LoadedRules& loaded);
// The alternation of the regexes of the rules whose replacement leaves braces open (`opens`)
// or closes braces it did not open, together with the brace itself: what opens and closes a block.
std::string blockRegex(const rules::Vocabulary& v, const std::vector<rules::Rule>& table, bool opens);

// Snippets for the commonest constructs, each only when the table has all of its words.
std::string snippetsJson(const rules::LoadedRules& loaded);

struct ExtensionFile {
    std::string path;  // relative to the extension folder, "/" between folders
    std::string bytes;
};

// Every file of the extension folder. `lumPath`: the program its tasks run unless the user sets
// another; `rulesFolder`: the folder the rules file's own warnings point into.
std::vector<ExtensionFile> extensionFiles(const rules::LoadedRules& loaded, const std::string& lumPath,
                                          const std::string& rulesFolder);

// The files as a .vsix: a zip of stored entries under "extension/" with the package manifest.
std::string vsixPackage(const std::vector<ExtensionFile>& files);

// What `lum --editor` came to: whether everything was written, and the lines that tell what was
// written or what failed (without their line feeds).
struct ExtensionWrite {
    bool written = false;
    std::vector<std::string> lines;
};

// `lum --editor [folder]`: writes the extension folder and its .vsix into `folder` (made when
// missing) from the loaded rule table.
ExtensionWrite writeEditorExtension(const std::string& folder, const std::string& rulesPath,
                                    const rules::LoadedRules& loaded);

}  // namespace editor
