// Small helpers shared by the translator's unit tests: texts from UTF-8, rules, saved globals.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "rules/pattern.h"
#include "rules/rulesfile.h"

using namespace base;
using namespace rules;

// The project's own rule table (src/keywords.csv), read once.
inline const std::vector<Rule>& projectRules() {
    static const std::vector<Rule> rules = [] {
        std::string bytes;
        platform::readWholeFile(LUM_SOURCE_DIR "/src/keywords.csv", bytes);
        WarningList warnings;
        return parseRules(bytes, warnings);
    }();
    return rules;
}

inline CodeText textOf(const std::string& utf8) { return makeText(decodeBytes(utf8)); }
inline std::string utf8Of(const CodeText& text) { return encodeUtf8(text.chars); }

// The line numbers of a text as one comma-separated string, for compact expectations.
inline std::string linesOf(const CodeText& text) {
    std::string s;
    for (std::size_t i = 0; i < text.lines.size(); ++i) s += (i ? "," : "") + std::to_string(text.lines[i]);
    return s;
}

inline Rule makeRule(const std::string& pattern, const std::string& replacement, bool ignoreCase = false) {
    Rule rule;
    rule.pattern = decodeBytes(pattern);
    rule.replacement = decodeBytes(replacement);
    rule.ignoreCase = ignoreCase;
    compilePattern(rule.pattern, rule.nodes);
    return rule;
}

// `folder` joined with `relative` the way lum joins paths: "/" in `relative` becomes the
// native separator.
inline std::string nativePath(const std::string& folder, const std::string& relative) {
    std::string path = folder + platform::separator();
    for (char c : relative) path += c == '/' ? platform::separator() : c;
    return path;
}

// Sets (or, with nullopt, removes) an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        set(value);
    }
    ~ScopedEnv() { set(saved_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<std::string>& value) {
#ifdef _WIN32
        _putenv_s(name_.c_str(), value ? value->c_str() : "");  // "" removes it there
#else
        if (value) ::setenv(name_.c_str(), value->c_str(), 1);
        else ::unsetenv(name_.c_str());
#endif
    }
    std::string name_;
    std::optional<std::string> saved_;
};
