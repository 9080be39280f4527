// Random Robot fields from a template: the "растянуть" lines, and the generator (a fixed
// splitmix64, so that every standard library and machine makes the same fields from a seed).
// Tests: tests/tasks/field_template_test.cpp.
#include "tasks/field_template.h"

#include <sstream>

namespace tasks {

namespace {

const std::string stretchWord = "растянуть ";

std::uint64_t splitmix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

FieldTemplateRead mistake(std::size_t line, std::string message) {
    FieldTemplateRead read;
    read.line = line;
    read.message = std::move(message);
    return read;
}

// "столбец 4 от 1 до 10" or "строку 2 от 1 до 3" after "растянуть ".
bool readStretch(const std::string& rest, Stretch& stretch) {
    std::istringstream in(rest);
    std::string what, from, to, extra;
    long at = 0, least = 0, most = 0;
    if (!(in >> what >> at >> from >> least >> to >> most) || (in >> extra)) return false;
    if (what != "столбец" && what != "строку") return false;
    if (from != "от" || to != "до" || at < 1 || at > largestFieldSide || least < 1 || most < least || most > largestFieldSide) return false;
    stretch.column = what == "столбец";
    stretch.at = static_cast<int>(at) - 1;
    stretch.least = static_cast<int>(least);
    stretch.most = static_cast<int>(most);
    return true;
}

// For every cell of one side of the new field, the template's cell it copies and whether it is
// the last copy (only the last keeps the wall after it).
void spread(const std::vector<int>& copies, std::vector<int>& from, std::vector<bool>& last, std::vector<int>& first) {
    for (std::size_t i = 0; i < copies.size(); ++i) {
        first.push_back(static_cast<int>(from.size()));
        for (int k = 0; k < copies[i]; ++k) {
            from.push_back(static_cast<int>(i));
            last.push_back(k + 1 == copies[i]);
        }
    }
}

}  // namespace

FieldTemplateRead readFieldTemplate(const std::string& text) {
    std::string rest;
    std::vector<Stretch> stretches;
    std::vector<std::size_t> lines;  // of each stretch
    std::size_t number = 0, start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        ++number;
        if (line.compare(0, stretchWord.size(), stretchWord) == 0) {
            Stretch stretch;
            if (!readStretch(line.substr(stretchWord.size()), stretch))
                return mistake(number, "пишите «растянуть столбец N от A до B» или «растянуть строку N от A до B»: номер от 1, 1 ≤ A ≤ B ≤ 100");
            stretches.push_back(stretch);
            lines.push_back(number);
            rest += "\n";  // the field's reader still names the lines of the file
        } else {
            rest += line + "\n";
        }
        start = end + 1;
    }
    const FieldRead field = readField(rest);
    if (!field.ok) return mistake(field.line, field.message);
    long widest = field.field.width, tallest = field.field.height;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const Stretch& s = stretches[i];
        if (s.at >= (s.column ? field.field.width : field.field.height))
            return mistake(lines[i], std::string(s.column ? "столбца " : "строки ") + std::to_string(s.at + 1) + " нет в поле");
        for (std::size_t j = 0; j < i; ++j)
            if (stretches[j].column == s.column && stretches[j].at == s.at)
                return mistake(lines[i], std::string(s.column ? "столбец " : "строка ") + std::to_string(s.at + 1) + " растянута дважды");
        (s.column ? widest : tallest) += s.most - 1;
        if (widest > largestFieldSide || tallest > largestFieldSide)
            return mistake(lines[i], "растянутое поле может выйти больше 100 клеток в стороне: уменьшите верхние пределы");
    }
    FieldTemplateRead read;
    read.ok = true;
    read.fieldTemplate.base = field.field;
    read.fieldTemplate.stretches = std::move(stretches);
    return read;
}

std::vector<Field> randomFields(const FieldTemplate& fieldTemplate, int count, std::uint64_t seed) {
    const Field& base = fieldTemplate.base;
    std::vector<Field> fields;
    std::uint64_t state = seed;
    for (int n = 0; n < count; ++n) {
        std::vector<int> columns(static_cast<std::size_t>(base.width), 1), rows(static_cast<std::size_t>(base.height), 1);
        for (const Stretch& s : fieldTemplate.stretches) {
            const std::uint64_t span = static_cast<std::uint64_t>(s.most - s.least) + 1;
            (s.column ? columns : rows)[static_cast<std::size_t>(s.at)] = s.least + static_cast<int>(splitmix(state) % span);
        }
        std::vector<int> fromColumn, fromRow, firstColumn, firstRow;
        std::vector<bool> lastColumn, lastRow;
        spread(columns, fromColumn, lastColumn, firstColumn);
        spread(rows, fromRow, lastRow, firstRow);
        Field field = emptyField(static_cast<int>(fromColumn.size()), static_cast<int>(fromRow.size()));
        field.notes = base.notes;
        for (int row = 0; row < field.height; ++row)
            for (int column = 0; column < field.width; ++column) {
                std::uint8_t bits = base.at(fromColumn[column], fromRow[row]);
                if (!lastColumn[column]) bits &= static_cast<std::uint8_t>(~cellWallRight);
                if (!lastRow[row]) bits &= static_cast<std::uint8_t>(~cellWallDown);
                field.cells[static_cast<std::size_t>(row) * field.width + column] = bits;
            }
        field.robotColumn = firstColumn[base.robotColumn];
        field.robotRow = firstRow[base.robotRow];
        field.hasFinish = base.hasFinish;
        field.finishColumn = base.hasFinish ? firstColumn[base.finishColumn] : 0;
        field.finishRow = base.hasFinish ? firstRow[base.finishRow] : 0;
        fields.push_back(std::move(field));
    }
    return fields;
}

}  // namespace tasks
