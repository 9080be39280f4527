// The hints pass alone, with the project's rules or a rules file made of the input: every hint
// names a line of the text, they come in line order, and a second reading gives the same.
#include <fstream>
#include <sstream>

#include "diagnostics/hints.h"
#include "fuzz_support.h"

using namespace base;
using namespace rules;
using namespace diagnostics;

namespace {

const std::vector<Rule>& projectRules() {
    static const std::vector<Rule> rules = [] {
        std::ifstream file(LUM_SOURCE_DIR "/src/keywords.csv", std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        WarningList warnings;
        return parseRules(bytes.str(), warnings);
    }();
    return rules;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 8192) return 0;
    FuzzReader in{data, size};
    const bool ownRules = in.byte() & 1;
    std::vector<Rule> own;
    if (ownRules) {
        WarningList warnings;
        own = parseRules(in.until(0), warnings);
    }
    static const rules::LoadedRules project = rules::loadedRules(projectRules());
    const CodeText text = makeText(decodeBytes(in.rest()));
    const rules::LoadedRules loaded = ownRules ? rules::loadedRules(own) : rules::LoadedRules{};
    const rules::LoadedRules& language = ownRules ? loaded : project;
    const std::vector<Hint> hints = findHints(text, language, {});
    const long long lastLine = text.lines.empty() ? 1 : text.lines.back();
    long long previous = 0;
    for (const Hint& h : hints) {
        const long long line = namedLine(h.text);
        FUZZ_REQUIRE(line == h.line, "'%s' told of line %u", h.text.c_str(), h.line);
        FUZZ_REQUIRE(line >= 1 && line <= lastLine, "'%s' past line %lld", h.text.c_str(), lastLine);
        FUZZ_REQUIRE(line >= previous, "'%s' out of line order", h.text.c_str());
        previous = line;
    }
    const std::vector<Hint> again = findHints(text, language, {});
    FUZZ_REQUIRE(again.size() == hints.size());
    for (std::size_t i = 0; i < hints.size(); ++i)
        FUZZ_REQUIRE(again[i].text == hints[i].text && again[i].kind == hints[i].kind);
    return 0;
}
