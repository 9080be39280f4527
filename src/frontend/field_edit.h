// The playground's field editor and the core: a field file read into the editor's data, and the
// editor's data written back as a field file, both through the one reader and writer of
// tasks/field.h, so the editor never holds a second idea of the format.
// Tests: tests/frontend/field_edit_test.cpp, tests/playground/field_editor_test.mjs.
#pragma once

#include <string>

namespace frontend {

// {"ok":true,"field":{as tasks::fieldJson},"notes":["// ..."]} or {"ok":false,"line":N,"message":"..."}
// for the bytes of a ".поле" file (a byte-order mark is dropped, as the compiler drops it).
std::string fieldEditJson(std::string bytes);

// What the editor holds: columns and rows from 0; finishColumn < 0 when there is no finish.
struct FieldEdit {
    int width = 0, height = 0;
    int robotColumn = 0, robotRow = 0;
    int finishColumn = -1, finishRow = -1;
    std::string cells;  // one hexadecimal digit of tasks::CellBits per cell, row by row
    std::string notes;  // the teacher's notes, one a line; a line without "//" gets "// " before it
};

// The canonical text of the field, or "" when the data is no field (a side outside 1..100, a cell
// count or digit that does not fit, the robot or finish outside). The border walls are always set.
std::string fieldEditText(const FieldEdit& edit);

}  // namespace frontend
