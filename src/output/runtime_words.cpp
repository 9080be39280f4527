// The run-time layer's dictionary: what the loaded rules and the program say, as one line of JavaScript.
// Tests: tests/browser/page_errors_test.cpp.
#include "base/json_text.h"
#include "output/runtime_words.h"

#include <algorithm>

#include "embedded/runtimeWordsJs.h"
#include "rules/checked_words.h"

namespace output {

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

void add(Pairs& pairs, const std::string& key, const std::string& value) {
    for (const auto& entry : pairs)
        if (entry.first == key) return;
    pairs.emplace_back(key, value);
}

void appendObject(std::string& out, const char* name, const Pairs& pairs) {
    base::appendJsonString(out, name);
    out += ":{";
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (i > 0) out += ',';
        base::appendJsonString(out, pairs[i].first);
        out += ':';
        base::appendJsonString(out, pairs[i].second);
    }
    out += '}';
}

void appendArray(std::string& out, const char* name, const std::vector<std::string>& items) {
    base::appendJsonString(out, name);
    out += ":[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        base::appendJsonString(out, items[i]);
    }
    out += ']';
}

void addOnce(std::vector<std::string>& items, const std::string& item) {
    if (std::find(items.begin(), items.end(), item) == items.end()) items.push_back(item);
}

// Where words.js leaves the table of checks empty.
constexpr std::string_view checksPlace = "{/*проверенные слова*/}";

}  // namespace

std::string runtimeWordsScript() {
    std::string table = "{";
    for (const rules::CheckedWord& w : rules::checkedWords()) {
        if (!w.executor.empty()) continue;
        if (table.size() > 1) table += ',';
        base::appendJsonString(table, w.method);
        table += ":[[";
        for (std::size_t k = 0; k < w.values.size(); ++k) {
            table += k ? ",[" : "[";
            base::appendJsonString(table, w.values[k].name);
            table += ',';
            base::appendJsonString(table, w.values[k].kind);
            table += ']';
        }
        table += "]," + std::to_string(w.optional) + ",";
        base::appendJsonString(table, w.example);
        table += ']';
    }
    table += '}';
    std::string script(runtimeWordsJs);
    const std::size_t at = script.find(checksPlace);
    if (at != std::string::npos) script.replace(at, checksPlace.size(), table);
    return script;
}

std::uint32_t lastCodeLine(const base::CodePoints& source) {
    std::uint32_t line = 1, last = 0;
    for (const std::uint32_t c : source) {
        if (c == '\n') ++line;
        else if (c != ' ' && c != '\t' && c != '\r') last = line;
    }
    return last;
}

std::string runtimeWordsLine(const rules::Vocabulary& vocabulary, const std::vector<std::string>& programNames,
                             std::uint32_t lastLine) {
    const std::string prefix = std::string(rules::runtimeObject) + ".";
    Pairs names;
    // The run-time object's methods go in qualified only: as bare names ("line", "circle") they
    // would rename a learner's own variables in messages.
    for (const rules::RuleWords& rule : vocabulary.rules)
        for (const std::string& name : rule.produces)
            if (name.compare(0, prefix.size(), prefix) == 0) add(names, name, rule.phrase);
    for (const auto& [js, word] : vocabulary.reverse)
        if (rules::learnerWordFor(vocabulary, prefix + js).empty()) add(names, js, word);
    for (const auto& [js, word] : vocabulary.keywords) add(names, js, word);

    std::vector<std::string> words, closers, enders;
    std::string equality;
    for (const rules::RuleWords& rule : vocabulary.rules) {
        if (rule.role == rules::WordRole::Library) continue;
        for (const std::string& word : rule.words) addOnce(words, word);
        // A closer that writes its own word back (" раз){" of a counted loop) is the counted-loop
        // pass's business, not a word the learner ends a condition with.
        const bool keepsWord = std::any_of(rule.words.begin(), rule.words.end(), [&](const std::string& w) {
            return std::find(rule.produces.begin(), rule.produces.end(), w) != rule.produces.end();
        });
        if (rule.role == rules::WordRole::HeaderClose && !keepsWord) addOnce(closers, rule.phrase);
        if (rule.role == rules::WordRole::BlockClose) addOnce(enders, rule.phrase);
        if (rule.equality && equality.empty()) equality = rule.phrase;
    }
    for (const std::string& name : vocabulary.libraryNames) addOnce(words, name);

    std::string out = prefix + "словарь({";
    appendObject(out, "имена", names);
    out += ',';
    appendArray(out, "свои", programNames);
    out += ',';
    appendArray(out, "слова", words);
    out += ',';
    appendObject(out, "библиотеки", vocabulary.libraryDirectives);
    out += ',';
    appendArray(out, "закрывают", closers);
    out += ',';
    appendArray(out, "концы", enders);
    out += ',';
    base::appendJsonString(out, "равно");
    out += ':';
    base::appendJsonString(out, equality);
    out += ',';
    base::appendJsonString(out, "последняя");
    out += ':' + std::to_string(lastLine) + "});\n";
    return out;
}

}  // namespace output
