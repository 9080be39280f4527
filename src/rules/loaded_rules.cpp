// The loaded language: the table with its vocabulary derived once, and the other languages' words.
// Tests: tests/rules/vocabulary_test.cpp, tests/diagnostics/analysis_test.cpp.
#include "rules/loaded_rules.h"

#include "embedded/otherWordsCsv.h"

namespace rules {

std::vector<OtherWord> parseOtherWords(const std::string& csv) {
    std::vector<OtherWord> out;
    std::size_t start = 0;
    bool heading = true;
    while (start < csv.size()) {
        std::size_t end = csv.find('\n', start);
        if (end == std::string::npos) end = csv.size();
        std::string line = csv.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t comma = line.find(',');
        if (heading) {
            heading = false;
            continue;
        }
        if (comma == std::string::npos || comma == 0 || comma + 1 == line.size()) continue;
        out.push_back({line.substr(0, comma), line.substr(comma + 1)});
    }
    return out;
}

std::vector<OtherWord> builtinOtherWords() { return parseOtherWords(std::string(otherWordsCsv)); }

LoadedRules loadedRules(std::vector<Rule> table, std::vector<OtherWord> otherWords) {
    LoadedRules loaded;
    loaded.table = std::move(table);
    loaded.vocabulary = deriveVocabulary(loaded.table);
    loaded.otherWords = std::move(otherWords);
    return loaded;
}

}  // namespace rules
