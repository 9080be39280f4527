// A compile's checks in memory, their findings placed on the words they name.
// Tests: tests/services/problems_test.cpp.
#include "services/problems.h"

#include <cstdlib>

#include "diagnostics/checks.h"
#include "diagnostics/hints.h"
#include "translator/libraries_on_disk.h"
#include "translator/rewrite.h"

namespace services {

namespace {

void appendText(base::CodeText& to, const base::CodeText& from) {
    to.chars.insert(to.chars.end(), from.chars.begin(), from.chars.end());
    to.lines.insert(to.lines.end(), from.lines.begin(), from.lines.end());
}

// "строка N: rest" gives N and rest; 0 and the whole text otherwise.
std::uint32_t lineOf(const std::string& text, std::string& rest) {
    const std::string head = "строка ";
    rest = text;
    if (text.rfind(head, 0) != 0) return 0;
    char* end = nullptr;
    const unsigned long n = std::strtoul(text.c_str() + head.size(), &end, 10);
    if (!end || end[0] != ':' || end[1] != ' ' || n == 0 || n > 0xFFFFFFFFul) return 0;
    rest = end + 2;
    return static_cast<std::uint32_t>(n);
}

// The place of a finding that names no columns: the first «…» of its text found on its line,
// else the line from its first non-blank code point to its end.
Range guessRange(const Text& text, std::uint32_t line, const std::string& message) {
    const std::string lineText = text.lineText(line);
    const std::string open = "«", close = "»";
    for (std::size_t at = message.find(open); at != std::string::npos; at = message.find(open, at + 1)) {
        const std::size_t end = message.find(close, at);
        if (end == std::string::npos) break;
        const std::string quoted = message.substr(at + open.size(), end - at - open.size());
        const std::size_t found = quoted.empty() ? std::string::npos : lineText.find(quoted);
        if (found == std::string::npos) continue;
        const std::uint32_t from = static_cast<std::uint32_t>(base::decodeBytes(lineText.substr(0, found)).size());
        return {{line, from}, {line, from + static_cast<std::uint32_t>(base::decodeBytes(quoted).size())}};
    }
    const base::CodePoints points = base::decodeBytes(lineText);
    std::uint32_t from = 0;
    while (from < points.size() && (points[from] == ' ' || points[from] == '\t')) ++from;
    return {{line, from}, {line, static_cast<std::uint32_t>(points.size())}};
}

Severity severityOf(diagnostics::HintKind kind) {
    switch (kind) {
    case diagnostics::HintKind::UnclosedBlock:
    case diagnostics::HintKind::UnfinishedHeader:
    case diagnostics::HintKind::SwallowingString:
    case diagnostics::HintKind::AssignInCondition:
    case diagnostics::HintKind::ComparisonGivesValue: return Severity::Warning;
    default: return Severity::Information;
    }
}

std::string fixTitle(const Text& text, const Problem& p) {
    if (p.fixRange.from.line == p.fixRange.to.line && p.fixRange.from.column == p.fixRange.to.column) {
        std::string shown = p.fix;
        while (!shown.empty() && shown.front() == ' ') shown.erase(0, 1);
        return "Дописать «" + shown + "»";
    }
    if (p.fix.empty()) {
        const std::size_t from = text.offset(p.fixRange.from), to = text.offset(p.fixRange.to);
        return "Убрать «" + base::encodeUtf8(text.chars.data() + from, to > from ? to - from : 0) + "»";
    }
    std::string shown = p.fix;
    while (!shown.empty() && shown.front() == ' ') shown.erase(0, 1);
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    return "Заменить на «" + shown + "»";
}

}  // namespace

Analysis analyse(const Text& text, const std::string& folder, const Language& language) {
    Analysis analysis;
    base::WarningList warnings;
    diagnostics::checkQuotes(text.chars, warnings);
    base::CodeText working;
    working.chars = text.chars;
    working.lines.resize(working.chars.size());
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < working.chars.size(); ++i) {
        working.lines[i] = line;
        if (working.chars[i] == 0x0A) ++line;
    }
    std::vector<std::string> paths;
    std::vector<std::uint32_t> lines;
    translator::collectLibraryDirectives(working, folder, paths, lines, warnings);
    const translator::RuleSet rules{language.table, false};
    translator::Inclusion inclusion{rules, warnings, {}};
    base::CodeText all;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        base::CodeText library;
        if (translator::includeLibrary(inclusion, paths[i], 1, {}, lines[i], library)) appendText(all, library);
    }
    analysis.includedFiles = std::move(inclusion.includedFiles);
    const std::vector<diagnostics::Hint> hints = diagnostics::findHints(working, language.hintLanguage(), all.chars);
    translator::applyRules(working, rules);
    appendText(all, working);
    working = base::CodeText();
    diagnostics::checkBrackets(all, warnings);

    const std::uint32_t lastLine = static_cast<std::uint32_t>(text.lineStarts.size() - 1);
    for (const std::string& w : warnings) {
        Problem p;
        const std::uint32_t n = lineOf(w, p.message);
        const std::uint32_t at = n == 0 ? 0 : std::min(n - 1, lastLine);
        p.range = guessRange(text, at, p.message);
        p.code = "warning";
        analysis.problems.push_back(std::move(p));
    }
    for (const diagnostics::Hint& h : hints) {
        Problem p;
        lineOf(h.text, p.message);
        const std::uint32_t at = h.line == 0 ? 0 : std::min(h.line - 1, lastLine);
        const std::uint32_t length = static_cast<std::uint32_t>(text.lineEnd(at) - text.lineStarts[at]);
        p.fixRange = {{at, std::min(h.from, length)}, {at, std::min(h.to, length)}};
        // A hint without columns, or one that inserts, is shown on the words it quotes.
        p.range = (h.to == 0 && !h.hasFix) || h.from == h.to ? guessRange(text, at, p.message) : p.fixRange;
        p.severity = severityOf(h.kind);
        p.code = diagnostics::hintKindName(h.kind);
        if (h.hasFix) {
            p.hasFix = true;
            p.fix = h.fix;
            p.fixTitle = fixTitle(text, p);
        }
        analysis.problems.push_back(std::move(p));
    }
    return analysis;
}

}  // namespace services
