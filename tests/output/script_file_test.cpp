// The JavaScript file: header, map and offset lines, run-time pieces, own-line count and body.
#include <gtest/gtest.h>

#include <string>

#include "embedded/runtimeFileOutput.h"
#include "embedded/runtimePanel.h"
#include "embedded/runtimeMistakes.h"
#include "embedded/runtimeOrigin.h"
#include "output/runtime_words.h"
#include "output/error_messages.h"
#include "output/page.h"

using namespace output;

namespace {

const std::string offsetLine =
    "var __LUM_OFFSET__ = 0; // сколько строк вашего html выше этого файла — поправьте для точных номеров строк\n";

std::size_t countLines(const std::string& s) {
    std::size_t n = 0;
    for (const char c : s) n += c == '\n';
    return n;
}

}  // namespace

TEST(ScriptFile, IsTheNinePiecesInOrder) {
    const std::string words = "__LUM__.словарь({});\n";
    const std::string file = buildScriptFile("массив.лумс", "[1,2]", "a();\nb();", words);
    const std::string top = "// массив.лумс — скомпилировано ЛУМ скрипт (ЛУМ2.7)\n"
                            "var __LUM_LINES__ = [1,2];\n" + offsetLine + output::runtimeWordsScript() +
                            std::string(runtimeFileOutput) + std::string(runtimePanel);
    std::string handler(fileErrorHandler());
    const std::size_t own = countLines(top) + countLines(handler) + countLines(std::string(runtimeOrigin)) +
                            countLines(std::string(runtimeMistakes)) + 1;
    // Every placeholder of the handler, and nothing else, becomes the count.
    std::size_t replaced = 0;
    for (std::size_t at = handler.find("__FILE_LINES__"); at != std::string::npos; at = handler.find("__FILE_LINES__")) {
        handler.replace(at, 14, std::to_string(own));
        ++replaced;
    }
    EXPECT_EQ(replaced, 2u);
    EXPECT_EQ(file, top + handler + std::string(runtimeOrigin) + std::string(runtimeMistakes) + words + "a();\nb();" + "\n");
}

TEST(ScriptFile, HandlerSubtractsTheOffsetAndTheFileOwnLinesAboveTheBody) {
    for (const std::string body : {"", "x();", "x();\ny();\n"}) {
        const std::string file = buildScriptFile("a.лум", "[1]", "BODY_START" + body);
        const std::size_t bodyStart = file.find("BODY_START");
        const std::size_t own = countLines(file.substr(0, bodyStart));
        EXPECT_NE(file.find("строка ? строка - __LUM_OFFSET__ - " + std::to_string(own) + " : 0;"), std::string::npos);
        EXPECT_EQ(file.find("__FILE_LINES__"), std::string::npos);
    }
}

TEST(ScriptFile, RuntimeHoldsItsNamesAndTheShortTable) {
    const std::string output(runtimeFileOutput), handler(fileErrorHandler());
    for (const char* text : {"function consolelog(содержимое)", "function consoleclear()", "typeof document",
                             "console.log(содержимое)"})
        EXPECT_NE(output.find(text), std::string::npos) << text;
    for (const char* text : {"typeof window", "!window.onerror", "сообщение, источник, строка", "'У вас ошибка '",
                             "' (около строки '", "window.__LUM_LINES__"})
        EXPECT_NE(handler.find(text), std::string::npos) << text;
    EXPECT_NE(handler.find("строкаПрограммы + ')'"), std::string::npos);
    EXPECT_EQ(handler.find("вашей программы)"), std::string::npos);
    EXPECT_EQ(handler.find("style.color"), std::string::npos);
    const char* table[][2] = {
        {"Uncaught ", ""},
        {"SyntaxError:", "в синтаксисе:"},
        {"ReferenceError:", "при использовании ссылки:"},
        {"is not defined", "не определена/объявлена"},
        {"TypeError:", "типа:"},
        {"is not a function", "не является функцией"},
        {"Assignment to constant variable", "значение константы менять нельзя!"},
    };
    std::size_t last = 0, count = 0;
    for (const auto& row : table) {
        const std::size_t at = handler.find(std::string(".replace('") + row[0] + "', '" + row[1] + "')");
        ASSERT_NE(at, std::string::npos) << row[0];
        EXPECT_GT(at, last) << row[0];
        last = at;
    }
    for (std::size_t at = handler.find(".replace("); at != std::string::npos; at = handler.find(".replace(", at + 1))
        ++count;
    EXPECT_EQ(count, 7u);
}

TEST(ScriptFile, EmptySourceEndsWithTheHandlerAndOneLineFeed) {
    const std::string file = buildScriptFile("пусто.лумс", "[]", "");
    EXPECT_NE(file.find("\nvar __LUM_LINES__ = [];\n"), std::string::npos);
    // The handler, then the run-time layer's explanations of mistakes, then the body's one line feed.
    const std::string layerEnd = std::string(runtimeMistakes) + "\n";
    ASSERT_GE(file.size(), layerEnd.size());
    EXPECT_EQ(file.substr(file.size() - layerEnd.size()), layerEnd);
}

TEST(ScriptFile, HeaderStaysOneCommentLineWhateverTheName) {
    const struct {
        std::string name, shown;
    } cases[] = {
        {"a&b<c>.лумс", "a&b<c>.лумс"},
        {"x\ny.лумс", "x y.лумс"},
        {"x\r\ny.лумс", "x  y.лумс"},
        {"x\xE2\x80\xA8y\xE2\x80\xA9.лум", "x y .лум"},
        {"__OFFSET__.лумс", "__OFFSET__.лумс"},
    };
    for (const auto& c : cases) {
        const std::string file = buildScriptFile(c.name, "[1]", "x();");
        EXPECT_EQ(file.substr(0, file.find('\n') + 1), "// " + c.shown + " — скомпилировано ЛУМ скрипт (ЛУМ2.7)\n")
            << c.name;
        EXPECT_EQ(file.compare(file.find('\n') + 1, 24, "var __LUM_LINES__ = [1];"), 0);
    }
}

TEST(ScriptFile, BodyAndItsPlaceholdersComeOutAsWritten) {
    const std::string body = "var s = '__OFFSET__ __FILE_LINES__ <\\/script>';";
    const std::string file = buildScriptFile("a.лумс", "[1]", body);
    EXPECT_EQ(file.substr(file.size() - body.size() - 1), body + "\n");
    EXPECT_EQ(file, buildScriptFile("a.лумс", "[1]", body));
}
