// Libraries end to end: the search on disk, nesting and its guards, JavaScript libraries,
// encodings, unreadable files and where their warnings stand among a compile's warnings.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "e2e/own_rules.h"

namespace {

std::string header(const std::string& name) { return "\n/* библиотека: " + name + " */\n"; }

class Libraries : public testing::Test {
protected:
    // Compiles src/main.лумс to JavaScript; returns the file written.
    std::string compile(const std::string& main) {
        writeFile(src / "main.лумс", main);
        ProcessOptions options;
        options.environment["LUM_HOME"] = home.path();
        options.environment["LUM_TRACE"] = std::nullopt;
        result = lum.run({src / "main.лумс", "-js"}, options);
        EXPECT_EQ(result.exitCode, 0) << result.out;
        EXPECT_EQ(result.err, "");
        return fileExists(src / "main.js") ? readFile(src / "main.js") : std::string();
    }
    std::vector<std::string> warnings() const { return linesStartingWith(result.out, warning); }
    std::string path(const TempFolder& folder, const std::string& name) const {
        std::string p = folder.path() + sep;
        for (char c : name) p += c == '/' ? sep : c;
        return p;
    }

    TempFolder src, home;
    LumWithRules lum{"слово,WORD,g\n"};
    ProcessResult result;
    const char sep = lumSeparator();
    const std::string warning = "ПРЕДУПРЕЖДЕНИЕ [main.лумс]: ";
};

// Finds each piece after the one before it.
void expectInOrder(const std::string& text, const std::vector<std::string>& pieces) {
    std::size_t at = 0;
    for (const std::string& piece : pieces) {
        const std::size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << piece << "\nin:\n" << text;
        at = found + piece.size();
    }
}

TEST_F(Libraries, LibraryFolderBeforeTheSourceFolderAndFoldersBeforeExtensions) {
    writeFile(src / "библиотеки/lib.лум", "из_библиотек");
    writeFile(src / "lib.лумс", "из_папки");
    const std::string out = compile("ПБ lib\nmain");
    expectInOrder(out, {header("lib.лум") + "из_библиотек\n", "\nmain"});
    EXPECT_EQ(out.find("из_папки"), std::string::npos);
}

TEST_F(Libraries, HomeFoldersAreSearchedLast) {
    writeFile(home / "библиотеки/h.лумс", "home_библиотеки");
    writeFile(home / "h.лумс", "home_itself");
    writeFile(home / "both.лумс", "home_both");
    writeFile(src / "both.js", "src_both");
    writeFile(home / "only.js", "home_only");
    const std::string out = compile("ПБ h\nПБ both\nПБ only\n");
    expectInOrder(out, {"home_библиотеки", "src_both", "home_only"});
    EXPECT_EQ(out.find("home_itself"), std::string::npos);
    EXPECT_EQ(out.find("home_both"), std::string::npos);
    EXPECT_TRUE(warnings().empty());
}

TEST_F(Libraries, FoldersNamedLikeALibraryArePassedOver) {
    makeFolder(src / "библиотеки/f.лумс");
    makeFolder(src / "f.лумс");
    writeFile(src / "f.js", "the_file");
    expectInOrder(compile("ПБ f\n"), {header("f.js") + "the_file\n"});
    EXPECT_TRUE(warnings().empty());
}

TEST_F(Libraries, NestedSelfAndMutualLibrariesAndTheSameLibraryTwice) {
    writeFile(src / "a.лумс", "ПБ b\nA слово");
    writeFile(src / "b.лумс", "ПБ a\nB слово");
    writeFile(src / "self.лумс", "ПБ self\nSELF");
    const std::string out = compile("ПБ a\nПБ self\nПБ a\nmain слово");
    const std::string aBlock = header("a.лумс") + header("b.лумс") + "\nB WORD\n" + "\nA WORD\n";
    expectInOrder(out, {aBlock, header("self.лумс") + "\nSELF\n", aBlock, "\n\n\nmain WORD"});
    const std::string cycle = "библиотека зациклилась: ";
    EXPECT_EQ(warnings(), (std::vector<std::string>{
                              warning + cycle + path(src, "a.лумс") + " — пропущена",
                              warning + cycle + path(src, "self.лумс") + " — пропущена",
                              warning + cycle + path(src, "a.лумс") + " — пропущена",
                          }));
}

TEST_F(Libraries, AChainOfNineIncludesEightAndWarnsForTheNinth) {
    for (int i = 1; i <= 9; ++i) {
        const std::string n = std::to_string(i);
        const std::string next = i < 9 ? "ПБ l" + std::to_string(i + 1) + "\n" : "";
        writeFile(src / ("l" + n + ".лумс"), next + "L" + n + "_text");
    }
    const std::string out = compile("ПБ l1\n");
    expectInOrder(out, {header("l1.лумс"), header("l8.лумс"), "L8_text", "L7_text", "L1_text"});
    EXPECT_EQ(out.find("L9_text"), std::string::npos);
    EXPECT_EQ(warnings(), std::vector<std::string>{warning + "слишком глубокая цепочка библиотек (глубже 8) — " +
                                                   path(src, "l9.лумс") + " пропущена"});
}

TEST_F(Libraries, JavaScriptLibrariesAreCopiedUnchanged) {
    // The search appends ".js" as written, so the path that reaches inclusion always ends in
    // lower case; upper-case extensions are covered where inclusion is called directly.
    const std::string js = "слово; ПБ нет\nfor(2 раз){} \\табуляция";
    writeFile(src / "LIB.js", js);
    writeFile(src / "script.лумс", "слово for(2 раз){} \\табуляция");
    const std::string out = compile("ПБ LIB\nПБ script\n");
    expectInOrder(out, {header("LIB.js") + js + "\n",
                        header("script.лумс") + "WORD for(счетчик of new Array(2).keys()){} \\t\n"});
    EXPECT_TRUE(warnings().empty()) << result.out;
}

TEST_F(Libraries, ByteOrderMarkAndCp1251Libraries) {
    writeFile(src / "bom.лумс", "\xEF\xBB\xBFслово");
    writeFile(src / "cp.лумс", "\xF1\xEB\xEE\xE2\xEE \xDF");  // "слово Я" in CP1251
    const std::string out = compile("ПБ bom\nПБ cp\n");
    expectInOrder(out, {header("bom.лумс") + "WORD\n", header("cp.лумс") + "WORD Я\n"});
    EXPECT_EQ(out.find("\xEF\xBB\xBF"), std::string::npos);
}

TEST_F(Libraries, AnUnreadableLibraryWarnsAndTheCompileGoesOn) {
    // Without root a mode of 000 is enough. Root reads past modes, but not a sysctl entry
    // that is write-only: it is a regular file to stat and refuses to open for reading.
    const std::string lib = src / "lib.лумс";
    if (::geteuid() != 0) {
        writeFile(lib, "secret");
        std::filesystem::permissions(lib, std::filesystem::perms::none);
    } else {
        const char* writeOnly = "/proc/sys/vm/drop_caches";
        if (::access(writeOnly, F_OK) != 0 || ::access(writeOnly, R_OK) == 0) {
            if (std::getenv("CI") && std::string(std::getenv("CI")) == "true")
                FAIL() << "running as root without a write-only " << writeOnly << " to stand for an unreadable file";
            GTEST_SKIP() << "running as root without a write-only " << writeOnly;
        }
        std::filesystem::create_symlink(writeOnly, lib);
    }
    writeFile(src / "ok.лумс", "ok_text");
    const std::string out = compile("ПБ lib\nПБ ok\nmain");
    expectInOrder(out, {header("ok.лумс") + "ok_text\n", "\n\nmain"});
    EXPECT_EQ(out.find(header("lib.лумс")), std::string::npos);
    EXPECT_EQ(warnings(),
              std::vector<std::string>{warning + "не могу прочитать библиотеку: " + path(src, "lib.лумс")});
    EXPECT_NE(result.out.find("OK: "), std::string::npos);
}

TEST_F(Libraries, WarningsComeInPipelineOrder) {
    writeFile(src / "self.лумс", "ПБ self\n");
    compile("ПБ нет\nПБ self\n)\nx = 'abc\n");
    const std::vector<std::string> got = warnings();
    ASSERT_EQ(got.size(), 4u) << result.out;
    EXPECT_EQ(got[0], warning + "строка 4: незакрытая кавычка ' — текст после неё переведётся как код");
    EXPECT_EQ(got[1].rfind(warning + "строка 1: библиотека «нет» не найдена (искал библиотеки\\нет.лумс", 0), 0u);
    EXPECT_EQ(got[2], warning + "библиотека зациклилась: " + path(src, "self.лумс") + " — пропущена");
    EXPECT_NE(got[3].find("лишняя )"), std::string::npos) << got[3];
    // The printed warnings stand before the success line.
    EXPECT_LT(result.out.find(got[3]), result.out.find("OK: "));
}

}  // namespace
