// The Robot's field and its text form (a ".поле" file a teacher writes in any editor): the
// reader, which names the line of every mistake, the writer, which gives back the very text a
// canonical file holds, and the form the page's run-time layer takes (JSON).
// Tests: tests/tasks/field_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/json.h"

namespace tasks {

// What a cell holds, as bits.
enum CellBits : std::uint8_t {
    cellPainted = 1,    // painted
    cellMarked = 2,     // to be painted: what a task wants painted at the end
    cellWallRight = 4,  // a wall between this cell and the one on its right (the border included)
    cellWallDown = 8,   // a wall between this cell and the one below it (the border included)
};

constexpr int largestFieldSide = 100;

struct Field {
    int width = 0, height = 0;
    int robotColumn = 0, robotRow = 0;  // 0-based, from the top left cell
    bool hasFinish = false;             // the cell the robot must end in, when a task names one
    int finishColumn = 0, finishRow = 0;
    std::vector<std::uint8_t> cells;  // row by row, width × height
    std::vector<std::string> notes;   // the file's comment lines ("// ..."), in order

    std::uint8_t at(int column, int row) const { return cells[static_cast<std::size_t>(row) * width + column]; }
};

struct FieldRead {
    bool ok = false;
    Field field;
    std::size_t line = 0;  // 1-based line of the first mistake
    std::string message;   // Russian, saying what to write instead
};

// The file's text (UTF-8). Lines before the picture: "// notes", "робот X Y", "финиш X Y"
// (column and row from 1, the top left cell being 1 1), blank lines; then the picture of
// 2×height+1 lines of 2×width+1 characters: "+" at corners, "-" or " " for a wall or none between
// rows, "|" or " " between columns, and in a cell " " clean, "#" painted, "." to be painted,
// "*" painted and to be painted. The border is a wall all round.
FieldRead readField(const std::string& text);
// The canonical text: notes, "робот", "финиш", the picture; every line ends with "\n".
std::string writeField(const Field& field);
// An empty field with the robot in the top left cell.
Field emptyField(int width, int height);
// {"ш":W,"в":H,"р":[column,row],"ф":[column,row] or null,"к":"..."}: "к" holds one character per
// cell, row by row, the digit or letter of its bits (0-9, a-f).
base::Json fieldJson(const Field& field);

}  // namespace tasks
