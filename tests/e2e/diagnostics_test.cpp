// Warnings of a compile end to end: printed before the success line, labelled with the source
// file's name, in their fixed order, with source lines that libraries in front do not shift; the
// hints after them.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"

namespace {

// The output lines after the banner that start with the warning label.
std::vector<std::string> warningLines(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < out.size()) {
        std::size_t end = out.find('\n', pos);
        if (end == std::string::npos) end = out.size();
        const std::string line = out.substr(pos, end - pos);
        if (line.rfind("ПРЕДУПРЕЖДЕНИЕ [", 0) == 0) lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

}  // namespace

TEST(CompileWarnings, QuoteThenLibraryThenBracketsBeforeTheSuccessLine) {
    TempFolder folder;
    writeFile(folder / "lib.js", "function one() {\n  return 1;\n}\n\n\n");
    writeFile(folder / "игра.лумс",
              "подключить библиотеку lib\n"
              "подключить библиотеку nowhere\n"
              "console.log(one());\n"
              "console.log(2));\n"
              "}\n"
              "var s = \"open\n");
    const ProcessResult r = runLum({folder / "игра.лумс"});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const std::vector<std::string> lines = warningLines(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0], "ПРЕДУПРЕЖДЕНИЕ [игра.лумс]: строка 6: незакрытая кавычка \" — текст после неё переведётся как код");
    EXPECT_NE(lines[1].find("nowhere"), std::string::npos) << lines[1];
    // The library's lines stand in front of the script, yet the closers keep their source lines.
    EXPECT_EQ(lines[2], "ПРЕДУПРЕЖДЕНИЕ [игра.лумс]: строка 5: лишняя } (больше закрывающих, чем открытых)");
    EXPECT_EQ(lines[3], "ПРЕДУПРЕЖДЕНИЕ [игра.лумс]: строка 4: лишняя ) (больше закрывающих, чем открытых)");
    EXPECT_LT(r.out.find(lines[3]), r.out.find("OK: "));
    EXPECT_TRUE(fileExists(folder / "игра.html"));
    // The hints follow the warnings, before the success line, and stay out of the page.
    const std::string hint = "ПОДСКАЗКА [игра.лумс]: строка 5: здесь нечего закрывать — уберите лишнюю скобку «}»\n";
    EXPECT_LT(r.out.find(lines[3]), r.out.find(hint));
    EXPECT_LT(r.out.find(hint), r.out.find("OK: "));
    EXPECT_EQ(readFile(folder / "игра.html").find("ПОДСКАЗКА"), std::string::npos);
}

TEST(CompileWarnings, CleanSourcePrintsNone) {
    TempFolder folder;
    writeFile(folder / "a.лумс", "console.log('(', \"[\");\n// )]}\nvar x = [1, {a: (2)}];\n");
    const ProcessResult r = runLum({folder / "a.лумс", "-js"});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(warningLines(r.out).empty()) << r.out;
}
