// A template of Robot fields: a field whose columns and rows a teacher may ask to stretch
// ("растянуть столбец 4 от 1 до 10"), from which a number of random fields are made, the same
// ones from the same seed on every machine.
// Tests: tests/tasks/field_template_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tasks/field.h"

namespace tasks {

struct Stretch {
    bool column = true;  // a column, or a row
    int at = 0;          // 0-based in the template
    int least = 1, most = 1;  // how many copies of it a field gets
};

struct FieldTemplate {
    Field base;
    std::vector<Stretch> stretches;
};

struct FieldTemplateRead {
    bool ok = false;
    FieldTemplate fieldTemplate;
    std::size_t line = 0;  // 1-based line of the first mistake
    std::string message;
};

// A field's text with, before the picture, lines "растянуть столбец N от A до B" or
// "растянуть строку N от A до B" (N from 1, 1 ≤ A ≤ B).
FieldTemplateRead readFieldTemplate(const std::string& text);
// count fields: each stretched column or row copied a number of times within its range, its
// walls, paint and marks with it; the robot and the finish in the first copy of their cell.
std::vector<Field> randomFields(const FieldTemplate& fieldTemplate, int count, std::uint64_t seed);

}  // namespace tasks
