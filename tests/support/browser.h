// Headless Chromium for the browser tests: a page's DOM after its scripts ran, and its elements.
//
// Typical use:
//     TEST(Page, PrintsToPanel) {
//         LUM_REQUIRE_CHROMIUM();
//         TempFolder folder;
//         writeFile(folder / "a.лумс", "console.log('hi');\n");
//         const std::string page = compileWithLum(folder / "a.лумс");   // "" on failure
//         const std::string dom = dumpDom(page);
//         EXPECT_EQ(elementText(dom, "result"), " hi\n");
//         EXPECT_EQ(styleProperty(elementStyle(dom, "result"), "color"), "white");
//     }
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// The browser the tests run.
inline constexpr const char* chromiumPath = "/usr/bin/chromium";

// Whether chromiumPath exists and can be run.
bool chromiumAvailable();
// Whether the tests run under CI (CI=true), where a missing tool is a failure.
bool runningUnderCi();

// First statement of a browser test: without Chromium the test fails under CI and is skipped
// with a message elsewhere.
#define LUM_REQUIRE_CHROMIUM()                                                           \
    do {                                                                                 \
        if (!chromiumAvailable()) {                                                      \
            if (runningUnderCi()) FAIL() << "CI=true but " << chromiumPath << " is missing"; \
            GTEST_SKIP() << chromiumPath << " is missing: apt-get install -y chromium";  \
        }                                                                                \
    } while (0)

// Chromium mutes errors of a script loaded by <script src> from a file:// page ("Script error.",
// line 0) unless local files count as one origin: pass this flag to dumpDom for such pages.
inline constexpr const char* allowFileScripts = "--allow-file-access-from-files";

// Loads a local HTML file in headless Chromium (a fresh profile each call), lets its scripts run
// for virtualTimeMs of virtual time and returns the serialised DOM. Returns "" and records a
// test failure when Chromium does not run or prints no DOM.
std::string dumpDom(const std::string& htmlPath, int virtualTimeMs = 2000,
                    const std::vector<std::string>& extraFlags = {});

// One element of a dumped DOM, found by its id.
struct DomElement {
    std::string tag;         // lower case, as Chromium serialises it
    std::string attributes;  // everything between the tag name and ">"
    std::string innerHtml;   // up to the matching closing tag
};
std::optional<DomElement> findElementById(const std::string& dom, const std::string& id);

// The element's text: inner HTML without tags, the usual entities decoded. "" when missing.
std::string elementText(const std::string& dom, const std::string& id);
// The element's style attribute ("display: block; color: red;"). "" when missing.
std::string elementStyle(const std::string& dom, const std::string& id);
// One property of a style attribute, trimmed ("red"); "" when it is not set.
std::string styleProperty(const std::string& style, const std::string& property);

// Compiles a source with the lum under test (see runLum in support/process.h) and returns the
// path of the file written ("<stem>.html", or "<stem>.js" with "-js" among the flags). Returns ""
// and records a test failure with lum's output when the compile fails.
std::string compileWithLum(const std::string& sourcePath, const std::vector<std::string>& flags = {});
