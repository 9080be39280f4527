// Output paths, the line map, the script-body escape and the crash-safe write.
#include "output/compile.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

using namespace base;
using namespace platform;
using namespace output;

namespace {

std::string native(std::string path) {
    for (char& c : path)
        if (c == '|') c = platform::separator();
    return path;
}

TEST(OutputPath, StemAndFolderFollowTheSourceName) {
    struct Row {
        const char* source;
        bool js;
        const char* expected;  // "|" stands for the native separator
    };
    const Row rows[] = {
        {"массив.лумс", false, ".|массив.html"},
        {"C:\\работа\\Массив.лумс", true, "C:\\работа|Массив.js"},
        {"папка/игра.лум", false, "папка|игра.html"},
        {"игра.txt", false, ".|игра.txt.html"},
        {"Массив.ЛУМС", false, ".|Массив.ЛУМС.html"},  // Cyrillic capitals are no extension
        {"Массив.лумС", false, ".|Массив.лумС.html"},
        {".лумс", false, ".|.html"},
        {"x.лум.лумс", false, ".|x.лум.html"},
        {"a/b\\c.лум", true, "a/b|c.js"},
        {"/abs/dir/p.лумс", false, "/abs/dir|p.html"},
        {"лум", false, ".|лум.html"},
        {"x.лумсы", false, ".|x.лумсы.html"},
    };
    for (const Row& row : rows) EXPECT_EQ(outputPathFor(row.source, row.js), native(row.expected)) << row.source;
}

TEST(PathPieces, BothSeparatorsSplit) {
    EXPECT_EQ(folderOf("a/b\\c"), "a/b");
    EXPECT_EQ(folderOf("c"), ".");
    EXPECT_EQ(folderOf("/c"), "");
    EXPECT_EQ(fileNameOf("a\\b/c.лумс"), "c.лумс");
    EXPECT_EQ(fileNameOf("c"), "c");
    EXPECT_EQ(fileNameOf("dir/"), "");
}

TEST(ScriptBody, EveryClosingTagOpenerIsEscaped) {
    EXPECT_EQ(escapeScriptBody("a</script>b"), "a<\\/script>b");
    EXPECT_EQ(escapeScriptBody("<</</"), "<<\\/<\\/");
    EXPECT_EQ(escapeScriptBody("< / <"), "< / <");
    EXPECT_EQ(escapeScriptBody("<"), "<");
    EXPECT_EQ(escapeScriptBody(""), "");
    EXPECT_EQ(escapeScriptBody("//"), "//");
}

// "<!--" and "<script" would change where the page's script element ends: each context gets a
// form with the same meaning to JavaScript.
TEST(ScriptBody, NoCommentOrScriptOpenerIsLeft) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"a = \"<!--<script>\";", "a = \"\\x3C!--\\x3Cscript>\";"},
        {"a = '<SCRIPT' + `<!-- ${b < c ? '<script' : 1} <script`;",
         "a = '\\x3CSCRIPT' + `\\x3C!-- ${b < c ? '\\x3Cscript' : 1} \\x3Cscript`;"},
        {"// <!-- <script>\nx = 1", "// \\x3C!-- \\x3Cscript>\nx = 1"},
        {"/* <script> */ y", "/* \\x3Cscript> */ y"},
        {"r = /<!--[<script]/g.test(s)", "r = /\\x3C!--[\\x3Cscript]/g.test(s)"},
        {"q = a / 2 <!-- rest\nz", "q = a / 2 //-- rest\nz"},
        {"if (a <script) f()", "if (a < script) f()"},
        {"s = \"\\<!--\" + '\\</'", "s = \"\\x3C!--\" + '\\<\\/'"},
        {"return /<!--/", "return /\\x3C!--/"},
        {"x = (a) / 2; '<!--'", "x = (a) / 2; '\\x3C!--'"},
        {"a <<!--b", "a << !--b"},
        {"a <<<!-- c", "a << //-- c"},
        {"a <<script <<<Script", "a << script <<< Script"},
    };
    for (const auto& row : rows) EXPECT_EQ(escapeScriptBody(row.in), row.out) << row.in;
}

TEST(LineMap, OneEntryPerNonEmptyLine) {
    EXPECT_EQ(buildLineMap(CodeText{}), "[]");
    EXPECT_EQ(buildLineMap(makeText(decodeBytes("a\nb\n"))), "[1,2]");
    EXPECT_EQ(buildLineMap(makeText(decodeBytes("\n\nx"))), "[1,2,3]");
    // Library text in front carries its directive's line; the main text its own lines.
    CodeText t;
    t.chars = {'\n', 'l', '\n', 'm', '\n', 'x'};
    t.lines = {4, 4, 4, 1, 1, 2};
    EXPECT_EQ(buildLineMap(t), "[4,4,1,2]");
    // A multi-line replacement carries one line number throughout.
    t.chars = {'a', '\n', 'b', '\n', 'c'};
    t.lines = {7, 7, 7, 7, 9};
    EXPECT_EQ(buildLineMap(t), "[7,7,9]");
}

TEST(AtomicWrite, ReplacesTheFileAndLeavesNoTemporary) {
    TempFolder dir;
    const std::string target = dir / "out.html";
    ASSERT_TRUE(writeFileAtomically(target, "first"));
    ASSERT_TRUE(writeFileAtomically(target, "second"));
    EXPECT_EQ(readFile(target), "second");
    ASSERT_TRUE(writeFileAtomically(target, ""));
    EXPECT_EQ(readFile(target), "");
    EXPECT_EQ(listNames(dir.path()), "out.html");
}

TEST(AtomicWrite, AFailedWriteKeepsThePreviousFile) {
    TempFolder dir;
    const std::string target = dir / "out.html";
    ASSERT_TRUE(writeFileAtomically(target, "good page"));
    // A folder where the target should be: the rename fails, the temporary must go.
    ::makeFolder(dir / "blocked.html");
    EXPECT_FALSE(writeFileAtomically(dir / "blocked.html", "new"));
    EXPECT_EQ(listNames(dir.path()), "blocked.html out.html");
    EXPECT_EQ(readFile(target), "good page");
    EXPECT_FALSE(writeFileAtomically(dir / "missing-folder/out.html", "x"));
}

TEST(ReadWholeFile, AppendsAndReportsUnopenable) {
    TempFolder dir;
    std::string big(200000, 'q');
    big[123456] = '\0';
    writeFile(dir / "big", big);
    std::string bytes = "pre";
    ASSERT_TRUE(readWholeFile(dir / "big", bytes));
    EXPECT_EQ(bytes, "pre" + big);
    std::string untouched = "keep";
    EXPECT_FALSE(readWholeFile(dir / "nothing-here", untouched));
    EXPECT_EQ(untouched, "keep");
}

TEST(ReadWholeFile, RefusesWhatIsNoRegularFileInsteadOfBlocking) {
    if (platform::separator() != '/') GTEST_SKIP() << "named pipes are a POSIX check";
    TempFolder dir;
    const std::string fifo = dir / "pipe.лумс";
    ASSERT_EQ(std::system(("mkfifo '" + fifo + "'").c_str()), 0);
    std::string bytes;
    EXPECT_FALSE(readWholeFile(fifo, bytes));  // returns at once: nobody ever writes to it
    EXPECT_FALSE(readWholeFile(dir.path(), bytes));
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
