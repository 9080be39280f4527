// Folder mode end to end: which entries are compiled, in which order, and the exit code.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/process.h"
#include "support/temp_folder.h"

namespace {

std::string sep() { return std::string(1, lumSeparator()); }
bool windowsBuild() { return lumSeparator() == '\\'; }

// The source paths of the "OK: " lines, in the order printed.
std::vector<std::string> compiledSources(const std::string& out) {
    std::vector<std::string> sources;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("OK: ", 0) != 0) continue;
        const auto arrow = line.find(" -> ");
        sources.push_back(line.substr(4, arrow == std::string::npos ? std::string::npos : arrow - 4));
    }
    return sources;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

class FolderMode : public ::testing::Test {
protected:
    TempFolder dir;
    std::string src() const { return dir / "src"; }

    ProcessResult lum(const std::vector<std::string>& args) {
        ProcessOptions o;
        o.workingFolder = dir.path();
        // A fake opener records what would have been opened.
        useFakeOpener(o, dir.path());
        ProcessResult r = runLum(args, o);
        EXPECT_EQ(r.err, "");
        return r;
    }
    void source(const std::string& name, const std::string& text = "console.log(1);\n") {
        writeFile(src() + "/" + name, text);
    }
    // A dangling link: listed like any file, and no compile can read it.
    void unreadable(const std::string& name) {
        makeFolder(src());
        ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (src() + "/" + name).c_str()), 0);
    }
};

TEST_F(FolderMode, CompilesEveryNameInUtf16CodeUnitOrder) {
    // Capitals before small letters in each alphabet, Ё and ё apart from the rest of the
    // Cyrillic letters, a name that is a prefix of another first; masks match the extension
    // in any case, and the output keeps the name's own case when it is no known extension.
    // A letter beyond U+FFFF is a surrogate pair, so it sorts before U+FF01.
    for (const char* name : {"ё.лум", "！.лум", "а.лум", "Я.лум", "x.ЛУМС", "a.лумс", "😀.лумс", "B.лумс", "b.Лум",
                             "Ё.лумс", "a.лум"})
        source(name);
    const ProcessResult r = lum({"src"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    const std::string p = "src" + sep();
    const std::vector<std::string> expected = {p + "B.лумс", p + "a.лум",  p + "a.лумс", p + "b.Лум", p + "x.ЛУМС",
                                               p + "Ё.лумс", p + "Я.лум", p + "а.лум",  p + "ё.лум",
                                               p + "😀.лумс", p + "！.лум"};
    EXPECT_EQ(compiledSources(r.out), expected) << r.out;
    EXPECT_TRUE(fileExists(src() + "/x.ЛУМС.html"));
    EXPECT_TRUE(fileExists(src() + "/b.Лум.html"));
    EXPECT_TRUE(fileExists(src() + "/a.html"));
    EXPECT_TRUE(fileExists(src() + "/Я.html"));
}

TEST_F(FolderMode, SkipsFoldersOtherExtensionsAndDoesNotRecurse) {
    source("one.лумс");
    source("x.лумс/inner.лумс");
    source("x.лумс/deeper/two.лум");
    source("notes.txt");
    source("c.лумсx");
    source("d.лу");
    source("лумс");
    source(".лум");  // a name that is all extension still matches "*.лум"
    const ProcessResult r = lum({"src"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(compiledSources(r.out), (std::vector<std::string>{"src" + sep() + ".лум", "src" + sep() + "one.лумс"}))
        << r.out;
    EXPECT_FALSE(fileExists(src() + "/x.лумс/inner.html"));
    EXPECT_FALSE(fileExists(src() + "/x.лумс/deeper/two.html"));
    EXPECT_FALSE(fileExists(src() + "/c.html"));
}

TEST_F(FolderMode, JsWritesEveryJavaScriptFileAndNoPage) {
    source("a.лумс");
    source("b.лум");
    const ProcessResult r = lum({"-js", "src"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(listNames(src()), "a.js a.лумс b.js b.лум");
    EXPECT_EQ(count(r.out, "(JavaScript, "), 2u) << r.out;
    EXPECT_FALSE(fileExists(dir / "opened.log"));
}

TEST_F(FolderMode, RunOpensEveryPageInTurn) {
    source("b.лумс");
    source("a.лум");
    source("c.лумс");
    const ProcessResult r = lum({"src", "-r"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    // The opener runs detached; give the last one a moment to write.
    for (int i = 0; i < 100 && count(readFile(dir / "opened.log"), "\n") < 3; ++i) runProcess({"sleep", "0.05"});
    // Openers run detached, so they may finish in any order: compare the set.
    std::vector<std::string> opened;
    std::istringstream lines(readFile(dir / "opened.log"));
    for (std::string line; std::getline(lines, line);) opened.push_back(line);
    std::sort(opened.begin(), opened.end());
    const std::string p = "src" + sep();
    if (windowsBuild()) {
        // Wine's shell hands pages on to the host's opener as file URLs.
        ASSERT_EQ(opened.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            const std::string name = std::string(1, static_cast<char>('a' + i)) + ".html";
            EXPECT_EQ(opened[i].substr(opened[i].size() - name.size() - 4), "src/" + name) << opened[i];
        }
    } else {
        EXPECT_EQ(opened, (std::vector<std::string>{p + "a.html", p + "b.html", p + "c.html"}));
    }
}

TEST_F(FolderMode, ExitCodeCountsTheFailuresAndTheRestStillCompile) {
    if (windowsBuild()) GTEST_SKIP() << "needs a POSIX dangling link";
    source("a.лумс");
    unreadable("b.лумс");
    source("c.лум");
    unreadable("d.лум");
    source("e.лумс");
    const ProcessResult r = lum({"src"});
    EXPECT_EQ(r.exitCode, 2) << r.out;
    const std::string p = "src" + sep();
    EXPECT_EQ(compiledSources(r.out), (std::vector<std::string>{p + "a.лумс", p + "c.лум", p + "e.лумс"}));
    EXPECT_EQ(count(r.out, "Ошибка: не могу прочитать файл: " + p + "b.лумс\n"), 1u) << r.out;
    EXPECT_EQ(count(r.out, "Ошибка: не могу прочитать файл: " + p + "d.лум\n"), 1u) << r.out;
    // The failures are reported in the same order as the rest.
    EXPECT_LT(r.out.find("a.лумс ->"), r.out.find("b.лумс\n"));
    EXPECT_LT(r.out.find("b.лумс\n"), r.out.find("c.лум ->"));
}

TEST_F(FolderMode, MoreFailuresThanAnExitStatusHoldsStillFail) {
    if (windowsBuild()) GTEST_SKIP() << "needs POSIX dangling links";
    for (int i = 0; i < 256; ++i) unreadable("f" + std::to_string(i) + ".лум");
    const ProcessResult r = lum({"src"});
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_EQ(count(r.out, "Ошибка: не могу прочитать файл: "), 256u);
}

TEST_F(FolderMode, PipesAndDevicesAreNoSourceFiles) {
    if (windowsBuild()) GTEST_SKIP() << "needs a POSIX named pipe";
    makeFolder(src());
    ASSERT_EQ(runProcess({"mkfifo", src() + "/pipe.лумс"}).exitCode, 0);
    source("a.лум");
    const ProcessResult r = lum({"src"});  // opening the pipe would block for ever
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(compiledSources(r.out), (std::vector<std::string>{"src" + sep() + "a.лум"}));
}

TEST_F(FolderMode, NamesInAnotherEncodingAreListedAndSortAfterTheRest) {
    if (windowsBuild()) GTEST_SKIP() << "needs a POSIX name that is not UTF-8";
    source("я.лумс");
    source("\xff\xfe.лумс");
    source("b.лум");
    const ProcessResult r = lum({"src"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    const std::string p = "src" + sep();
    EXPECT_EQ(compiledSources(r.out), (std::vector<std::string>{p + "b.лум", p + "я.лумс", p + "\xff\xfe.лумс"}));
    EXPECT_TRUE(fileExists(src() + "/\xff\xfe.html"));
}

TEST_F(FolderMode, AFolderWithoutSourcesIsOneFailure) {
    makeFolder(src() + "/x.лумс");
    source("readme.txt");
    ProcessResult r = lum({"src"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\nНе найдено файлов .лумс или .лум в папке: src\n"), std::string::npos) << r.out;
    EXPECT_TRUE(compiledSources(r.out).empty());

    makeFolder(dir / "empty");
    r = lum({"empty" + sep()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\nНе найдено файлов .лумс или .лум в папке: empty" + sep() + "\n"), std::string::npos)
        << r.out;
}

}  // namespace
