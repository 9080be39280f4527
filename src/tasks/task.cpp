// The reader of task files: "поле: значение" lines, the statement's lines after "условие:", and
// the tests, each opened by "тест:". Tests: tests/tasks/task_file_test.cpp.
#include "tasks/task.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/paths.h"
#include "base/sha256.h"
#include "base/text.h"
#include "platform/files.h"
#include "tasks/field_template.h"

namespace tasks {

namespace {

// Every field a task file knows, in the order the documentation lists them.
constexpr const char* fields[] = {"задача", "условие", "время", "сравнение", "нужно", "нельзя", "тест", "ввод", "вывод", "поле", "фигура"};

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string trim(const std::string& s) {
    std::size_t from = 0, to = s.size();
    while (from < to && isSpace(s[from])) ++from;
    while (to > from && isSpace(s[to - 1])) --to;
    return s.substr(from, to - from);
}

std::string lowered(const std::string& utf8) {
    base::CodePoints points;
    if (!base::decodeUtf8(utf8, points)) return utf8;
    for (std::uint32_t& c : points) {
        if ((c >= 0x41 && c <= 0x5A) || (c >= 0x410 && c <= 0x42F)) c += 0x20;
        else if (c == 0x401) c = 0x451;
    }
    return base::encodeUtf8(points);
}

// The field a line starts with ("вывод:" → "вывод") and the text after its colon; "" when the
// line is no field line. The field's name may be written in capitals.
std::string fieldOf(const std::string& line, std::string& value) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) return "";
    const std::string name = lowered(trim(line.substr(0, colon)));
    for (const char* field : fields) {
        if (name == field) {
            value = line.substr(colon + 1);
            return name;
        }
    }
    return "";
}

// A number of the teacher's: "2", "0.5" or "0,5".
bool parseNumber(std::string text, double& out) {
    for (char& c : text)
        if (c == ',') c = '.';
    return readDecimal(text, out);
}

// A word the solution must or must not use: letters, digits and "_", any alphabet.
bool isWord(const std::string& word) {
    base::CodePoints points;
    if (word.empty() || !base::decodeUtf8(word, points)) return false;
    for (const std::uint32_t c : points) {
        const bool ascii = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        if (!ascii && (c < 0xC0 || c == 0xD7 || c == 0xF7)) return false;
    }
    return true;
}

// Words separated by commas or spaces.
std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + ",") {
        if (c == ',' || isSpace(c)) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    return words;
}

// The value of "ввод:" and "вывод:": what follows the colon, one space after it dropped.
std::string exactValue(const std::string& value) { return !value.empty() && value[0] == ' ' ? value.substr(1) : value; }

struct Reader {
    TaskRead read;
    bool inStatement = false;
    bool inField = false;
    std::size_t fieldLine = 0;
    std::string fieldText;
    // "поле: шаблон, 5 полей, зерно 2026": the test becomes that many tests, one per random field.
    struct Template {
        std::size_t test = 0;
        int count = 0;
        std::uint64_t seed = 0;
        FieldTemplate fieldTemplate;
    };
    bool inTemplate = false;
    Template pendingTemplate;
    std::vector<Template> templates;
    std::size_t titleLine = 0, statementLine = 0, timeLine = 0;
    std::vector<std::string> statement;

    bool fail(std::size_t line, std::string message) {
        read.line = line;
        read.message = std::move(message);
        return false;
    }

    bool comparison(std::size_t line, const std::string& value) {
        Comparison& c = read.task.comparison;
        std::string option;
        for (const char ch : value + ",") {
            if (ch != ',') {
                option.push_back(ch);
                continue;
            }
            const std::string o = lowered(trim(option));
            option.clear();
            double tolerance = 0;
            if (o.empty()) continue;
            if (o == "регистр не важен") c.ignoreCase = true;
            else if (o == "порядок строк не важен") c.anyOrder = true;
            else if (o.rfind("точность", 0) == 0) {
                if (!parseNumber(trim(o.substr(std::string("точность").size())), tolerance) || tolerance <= 0)
                    return fail(line, "после «точность» нужно число больше нуля, например «точность 0.01»");
                c.tolerance = tolerance;
            } else {
                return fail(line, "непонятное правило сравнения «" + trim(o) +
                                      "»: можно «регистр не важен», «порядок строк не важен», «точность 0.01» через запятую");
            }
        }
        return true;
    }

    bool words(std::size_t line, const std::string& field, const std::string& value) {
        const std::vector<std::string> list = splitWords(value);
        if (list.empty()) return fail(line, "после «" + field + ":» нужны слова через запятую, например «" + field + ": повторить»");
        for (const std::string& word : list) {
            if (!isWord(word))
                return fail(line, "«" + word + "» — не слово: в «" + field + ":» пишутся слова из букв, цифр и _ через запятую");
            (field == "нужно" ? read.task.mustUse : read.task.mustNotUse).push_back(lowered(word));
        }
        return true;
    }

    // The field lines gathered under "поле:", read when the next field or a blank line ends them.
    bool endField() {
        if (!inField) return true;
        inField = false;
        if (inTemplate) {
            inTemplate = false;
            const FieldTemplateRead got = readFieldTemplate(fieldText);
            if (!got.ok) return fail(fieldLine + got.line, "шаблон поля: " + got.message);
            pendingTemplate.test = read.task.tests.size() - 1;
            pendingTemplate.fieldTemplate = got.fieldTemplate;
            read.task.tests.back().field = got.fieldTemplate.base;
            read.task.tests.back().hasField = true;
            templates.push_back(pendingTemplate);
            return true;
        }
        const FieldRead field = readField(fieldText);
        if (!field.ok) return fail(fieldLine + field.line, "поле теста: " + field.message);
        read.task.tests.back().field = field.field;
        read.task.tests.back().hasField = true;
        return true;
    }

    // "шаблон, 5 полей, зерно 2026": from 1 to 100 fields, any whole seed.
    bool templateHeader(const std::string& text) {
        const std::vector<std::string> w = splitWords(text);
        if (w.size() != 5 || w[0] != "шаблон" || (w[2] != "поле" && w[2] != "поля" && w[2] != "полей") || w[3] != "зерно") return false;
        if (w[1].size() > 3 || w[1].find_first_not_of("0123456789") != std::string::npos) return false;
        if (w[4].empty() || w[4].size() > 18 || w[4].find_first_not_of("0123456789") != std::string::npos) return false;
        pendingTemplate.count = std::stoi(w[1]);
        pendingTemplate.seed = std::stoull(w[4]);
        return pendingTemplate.count >= 1 && pendingTemplate.count <= 100;
    }

    bool figure(std::size_t line, const std::string& text) {
        std::vector<double> points;
        std::string number;
        for (const char c : text + ",") {
            if (c == ',' || isSpace(c)) {
                double v = 0;
                if (!number.empty() && !parseNumber(number, v))
                    return fail(line, "«" + number + "» — не число: после «фигура:» пишутся точки «x y» через запятую, например «фигура: 0 0, 2 0, 2 3»");
                if (!number.empty()) points.push_back(v);
                number.clear();
            } else {
                number.push_back(c);
            }
        }
        if (points.size() < 4 || points.size() % 2)
            return fail(line, "после «фигура:» нужны хотя бы две точки «x y» через запятую, например «фигура: 0 0, 2 0, 2 3»");
        Test& test = read.task.tests.back();
        for (std::size_t i = 2; i + 1 < points.size(); i += 2)
            test.figure.insert(test.figure.end(), {points[i - 2], points[i - 1], points[i], points[i + 1]});
        test.hasFigure = true;
        return true;
    }

    bool field(std::size_t line, const std::string& name, const std::string& value) {
        Task& task = read.task;
        const std::string text = trim(value);
        inStatement = false;
        if (!endField()) return false;
        if ((name == "поле" || name == "фигура") && task.tests.empty())
            return fail(line, "«" + name + ":» стоит вне теста: напишите выше строку «тест:»");
        if (name == "поле") {
            if (task.tests.back().hasField) return fail(line, "второе поле в тесте: у каждого теста одно поле, для другого поля начните новый «тест:»");
            if (!text.empty() && !templateHeader(text))
                return fail(line, "поле пишется в строках под «поле:»: «робот X Y» и рисунок поля; "
                                  "для случайных полей — «поле: шаблон, 5 полей, зерно 2026» и шаблон под ним");
            inTemplate = !text.empty();
            inField = true;
            fieldLine = line;
            fieldText.clear();
            return true;
        }
        if (name == "фигура") return figure(line, text);
        if (name == "задача") {
            if (titleLine) return fail(line, "второе название задачи: «задача:» пишется один раз (первое — в строке " + std::to_string(titleLine) + ")");
            if (text.empty()) return fail(line, "после «задача:» напишите название задачи");
            titleLine = line;
            task.title = text;
        } else if (name == "условие") {
            if (statementLine) return fail(line, "второе условие: «условие:» пишется один раз (первое — в строке " + std::to_string(statementLine) + ")");
            statementLine = line;
            inStatement = true;
            if (!text.empty()) statement.push_back(text);
        } else if (name == "время") {
            double seconds = 0;
            if (timeLine) return fail(line, "второе время: «время:» пишется один раз (первое — в строке " + std::to_string(timeLine) + ")");
            if (!parseNumber(text, seconds) || seconds <= 0 || seconds > longestLimit)
                return fail(line, "после «время:» нужно число секунд больше 0 и не больше 60, например «время: 2»");
            timeLine = line;
            task.seconds = seconds;
        } else if (name == "сравнение") {
            return comparison(line, text);
        } else if (name == "нужно" || name == "нельзя") {
            return words(line, name, text);
        } else if (name == "тест") {
            const std::string kind = lowered(text);
            if (!kind.empty() && kind != "скрытый")
                return fail(line, "после «тест:» можно написать только «скрытый» (или ничего)");
            Test test;
            test.hidden = !kind.empty();
            test.line = line;
            task.tests.push_back(test);
        } else {  // ввод, вывод
            if (task.tests.empty()) return fail(line, "«" + name + ":» стоит вне теста: напишите выше строку «тест:»");
            (name == "ввод" ? task.tests.back().answers : task.tests.back().expected).push_back(exactValue(value));
        }
        return true;
    }

    bool line(std::size_t number, const std::string& text) {
        const std::string trimmed = trim(text);
        std::string value;
        const std::string name = fieldOf(text, value);
        if (!name.empty()) return field(number, name, value);
        if (inField && !trimmed.empty()) {
            fieldText += trimmed + "\n";  // indented under "поле:" as the teacher likes
            return true;
        }
        if (!endField()) return false;
        if (inStatement) {
            statement.push_back(trimmed);
            return true;
        }
        if (trimmed.empty() || trimmed[0] == '#') return true;
        const std::size_t colon = trimmed.find(':');
        if (colon != std::string::npos && colon > 0)
            return fail(number, "неизвестное поле «" + trim(trimmed.substr(0, colon)) +
                                    "»: поля — задача, условие, время, сравнение, нужно, нельзя, тест, ввод, вывод, поле, фигура");
        return fail(number, "строка без поля: пишите «поле: значение», а текст условия — в строках после «условие:»");
    }

    bool finish(std::size_t lastLine) {
        Task& task = read.task;
        if (!endField()) return false;
        for (auto t = templates.rbegin(); t != templates.rend(); ++t) {
            const Test model = task.tests[t->test];
            std::vector<Test> made;
            for (Field& field : randomFields(t->fieldTemplate, t->count, t->seed)) {
                made.push_back(model);
                made.back().field = std::move(field);
            }
            task.tests.erase(task.tests.begin() + static_cast<std::ptrdiff_t>(t->test));
            task.tests.insert(task.tests.begin() + static_cast<std::ptrdiff_t>(t->test), made.begin(), made.end());
        }
        while (!statement.empty() && statement.back().empty()) statement.pop_back();
        for (std::size_t i = 0; i < statement.size(); ++i) task.statement += (i ? "\n" : "") + statement[i];
        if (!titleLine) return fail(1, "нет названия: напишите первой строкой «задача: название задачи»");
        if (task.statement.empty())
            return fail(statementLine ? statementLine : titleLine,
                        "нет условия: напишите «условие:» и под ним текст задачи для ученика");
        if (task.tests.empty()) return fail(lastLine, "нет ни одного теста: добавьте «тест:», под ним «ввод:» и «вывод:»");
        for (const Test& test : task.tests)
            if (test.expected.empty() && !test.hasField && !test.hasFigure)
                return fail(test.line, "у теста нет ожидаемого вывода: добавьте под «тест:» строку «вывод: …» "
                                       "(пустая «вывод:» — пустая строка)");
        return true;
    }
};

}  // namespace

TaskRead parseTask(const std::string& input) {
    std::string bytes = input;
    base::dropByteOrderMark(bytes);
    Reader reader;
    std::size_t number = 0, from = 0;
    while (from < bytes.size()) {
        std::size_t end = bytes.find('\n', from);
        if (end == std::string::npos) end = bytes.size();
        std::string text = bytes.substr(from, end - from);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        ++number;
        base::CodePoints points;
        if (!base::decodeUtf8(text, points)) {
            reader.fail(number, "строка не в кодировке UTF-8: сохраните файл задачи в UTF-8");
            return reader.read;
        }
        if (!reader.line(number, text)) return reader.read;
        if (end == bytes.size()) break;
        from = end + 1;
    }
    if (!reader.finish(number ? number : 1)) return reader.read;
    reader.read.ok = true;
    reader.read.task.salt = base::sha256Hex(input).substr(0, 32);
    return reader.read;
}

TaskRead readTaskFile(const std::string& path) {
    std::string bytes;
    TaskRead read;
    if (!platform::readWholeFile(path, bytes)) {
        read.message = "не удалось прочитать файл задачи";
        return read;
    }
    if (bytes.size() > taskFileLimit) {
        read.message = "файл задачи больше 4 МБ: это не задача, написанная вручную";
        return read;
    }
    return parseTask(bytes);
}

std::string taskErrorLine(const std::string& path, const TaskRead& read) {
    return "Ошибка в задаче: " + base::fileNameOf(path) + (read.line ? ", строка " + std::to_string(read.line) : "") + ": " +
           read.message;
}

bool readDecimal(const std::string& text, double& out) {
    // Only digits, one point and a leading minus: strtod would take more ("inf", "0x1p3", spaces).
    if (text.empty() || text.find_first_not_of("-.0123456789") != std::string::npos) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

std::string secondsText(double seconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3g", seconds);
    std::string text = buffer;
    for (char& c : text)
        if (c == '.') c = ',';
    return text;
}

}  // namespace tasks
