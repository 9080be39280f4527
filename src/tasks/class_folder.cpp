// Hand-in files, plain source names, the class settings, marks, the class grid and the common
// findings. Tests: tests/tasks/class_folder_test.cpp.
#include "tasks/class_folder.h"

#include <algorithm>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "base/text.h"

namespace tasks {

namespace {

bool digits(const std::string& text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string trimmed(const std::string& text) {
    std::size_t from = 0, to = text.size();
    while (from < to && (text[from] == ' ' || text[from] == '\t' || text[from] == '\r')) ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '\t' || text[to - 1] == '\r')) --to;
    return text.substr(from, to - from);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool parseHandInTime(const std::string& text, long long& seconds) {
    int y, mo, d, h, mi, s;
    if (text.size() < 20 || !digits(text, 0, 4, y) || text[4] != '-' || !digits(text, 5, 2, mo) || text[7] != '-' ||
        !digits(text, 8, 2, d) || text[10] != 'T' || !digits(text, 11, 2, h) || text[13] != ':' ||
        !digits(text, 14, 2, mi) || text[16] != ':' || !digits(text, 17, 2, s))
        return false;
    static const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (mo < 1 || mo > 12 || d < 1 || d > monthDays[mo - 1] || h > 23 || mi > 59 || s > 59) return false;
    int offset = 0;
    if (text.size() == 20 && text[19] == 'Z') {
        offset = 0;
    } else {
        int oh, om;
        if (text.size() != 25 || (text[19] != '+' && text[19] != '-') || !digits(text, 20, 2, oh) || text[22] != ':' ||
            !digits(text, 23, 2, om) || oh > 14 || om > 59)
            return false;
        offset = (oh * 60 + om) * 60 * (text[19] == '-' ? -1 : 1);
    }
    seconds = daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s - offset;
    return true;
}

HandInRead parseHandIn(const std::string& bytes) {
    HandInRead read;
    if (bytes.size() > handInLimit) {
        read.message = "файл больше 1 МБ: это не файл «Сдать»";
        return read;
    }
    base::CodePoints points;
    if (!base::decodeUtf8(bytes, points)) {
        read.message = "файл не в UTF-8: это не файл «Сдать»";
        return read;
    }
    const nlohmann::json value = nlohmann::json::parse(bytes, nullptr, false);
    if (value.is_discarded() || !value.is_object() || value.value("лум", nlohmann::json()) != "сдача") {
        read.message = "это не файл «Сдать» (его содержимое испорчено или он от другой программы)";
        return read;
    }
    HandIn& h = read.handIn;
    const auto text = [&](const char* name, std::string& to) {
        const auto it = value.find(name);
        if (it == value.end() || !it->is_string()) return false;
        to = it->get<std::string>();
        return true;
    };
    if (!text("ученик", h.pupil) || pupilKey(h.pupil).empty()) read.message = "в файле нет имени ученика";
    else if (base::decodeBytes(h.pupil).size() > 100) read.message = "имя ученика длиннее 100 знаков";
    else if (!text("задача", h.task) || trimmed(h.task).empty()) read.message = "в файле нет названия задачи";
    else if (!text("программа", h.program)) read.message = "в файле нет программы";
    else if (!text("время", h.time) || !parseHandInTime(h.time, h.seconds))
        read.message = "в файле нет времени сдачи или оно испорчено";
    if (!read.message.empty()) return read;
    h.pupil = trimmed(h.pupil);
    const auto check = value.find("проверка");
    if (check != value.end() && check->is_object()) {
        const auto count = [&](const char* name) {
            const auto it = check->find(name);
            return it != check->end() && it->is_number_integer() && it->get<long long>() >= 0 && it->get<long long>() < 100000
                       ? static_cast<int>(it->get<long long>())
                       : -1;
        };
        h.passed = count("пройдено");
        h.tests = count("тестов");
        if (h.passed < 0 || h.tests < 0 || h.passed > h.tests) h.passed = h.tests = -1;
    }
    read.ok = true;
    return read;
}

bool splitPlainName(const std::string& fileName, std::string& pupil, std::string& taskStem) {
    std::string stem = fileName;
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0) stem.resize(dot);
    const std::size_t dash = stem.rfind(" - ");
    if (dash == std::string::npos) return false;
    pupil = trimmed(stem.substr(0, dash));
    taskStem = trimmed(stem.substr(dash + 3));
    return !pupilKey(pupil).empty() && !taskStem.empty();
}

std::string pupilKey(const std::string& name) {
    base::CodePoints points = base::decodeBytes(name);
    base::CodePoints key;
    bool space = false;
    for (std::uint32_t c : points) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xA0) {
            space = !key.empty();
            continue;
        }
        if (space) key.push_back(' ');
        space = false;
        if ((c >= 'A' && c <= 'Z') || (c >= 0x410 && c <= 0x42F)) c += 0x20;
        else if (c == 0x401 || c == 0x451) c = 0x435;  // Ё, ё → е
        key.push_back(c);
    }
    return base::encodeUtf8(key);
}

SettingsRead parseClassSettings(const std::string& bytes) {
    SettingsRead read;
    base::CodePoints points;
    if (!base::decodeUtf8(bytes, points)) {
        read.message = "файл не в UTF-8: сохраните его в UTF-8";
        return read;
    }
    ClassSettings& s = read.settings;
    std::size_t from = 0, number = 0;
    bool inList = false;
    while (from <= bytes.size()) {
        std::size_t end = bytes.find('\n', from);
        if (end == std::string::npos) end = bytes.size();
        std::string line = trimmed(bytes.substr(from, end - from));
        if (number == 0 && line.rfind("\xEF\xBB\xBF", 0) == 0) line = trimmed(line.substr(3));
        ++number;
        from = end + 1;
        if (line.empty() || line[0] == '#') continue;
        const std::size_t colon = line.find(':');
        const std::string field = colon == std::string::npos ? "" : pupilKey(line.substr(0, colon));
        const std::string value = colon == std::string::npos ? "" : trimmed(line.substr(colon + 1));
        int* threshold = field == "оценка 5" ? &s.five : field == "оценка 4" ? &s.four : field == "оценка 3" ? &s.three : nullptr;
        if (threshold) {
            std::string n = value;
            if (!n.empty() && n.back() == '%') n = trimmed(n.substr(0, n.size() - 1));
            int percent = 0;
            if (n.empty() || n.size() > 3 || !digits(n, 0, n.size(), percent) || percent > 100) {
                read.line = number;
                read.message = "после «" + line.substr(0, colon + 1) + "» нужна доля пройденных тестов в процентах, от 0 до 100, например «" +
                               line.substr(0, colon + 1) + " 90»";
                return read;
            }
            *threshold = percent;
            inList = false;
        } else if (field == "ученики" || field == "ученик") {
            inList = field == "ученики";
            if (!value.empty()) s.pupils.push_back(value);
            else if (!inList) {
                read.line = number;
                read.message = "после «ученик:» нужно имя ученика";
                return read;
            }
        } else if (inList && colon == std::string::npos) {
            s.pupils.push_back(line);
        } else {
            read.line = number;
            read.message = "непонятная строка: нужно «оценка 5: 90», «оценка 4: 70», «оценка 3: 50» или «ученики:» и под ним "
                           "по имени в строке";
            return read;
        }
    }
    if (!(s.five >= s.four && s.four >= s.three)) {
        read.message = "пороги оценок должны идти по убыванию: у «оценка 5» не меньше, чем у «оценка 4», а у неё — не меньше, "
                       "чем у «оценка 3»";
        return read;
    }
    std::set<std::string> seen;
    std::vector<std::string> pupils;
    for (const std::string& p : s.pupils)
        if (seen.insert(pupilKey(p)).second) pupils.push_back(p);
    s.pupils = std::move(pupils);
    read.ok = true;
    return read;
}

int markFor(std::size_t passed, std::size_t total, const ClassSettings& settings) {
    if (total == 0) return 2;
    // Whole numbers only: passed/total >= p/100 exactly.
    const auto atLeast = [&](int percent) { return passed * 100 >= static_cast<std::size_t>(percent) * total; };
    return atLeast(settings.five) ? 5 : atLeast(settings.four) ? 4 : atLeast(settings.three) ? 3 : 2;
}

ClassGrid arrangeClass(const std::vector<Submission>& submissions, std::size_t taskCount, const std::vector<std::string>& roster) {
    ClassGrid grid;
    std::map<std::string, std::size_t> index;
    for (const std::string& name : roster)
        if (index.emplace(pupilKey(name), grid.pupils.size()).second) {
            grid.pupils.push_back(trimmed(name));
            grid.listed.push_back(true);
        }
    std::map<std::string, std::string> others;  // key → the name as first written
    for (const Submission& s : submissions)
        if (!index.count(pupilKey(s.pupil))) others.emplace(pupilKey(s.pupil), trimmed(s.pupil));
    for (const auto& [key, name] : others) {
        index.emplace(key, grid.pupils.size());
        grid.pupils.push_back(name);
        grid.listed.push_back(false);
    }
    grid.counting.assign(grid.pupils.size(), std::vector<std::size_t>(taskCount, ClassGrid::none));
    grid.earlier.assign(grid.pupils.size(), std::vector<std::vector<std::size_t>>(taskCount));
    for (std::size_t i = 0; i < submissions.size(); ++i) {
        const Submission& s = submissions[i];
        if (s.task >= taskCount) continue;
        const std::size_t p = index.at(pupilKey(s.pupil));
        std::size_t& best = grid.counting[p][s.task];
        if (best == ClassGrid::none) {
            best = i;
            continue;
        }
        const Submission& b = submissions[best];
        const bool newer = s.timed != b.timed ? s.timed : !s.timed || s.seconds >= b.seconds;
        grid.earlier[p][s.task].push_back(newer ? best : i);
        if (newer) best = i;
    }
    return grid;
}

std::vector<CommonFinding> commonFindings(const std::vector<std::pair<std::string, std::vector<Finding>>>& byPupil,
                                          std::size_t most) {
    std::vector<CommonFinding> found;
    std::map<std::string, std::size_t> at;
    for (const auto& [pupil, findings] : byPupil) {
        std::set<std::string> counted;
        for (const Finding& f : findings) {
            if (!counted.insert(f.key).second) continue;
            const auto [it, fresh] = at.emplace(f.key, found.size());
            if (fresh) found.push_back(CommonFinding{f.text, 0, pupil});
            ++found[it->second].count;
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const CommonFinding& a, const CommonFinding& b) { return a.count > b.count; });
    if (found.size() > most) found.resize(most);
    return found;
}

std::string withoutLineNumbers(const std::string& text) {
    std::string out;
    static const char* const words[] = {"строка ", "строки ", "строке "};
    for (std::size_t i = 0; i < text.size();) {
        std::size_t j = i;
        for (const char* w : words) {
            const std::string word = w;
            if (text.compare(i, word.size(), word) == 0) j = i + word.size();
        }
        if (j == i || j >= text.size() || !isDigit(text[j])) {
            out.push_back(text[i++]);
            continue;
        }
        const std::size_t wordEnd = j;
        while (j < text.size() && isDigit(text[j])) ++j;
        if (i == 0 && j < text.size() && text[j] == ':') {  // "строка 7: …" at the start goes whole
            ++j;
            while (j < text.size() && text[j] == ' ') ++j;
            i = j;
            continue;
        }
        out += text.substr(i, wordEnd - i) + "N";
        i = j;
    }
    return trimmed(out);
}

}  // namespace tasks
