// Parses keywords.csv into rules, and loads a file into a rule table.
// Tests: tests/rules/rulesfile_test.cpp.
#include "rules/rulesfile.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "rules/libraries.h"

namespace rules {

namespace {

// Commas separate fields; a double quote anywhere toggles quoted mode, in which commas are
// data and a doubled quote is one quote. The field being collected always ends the list, so
// a line yields at least one field.
std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                field.push_back(c);
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                field.push_back('"');
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else {
            field.push_back(c);
        }
    }
    fields.push_back(std::move(field));
    return fields;
}

// A warning about a line of the rules file: "keywords.csv, строка N: message".
base::Finding ruleWarning(std::size_t lineNumber, const std::string& message) {
    base::Finding f{"keywords.csv, строка " + std::to_string(lineNumber) + ": " + message};
    f.line = static_cast<std::uint32_t>(lineNumber);
    return f;
}

// The matcher recurses once per "+" atom of a pattern, so their number bounds its stack depth;
// far above any real pattern, far below what a thread's stack holds. A "+" after "\b" repeats
// nothing and never recurses, so it does not count.
constexpr long maxRepeatedAtoms = 1000;

bool isTagShaped(const std::string& field) {
    return field.size() >= 2 && field.front() == '{' && field.back() == '}';
}

}  // namespace

std::vector<Rule> parseRules(const std::string& input, base::WarningList& warnings) {
    std::string bytes = input;
    base::dropByteOrderMark(bytes);

    std::vector<Rule> rules;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t end = lf == std::string::npos ? bytes.size() : lf;
        std::string line = bytes.substr(start, end - start);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();

        if (!line.empty()) {
            const std::vector<std::string> fields = splitFields(line);
            if (lineNumber == 1 && fields[0] == "pattern") {
                // the header
            } else if (fields.size() < 3) {
                warnings.push_back(ruleWarning(lineNumber, "меньше 3 полей — пропущено"));
            } else {
                Rule rule;
                rule.pattern = base::decodeBytes(fields[0]);
                const std::string& replacement = fields[1];
                const std::string& flags = fields[2];
                const BuiltinLibrary* library = nullptr;
                if (rule.pattern.empty()) {
                    warnings.push_back(ruleWarning(lineNumber, "пустое ключевое слово — пропущено"));
                } else if (flags != "g" && flags != "gi") {
                    warnings.push_back(ruleWarning(lineNumber, "флаги '" + flags + "' (нужно g или gi) — пропущено"));
                } else if (!(library = findLibraryByTag(replacement)) && isTagShaped(replacement)) {
                    warnings.push_back(ruleWarning(lineNumber, "неизвестная библиотека " + replacement + " — пропущено"));
                } else {
                    compilePattern(rule.pattern, rule.nodes);
                    const auto repeated = std::count_if(rule.nodes.begin(), rule.nodes.end(),
                                                        [](const PatternNode& n) { return n.oneOrMore && !n.isBoundary; });
                    if (repeated > maxRepeatedAtoms) {
                        warnings.push_back(ruleWarning(lineNumber, "больше " + std::to_string(maxRepeatedAtoms) +
                                           " повторений «+» в шаблоне — пропущено"));
                    } else {
                        rule.replacement = base::decodeBytes(library ? std::string(library->text) : replacement);
                        rule.ignoreCase = flags == "gi";
                        if (fields.size() > 3) rule.executor = fields[3];
                        rules.push_back(std::move(rule));
                    }
                }
            }
        }

        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    return rules;
}

// The table changes only when the file yields a rule, so a failed load (for example a reload
// of a half-saved file) keeps the rules that were working.
bool loadRules(const std::string& path, std::vector<Rule>& table, base::WarningList& warnings) {
    std::string bytes;
    if (!platform::readWholeFile(path, bytes)) return false;
    std::vector<Rule> rules = parseRules(bytes, warnings);
    if (rules.empty()) return false;
    table.swap(rules);
    return true;
}

}  // namespace rules
