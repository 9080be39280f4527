// The step page: the body script kept as text, with its line offset, and step.js after it.
// Tests: tests/step/step_test.mjs, tests/e2e/watch_test.cpp.
#include "output/step_page.h"

#include <algorithm>
#include <string_view>

namespace output {

namespace {

constexpr std::string_view bodyTag = "<script type=\"text/javascript\" id=\"js\">\n";

}  // namespace

std::string stepPage(const std::string& page, const std::string& scriptTag) {
    // The title and the source are escaped, so the first body tag is the page's own.
    const std::size_t tag = page.find(bodyTag);
    const std::size_t end = page.rfind("</body>");
    if (tag == std::string::npos || end == std::string::npos || end < tag) return {};
    const std::size_t lines = static_cast<std::size_t>(
        std::count(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(tag + bodyTag.size()), '\n'));
    std::string out;
    out.reserve(page.size() + scriptTag.size() + 64);
    out.append(page, 0, tag);
    out += "<script type=\"text/plain\" id=\"js\" data-lum-offset=\"" + std::to_string(lines) + "\">\n";
    out.append(page, tag + bodyTag.size(), end - tag - bodyTag.size());
    out += scriptTag;
    out.append(page, end, std::string::npos);
    return out;
}

}  // namespace output
