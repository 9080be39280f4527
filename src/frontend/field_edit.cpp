// The playground's field editor and the core: reading a field file into the editor's JSON and
// writing the editor's data as the canonical file text.
// Tests: tests/frontend/field_edit_test.cpp.
#include "frontend/field_edit.h"

#include "base/json.h"
#include "base/text.h"
#include "tasks/field.h"

namespace frontend {

std::string fieldEditJson(std::string bytes) {
    base::dropByteOrderMark(bytes);
    const tasks::FieldRead read = tasks::readField(bytes);
    if (!read.ok)
        return base::compactJson(base::jsonObject({{"ok", base::jsonBool(false)},
                                                   {"line", base::jsonNumber(static_cast<long long>(read.line))},
                                                   {"message", base::jsonString(read.message)}}));
    return base::compactJson(base::jsonObject({{"ok", base::jsonBool(true)},
                                               {"field", tasks::fieldJson(read.field)},
                                               {"notes", base::jsonStrings(read.field.notes)}}));
}

std::string fieldEditText(const FieldEdit& edit) {
    const int w = edit.width, h = edit.height;
    const auto inside = [&](int column, int row) { return column >= 0 && column < w && row >= 0 && row < h; };
    if (w < 1 || h < 1 || w > tasks::largestFieldSide || h > tasks::largestFieldSide) return "";
    if (edit.cells.size() != static_cast<std::size_t>(w) * h || !inside(edit.robotColumn, edit.robotRow)) return "";
    const bool hasFinish = edit.finishColumn >= 0;
    if (hasFinish && !inside(edit.finishColumn, edit.finishRow)) return "";
    tasks::Field field = tasks::emptyField(w, h);  // the border walls
    for (std::size_t i = 0; i < edit.cells.size(); ++i) {
        const char d = edit.cells[i];
        const int bits = d >= '0' && d <= '9' ? d - '0' : d >= 'a' && d <= 'f' ? d - 'a' + 10 : -1;
        if (bits < 0) return "";
        field.cells[i] |= static_cast<std::uint8_t>(bits);
    }
    field.robotColumn = edit.robotColumn;
    field.robotRow = edit.robotRow;
    field.hasFinish = hasFinish;
    field.finishColumn = hasFinish ? edit.finishColumn : 0;
    field.finishRow = hasFinish ? edit.finishRow : 0;
    // Each note stays one comment line, so the text reads back as it was written.
    std::size_t start = 0;
    while (start < edit.notes.size()) {
        std::size_t end = edit.notes.find('\n', start);
        if (end == std::string::npos) end = edit.notes.size();
        std::string line = edit.notes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        field.notes.push_back(line.compare(0, 2, "//") == 0 ? line : "// " + line);
    }
    return tasks::writeField(field);
}

}  // namespace frontend
