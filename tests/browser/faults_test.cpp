// Faults found by hostile tries, one row each: what a page does in Chromium with text that used to
// break it, and what lum does to files it was never asked to touch.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "support/browser.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

// The panel of a program's page after it ran.
std::string panelOf(const TempFolder& folder, const std::string& source) {
    writeFile(folder / "п.лумс", source);
    const std::string page = compileWithLum(folder / "п.лумс");
    return page.empty() ? "" : elementText(dumpDom(page), "result");
}

bool native() { return lumSeparator() == '/'; }

const std::string gone = "999999999";  // far above any process id the systems hand out
std::string temporary(const std::string& output) { return output + ".lum-" + gone + "-0123456789abcdef.tmp"; }

struct Fault {
    const char* what;
    bool page;  // runs a page in Chromium
    std::function<void(const TempFolder&)> check;
};

const std::vector<Fault> faults = {
    {"\"<!--\" and \"<script\" in a string, a comment and a regular expression leave the program running", true,
     [](const TempFolder& folder) {
         EXPECT_EQ(panelOf(folder, "пусть а = \"<!--<script>\"\n// <!--<SCRIPT>\nпусть р = /<!--<script>/\n"
                                   "вывести(а.длина)\nвывести(р.test(а))\n"),
                   " 12\ntrue\n");
     }},
    {"the error handler makes результат the panel before it writes", true,
     [](const TempFolder& folder) {
         const std::string panel =
             panelOf(folder, "setTimeout(function () { console.log('панель: ' + результат.id) }, 50)\nнеизвестное()\n");
         EXPECT_NE(panel.find("панель: result"), std::string::npos) << panel;
     }},
    {"a sort given a number is told in Russian", true,
     [](const TempFolder& folder) {
         const std::string panel = panelOf(folder, "пусть м = [3, 1]\nм.сортировать(5)\n");
         EXPECT_NE(panel.find("сравнивает значения только функцией"), std::string::npos) << panel;
         EXPECT_FALSE(std::regex_search(panel, std::regex("[A-Za-z]{3}"))) << panel;
     }},
    {"a 100,000-character key gives a short message", true,
     [](const TempFolder& folder) {
         const std::string panel = panelOf(folder, "пусть о = {}\nпусть к = \"я\".repeat(100000)\nвывести(о.нет[к])\n");
         EXPECT_NE(panel.find("нельзя взять «яяя"), std::string::npos) << panel.substr(0, 300);
         EXPECT_LT(panel.size(), 1000u);
     }},
    {"an output without write permission is an error, left as it was", false,
     [](const TempFolder& folder) {
#ifndef _WIN32
         if (!native()) GTEST_SKIP() << "needs the native (POSIX) build";
         writeFile(folder / "а.лумс", "вывести(1)\n");
         writeFile(folder / "а.html", "старая страница");
         ASSERT_EQ(::chmod((folder / "а.html").c_str(), 0444), 0);
         ProcessOptions options;
         options.workingFolder = folder.path();
         const ProcessResult r = runLum({"а.лумс"}, options);
         EXPECT_EQ(r.exitCode, 1);
         EXPECT_NE(r.out.find("Ошибка: не могу записать файл: ./а.html\nЗамечание: файл ./а.html защищён от записи"),
                   std::string::npos) << r.out;
         EXPECT_EQ(readFile(folder / "а.html"), "старая страница");
         struct stat st {};
         ASSERT_EQ(::stat((folder / "а.html").c_str(), &st), 0);
         EXPECT_EQ(st.st_mode & 0777, 0444u);
#endif
     }},
    {"--editor never writes through a link planted in its folder, and sweeps its own temporaries", false,
     [](const TempFolder& folder) {
#ifndef _WIN32
         if (!native()) GTEST_SKIP() << "needs the native (POSIX) build";
         makeFolder(folder / "вне");
         makeFolder(folder / "ext");
         ASSERT_EQ(::symlink((folder / "вне").c_str(), (folder / "ext/lum.lum-script-2.7.0").c_str()), 0);
         ProcessOptions options;
         options.workingFolder = folder.path();
         ProcessResult r = runLum({"--editor", "ext"}, options);
         EXPECT_EQ(r.exitCode, 1) << r.out;
         EXPECT_NE(r.out.find("lum не пишет через ссылки"), std::string::npos) << r.out;
         EXPECT_EQ(listNames(folder / "вне"), "");
         ASSERT_EQ(::unlink((folder / "ext/lum.lum-script-2.7.0").c_str()), 0);
         writeFile(folder / ("ext/" + temporary("lum-script-2.7.0.vsix")), "x");
         writeFile(folder / ("ext/" + temporary("чужой.vsix")), "x");
         r = runLum({"--editor", "ext"}, options);
         EXPECT_EQ(r.exitCode, 0) << r.out;
         EXPECT_EQ(listNames(folder / "ext"), "lum-script-2.7.0.vsix lum.lum-script-2.7.0 " + temporary("чужой.vsix"));
#endif
     }},
    {"folder mode sweeps only the temporaries of the outputs it writes, in lum's own form", false,
     [](const TempFolder& folder) {
         makeFolder(folder / "п");
         writeFile(folder / "п/а.лумс", "вывести(1)\n");
         for (const std::string& name : {temporary("а.html"), temporary("б.html"), "а.html.lum-" + gone + ".tmp",
                                         "заметки.lum-" + gone + ".tmp"})
             writeFile(folder / ("п/" + name), "x");
         ProcessOptions options;
         options.workingFolder = folder.path();
         EXPECT_EQ(runLum({"п"}, options).exitCode, 0);
         EXPECT_EQ(listNames(folder / "п"), "а.html а.html.lum-" + gone + ".tmp а.лумс " + temporary("б.html") +
                                                " заметки.lum-" + gone + ".tmp");
     }},
};

TEST(Faults, EachIsMended) {
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        if (fault.page && !chromiumAvailable()) {
            LUM_REQUIRE_CHROMIUM();
            continue;
        }
        TempFolder folder;
        fault.check(folder);
    }
}

}  // namespace
