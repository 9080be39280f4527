// The reference docs/язык.md documents the default vocabulary: every pattern of src/keywords.csv
// appears in it as a code span, written the way a learner types it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

// The fields of one line of a rules file: commas separate, a double quote switches quoting on
// and off, two quotes inside quoting give one.
std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                out.back() += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == ',' && !quoted) {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

// A pattern as a learner writes it: boundaries dropped, escapes taken literally, " +" as one
// space, spaces at the ends trimmed.
std::string asWritten(const std::string& pattern) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size()) {
            if (pattern[i + 1] != 'b') out += pattern[i + 1];
            ++i;
        } else if (c == '+' && !out.empty() && out.back() == ' ') {
            continue;
        } else {
            out += c;
        }
    }
    const std::size_t first = out.find_first_not_of(' ');
    return first == std::string::npos ? "" : out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> patterns() {
    const std::string csv = readFile(std::string(LUM_SOURCE_DIR) + "/src/keywords.csv");
    std::vector<std::string> found;
    std::size_t at = 0;
    while (at < csv.size()) {
        std::size_t end = csv.find('\n', at);
        if (end == std::string::npos) end = csv.size();
        const std::string line = csv.substr(at, end - at);
        at = end + 1;
        if (line.empty() || line.rfind("pattern,", 0) == 0) continue;
        found.push_back(fields(line)[0]);
    }
    return found;
}

TEST(Reference, HowPatternsAreWrittenForTheReader) {
    EXPECT_EQ(asWritten("\\bиначе +если\\b"), "иначе если");
    EXPECT_EQ(asWritten(" +раз +\\{"), "раз {");
    EXPECT_EQ(asWritten("\\.сортировать\\(\\)"), ".сортировать()");
    EXPECT_EQ(asWritten("\\):"), "):");
    EXPECT_EQ(fields("a,\"b,\"\"c\"\"\",gi"), (std::vector<std::string>{"a", "b,\"c\"", "gi"}));
}

TEST(Reference, DocumentsEveryPatternOfTheDefaultVocabulary) {
    const std::string doc = readFile(std::string(LUM_SOURCE_DIR) + "/docs/язык.md");
    const std::vector<std::string> all = patterns();
    ASSERT_GT(all.size(), 100u);
    for (const std::string& pattern : all) {
        const std::string written = asWritten(pattern);
        ASSERT_FALSE(written.empty()) << pattern;
        EXPECT_NE(doc.find("`" + written + "`"), std::string::npos) << "not in docs/язык.md: `" << written << "`";
    }
}

TEST(Reference, NamesEveryFunctionOfTheBuiltInLibraries) {
    const std::string doc = readFile(std::string(LUM_SOURCE_DIR) + "/docs/язык.md");
    for (const char* name : {"ctx", "стандарт", "покрасить_весь_холст_в", "нарисовать_квадрат", "размеры_холста",
                             "проверка_столкновений", "целое_случайное_число", "кв_корень", "куб_корень", "корень",
                             "умножение", "преобразовать_в_число", "наверное", "примерно_равно", "сложение_нецелых",
                             "ЛУМС", "записать_в_массив_текст", "записать_массив_в_строку", "принт",
                             "убрать_все_пробелы", "разбить_строку_по_пробелам", "убрать_буквы", "убрать_цифры",
                             "код_в_одну_строку"})
        EXPECT_NE(doc.find("`" + std::string(name)), std::string::npos) << name;
}

}  // namespace
