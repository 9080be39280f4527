// The programs in examples/: the whole folder compiles without a warning or a hint, every
// JavaScript file passes node --check, and none of them leaves a word of the language untranslated.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> exampleStems() {
    std::vector<std::string> stems;
    for (const auto& entry : fs::directory_iterator(fs::path(LUM_SOURCE_DIR) / "examples"))
        if (entry.is_regular_file() && entry.path().extension() == ".лумс") stems.push_back(entry.path().stem().string());
    return stems;
}

TEST(Examples, ThereIsOneForEachTopic) {
    const std::vector<std::string> stems = exampleStems();
    for (const char* topic : {"привет", "ввод_и_вывод", "условия", "циклы_пока", "повторить", "функции", "массивы",
                              "строки", "рисование", "анимация", "игра", "клавиши", "математика", "текст", "одна_строка",
                              "своя_библиотека"})
        EXPECT_NE(std::find(stems.begin(), stems.end(), topic), stems.end()) << topic;
    EXPECT_TRUE(fileExists(std::string(LUM_SOURCE_DIR) + "/examples/библиотеки/приветствия.лумс"));
}

TEST(Examples, CompileWithoutWarningsOrHintsAndPassNodeCheck) {
    TempFolder folder;
    fs::copy(fs::path(LUM_SOURCE_DIR) / "examples", fs::path(folder.path()), fs::copy_options::recursive);
    const ProcessResult r = runLum({"-js", folder.path()});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const ProcessResult pages = runLum({folder.path()});
    ASSERT_EQ(pages.exitCode, 0) << pages.out;
    for (const char* note : {"ПРЕДУПРЕЖДЕНИЕ", "ПОДСКАЗКА"}) {
        EXPECT_EQ(r.out.find(note), std::string::npos) << r.out;
        EXPECT_EQ(pages.out.find(note), std::string::npos) << pages.out;
    }
    const bool haveNode = onPath("node");
    if (!haveNode && std::getenv("CI") && std::string(std::getenv("CI")) == "true") FAIL() << "CI=true but node is missing";
    for (const std::string& stem : exampleStems()) {
        const std::string js = folder / (stem + ".js");
        ASSERT_TRUE(fileExists(js)) << js;
        // The script body of the page: words that only the rules understand must all be gone.
        const std::string page = readFile(folder / (stem + ".html"));
        const std::string open = "<script type=\"text/javascript\" id=\"js\">\n";
        const std::size_t from = page.find(open);
        ASSERT_NE(from, std::string::npos) << stem;
        const std::string text = page.substr(from + open.size(), page.find("\n</script>", from) - from - open.size());
        for (const char* word : {"вывести(", "пусть ", "конец\n", "функция ", "\nесли ", " то\n", "ПБ ", "подключить "})
            EXPECT_EQ(text.find(word), std::string::npos) << stem << ": " << word;
        if (!haveNode) continue;
        const ProcessResult check = runProcess({"node", "--check", js});
        EXPECT_EQ(check.exitCode, 0) << stem << ":\n" << check.err;
    }
    if (!haveNode) GTEST_SKIP() << "node is missing: apt-get install -y nodejs";
}

}  // namespace
