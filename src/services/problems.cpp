// The one analysis's findings placed on the words they name, for an editor.
// Tests: tests/services/problems_test.cpp.
#include "services/problems.h"

#include <algorithm>

#include "diagnostics/analysis.h"

namespace services {

namespace {

void appendText(base::CodeText& to, const base::CodeText& from) {
    to.chars.insert(to.chars.end(), from.chars.begin(), from.chars.end());
    to.lines.insert(to.lines.end(), from.lines.begin(), from.lines.end());
}

// The first of `words` found on the line, else the line from its first non-blank code point to its end.
Range placeOnWords(const Text& text, std::uint32_t line, const std::vector<std::string>& words) {
    const std::string lineText = text.lineText(line);
    for (const std::string& word : words) {
        const std::size_t found = word.empty() ? std::string::npos : lineText.find(word);
        if (found == std::string::npos) continue;
        const std::uint32_t from = static_cast<std::uint32_t>(base::decodeBytes(lineText.substr(0, found)).size());
        return {{line, from}, {line, from + static_cast<std::uint32_t>(base::decodeBytes(word).size())}};
    }
    const base::CodePoints points = base::decodeBytes(lineText);
    std::uint32_t from = 0;
    while (from < points.size() && (points[from] == ' ' || points[from] == '\t')) ++from;
    return {{line, from}, {line, static_cast<std::uint32_t>(points.size())}};
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

Problem placeFinding(const Text& text, const base::Finding& f) {
    Problem p;
    p.message = f.message();
    const std::uint32_t lastLine = static_cast<std::uint32_t>(text.lineStarts.size() - 1);
    const std::uint32_t at = f.line == 0 ? 0 : std::min(f.line - 1, lastLine);
    const std::uint32_t length = static_cast<std::uint32_t>(text.lineEnd(at) - text.lineStarts[at]);
    p.fixRange = {{at, std::min(f.from, length)}, {at, std::min(f.to, length)}};
    // A finding without columns, or one that inserts, is shown on the words it quotes.
    p.range = (f.to == 0 && !f.hasFix) || f.from == f.to ? placeOnWords(text, at, f.named) : p.fixRange;
    p.severity = f.what->severity;
    p.code = f.what->name;
    if (f.hasFix) {
        p.hasFix = true;
        p.fix = f.fix;
        p.fixTitle = fixTitle(text, p);
    } else {
        p.fixRange = Range();
    }
    return p;
}

Analysis analyse(const Text& text, const std::string& folder, const Language& language) {
    const translator::LibraryReader libraries = translator::diskLibraries();
    diagnostics::Analysis found = diagnostics::analyse(text.chars, {folder, language.loaded, libraries, false, nullptr, false, nullptr});
    Analysis analysis;
    analysis.includedFiles = std::move(found.includedFiles);
    found.translated = base::CodeText();
    analysis.problems.reserve(found.warnings.size() + found.hints.size());
    for (const base::Finding& w : found.warnings) analysis.problems.push_back(placeFinding(text, w));
    for (const diagnostics::Hint& h : found.hints) analysis.problems.push_back(placeFinding(text, h));
    return analysis;
}

}  // namespace services
