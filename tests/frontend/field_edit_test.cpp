// The field editor's way through the core: every example field read into the editor's data and
// written back from it gives its own text; data that is no field writes nothing.
#include "frontend/field_edit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/files.h"

using namespace frontend;

namespace {

// The data the editor keeps from fieldEditJson's answer, as main.js keeps it.
FieldEdit editOf(const nlohmann::json& answer) {
    const nlohmann::json& f = answer["field"];
    std::string notes;
    for (const auto& note : answer["notes"]) notes += note.get<std::string>() + "\n";
    return {f["ш"], f["в"], f["р"][0], f["р"][1], f["ф"].is_null() ? -1 : f["ф"][0].get<int>(),
            f["ф"].is_null() ? -1 : f["ф"][1].get<int>(), f["к"], notes};
}

}  // namespace

TEST(FieldEdit, ExampleFieldsComeBackIdentically) {
    int count = 0;
    // The folder's name is UTF-8, which a narrow path on Windows would read in the ANSI code page.
    const std::string folder = LUM_SOURCE_DIR "/examples/поля";
    for (const auto& entry : std::filesystem::directory_iterator(std::u8string(folder.begin(), folder.end()))) {
        const std::u8string name = entry.path().u8string();
        std::string text;
        ASSERT_TRUE(platform::readWholeFile(std::string(name.begin(), name.end()), text));
        const nlohmann::json answer = nlohmann::json::parse(fieldEditJson("\xEF\xBB\xBF" + text));
        ASSERT_TRUE(answer["ok"].get<bool>()) << entry.path() << answer.dump();
        EXPECT_EQ(fieldEditText(editOf(answer)), text) << entry.path();
        ++count;
    }
    EXPECT_GT(count, 0);
}

TEST(FieldEdit, MistakesAndDataThatIsNoField) {
    const nlohmann::json wrong = nlohmann::json::parse(fieldEditJson("робот 1 1\n+-+\n|x|\n+-+\n"));
    EXPECT_FALSE(wrong["ok"].get<bool>());
    EXPECT_EQ(wrong["line"], 3);
    const FieldEdit good{2, 1, 1, 0, 0, 0, "00", "заметка\n\n// своя\n"};
    EXPECT_EQ(fieldEditText(good), "// заметка\n// своя\nробот 2 1\nфиниш 1 1\n+-+-+\n|   |\n+-+-+\n");
    const struct {
        FieldEdit edit;
        const char* why;
    } bad[] = {
        {{0, 1, 0, 0, -1, -1, "", ""}, "no cells"},
        {{101, 1, 0, 0, -1, -1, std::string(101, '0'), ""}, "too wide"},
        {{2, 1, 0, 0, -1, -1, "0", ""}, "a cell short"},
        {{2, 1, 0, 0, -1, -1, "0g", ""}, "not a digit"},
        {{2, 1, 2, 0, -1, -1, "00", ""}, "robot outside"},
        {{2, 1, 0, 0, 0, 1, "00", ""}, "finish outside"},
    };
    for (const auto& c : bad) EXPECT_EQ(fieldEditText(c.edit), "") << c.why;
}
