// Finding a browser for lum --check: on Windows (run under Wine) Chrome, Edge and Chromium under
// Program Files and LocalAppData, in that order; elsewhere the usual install paths and PATH.
#include <gtest/gtest.h>

#include <cstdlib>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <optional>
#include <string>

#include "platform/platform.h"
#include "support/temp_folder.h"

namespace {

// Sets an environment variable for the life of the object, then puts back what was there.
struct Variable {
    std::string name;
    std::optional<std::string> old;
    Variable(const char* n, const std::string& value) : name(n), old(platform::environment(n)) { setenv(n, value.c_str(), 1); }
    ~Variable() {
        if (old) setenv(name.c_str(), old->c_str(), 1);
        else unsetenv(name.c_str());
    }
};

}  // namespace

TEST(BrowserLookup, FindsTheFirstInstalledOne) {
    TempFolder folder;
#ifdef _WIN32
    {
        const std::string all = folder / "Программы", one = folder / "Локальные";
        makeFolder(all);
        makeFolder(one);
        Variable a("ProgramFiles", all), b("ProgramFiles(x86)", all), c("ProgramW6432", all), d("LOCALAPPDATA", one);
        EXPECT_EQ(platform::browserCandidates().front(), all + "\\Google\\Chrome\\Application\\chrome.exe");
        EXPECT_EQ(platform::findBrowser(), "");
        // Edge for all users and Chrome for one: Chrome comes first.
        for (const std::string& f : {all + "\\Microsoft", all + "\\Microsoft\\Edge", all + "\\Microsoft\\Edge\\Application"}) makeFolder(f);
        writeFile(all + "\\Microsoft\\Edge\\Application\\msedge.exe", "");
        EXPECT_EQ(platform::findBrowser(), all + "\\Microsoft\\Edge\\Application\\msedge.exe");
        for (const std::string& f : {one + "\\Google", one + "\\Google\\Chrome", one + "\\Google\\Chrome\\Application"}) makeFolder(f);
        writeFile(one + "\\Google\\Chrome\\Application\\chrome.exe", "");
        EXPECT_EQ(platform::findBrowser(), one + "\\Google\\Chrome\\Application\\chrome.exe");
    }
#else
    {
        EXPECT_EQ(platform::browserCandidates().front(), "/usr/bin/chromium");
        // Found on PATH when nowhere usual, but only once it may be run.
        Variable path("PATH", folder.path());
        const std::string fake = folder / "google-chrome";
        writeFile(fake, "#!/bin/sh\n");
        const bool installed = platform::pathKind("/usr/bin/chromium") == platform::PathKind::File;
        EXPECT_EQ(platform::findBrowser(), installed ? "/usr/bin/chromium" : "");
        chmod(fake.c_str(), 0755);
        EXPECT_EQ(platform::findBrowser(), installed ? "/usr/bin/chromium" : fake);
    }
#endif
}
