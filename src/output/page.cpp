// The HTML page: fixed pieces, run-time layer, line map, script body and the line offset.
// Tests: tests/output/page_test.cpp, tests/browser/page_test.cpp.
#include "output/page.h"

#include <cstdint>
#include <string_view>

#include "embedded/runtimeMistakes.h"
#include "embedded/runtimeOrigin.h"
#include "embedded/runtimeNotes.h"
#include "embedded/runtimePageOutput.h"
#include "embedded/runtimePanel.h"
#include "embedded/runtimePoll.h"
#include "embedded/runtimeStepButton.h"
#include "output/error_messages.h"
#include "output/runtime_words.h"

namespace output {

namespace {

// The opening tag of the script body; the line offset counts the line feeds up to its end.
constexpr std::string_view bodyTag = "<script type=\"text/javascript\" id=\"js\">\n";
constexpr std::string_view offsetPlaceholder = "__OFFSET__";
// Where the watch scripts carry the page's build id.
constexpr std::string_view buildPlaceholder = "__LUM_BUILD__";
constexpr std::string_view buildDeclaration = "var сборка = '";

// Replaces every placeholder in page[from, to) only; text outside the range is never touched.
void replaceInRange(std::string& page, std::size_t from, std::size_t to, const std::string& value) {
    std::size_t at = page.find(offsetPlaceholder, from);
    while (at != std::string::npos && at + offsetPlaceholder.size() <= to) {
        page.replace(at, offsetPlaceholder.size(), value);
        to = to - offsetPlaceholder.size() + value.size();
        at = page.find(offsetPlaceholder, at + value.size());
    }
}

// FNV-1a, 64 bits, as 16 hexadecimal digits.
std::string hashHex(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4) hex[static_cast<std::size_t>(i)] = "0123456789abcdef"[h & 15];
    return hex;
}

std::string withBuild(std::string_view script, const std::string& build) {
    std::string out(script);
    for (std::size_t at = out.find(buildPlaceholder); at != std::string::npos; at = out.find(buildPlaceholder, at))
        out.replace(at, buildPlaceholder.size(), build);
    return out;
}

}  // namespace

std::string watchPageBuild(const std::string& page) {
    // The watch scripts stand last in the page, below anything the user wrote.
    const std::size_t at = page.rfind(buildDeclaration);
    if (at == std::string::npos) return {};
    const std::size_t start = at + buildDeclaration.size();
    const std::size_t end = page.find('\'', start);
    return end == std::string::npos ? std::string() : page.substr(start, end - start);
}

std::string escapeHtml(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 64);
    for (const char c : utf8) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::string buildPage(const PageParts& parts) {
    const std::string escapedTitle = escapeHtml(std::string(parts.title));
    const std::string escapedSource = escapeHtml(std::string(parts.sourceText));
    const std::string_view scriptBody = parts.scriptBody, lineMap = parts.lineMap, runtimeWords = parts.runtimeWords;
    const std::string wordsScript = runtimeWordsScript();
    std::string page;
    page.reserve(scriptBody.size() + escapedSource.size() + lineMap.size() + escapedTitle.size() +
                 runtimePageOutput.size() + runtimePanel.size() + 4096 + runtimePoll.size() + runtimeNotes.size() +
                 runtimeStepButton.size() + runtimeWords.size() + wordsScript.size() + runtimeMistakes.size() + runtimeOrigin.size() + 1024);

    page += "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n";
    page += "<meta charset=\"utf-8\">\n";
    if (!parts.prelude.empty()) {
        page += "<script>\n";
        page += parts.prelude;
        page += "</script>\n";
    }
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    page += "<title>\n  ";
    page += escapedTitle;
    page += "\n</title>\n";
    page += "</head>\n<body style=\"margin: 0px;\">\n";
    page += "<!-- Скомпилировано ЛУМ скрипт (ЛУМ2.7, lum.exe) -->\n";
    page += "<canvas id=\"canvas\" style=\"margin-bottom: 3px; display: block\" "
            "onclick=\"принажатиинахолст()\"></canvas>\n";
    page += "<div id=\"result\" style=\"display: none; width: 98vw; min-height: 2em; border: 0px; "
            "color: Olive; background-color: black; font-size: 20px; font-family: Verdana; "
            "outline: none; white-space: pre-wrap; padding: 4px;\"> </div>\n";
    page += "<div id='lup' style=\"display: none;\">\n";
    page += escapedSource;
    page += "\n</div>\n";

    page += "<script>\n";
    const std::size_t runtimeStart = page.size();
    page += wordsScript;
    page += runtimePageOutput;
    page += runtimePanel;
    page += pageErrorHandler();
    page += runtimeOrigin;
    page += runtimeMistakes;
    const std::size_t runtimeEnd = page.size();
    page += runtimeWords;  // the program's names stay out of the placeholder's range
    page += parts.executors;
    page += "</script>\n";

    page += "<script>window.__LUM_LINES__ = ";
    page += lineMap;
    page += ";</script>\n";
    page += bodyTag;
    page += scriptBody;
    page += "\n</script>\n";
    if (parts.watch) {
        // The build id: a hash of everything above, so that a page compiled again from the same
        // input is the same page, and a changed page is told apart from the one it replaces.
        const std::string build = hashHex(page);
        page += "<script>\n";
        page += withBuild(runtimePoll, build);
        page += withBuild(runtimeNotes, build);
        page += runtimeStepButton;
        page += "</script>\n";
    }
    page += "</body>\n</html>\n";

    // The title and the source are escaped, so the first body tag is the one written above.
    const std::size_t tagEnd = page.find(bodyTag) + bodyTag.size();
    std::size_t offset = 0;
    for (std::size_t i = 0; i < tagEnd; ++i)
        if (page[i] == '\n') ++offset;
    // Only the page's own run-time layer holds the placeholder: the user's source and script
    // keep any "__OFFSET__" they contain.
    replaceInRange(page, runtimeStart, runtimeEnd, std::to_string(offset));
    return page;
}

}  // namespace output
