// A rule table read for the editor: words with their roles, meanings and examples (the
// reference's word tables, docs/язык.md, built in; a checked run-time word's from its own table,
// rules/checked_words.cpp), snippets by role, the values of checked words.
// Tests: tests/services/language_test.cpp.
#include "services/language.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <string_view>
#include <unordered_map>

#include "base/text.h"
#include "embedded/referenceText.h"
#include "rules/checked_words.h"
#include "rules/libraries.h"
#include "translator/source_regions.h"

namespace services {

namespace {

std::string trim(std::string_view s) {
    const std::size_t from = s.find_first_not_of(" \t");
    if (from == std::string_view::npos) return {};
    return std::string(s.substr(from, s.find_last_not_of(" \t") - from + 1));
}

std::string unquoted(const std::string& cell) {
    if (cell.size() >= 2 && cell.front() == '`' && cell.back() == '`' && cell.find('`', 1) == cell.size() - 1)
        return cell.substr(1, cell.size() - 2);
    return cell;
}

// The cells of a markdown table row; "\|" is a bar inside a cell.
std::vector<std::string> cells(std::string_view row) {
    std::vector<std::string> out;
    std::string cell;
    for (std::size_t i = 1; i < row.size(); ++i) {
        if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
            cell += '|';
            ++i;
        } else if (row[i] == '|') {
            out.push_back(trim(cell));
            cell.clear();
        } else {
            cell += row[i];
        }
    }
    return out;
}

// The letter runs of a text joined by single spaces, in capitals: how two phrases compare.
std::string letters(const std::string& utf8) {
    const base::CodePoints p = base::decodeBytes(utf8);
    base::CodePoints out;
    bool inWord = false;
    for (const std::uint32_t c : p) {
        if (translator::isWordCode(c)) {
            if (!inWord && !out.empty()) out.push_back(' ');
            out.push_back(base::toUpper(c));
            inWord = true;
        } else {
            inWord = false;
        }
    }
    return base::encodeUtf8(out);
}

struct ReferenceRow {
    std::string word, javaScript, meaning, example;
};

struct Reference {
    std::vector<ReferenceRow> words;          // "## 3." tables: word, JavaScript, meaning, example
    std::vector<LibraryName> libraryNames;    // "## 4." tables: name(values), what it does
};

// The reference read once: the tables of its word and library sections.
const Reference& reference() {
    static const Reference ref = [] {
        Reference r;
        const std::string_view text = referenceText;
        int section = 0;
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string_view::npos) end = text.size();
            const std::string_view line = text.substr(at, end - at);
            at = end + 1;
            if (line.rfind("## ", 0) == 0) section = std::atoi(std::string(line.substr(3)).c_str());
            if (line.empty() || line[0] != '|' || line.rfind("|---", 0) == 0) continue;
            const std::vector<std::string> row = cells(line);
            if (section == 3 && row.size() == 4 && row[0].rfind('`', 0) == 0 && row[1].rfind('`', 0) == 0)
                r.words.push_back({unquoted(row[0]), unquoted(row[1]), row[2], row[3]});
            if (section == 4 && row.size() == 2 && row[0].rfind('`', 0) == 0) {
                const std::string cell = row[0].substr(1, row[0].find('`', 1) - 1);
                LibraryName name;
                const std::size_t open = cell.find('(');
                name.name = trim(cell.substr(0, open));
                name.description = row[1];
                if (open != std::string::npos && cell.back() == ')') {
                    std::string list = cell.substr(open + 1, cell.size() - open - 2);
                    for (std::size_t from = 0; from <= list.size();) {
                        std::size_t comma = list.find(',', from);
                        if (comma == std::string::npos) comma = list.size();
                        const std::string p = trim(list.substr(from, comma - from));
                        if (!p.empty()) name.parameters.push_back(p);
                        from = comma + 1;
                    }
                }
                r.libraryNames.push_back(std::move(name));
            }
        }
        return r;
    }();
    return ref;
}

std::string utf8(const base::CodePoints& p) { return base::encodeUtf8(p); }

// The run-time object's method a replacement calls ("__LUM__.circle(" gives "circle").
std::string checkedMethod(const std::string& js) {
    const std::string head = std::string(rules::runtimeObject) + ".";
    const std::size_t at = js.find(head);
    if (at == std::string::npos) return {};
    std::size_t end = at + head.size();
    while (end < js.size() && (std::isalnum(static_cast<unsigned char>(js[end])) || js[end] == '_')) ++end;
    return js.substr(at + head.size(), end - at - head.size());
}

bool endsWithBracket(const base::CodePoints& pattern) {
    return !pattern.empty() && pattern.back() == '(' && pattern.size() >= 2 && pattern[pattern.size() - 2] == '\\';
}

// The mark a function header ends with: the pattern "\)X" of a rule without words that opens a
// block (":" in the built-in table); "" when the table has none.
std::string headerMarkOf(const std::vector<rules::Rule>& table, const rules::Vocabulary& v) {
    for (std::size_t r = 0; r < table.size() && r < v.braces.size(); ++r) {
        const base::CodePoints& p = table[r].pattern;
        if (v.braces[r].opens != 1 || p.size() < 3 || p[0] != '\\' || p[1] != ')') continue;
        std::string mark;
        for (std::size_t k = 2; k < p.size(); ++k) {
            if (p[k] == '\\') continue;
            if (p[k] >= 0x80 || translator::isWordCode(p[k])) {
                mark.clear();
                break;
            }
            mark += static_cast<char>(p[k]);
        }
        if (!mark.empty()) return mark;
    }
    return {};
}

}  // namespace

const char* roleTitle(rules::WordRole role) {
    switch (role) {
    case rules::WordRole::HeaderOpen: return "начало условия или цикла";
    case rules::WordRole::HeaderClose: return "конец заголовка, начало блока";
    case rules::WordRole::BlockOpen: return "начало блока";
    case rules::WordRole::BlockMiddle: return "середина блока";
    case rules::WordRole::BlockClose: return "конец блока";
    case rules::WordRole::Comparison: return "сравнение";
    case rules::WordRole::Logic: return "логика";
    case rules::WordRole::Declaration: return "объявление";
    case rules::WordRole::Control: return "переход";
    case rules::WordRole::Value: return "значение";
    case rules::WordRole::Output: return "вывод и ввод";
    case rules::WordRole::Drawing: return "рисование";
    case rules::WordRole::Method: return "после точки";
    case rules::WordRole::Function: return "функция";
    case rules::WordRole::Library: return "подключение библиотеки";
    case rules::WordRole::Other: break;
    }
    return "другие слова";
}

std::vector<Snippet> snippetsOf(const std::vector<rules::Rule>& table, const rules::Vocabulary& v) {
    std::vector<Snippet> out;
    std::set<std::string> titles;
    auto add = [&](Snippet s) {
        if (titles.insert(s.title).second) out.push_back(std::move(s));
    };
    std::string blockClose, middle, loopWord;
    for (const rules::RuleWords& w : v.rules) {
        const std::string js = utf8(table[w.rule].replacement);
        if (blockClose.empty() && w.role == rules::WordRole::BlockClose) blockClose = w.phrase;
        if (middle.empty() && w.role == rules::WordRole::BlockMiddle && js.find("else {") != std::string::npos) middle = w.phrase;
    }
    for (const auto& [js, word] : v.keywords)
        if (js == "of" && loopWord.empty()) loopWord = word;
    const std::string mark = headerMarkOf(table, v);
    // A header's closing word: the shortest header-closing phrase of the rules after it, up to
    // the next header word that follows one (the table keeps a header's words together).
    auto closingWord = [&](std::size_t at) {
        std::string shortest;
        for (std::size_t k = 1; k <= v.rules.size(); ++k) {
            const rules::RuleWords& w = v.rules[(at + k) % v.rules.size()];
            if (w.role == rules::WordRole::HeaderOpen && !shortest.empty()) break;
            if (w.role == rules::WordRole::HeaderClose && (shortest.empty() || w.phrase.size() < shortest.size())) shortest = w.phrase;
        }
        return shortest;
    };
    const std::string end = blockClose.empty() ? "" : "\n" + blockClose;
    for (std::size_t i = 0; i < v.rules.size(); ++i) {
        const rules::RuleWords& w = v.rules[i];
        const rules::Rule& rule = table[w.rule];
        const std::string js = utf8(rule.replacement);
        if (w.role == rules::WordRole::HeaderOpen && !endsWithBracket(rule.pattern) && v.braces[w.rule].closes == 0) {
            const std::string close = closingWord(i);
            if (close.empty() || blockClose.empty()) continue;
            const bool condition = js.find("if") != std::string::npos || js.find("while") != std::string::npos;
            if (!w.declares.empty() && !loopWord.empty()) {
                add({w.phrase + " … " + loopWord + " … " + close + " … " + blockClose, w.words[0],
                     w.phrase + " ${1:элемент} " + loopWord + " ${2:массив} " + close + "\n\t$0" + end,
                     "перебрать элементы массива по одному"});
            } else if (condition) {
                const bool isIf = js.find("if") != std::string::npos;
                add({w.phrase + " … " + close + " … " + blockClose, w.words[0], w.phrase + " ${1:условие} " + close + "\n\t$0" + end,
                     isIf ? "условие: действия выполняются, когда условие верно" : "цикл: повторять, пока условие верно"});
                if (isIf && !middle.empty())
                    add({w.phrase + " … " + close + " … " + middle + " … " + blockClose, w.words[0],
                         w.phrase + " ${1:условие} " + close + "\n\t$2\n" + middle + "\n\t$0" + end, "условие с веткой «" + middle + "»"});
            } else if (w.declares.empty()) {
                add({w.phrase + " N " + close + " … " + blockClose, w.words[0], w.phrase + " ${1:10} " + close + "\n\t$0" + end,
                     "повторить действия заданное число раз"});
            }
        } else if (w.declares == "function" && !blockClose.empty() && !mark.empty()) {
            add({w.phrase + " … " + blockClose, w.words[0], w.phrase + " ${1:имя}(${2:параметры})" + mark + "\n\t$0" + end,
                 "объявить функцию"});
        } else if (w.role == rules::WordRole::BlockOpen && !blockClose.empty() && w.declares.empty()) {
            add({w.phrase + " … " + blockClose, w.words[0], w.phrase + "\n\t$0" + end, "обработчик: действия выполняются при событии"});
        }
    }
    for (const rules::RuleWords& w : v.rules) {
        const std::string method = checkedMethod(utf8(table[w.rule].replacement));
        const rules::CheckedWord* c = rules::checkedWord(method);
        // An executor's words are offered by its own directive's program, not by every program's snippets.
        if (!c || !c->executor.empty() || w.role == rules::WordRole::Method) continue;
        const std::vector<std::string> parameters = rules::shownValues(*c);
        std::string body = w.phrase + "(";
        for (std::size_t k = 0; k < parameters.size(); ++k)
            body += (k ? ", ${" : "${") + std::to_string(k + 1) + ":" + parameters[k] + "}";
        add({w.phrase + "(" + std::to_string(parameters.size()) + ")", w.words[0], body + ")$0", "команда с проверкой значений"});
    }
    return out;
}

Language makeLanguage(rules::LoadedRules loaded) {
    Language l;
    l.loaded = std::move(loaded);
    const std::vector<rules::Rule>& table = l.loaded.table;
    const rules::Vocabulary& vocabulary = l.loaded.vocabulary;
    l.snippets = snippetsOf(table, vocabulary);
    l.headerMark = headerMarkOf(table, vocabulary);
    const Reference& ref = reference();
    std::set<std::string> seen;
    for (const rules::RuleWords& w : vocabulary.rules) {
        if (l.blockClose.empty() && w.role == rules::WordRole::BlockClose) l.blockClose = w.phrase;
        const rules::Rule& rule = table[w.rule];
        const bool call = endsWithBracket(rule.pattern);
        if (!seen.insert(letters(w.phrase) + (call ? "(" : "") + (w.role == rules::WordRole::Method ? "." : "")).second) continue;
        Word word;
        word.phrase = w.phrase;
        word.role = w.role;
        word.ignoreCase = w.ignoreCase;
        word.call = call;
        if (w.role != rules::WordRole::Library) word.javaScript = utf8(rule.replacement);
        const ReferenceRow* row = nullptr;
        for (const ReferenceRow& r : ref.words) {
            if (r.javaScript != word.javaScript || word.javaScript.empty()) continue;
            if (!row) row = &r;
            if (letters(r.word) == letters(w.phrase)) {
                row = &r;
                word.example = r.example;
                break;
            }
        }
        word.meaning = row ? row->meaning : "";
        // A checked word says what it is from its own table; the reference's row agrees with it
        // (tests/rules/checked_words_test.cpp).
        const rules::CheckedWord* c = rules::checkedWordWritten(word.javaScript);
        if (!c) c = rules::checkedWord(checkedMethod(word.javaScript));
        if (c) {
            word.parameters = rules::shownValues(*c);
            word.meaning = std::string(c->meaning);
            word.example = letters(std::string(c->word)) == letters(w.phrase) ? "`" + std::string(c->shown) + "`" : "";
        }
        l.words.push_back(std::move(word));
    }
    // A teacher's word the reference does not show: its snippet, placeholders written as their names.
    for (Word& w : l.words) {
        if (!w.example.empty()) continue;
        for (const Snippet& snippet : l.snippets) {
            if (snippet.body.rfind(w.phrase + (w.call ? "(" : " "), 0) != 0) continue;
            std::string shown;
            for (std::size_t i = 0; i < snippet.body.size() && snippet.body[i] != '\n'; ++i) {
                if (snippet.body[i] != '$') {
                    shown += snippet.body[i];
                } else if (i + 1 < snippet.body.size() && snippet.body[i + 1] == '{') {
                    const std::size_t colon = snippet.body.find(':', i), close = snippet.body.find('}', i);
                    if (colon < close && close != std::string::npos) shown += snippet.body.substr(colon + 1, close - colon - 1);
                    i = close == std::string::npos ? snippet.body.size() : close;
                } else {
                    while (i + 1 < snippet.body.size() && std::isdigit(static_cast<unsigned char>(snippet.body[i + 1]))) ++i;
                }
            }
            w.example = "`" + shown + "`";
            break;
        }
    }
    for (const LibraryName& name : ref.libraryNames) {
        if (std::find(vocabulary.libraryNames.begin(), vocabulary.libraryNames.end(), name.name) == vocabulary.libraryNames.end())
            continue;
        LibraryName n = name;
        for (const auto& [defined, phrase] : vocabulary.libraryDirectives)
            if (defined == name.name) n.directive = phrase;
        l.libraryNames.push_back(std::move(n));
    }
    return l;
}

}  // namespace services
