// The field's text form: canonical files read and written back byte for byte, other spellings
// brought to the canonical one, and every mistake named by its line.
#include <gtest/gtest.h>

#include "tasks/field.h"

using namespace tasks;

TEST(Field, CanonicalTextsComeBackIdentically) {
    const char* texts[] = {
        "робот 1 1\n+-+\n| |\n+-+\n",
        "// коридор\n// вдоль стены\nробот 2 1\nфиниш 3 2\n+-+-+-+\n|. .|#|\n+ +-+ +\n|* #  |\n+-+-+-+\n",
        "робот 3 1\n+-+-+-+\n| | | |\n+ + + +\n|     |\n+-+-+-+\n",
    };
    for (const char* text : texts) {
        const FieldRead read = readField(text);
        ASSERT_TRUE(read.ok) << text << read.message;
        EXPECT_EQ(writeField(read.field), text);
    }
}

TEST(Field, CellsWallsAndPlaces) {
    const FieldRead read = readField("робот 2 1\nфиниш 3 2\n+-+-+-+\n|. .|#|\n+ +-+ +\n|* #  |\n+-+-+-+\n");
    ASSERT_TRUE(read.ok);
    const Field& f = read.field;
    EXPECT_EQ(f.width, 3);
    EXPECT_EQ(f.height, 2);
    EXPECT_EQ(f.robotColumn, 1);
    EXPECT_EQ(f.finishRow, 1);
    EXPECT_EQ(f.at(0, 0), cellMarked);
    EXPECT_EQ(f.at(1, 0), cellMarked | cellWallRight | cellWallDown);
    EXPECT_EQ(f.at(2, 0), cellPainted | cellWallRight);
    EXPECT_EQ(f.at(0, 1), cellMarked | cellPainted | cellWallDown);
    EXPECT_EQ(f.at(2, 1), cellWallRight | cellWallDown);
    EXPECT_EQ(base::compactJson(fieldJson(f)), "{\"ш\":3,\"в\":2,\"р\":[1,0],\"ф\":[2,1],\"к\":\"2e5b9c\"}");
    EXPECT_EQ(writeField(emptyField(2, 1)), "робот 1 1\n+-+-+\n|   |\n+-+-+\n");
}

TEST(Field, OtherSpellingsBecomeCanonical) {
    const struct {
        const char* text;
        const char* canonical;
    } cases[] = {
        {"\n\nробот  1   1\r\n+-+\r\n| |\r\n+-+\r\n\n\n", "робот 1 1\n+-+\n| |\n+-+\n"},
        {"финиш 1 1\nробот 1 1\n// заметка\n+-+\n| |\n+-+", "// заметка\nробот 1 1\nфиниш 1 1\n+-+\n| |\n+-+\n"},
    };
    for (const auto& c : cases) {
        const FieldRead read = readField(c.text);
        ASSERT_TRUE(read.ok) << c.text;
        EXPECT_EQ(writeField(read.field), c.canonical);
    }
}

TEST(Field, MistakesNameTheirLine) {
    const struct {
        const char* text;
        std::size_t line;
        const char* part;  // a piece of the message
    } cases[] = {
        {"робот 1\n+-+\n| |\n+-+\n", 1, "два числа"},
        {"робот один два\n+-+\n| |\n+-+\n", 1, "два числа"},
        {"поле 3 3\n+-+\n| |\n+-+\n", 1, "непонятная строка"},
        {"робот 1 1\n", 2, "нет рисунка"},
        {"робот 1 1\n+-+-+\n|  |\n+-+-+\n", 3, "одной длины"},
        {"робот 1 1\n+-+\n| |\n", 3, "нечётное"},
        {"робот 1 1\n+ +\n| |\n+-+\n", 2, "край поля"},
        {"робот 1 1\n+-+\n  |\n+-+\n", 3, "край поля"},
        {"робот 1 1\n+-+-+\n|x  |\n+-+-+\n", 3, "в клетке"},
        {"робот 1 1\n+-+-+\n| / |\n+-+-+\n", 3, "между клетками"},
        {"робот 1 1\n+-+-+\n|   |\n+-=-+\n", 4, "«+»"},
        {"+-+\n| |\n+-+\n", 1, "где робот"},
        {"робот 2 1\n+-+\n| |\n+-+\n", 1, "вне поля"},
        {"робот 1 1\nфиниш 0 1\n+-+\n| |\n+-+\n", 2, "вне поля"},
        {"робот 1 1\n+-+\n| |\n+-+\nещё\n", 5, "ничего не пишется"},
    };
    for (const auto& c : cases) {
        const FieldRead read = readField(c.text);
        EXPECT_FALSE(read.ok) << c.text;
        EXPECT_EQ(read.line, c.line) << c.text;
        EXPECT_NE(read.message.find(c.part), std::string::npos) << c.text << " -> " << read.message;
    }
    std::string wide = "робот 1 1\n+";
    for (int i = 0; i < 101; ++i) wide += "-+";
    EXPECT_FALSE(readField(wide + "\n").ok);
}
