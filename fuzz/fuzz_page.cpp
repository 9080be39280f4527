// buildPage and buildScriptFile: the script body section never holds "</", "<!--" or "<script",
// the escaped parts hold no markup, and the fixed frame is intact whatever the inputs.
#include "fuzz_support.h"
#include "output/compile.h"
#include "output/page.h"

using namespace base;
using namespace output;

namespace {

const std::string bodyTag = "<script type=\"text/javascript\" id=\"js\">\n";

// escapeScriptBody undone: the backslash it put between "<" and "/" taken out again.
std::string unescape(const std::string& body) {
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        out.push_back(body[i]);
        if (body[i] == '<' && i + 2 < body.size() + 0 && body[i + 1] == '\\' && body[i + 2] == '/') ++i;
    }
    return out;
}

// Whether `text` holds "<!--" or "<script" in any case: what may open markup in a script element.
bool opensMarkup(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower.find("<!--") != std::string::npos || lower.find("<script") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in{data, size};
    const std::uint8_t flags = in.byte();
    const std::string script = in.until(0xFF);
    const std::string title = in.until(0xFF);
    const std::string source = in.rest();

    const std::string body = escapeScriptBody(script);
    FUZZ_REQUIRE(body.find("</") == std::string::npos);
    FUZZ_REQUIRE(!opensMarkup(body));
    // Without markup openers only a "<" that stood before "/" gained a backslash, so undoing it
    // needs the original to have no "<\/" of its own.
    if (script.find("<\\/") == std::string::npos && !opensMarkup(script)) FUZZ_REQUIRE(unescape(body) == script);

    const CodeText text = makeText(decodeBytes(script));
    const std::string lineMap = buildLineMap(text);
    FUZZ_REQUIRE(lineMap.front() == '[' && lineMap.back() == ']');

    const std::string page = buildPage({body, lineMap, title, source, (flags & 1) != 0});
    FUZZ_REQUIRE(page.compare(0, 16, "<!DOCTYPE html>\n") == 0);
    const std::string end = "</body>\n</html>\n";
    FUZZ_REQUIRE(page.size() > end.size() && page.compare(page.size() - end.size(), end.size(), end) == 0);
    const std::size_t tag = page.find(bodyTag);
    FUZZ_REQUIRE(tag != std::string::npos);
    FUZZ_REQUIRE(page.compare(tag + bodyTag.size(), body.size(), body) == 0, "body not where the tag says");
    const std::string section = page.substr(tag + bodyTag.size(), body.size());
    FUZZ_REQUIRE(section.find("</") == std::string::npos);
    FUZZ_REQUIRE(page.compare(tag + bodyTag.size() + body.size(), 11, "\n</script>\n") == 0);
    // The escaped title and source put no markup before the body.
    const std::string escapedSource = escapeHtml(source);
    FUZZ_REQUIRE(escapedSource.find('<') == std::string::npos && escapedSource.find('>') == std::string::npos);
    FUZZ_REQUIRE(page.find("<div id='lup' style=\"display: none;\">\n" + escapedSource + "\n</div>\n") <
                 tag);
    FUZZ_REQUIRE((page.find("/wait") != std::string::npos) == ((flags & 1) == 1 || script.find("/wait") != std::string::npos ||
                                                                 source.find("/wait") != std::string::npos ||
                                                                 title.find("/wait") != std::string::npos));

    const std::string file = buildScriptFile(title, lineMap, body);
    const std::size_t firstBreak = file.find('\n');
    FUZZ_REQUIRE(firstBreak != std::string::npos);
    FUZZ_REQUIRE(file.compare(firstBreak + 1, 20, "var __LUM_LINES__ = ") == 0, "the header spans lines");
    FUZZ_REQUIRE(file.size() > body.size() && file.compare(file.size() - body.size() - 1, body.size(), body) == 0);
    return 0;
}
