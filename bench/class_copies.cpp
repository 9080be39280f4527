// The copy finder on a class folder, inside one process: every source named "ученик - задача.лумс"
// in the folder brought to its copy form and grouped per task, the median of several rounds of
// processor time. bench/class_bench.mjs makes the folder and runs it.
//
//   lum_bench_copies RULES.csv FOLDER [ROUNDS]
//
// Prints "copies: N solutions, G groups, X ms" as its last line.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "rules/rulesfile.h"
#include "rules/vocabulary.h"
#include "tasks/class_copies.h"
#include "tasks/class_folder.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: lum_bench_copies RULES.csv FOLDER [ROUNDS]\n");
        return 2;
    }
    std::vector<rules::Rule> table;
    base::WarningList warnings;
    if (!rules::loadRules(argv[1], table, warnings)) {
        std::fprintf(stderr, "lum_bench_copies: no rules in %s\n", argv[1]);
        return 1;
    }
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
    std::map<std::string, std::vector<std::string>> byTask;
    std::size_t count = 0;
    for (const platform::FolderEntry& e : platform::findEntries(argv[2], "*.лумс")) {
        std::string pupil, task, bytes;
        if (!tasks::splitPlainName(e.name, pupil, task) || !platform::readWholeFile(std::string(argv[2]) + "/" + e.name, bytes)) continue;
        byTask[task].push_back(bytes);
        ++count;
    }
    std::vector<double> times;
    std::size_t groups = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::clock_t start = std::clock();
        // The keywords are read off the rules on every round, as lum --class does once per run.
        const rules::Vocabulary vocabulary = rules::deriveVocabulary(table);
        std::vector<std::string> words = rules::vocabularyWords(vocabulary);
        words.insert(words.end(), vocabulary.libraryNames.begin(), vocabulary.libraryNames.end());
        const std::set<std::string> keywords = tasks::keywordSet(words);
        groups = 0;
        for (const auto& [task, sources] : byTask) {
            std::vector<std::string> forms;
            std::vector<std::size_t> tokens;
            for (const std::string& s : sources) {
                std::size_t n = 0;
                forms.push_back(tasks::copyForm(base::decodeBytes(s), keywords, n));
                tokens.push_back(n);
            }
            groups += tasks::copyGroups(forms, tokens).size();
        }
        times.push_back(1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    std::sort(times.begin(), times.end());
    std::printf("copies: %zu solutions, %zu groups, %.2f ms\n", count, groups, times[times.size() / 2]);
    return 0;
}
