// Library inclusion: framing, line numbers, JavaScript and script libraries, nesting, the
// cycle and depth guards, read failures and the list of included files.
#include <gtest/gtest.h>

#include "output/compile.h"
#include "support/temp_folder.h"
#include "translator/libraries_on_disk.h"
#include "translator/translator_helpers.h"

using namespace base;
using namespace rules;
using namespace translator;
using namespace output;

namespace {

std::string header(const std::string& name) { return "\n/* библиотека: " + name + " */\n"; }

// "n×line" pieces joined, for line expectations of framed text.
std::string repeatLine(std::size_t count, std::uint32_t line) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i) s += (s.empty() ? "" : ",") + std::to_string(line);
    return s;
}
std::string join(std::initializer_list<std::string> parts) {
    std::string s;
    for (const std::string& p : parts)
        if (!p.empty()) s += (s.empty() ? "" : ",") + p;
    return s;
}
std::size_t lengthOf(const std::string& utf8) { return decodeBytes(utf8).size(); }

class Include : public testing::Test {
protected:
    struct Result {
        bool ok;
        CodeText out;
        WarningList warnings;
    };
    Result include(const std::string& path, int depth = 1, const std::vector<std::string>& chain = {},
                   std::uint32_t line = 5) {
        Result r;
        const LibraryReader reader = diskLibraries();
        Inclusion inclusion{RuleSet{table, false}, reader, r.warnings, {}};
        r.ok = includeLibrary(inclusion, path, depth, chain, line, r.out);
        includedFiles = inclusion.includedFiles;
        EXPECT_EQ(r.out.chars.size(), r.out.lines.size());
        return r;
    }

    std::string at(const std::string& name) const { return nativePath(folder.path(), name); }

    TempFolder folder, home;
    ScopedEnv homeVariable{"LUM_HOME", home.path()};
    std::vector<Rule> table{makeRule("слово", "WORD")};
    std::vector<std::string> includedFiles;  // what the last include() read
};

TEST_F(Include, ScriptLibraryIsTranslatedAndFramedWithItsOwnLines) {
    const std::string path = at("lib.лумс");
    writeFile(path, "слово\n'слово'\n");
    const Result r = include(path, 1, {}, 7);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(utf8Of(r.out), header("lib.лумс") + "WORD\n'слово'\n" + "\n");
    EXPECT_EQ(linesOf(r.out), join({repeatLine(lengthOf(header("lib.лумс")), 7), "1,1,1,1,1", "2,2,2,2,2,2,2,2",
                                    "7"}));
    EXPECT_EQ(includedFiles, std::vector<std::string>{path});
    EXPECT_TRUE(r.warnings.empty());
}

TEST_F(Include, JavaScriptLibrariesAreCopiedUnchangedOnTheDirectiveLine) {
    const std::string body = "слово\nПБ нет\nfor(3 раз){ \\табуляция";
    for (const char* name : {"lib.js", "LIB.JS", "Lib.Js"}) {
        const std::string path = folder / name;
        writeFile(path, body);
        const Result r = include(path, 1, {}, 3);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(utf8Of(r.out), header(name) + body + "\n") << name;
        EXPECT_EQ(linesOf(r.out), repeatLine(lengthOf(header(name) + body + "\n"), 3));
        EXPECT_TRUE(r.warnings.empty());
    }
    // A Cyrillic extension is always a script library, whatever its case.
    const std::string script = at("lib.ЛУМС");
    writeFile(script, "слово");
    EXPECT_EQ(utf8Of(include(script).out), header("lib.ЛУМС") + "WORD\n");
}

TEST_F(Include, ByteOrderMarkAndCp1251) {
    writeFile(at("bom.лумс"), "\xEF\xBB\xBFслово");
    EXPECT_EQ(utf8Of(include(at("bom.лумс")).out), header("bom.лумс") + "WORD\n");
    writeFile(at("bom.js"), "\xEF\xBB\xBF" "x");
    EXPECT_EQ(utf8Of(include(at("bom.js")).out), header("bom.js") + "x\n");
    // "слово" in CP1251; one such byte makes the whole file CP1251.
    writeFile(at("cp.лумс"), "\xF1\xEB\xEE\xE2\xEE \xC0");
    EXPECT_EQ(utf8Of(include(at("cp.лумс")).out), header("cp.лумс") + "WORD А\n");
    writeFile(at("empty.лумс"), "");
    EXPECT_EQ(utf8Of(include(at("empty.лумс")).out), header("empty.лумс") + "\n");
}

TEST_F(Include, GuardsAndFailures) {
    const std::string path = at("lib.лумс");
    writeFile(path, "x");

    Result r = include(path, 1, {at("other.лумс"), path});
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.out.chars.empty());
    EXPECT_EQ(r.warnings, WarningList{"библиотека зациклилась: " + path + " — пропущена"});

    r = include(path, 9);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.out.chars.empty());
    EXPECT_EQ(r.warnings, WarningList{"слишком глубокая цепочка библиотек (глубже 8) — " + path + " пропущена"});

    // The cycle check comes first.
    r = include(path, 9, {path});
    EXPECT_EQ(r.warnings, WarningList{"библиотека зациклилась: " + path + " — пропущена"});

    r = include(at("missing.лумс"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.out.chars.empty());
    EXPECT_EQ(r.warnings, WarningList{"не могу прочитать библиотеку: " + at("missing.лумс")});

    EXPECT_TRUE(include(path, 8).ok);
    EXPECT_EQ(includedFiles, std::vector<std::string>{path});  // refused and unread files are not listed
}

TEST_F(Include, NestedLibrariesComeAfterTheHeaderAndBeforeTheText) {
    const std::string a = at("a.лумс"), b = at("b.лумс");
    writeFile(a, "слово\nПБ b\nA");
    writeFile(b, "B\nслово");
    const Result r = include(a, 1, {}, 4);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(utf8Of(r.out), header("a.лумс") + header("b.лумс") + "B\nWORD" + "\n" + "WORD\n\nA" + "\n");
    EXPECT_EQ(linesOf(r.out), join({repeatLine(lengthOf(header("a.лумс")), 4),
                                    repeatLine(lengthOf(header("b.лумс")), 2),  // b's directive is on a's line 2
                                    "1,1,2,2,2,2", "2",                        // b's text and trailer
                                    "1,1,1,1,1", "2", "3", "4"}));
    EXPECT_EQ(includedFiles, (std::vector<std::string>{a, b}));
}

TEST_F(Include, SelfAndMutualReferencesAreCutAsCycles) {
    const std::string self = at("self.лумс");
    writeFile(self, "ПБ self\nS");
    Result r = include(self);
    EXPECT_EQ(utf8Of(r.out), header("self.лумс") + "\nS\n");
    EXPECT_EQ(r.warnings, WarningList{"библиотека зациклилась: " + self + " — пропущена"});

    const std::string a = at("a.лумс"), b = at("b.лумс");
    writeFile(a, "ПБ b\nA");
    writeFile(b, "ПБ a\nB");
    r = include(a);
    EXPECT_EQ(utf8Of(r.out), header("a.лумс") + header("b.лумс") + "\nB\n" + "\nA\n");
    EXPECT_EQ(r.warnings, WarningList{"библиотека зациклилась: " + a + " — пропущена"});
}

TEST_F(Include, ALibrarysOwnDirectiveWarningsComeBeforeItsLibrariesWarnings) {
    const std::string a = at("a.лумс"), b = at("b.лумс");
    writeFile(a, "ПБ b\nПБ нет");
    writeFile(b, "ПБ тоже нет");
    const Result r = include(a);
    ASSERT_EQ(r.warnings.size(), 2u);
    EXPECT_EQ(r.warnings[0].text.rfind("строка 2: библиотека «нет»", 0), 0u) << r.warnings[0].text;
    EXPECT_EQ(r.warnings[1].text.rfind("строка 1: библиотека «тоже нет»", 0), 0u) << r.warnings[1].text;
}

TEST_F(Include, ChainOfNineStopsAtTheNinth) {
    for (int i = 1; i <= 9; ++i)
        writeFile(at("l" + std::to_string(i) + ".лумс"), i < 9 ? "ПБ l" + std::to_string(i + 1) : "last");
    const Result r = include(at("l1.лумс"));
    EXPECT_EQ(r.warnings,
              WarningList{"слишком глубокая цепочка библиотек (глубже 8) — " + at("l9.лумс") + " пропущена"});
    EXPECT_EQ(includedFiles.size(), 8u);
    EXPECT_EQ(utf8Of(r.out).find("last"), std::string::npos);
}

TEST(IncludedFiles, CompileListsEveryLibraryReadInReadingOrder) {
    TempFolder folder, home;
    ScopedEnv homeVariable("LUM_HOME", home.path());
    auto at = [&](const std::string& name) { return nativePath(folder.path(), name); };
    auto inHome = [&](const std::string& name) { return nativePath(home.path(), name); };
    writeFile(at("main.лумс"), "ПБ a\nПБ lib\nПБ a\nПБ нет\nmain");
    writeFile(at("библиотеки/a.лумс"), "ПБ b\nПБ missing");
    writeFile(at("библиотеки/b.js"), "b");
    writeFile(at("lib.лум"), "lib");
    writeFile(inHome("missing.js"), "m");
    const LoadedRules noRules = loadedRules({});
    const CompileReport report = compileFile(at("main.лумс"), CompileOptions{}, {noRules});
    EXPECT_EQ(report.status, CompileStatus::Written);
    const std::string a = at("библиотеки/a.лумс"), b = at("библиотеки/b.js");
    EXPECT_EQ(report.includedFiles, (std::vector<std::string>{a, b, inHome("missing.js"), at("lib.лум"), a, b,
                                                              inHome("missing.js")}));
}

}  // namespace
