// Rules file: parseRules and loadRules on arbitrary bytes never crash, every warning names a
// line inside the file, and every rule kept is well formed.
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "fuzz_support.h"
#include "rules/rulesfile.h"

using namespace base;
using namespace rules;

namespace {

std::string scratchFile() {
    static const std::string path = [] {
        char name[] = "/tmp/lum-fuzz-rules-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0) ::close(fd);
        return std::string(name);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    WarningList warnings;
    const std::vector<Rule> rules = parseRules(bytes, warnings);

    const std::size_t lineCount = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    for (const base::Finding& finding : warnings) {
        const std::string& warning = finding.text;
        const long long line = namedLine(warning);
        FUZZ_REQUIRE(line >= 1 && static_cast<std::size_t>(line) <= lineCount, "warning '%s' outside %zu lines",
                     warning.c_str(), lineCount);
        FUZZ_REQUIRE(warning.compare(0, 13, "keywords.csv,") == 0);
        FUZZ_REQUIRE(warning.find('\n') == std::string::npos);
    }
    FUZZ_REQUIRE(rules.size() + warnings.size() <= lineCount);
    for (const Rule& rule : rules) {
        FUZZ_REQUIRE(!rule.pattern.empty());
        CompiledPattern nodes;
        compilePattern(rule.pattern, nodes);
        FUZZ_REQUIRE(nodes.size() == rule.nodes.size());
    }

    // The loader agrees with the parser and keeps the table when the file yields nothing.
    std::vector<Rule> ruleTable(1, Rule{});
    {
        std::ofstream file(scratchFile(), std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    WarningList loadWarnings;
    const bool loaded = loadRules(scratchFile(), ruleTable, loadWarnings);
    FUZZ_REQUIRE(loaded == !rules.empty());
    FUZZ_REQUIRE(loadWarnings == warnings);
    FUZZ_REQUIRE(ruleTable.size() == (loaded ? rules.size() : 1));
    return 0;
}
