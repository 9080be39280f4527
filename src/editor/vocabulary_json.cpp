// The vocabulary as the playground's editor reads it: words, roles, regular expressions.
// Tests: tests/playground/playground_test.mjs.
#include "editor/vocabulary_json.h"

#include "base/json_text.h"
#include "editor/editor.h"
#include "rules/pattern_regex.h"

namespace editor {

std::string vocabularyJson(const rules::Vocabulary& vocabulary, const std::vector<rules::Rule>& table) {
    std::string out = "{\"words\":[";
    for (std::size_t i = 0; i < vocabulary.rules.size(); ++i) {
        const rules::RuleWords& w = vocabulary.rules[i];
        if (i > 0) out += ',';
        out += "{\"rule\":" + std::to_string(w.rule) + ",\"phrase\":";
        base::appendJsonString(out, w.phrase);
        out += ",\"words\":[";
        for (std::size_t j = 0; j < w.words.size(); ++j) {
            if (j > 0) out += ',';
            base::appendJsonString(out, w.words[j]);
        }
        out += "],\"role\":";
        base::appendJsonString(out, rules::roleName(w.role));
        out += ",\"regex\":";
        base::appendJsonString(out, rules::patternRegex(table[w.rule].nodes, table[w.rule].ignoreCase));
        out += w.equality ? ",\"equality\":true}" : ",\"equality\":false}";
    }
    out += "],\"library\":[";
    for (std::size_t i = 0; i < vocabulary.libraryNames.size(); ++i) {
        if (i > 0) out += ',';
        base::appendJsonString(out, vocabulary.libraryNames[i]);
    }
    out += "],\"reverse\":{";
    for (std::size_t i = 0; i < vocabulary.reverse.size(); ++i) {
        if (i > 0) out += ',';
        base::appendJsonString(out, vocabulary.reverse[i].first);
        out += ':';
        base::appendJsonString(out, vocabulary.reverse[i].second);
    }
    // What opens and closes a block, for the editor's indentation.
    out += "},\"opens\":";
    base::appendJsonString(out, blockRegex(vocabulary, table, true));
    out += ",\"closes\":";
    base::appendJsonString(out, blockRegex(vocabulary, table, false));
    out += "}";
    return out;
}

}  // namespace editor
