// The TextMate grammar and the language configuration, both read off the rule table's vocabulary.
// Tests: tests/editor/editor_test.mjs.
#include <algorithm>
#include <map>
#include <set>

#include "editor/editor.h"
#include "base/json.h"
#include "rules/pattern_regex.h"
#include "rules/vocabulary.h"

namespace editor {

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

base::Json named(const std::string& scope) { return base::jsonObject({{"name", base::jsonString(scope)}}); }
base::Json include(const std::string& what) { return base::jsonObject({{"include", base::jsonString(what)}}); }

// A string as rule application sees it: from a quote to the next same quote, anywhere later,
// with no escapes, across lines. (A quote with no partner at all is ordinary text to lum, but a
// grammar reads one line at a time and cannot know; it then colours the rest of the file, the
// same quote lum warns about.)
base::Json multiLineString(const std::string& quote, const std::string& kind) {
    return base::jsonObject({{"name", base::jsonString("string.quoted." + kind + ".lum")},
                       {"begin", base::jsonString(quote)},
                       {"end", base::jsonString(quote)},
                       {"beginCaptures", base::jsonObject({{"0", named("punctuation.definition.string.begin.lum")}})},
                       {"endCaptures", base::jsonObject({{"0", named("punctuation.definition.string.end.lum")}})}});
}

// A string closed on the same line, inside a line comment.
base::Json oneLineString(const std::string& quote, const std::string& kind) {
    return base::jsonObject({{"name", base::jsonString("string.quoted." + kind + ".lum")},
                       {"match", base::jsonString(quote + "[^" + quote + "]*" + quote)}});
}

base::Json wordPatterns(const rules::Vocabulary& v, const std::vector<rules::Rule>& table) {
    const PhraseRoles phrases = phraseRoles(v);
    base::Json patterns = base::jsonArray({});
    for (const rules::RuleWords& rule : v.rules) {
        const std::string regex = rules::patternRegex(table[rule.rule].nodes, table[rule.rule].ignoreCase, true);
        if (regex.empty()) continue;
        const std::vector<rules::WordRole> roles = shownRoles(phrases, rule);
        base::Json captures = base::jsonObject({});
        for (std::size_t i = 0; i < roles.size(); ++i)
            captures.members.push_back({std::to_string(i + 1), named(scopeOf(roles[i]))});
        patterns.items.push_back(base::jsonObject({{"match", base::jsonString(regex)}, {"captures", std::move(captures)}}));
    }
    return patterns;
}

base::Json libraryPatterns(const rules::Vocabulary& v) {
    if (v.libraryNames.empty()) return base::jsonArray({});
    const std::string name = nameCharClass();
    std::string names;
    for (const std::string& n : v.libraryNames) {
        if (!names.empty()) names += '|';
        for (const char c : n) names += c == '$' ? std::string("\\$") : std::string(1, c);
    }
    return base::jsonArray({base::jsonObject({{"name", base::jsonString("support.function.library.lum")},
                                  {"match", base::jsonString("(?<!" + name + ")(?:" + names + ")(?!" + name + ")")}})});
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

std::string grammarJson(const std::vector<rules::Rule>& table) {
    const rules::Vocabulary v = rules::deriveVocabulary(table);
    // A line comment ends at the line's end, or just before a quote whose partner is not on this
    // line: that quote opens a string that goes on past the comment, as lum reads it.
    const base::Json lineComment = base::jsonObject(
        {{"name", base::jsonString("comment.line.double-slash.lum")},
         {"begin", base::jsonString("//")},
         {"end", base::jsonString("$|(?=\"[^\"]*$)|(?='[^']*$)")},
         {"beginCaptures", base::jsonObject({{"0", named("punctuation.definition.comment.lum")}})},
         {"patterns", base::jsonArray({oneLineString("\"", "double"), oneLineString("'", "single")})}});
    const base::Json blockComment = base::jsonObject({{"name", base::jsonString("comment.block.lum")},
                                          {"begin", base::jsonString("/\\*")},
                                          {"end", base::jsonString("\\*/")},
                                          {"patterns", base::jsonArray({include("#strings")})}});
    const std::string name = nameCharClass();
    const base::Json number = base::jsonObject({{"name", base::jsonString("constant.numeric.lum")},
                                    {"match", base::jsonString("(?<!" + name + ")[0-9]+(?:\\.[0-9]+)?(?!" + name + ")")}});
    return base::printJson(base::jsonObject(
        {{"name", base::jsonString("ЛУМ скрипт")},
         {"scopeName", base::jsonString("source.lum")},
         {"fileTypes", base::jsonStrings({"лумс", "лум"})},
         {"patterns", base::jsonArray({include("#comments"), include("#strings"), include("#words"), include("#library"),
                                 include("#numbers")})},
         {"repository",
          base::jsonObject({{"comments", base::jsonObject({{"patterns", base::jsonArray({lineComment, blockComment})}})},
                      {"strings", base::jsonObject({{"patterns", base::jsonArray({multiLineString("\"", "double"),
                                                                      multiLineString("'", "single")})}})},
                      {"words", base::jsonObject({{"patterns", wordPatterns(v, table)}})},
                      {"library", base::jsonObject({{"patterns", libraryPatterns(v)}})},
                      {"numbers", base::jsonObject({{"patterns", base::jsonArray({number})}})}})}}));
}

std::vector<std::pair<std::string, rules::WordRole>> shownPhrases(const std::vector<rules::Rule>& table) {
    const rules::Vocabulary v = rules::deriveVocabulary(table);
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

std::string languageConfigurationJson(const std::vector<rules::Rule>& table) {
    const rules::Vocabulary v = rules::deriveVocabulary(table);
    const std::string opener = blockRegex(v, table, true);
    const std::string closer = blockRegex(v, table, false);
    // A line opens a block when it ends with an opener (a comment may follow), and closes one
    // when it starts with a closer; «иначе» does both and so folds with the whole «если».
    const std::string endsOpen = ".*" + opener + "\\s*(?://.*)?$";
    const std::string startsClosed = "^\\s*" + closer;
    auto pair = [](const char* open, const char* close) { return base::jsonStrings({open, close}); };
    auto autoClose = [](const char* open, const char* close, std::vector<std::string> notIn) {
        base::Json j = base::jsonObject({{"open", base::jsonString(open)}, {"close", base::jsonString(close)}});
        if (!notIn.empty()) j.members.push_back({"notIn", base::jsonStrings(notIn)});
        return j;
    };
    return base::printJson(base::jsonObject(
        {{"comments", base::jsonObject({{"lineComment", base::jsonString("//")}, {"blockComment", pair("/*", "*/")}})},
         {"brackets", base::jsonArray({pair("{", "}"), pair("[", "]"), pair("(", ")")})},
         {"autoClosingPairs", base::jsonArray({autoClose("{", "}", {}), autoClose("[", "]", {}), autoClose("(", ")", {}),
                                         autoClose("\"", "\"", {"string"}),
                                         autoClose("'", "'", {"string", "comment"})})},
         {"surroundingPairs", base::jsonArray({pair("{", "}"), pair("[", "]"), pair("(", ")"), pair("\"", "\""),
                                         pair("'", "'")})},
         {"wordPattern", base::jsonString("-?[0-9]+(?:\\.[0-9]+)?|" + nameCharClass() + "+")},
         {"indentationRules", base::jsonObject({{"increaseIndentPattern", base::jsonString("^" + endsOpen)},
                                          {"decreaseIndentPattern", base::jsonString(startsClosed)}})},
         {"folding", base::jsonObject({{"markers", base::jsonObject({{"start", base::jsonString("^(?!\\s*" + closer + ")" + endsOpen)},
                                                         {"end", base::jsonString("^(?!" + endsOpen + ")\\s*" + closer)}})}})}}));
}

}  // namespace editor
