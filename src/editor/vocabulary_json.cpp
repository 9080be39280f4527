// The vocabulary as the playground's editor reads it: words, roles, regular expressions.
// Tests: tests/playground/playground_test.mjs.
#include "editor/vocabulary_json.h"

#include "base/json.h"
#include "editor/editor.h"
#include "rules/pattern_regex.h"

namespace editor {

std::string vocabularyJson(const rules::Vocabulary& vocabulary, const std::vector<rules::Rule>& table) {
    std::vector<base::Json> words;
    for (const rules::RuleWords& w : vocabulary.rules)
        words.push_back(base::jsonObject({{"rule", base::jsonNumber(static_cast<long long>(w.rule))},
                                          {"phrase", base::jsonString(w.phrase)},
                                          {"words", base::jsonStrings(w.words)},
                                          {"role", base::jsonString(rules::roleName(w.role))},
                                          {"regex", base::jsonString(rules::patternRegex(table[w.rule].nodes, table[w.rule].ignoreCase))},
                                          {"equality", base::jsonBool(w.equality)}}));
    std::vector<base::JsonMember> reverse;
    for (const auto& [js, word] : vocabulary.reverse) reverse.push_back({js, base::jsonString(word)});
    return base::compactJson(base::jsonObject({
        {"words", base::jsonArray(std::move(words))},
        {"library", base::jsonStrings(vocabulary.libraryNames)},
        {"reverse", base::jsonObject(std::move(reverse))},
        // What opens and closes a block, for the editor's indentation.
        {"opens", base::jsonString(blockRegex(vocabulary, table, true))},
        {"closes", base::jsonString(blockRegex(vocabulary, table, false))},
    }));
}

}  // namespace editor
