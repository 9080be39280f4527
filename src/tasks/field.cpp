// The Robot's field: reading and writing its text form, and the page's JSON of it.
// Tests: tests/tasks/field_test.cpp.
#include "tasks/field.h"

#include <string_view>

namespace tasks {

namespace {

const std::string_view robotWord = "робот";
const std::string_view finishWord = "финиш";

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool blank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

// "робот 3 2" -> 3 and 2; false unless the word is followed by exactly two whole numbers.
bool readPlace(const std::string& line, std::string_view word, int& column, int& row) {
    if (line.compare(0, word.size(), word) != 0) return false;
    int values[2] = {0, 0};
    std::size_t p = word.size();
    for (int& value : values) {
        const std::size_t digits = line.find_first_not_of(' ', p);
        if (digits == p || digits == std::string::npos) return false;
        p = digits;
        if (line[p] < '0' || line[p] > '9') return false;
        while (p < line.size() && line[p] >= '0' && line[p] <= '9' && value <= 1000) value = value * 10 + (line[p++] - '0');
        if (p < line.size() && line[p] != ' ') return false;
    }
    if (line.find_first_not_of(' ', p) != std::string::npos) return false;
    column = values[0];
    row = values[1];
    return true;
}

FieldRead mistake(std::size_t line, std::string message) {
    FieldRead read;
    read.line = line;
    read.message = std::move(message);
    return read;
}

}  // namespace

Field emptyField(int width, int height) {
    Field field;
    field.width = width;
    field.height = height;
    field.cells.assign(static_cast<std::size_t>(width) * height, 0);
    for (int r = 0; r < height; ++r) field.cells[static_cast<std::size_t>(r) * width + width - 1] |= cellWallRight;
    for (int c = 0; c < width; ++c) field.cells[static_cast<std::size_t>(height - 1) * width + c] |= cellWallDown;
    return field;
}

FieldRead readField(const std::string& text) {
    const std::vector<std::string> lines = splitLines(text);
    Field field;
    bool hasRobot = false;
    std::size_t robotLine = 0, finishLine = 0;
    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line[0] == '+') break;
        if (blank(line)) continue;
        if (line.compare(0, 2, "//") == 0) {
            field.notes.push_back(line);
        } else if (line.compare(0, robotWord.size(), robotWord) == 0) {
            if (!readPlace(line, robotWord, field.robotColumn, field.robotRow))
                return mistake(i + 1, "после «робот» нужны два числа: столбец и строка клетки, например «робот 1 1»");
            hasRobot = true;
            robotLine = i + 1;
        } else if (line.compare(0, finishWord.size(), finishWord) == 0) {
            if (!readPlace(line, finishWord, field.finishColumn, field.finishRow))
                return mistake(i + 1, "после «финиш» нужны два числа: столбец и строка клетки, например «финиш 5 3»");
            field.hasFinish = true;
            finishLine = i + 1;
        } else {
            return mistake(i + 1, "непонятная строка: до рисунка поля пишутся «робот X Y», «финиш X Y» и заметки "
                                  "после «//»; рисунок начинается строкой из «+» и «-»");
        }
    }
    if (i == lines.size()) return mistake(lines.size() + 1, "нет рисунка поля: он начинается строкой вида «+-+-+»");
    const std::size_t top = i;
    const std::string& first = lines[top];
    if (first.size() < 3 || first.size() % 2 == 0)
        return mistake(top + 1, "верхняя строка рисунка — «+» и «-» через один: «+-+-+» для поля в две клетки");
    const int width = static_cast<int>(first.size() / 2);
    std::size_t last = top;
    while (last < lines.size() && !blank(lines[last]) && (lines[last][0] == '+' || lines[last][0] == '|' || lines[last][0] == ' '))
        ++last;
    for (std::size_t j = last; j < lines.size(); ++j)
        if (!blank(lines[j])) return mistake(j + 1, "после рисунка поля ничего не пишется");
    const std::size_t pictureLines = last - top;
    if (pictureLines < 3 || pictureLines % 2 == 0)
        return mistake(last, "у рисунка поля должно быть нечётное число строк: строка стен, строка клеток, ... строка стен");
    const int height = static_cast<int>(pictureLines / 2);
    if (width > largestFieldSide || height > largestFieldSide)
        return mistake(top + 1, "поле больше 100×100 клеток");
    field.width = width;
    field.height = height;
    field.cells.assign(static_cast<std::size_t>(width) * height, 0);
    for (std::size_t k = 0; k < pictureLines; ++k) {
        const std::string& line = lines[top + k];
        const std::size_t number = top + k + 1;
        if (line.size() != first.size())
            return mistake(number, "строка рисунка длиной " + std::to_string(line.size()) + " знаков, а верхняя — " +
                                       std::to_string(first.size()) + ": все строки рисунка одной длины");
        const bool wallRow = k % 2 == 0;
        const int row = static_cast<int>(k / 2);
        for (std::size_t x = 0; x < line.size(); ++x) {
            const char ch = line[x];
            const bool evenX = x % 2 == 0;
            const int column = static_cast<int>(x / 2);
            if (wallRow && evenX) {
                if (ch != '+') return mistake(number, "на углах клеток стоит «+», а в знаке " + std::to_string(x + 1) + " — «" + std::string(1, ch) + "»");
            } else if (wallRow) {
                const bool border = k == 0 || k == pictureLines - 1;
                if (ch != '-' && ch != ' ')
                    return mistake(number, "между строками клеток — «-» (стена) или пробел, а в знаке " + std::to_string(x + 1) + " — «" + std::string(1, ch) + "»");
                if (border && ch != '-') return mistake(number, "край поля — всегда стена: в знаке " + std::to_string(x + 1) + " нужен «-»");
                if (ch == '-' && k > 0) field.cells[static_cast<std::size_t>(row - 1) * width + column] |= cellWallDown;
            } else if (evenX) {
                const bool border = x == 0 || x == line.size() - 1;
                if (ch != '|' && ch != ' ')
                    return mistake(number, "между клетками — «|» (стена) или пробел, а в знаке " + std::to_string(x + 1) + " — «" + std::string(1, ch) + "»");
                if (border && ch != '|') return mistake(number, "край поля — всегда стена: в знаке " + std::to_string(x + 1) + " нужен «|»");
                if (ch == '|' && x > 0) field.cells[static_cast<std::size_t>(row) * width + column - 1] |= cellWallRight;
            } else {
                std::uint8_t bits = 0;
                if (ch == '#') bits = cellPainted;
                else if (ch == '.') bits = cellMarked;
                else if (ch == '*') bits = cellPainted | cellMarked;
                else if (ch != ' ')
                    return mistake(number, "в клетке пишется пробел (чистая), «#» (закрашена), «.» (закрасить) или «*» "
                                           "(закрашена и её надо закрасить), а в знаке " + std::to_string(x + 1) + " — «" +
                                           std::string(1, ch) + "»");
                field.cells[static_cast<std::size_t>(row) * width + column] |= bits;
            }
        }
    }
    if (!hasRobot) return mistake(top + 1, "не сказано, где робот: перед рисунком напишите строку «робот 1 1» (столбец и строка)");
    if (field.robotColumn < 1 || field.robotColumn > width || field.robotRow < 1 || field.robotRow > height)
        return mistake(robotLine, "робот вне поля: столбцы от 1 до " + std::to_string(width) + ", строки от 1 до " + std::to_string(height));
    if (field.hasFinish && (field.finishColumn < 1 || field.finishColumn > width || field.finishRow < 1 || field.finishRow > height))
        return mistake(finishLine, "финиш вне поля: столбцы от 1 до " + std::to_string(width) + ", строки от 1 до " + std::to_string(height));
    --field.robotColumn;
    --field.robotRow;
    if (field.hasFinish) {
        --field.finishColumn;
        --field.finishRow;
    }
    FieldRead read;
    read.ok = true;
    read.field = std::move(field);
    return read;
}

std::string writeField(const Field& field) {
    std::string out;
    for (const std::string& note : field.notes) out += note + "\n";
    out += std::string(robotWord) + " " + std::to_string(field.robotColumn + 1) + " " + std::to_string(field.robotRow + 1) + "\n";
    if (field.hasFinish)
        out += std::string(finishWord) + " " + std::to_string(field.finishColumn + 1) + " " + std::to_string(field.finishRow + 1) + "\n";
    const int w = field.width;
    auto wallLine = [&](int rowAbove) {
        out += '+';
        for (int c = 0; c < w; ++c) out += (rowAbove < 0 || (field.at(c, rowAbove) & cellWallDown)) ? "-+" : " +";
        out += '\n';
    };
    wallLine(-1);
    for (int r = 0; r < field.height; ++r) {
        out += '|';
        for (int c = 0; c < w; ++c) {
            const std::uint8_t bits = field.at(c, r);
            const int paint = bits & (cellPainted | cellMarked);
            out += paint == 0 ? ' ' : paint == cellPainted ? '#' : paint == cellMarked ? '.' : '*';
            out += (bits & cellWallRight) ? '|' : ' ';
        }
        out += '\n';
        wallLine(r);
    }
    return out;
}

base::Json fieldJson(const Field& field) {
    const auto place = [](long long column, long long row) { return base::jsonArray({base::jsonNumber(column), base::jsonNumber(row)}); };
    std::string cells;
    for (const std::uint8_t bits : field.cells) cells += "0123456789abcdef"[bits & 15];
    return base::jsonObject({{"ш", base::jsonNumber(field.width)},
                             {"в", base::jsonNumber(field.height)},
                             {"р", place(field.robotColumn, field.robotRow)},
                             {"ф", field.hasFinish ? place(field.finishColumn, field.finishRow) : base::jsonNull()},
                             {"к", base::jsonString(std::move(cells))}});
}

}  // namespace tasks
