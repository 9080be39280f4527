// Random fields from a template: the same seed gives the same fields (on every machine: one is
// pinned as text), sizes stay within the ranges, the marks go with the walls they belong to, and
// every wrong "растянуть" line is named.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tasks/field_template.h"

using namespace tasks;

namespace {

// A wall of unknown length above the marked cells; the robot under its left end, the finish just
// past its right end. Column 2 and row 1 stretch.
const char* const wallTemplate =
    "растянуть столбец 2 от 1 до 9\nрастянуть строку 1 от 1 до 4\nробот 2 2\nфиниш 3 2\n"
    "+-+-+-+\n|     |\n+ +-+ +\n|  .  |\n+-+-+-+\n";

}  // namespace

TEST(FieldTemplate, RandomFieldsKeepTheTemplate) {
    const struct {
        std::uint64_t seed;
        int count;
    } cases[] = {{0, 1}, {1, 20}, {2026, 50}, {18446744073709551615ull, 7}};
    const FieldTemplateRead read = readFieldTemplate(wallTemplate);
    ASSERT_TRUE(read.ok) << read.message;
    std::vector<std::string> firsts;
    for (const auto& c : cases) {
        const std::vector<Field> fields = randomFields(read.fieldTemplate, c.count, c.seed);
        ASSERT_EQ(static_cast<int>(fields.size()), c.count);
        const std::vector<Field> again = randomFields(read.fieldTemplate, c.count, c.seed);
        std::set<int> lengths;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const Field& f = fields[i];
            EXPECT_EQ(writeField(f), writeField(again[i])) << c.seed;
            ASSERT_GE(f.width, 3);
            ASSERT_LE(f.width, 11);
            ASSERT_GE(f.height, 2);
            ASSERT_LE(f.height, 5);
            const int length = f.width - 2, row = f.height - 1;
            lengths.insert(length);
            EXPECT_EQ(f.robotColumn, 1);
            EXPECT_EQ(f.robotRow, row);
            EXPECT_EQ(f.finishColumn, 1 + length);
            for (int column = 0; column < f.width; ++column) {
                const bool under = column >= 1 && column <= length;
                EXPECT_EQ((f.at(column, row) & cellMarked) != 0, under) << writeField(f);
                EXPECT_EQ((f.at(column, row - 1) & cellWallDown) != 0, under) << writeField(f);
                EXPECT_EQ((f.at(column, row) & cellWallRight) != 0, column == f.width - 1) << writeField(f);
            }
        }
        if (c.count >= 20) EXPECT_GE(lengths.size(), 5u) << "the lengths vary";
        firsts.push_back(writeField(fields[0]));
    }
    EXPECT_NE(firsts[1], firsts[2]) << "another seed, other fields";
    EXPECT_EQ(firsts[2], "робот 2 3\nфиниш 4 3\n+-+-+-+-+\n|       |\n+ + + + +\n|       |\n+ +-+-+ +\n|  . .  |\n+-+-+-+-+\n")
        << "seed 2026 makes this field on every machine";
}

TEST(FieldTemplate, WrongStretchesAreNamed) {
    const std::string field = "робот 1 1\n+-+-+\n|   |\n+-+-+\n";
    const struct {
        std::string lines;
        std::size_t line;
        const char* message;
    } cases[] = {
        {"растянуть столбец 2 от 3 до 1\n", 1, "пишите «растянуть столбец N от A до B» или «растянуть строку N от A до B»: номер от 1, 1 ≤ A ≤ B ≤ 100"},
        {"растянуть столбец 3 от 1 до 2\n", 1, "столбца 3 нет в поле"},
        {"растянуть строку 1 от 1 до 2\nрастянуть строку 1 от 1 до 3\n", 2, "строка 1 растянута дважды"},
        {"растянуть столбец 1 от 1 до 60\nрастянуть столбец 2 от 1 до 60\n", 2, "растянутое поле может выйти больше 100 клеток в стороне: уменьшите верхние пределы"},
    };
    for (const auto& c : cases) {
        const FieldTemplateRead read = readFieldTemplate(c.lines + field);
        EXPECT_FALSE(read.ok) << c.lines;
        EXPECT_EQ(read.line, c.line) << c.lines;
        EXPECT_EQ(read.message, c.message) << c.lines;
    }
}
