// Benchmark inputs on standard output, made from a rules file:
//
//   benchtool source RULES.csv BYTES SEED   a source of about BYTES bytes
//   benchtool sed RULES.csv                 one s///g (or s///gI) per rule, for sed -E -f
//   benchtool perl RULES.csv                one s///g (or s///gi) per rule over the whole text
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_source.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if ((command == "sed" || command == "perl") && argc == 3) {
        const auto rules = bench::readRules(argv[2]);
        if (rules.empty()) {
            std::fprintf(stderr, "benchtool: no rules in %s\n", argv[2]);
            return 1;
        }
        bench::printScript(rules, command == "perl");
        return 0;
    }
    if (command == "source" && argc == 5) {
        bench::Vocabulary v;
        if (!bench::makeVocabulary(argv[2], v)) {
            std::fprintf(stderr, "benchtool: %s holds no rule whose words a source can use\n", argv[2]);
            return 1;
        }
        const std::string source =
            bench::makeSource(v, std::strtoull(argv[3], nullptr, 10), static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)));
        std::fwrite(source.data(), 1, source.size(), stdout);
        return 0;
    }
    std::fprintf(stderr, "usage: benchtool source RULES.csv BYTES SEED | sed RULES.csv | perl RULES.csv\n");
    return 2;
}
