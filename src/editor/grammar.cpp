// The TextMate grammar and the language configuration, both read off the rule table's vocabulary.
// Tests: tests/editor/editor_test.mjs.
#include <algorithm>
#include <map>
#include <set>

#include "base/json.h"
#include "editor/editor.h"
#include "rules/pattern_regex.h"
#include "rules/vocabulary.h"

namespace editor {

// The editor files are JSON values written by the one writer.
using base::Json;
using base::jsonArray;
using base::jsonObject;
using base::jsonString;
using base::jsonStrings;
using base::printJson;

namespace {

bool structural(rules::WordRole role) {
    return role == rules::WordRole::HeaderOpen || role == rules::WordRole::HeaderClose || role == rules::WordRole::BlockOpen ||
           role == rules::WordRole::BlockMiddle || role == rules::WordRole::BlockClose;
}

// Roles that say little: a rule the vocabulary could not place, or one that merely names a call.
bool weak(rules::WordRole role) { return role == rules::WordRole::Other || role == rules::WordRole::Function; }

// What the rules with each phrase tell: the first block or header role among them, else the
// first role that is not weak; phrases that tell nothing are absent.
using PhraseRoles = std::map<std::string, rules::WordRole>;
PhraseRoles phraseRoles(const rules::Vocabulary& v) {
    PhraseRoles roles;
    for (const rules::RuleWords& w : v.rules) {
        if (weak(w.role)) continue;
        const auto [at, fresh] = roles.emplace(w.phrase, w.role);
        if (!fresh && structural(w.role) && !structural(at->second)) at->second = w.role;
    }
    return roles;
}

rules::WordRole phraseRole(const PhraseRoles& roles, const std::string& phrase) {
    const auto at = roles.find(phrase);
    return at == roles.end() ? rules::WordRole::Other : at->second;
}

// The role each word of a rule is shown with. One phrase keeps one colour across its forms
// («если» and «если(», «иначе» and «иначе {»), except a word after a dot («.повторить» is not
// «повторить»); a phrase the table tells nothing about shows each word as it stands alone
// («раз делать» as «раз» and «делать»).
std::vector<rules::WordRole> shownRoles(const PhraseRoles& phrases, const rules::RuleWords& rule) {
    const rules::WordRole phrase = phraseRole(phrases, rule.phrase);
    rules::WordRole whole = rule.role;
    if (rule.role != rules::WordRole::Method && (structural(phrase) || (weak(rule.role) && phrase != rules::WordRole::Other)))
        whole = phrase;
    std::vector<rules::WordRole> roles(rule.words.size(), whole);
    if (weak(whole) && rule.words.size() > 1)
        for (std::size_t i = 0; i < rule.words.size(); ++i) {
            const rules::WordRole alone = phraseRole(phrases, rule.words[i]);
            if (alone != rules::WordRole::Other) roles[i] = alone;
        }
    return roles;
}

// Scope names follow the TextMate conventions themes colour; the role stays readable in them.
std::string scopeOf(rules::WordRole role) {
    switch (role) {
    case rules::WordRole::HeaderOpen:
    case rules::WordRole::HeaderClose:
    case rules::WordRole::BlockOpen:
    case rules::WordRole::BlockMiddle:
    case rules::WordRole::BlockClose: return std::string("keyword.control.") + rules::roleName(role) + ".lum";
    case rules::WordRole::Control: return "keyword.control.flow.lum";
    case rules::WordRole::Library: return "keyword.control.import.lum";
    case rules::WordRole::Comparison: return "keyword.operator.comparison.lum";
    case rules::WordRole::Logic: return "keyword.operator.logical.lum";
    case rules::WordRole::Declaration: return "storage.type.lum";
    case rules::WordRole::Value: return "constant.language.lum";
    case rules::WordRole::Output: return "support.function.output.lum";
    case rules::WordRole::Drawing: return "support.function.drawing.lum";
    case rules::WordRole::Method: return "support.function.method.lum";
    case rules::WordRole::Function: return "support.function.lum";
    case rules::WordRole::Other: break;
    }
    return "keyword.other.lum";
}

// The matcher's word characters and "$": what a JavaScript name of a library is made of.
std::string nameCharClass() {
    std::string c = rules::wordCharClass;
    c.insert(c.size() - 1, "$");
    return c;
}

Json named(const std::string& scope) { return jsonObject({{"name", jsonString(scope)}}); }
Json include(const std::string& what) { return jsonObject({{"include", jsonString(what)}}); }

// A string as rule application sees it: from a quote to the next same quote, anywhere later,
// with no escapes, across lines. (A quote with no partner at all is ordinary text to lum, but a
// grammar reads one line at a time and cannot know; it then colours the rest of the file, the
// same quote lum warns about.)
Json multiLineString(const std::string& quote, const std::string& kind) {
    return jsonObject({{"name", jsonString("string.quoted." + kind + ".lum")},
                       {"begin", jsonString(quote)},
                       {"end", jsonString(quote)},
                       {"beginCaptures", jsonObject({{"0", named("punctuation.definition.string.begin.lum")}})},
                       {"endCaptures", jsonObject({{"0", named("punctuation.definition.string.end.lum")}})}});
}

// A string closed on the same line, inside a line comment.
Json oneLineString(const std::string& quote, const std::string& kind) {
    return jsonObject({{"name", jsonString("string.quoted." + kind + ".lum")},
                       {"match", jsonString(quote + "[^" + quote + "]*" + quote)}});
}

Json wordPatterns(const rules::Vocabulary& v, const std::vector<rules::Rule>& table) {
    const PhraseRoles phrases = phraseRoles(v);
    Json patterns = jsonArray({});
    for (const rules::RuleWords& rule : v.rules) {
        const std::string regex = rules::patternRegex(table[rule.rule].nodes, table[rule.rule].ignoreCase, true);
        if (regex.empty()) continue;
        const std::vector<rules::WordRole> roles = shownRoles(phrases, rule);
        Json captures = jsonObject({});
        for (std::size_t i = 0; i < roles.size(); ++i)
            captures.members.push_back({std::to_string(i + 1), named(scopeOf(roles[i]))});
        patterns.items.push_back(jsonObject({{"match", jsonString(regex)}, {"captures", std::move(captures)}}));
    }
    return patterns;
}

Json libraryPatterns(const rules::Vocabulary& v) {
    if (v.libraryNames.empty()) return jsonArray({});
    const std::string name = nameCharClass();
    std::string names;
    for (const std::string& n : v.libraryNames) {
        if (!names.empty()) names += '|';
        for (const char c : n) names += c == '$' ? std::string("\\$") : std::string(1, c);
    }
    return jsonArray({jsonObject({{"name", jsonString("support.function.library.lum")},
                                  {"match", jsonString("(?<!" + name + ")(?:" + names + ")(?!" + name + ")")}})});
}

}  // namespace

std::string blockRegex(const rules::Vocabulary& v, const std::vector<rules::Rule>& table, bool opens) {
    std::string out = opens ? "\\{" : "\\}";
    for (std::size_t i = 0; i < table.size(); ++i) {
        if ((opens ? v.braces[i].opens : v.braces[i].closes) == 0) continue;
        const std::string regex = rules::patternRegex(table[i].nodes, table[i].ignoreCase);
        if (!regex.empty()) out += "|" + regex;
    }
    return "(?:" + out + ")";
}

std::string grammarJson(const rules::LoadedRules& loaded) {
    const std::vector<rules::Rule>& table = loaded.table;
    const rules::Vocabulary& v = loaded.vocabulary;
    // A line comment ends at the line's end, or just before a quote whose partner is not on this
    // line: that quote opens a string that goes on past the comment, as lum reads it.
    const Json lineComment = jsonObject(
        {{"name", jsonString("comment.line.double-slash.lum")},
         {"begin", jsonString("//")},
         {"end", jsonString("$|(?=\"[^\"]*$)|(?='[^']*$)")},
         {"beginCaptures", jsonObject({{"0", named("punctuation.definition.comment.lum")}})},
         {"patterns", jsonArray({oneLineString("\"", "double"), oneLineString("'", "single")})}});
    const Json blockComment = jsonObject({{"name", jsonString("comment.block.lum")},
                                          {"begin", jsonString("/\\*")},
                                          {"end", jsonString("\\*/")},
                                          {"patterns", jsonArray({include("#strings")})}});
    const std::string name = nameCharClass();
    const Json number = jsonObject({{"name", jsonString("constant.numeric.lum")},
                                    {"match", jsonString("(?<!" + name + ")[0-9]+(?:\\.[0-9]+)?(?!" + name + ")")}});
    return printJson(jsonObject(
        {{"name", jsonString("ЛУМ скрипт")},
         {"scopeName", jsonString("source.lum")},
         {"fileTypes", jsonStrings({"лумс", "лум"})},
         {"patterns", jsonArray({include("#comments"), include("#strings"), include("#words"), include("#library"),
                                 include("#numbers")})},
         {"repository",
          jsonObject({{"comments", jsonObject({{"patterns", jsonArray({lineComment, blockComment})}})},
                      {"strings", jsonObject({{"patterns", jsonArray({multiLineString("\"", "double"),
                                                                      multiLineString("'", "single")})}})},
                      {"words", jsonObject({{"patterns", wordPatterns(v, table)}})},
                      {"library", jsonObject({{"patterns", libraryPatterns(v)}})},
                      {"numbers", jsonObject({{"patterns", jsonArray({number})}})}})}}));
}

std::vector<std::pair<std::string, rules::WordRole>> shownPhrases(const rules::LoadedRules& loaded) {
    const rules::Vocabulary& v = loaded.vocabulary;
    const PhraseRoles phrases = phraseRoles(v);
    std::vector<std::pair<std::string, rules::WordRole>> out;
    std::set<std::pair<std::string, rules::WordRole>> seen;
    auto add = [&](const std::string& phrase, rules::WordRole role) {
        if (seen.emplace(phrase, role).second) out.emplace_back(phrase, role);
    };
    for (const rules::RuleWords& rule : v.rules) {
        const std::vector<rules::WordRole> roles = shownRoles(phrases, rule);
        if (std::all_of(roles.begin(), roles.end(), [&](rules::WordRole r) { return r == roles.front(); })) {
            add(rule.phrase, roles.front());
        } else {
            for (std::size_t i = 0; i < roles.size(); ++i) add(rule.words[i], roles[i]);
        }
    }
    return out;
}

std::string languageConfigurationJson(const rules::LoadedRules& loaded) {
    const std::vector<rules::Rule>& table = loaded.table;
    const rules::Vocabulary& v = loaded.vocabulary;
    const std::string opener = blockRegex(v, table, true);
    const std::string closer = blockRegex(v, table, false);
    // A line opens a block when it ends with an opener (a comment may follow), and closes one
    // when it starts with a closer; «иначе» does both and so folds with the whole «если».
    const std::string endsOpen = ".*" + opener + "\\s*(?://.*)?$";
    const std::string startsClosed = "^\\s*" + closer;
    auto pair = [](const char* open, const char* close) { return jsonStrings({open, close}); };
    auto autoClose = [](const char* open, const char* close, std::vector<std::string> notIn) {
        Json j = jsonObject({{"open", jsonString(open)}, {"close", jsonString(close)}});
        if (!notIn.empty()) j.members.push_back({"notIn", jsonStrings(notIn)});
        return j;
    };
    return printJson(jsonObject(
        {{"comments", jsonObject({{"lineComment", jsonString("//")}, {"blockComment", pair("/*", "*/")}})},
         {"brackets", jsonArray({pair("{", "}"), pair("[", "]"), pair("(", ")")})},
         {"autoClosingPairs", jsonArray({autoClose("{", "}", {}), autoClose("[", "]", {}), autoClose("(", ")", {}),
                                         autoClose("\"", "\"", {"string"}),
                                         autoClose("'", "'", {"string", "comment"})})},
         {"surroundingPairs", jsonArray({pair("{", "}"), pair("[", "]"), pair("(", ")"), pair("\"", "\""),
                                         pair("'", "'")})},
         {"wordPattern", jsonString("-?[0-9]+(?:\\.[0-9]+)?|" + nameCharClass() + "+")},
         {"indentationRules", jsonObject({{"increaseIndentPattern", jsonString("^" + endsOpen)},
                                          {"decreaseIndentPattern", jsonString(startsClosed)}})},
         {"folding", jsonObject({{"markers", jsonObject({{"start", jsonString("^(?!\\s*" + closer + ")" + endsOpen)},
                                                         {"end", jsonString("^(?!" + endsOpen + ")\\s*" + closer)}})}})}}));
}

}  // namespace editor
