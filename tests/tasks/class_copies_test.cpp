// The copy finder on a table of honest solutions with planted copies among them: every copy
// (renamed, respaced, commented, independent lines swapped) is grouped with its original, and no
// two honest solutions are.
#include <gtest/gtest.h>

#include <map>

#include "tasks/class_copies.h"

using namespace tasks;

namespace {

const std::set<std::string> keywords = keywordSet({"пусть", "если", "то", "иначе", "конец", "пока", "делать", "повторить",
                                                   "раз", "вывести", "спросить_число", "равно", "и", "или", "не", "для",
                                                   "каждого", "из", "функция", "вернуть", "счётчик", "длина"});

std::string formOf(const std::string& source, std::size_t& tokens) { return copyForm(base::decodeBytes(source), keywords, tokens); }

}  // namespace

TEST(ClassCopies, PlantedCopiesAreFoundAndHonestSolutionsAreNot) {
    // "" as the original: an honest solution; otherwise the honest one it was copied from.
    const struct {
        const char* name;
        const char* original;
        const char* source;
    } table[] = {
        {"пока", "", "пусть н = спросить_число(\"Число?\")\nпусть сумма = 0\nпусть сколько = 0\nпусть д = 1\nпока д <= н делать\n"
                     "    если н % д равно 0 то\n        вывести(д)\n        сумма = сумма + д\n        сколько = сколько + 1\n    конец\n"
                     "    д = д + 1\nконец\nвывести(\"Среднее: \" + сумма / сколько)\n"},
        {"повторить", "", "пусть n = спросить_число(\"n\")\nпусть s = 0\nпусть k = 0\nповторить n раз\n    если n % счётчик равно 0 то\n"
                          "        вывести(счётчик)\n        s = s + счётчик\n        k = k + 1\n    конец\nконец\nвывести(\"Среднее: \" + s / k)\n"},
        {"массив", "", "пусть ч = спросить_число(\"Введите число\")\nпусть делители = []\nпусть i = 1\nпока i <= ч делать\n"
                       "    если ч % i равно 0 то делители.push(i) конец\n    i = i + 1\nконец\nпусть всего = 0\n"
                       "для каждого x из делители делать\n    вывести(x)\n    всего = всего + x\nконец\n"
                       "вывести(\"Среднее: \" + всего / делители.длина)\n"},
        {"функция", "", "функция делится(а, б)\n    вернуть а % б равно 0\nконец\nпусть число = спросить_число(\"?\")\nпусть сумма = 0\n"
                        "пусть штук = 0\nпусть д = 1\nпока д <= число делать\n    если делится(число, д) то\n        вывести(д)\n"
                        "        сумма = сумма + д\n        штук = штук + 1\n    конец\n    д = д + 1\nконец\nвывести(\"Среднее: \" + сумма / штук)\n"},
        {"с конца", "", "пусть н = спросить_число(\"Число?\")\nпусть сумма = 0\nпусть сколько = 0\nпусть д = н\nпока д > 0 делать\n"
                        "    если н % д равно 0 то\n        вывести(д)\n        сумма = сумма + д\n        сколько = сколько + 1\n    конец\n"
                        "    д = д - 1\nконец\nвывести(\"Среднее: \" + сумма / сколько)\n"},
        {"таблица", "", "пусть ч = спросить_число(\"Число?\")\nповторить 5 раз\n    вывести(ч + \" x \" + счётчик + \" = \" + ч * счётчик)\nконец\n"
                        "вывести(\"Готово\")\n"},
        {"таблица2", "", "пусть а = спросить_число(\"Какое число?\")\nпусть и2 = 1\nповторить 5 раз\n    вывести(а + \" x \" + и2 + \" = \" + а * и2)\n"
                         "    и2 = и2 + 1\nконец\n"},
        // The copies.
        {"имена", "пока", "пусть x = спросить_число(\"Число?\")\nпусть total = 0\nпусть cnt = 0\nпусть d = 1\nпока d <= x делать\n"
                          "    если x % d равно 0 то\n        вывести(d)\n        total = total + d\n        cnt = cnt + 1\n    конец\n"
                          "    d = d + 1\nконец\nвывести(\"Среднее: \" + total / cnt)\n"},
        {"пробелы и комментарии", "пока", "// моё решение!\nпусть н=спросить_число(\"Число?\")\n\n\nпусть сумма=0 /* сумма делителей */\n"
                                          "пусть сколько=0\nпусть д=1\nпока д<=н делать\nесли н%д равно 0 то\nвывести( д )\nсумма=сумма+д\n"
                                          "сколько=сколько+1 // ещё один\nконец\nд=д+1\nконец\n\nвывести(\"Среднее: \"+сумма/сколько)\n"},
        {"порядок", "пока", "пусть д = 1\nпусть сколько = 0\nпусть н = спросить_число(\"Число?\")\nпусть сумма = 0\nпока д <= н делать\n"
                            "    если н % д равно 0 то\n        вывести(д)\n        сколько = сколько + 1\n        сумма = сумма + д\n    конец\n"
                            "    д = д + 1\nконец\nвывести(\"Среднее: \" + сумма / сколько)\n"},
        {"всё сразу", "повторить", "// списал у соседа\nпусть a=спросить_число(\"n\")\nпусть c=0\nпусть b=0\nповторить a раз\n"
                                   "если a%счётчик равно 0 то\nвывести(счётчик)\nc=c+1\nb=b+счётчик\nконец\nконец\n"
                                   "вывести(\"Среднее: \"+b/c)\n"},
        {"функция переименована", "функция", "функция кратно(x, y)\n  вернуть x % y равно 0\nконец\nпусть штук = 0\nпусть v = спросить_число(\"?\")\n"
                                             "пусть сумма = 0\nпусть д = 1\nпока д <= v делать\n  если кратно(v, д) то\n    вывести(д)\n"
                                             "    сумма = сумма + д\n    штук = штук + 1\n  конец\n  д = д + 1\nконец\nвывести(\"Среднее: \" + сумма / штук)\n"},
    };
    std::vector<std::string> forms;
    std::vector<std::size_t> tokens;
    for (const auto& row : table) {
        std::size_t count = 0;
        forms.push_back(formOf(row.source, count));
        tokens.push_back(count);
    }
    std::map<std::size_t, std::size_t> groupOf;
    const auto groups = copyGroups(forms, tokens);
    for (std::size_t g = 0; g < groups.size(); ++g)
        for (const std::size_t i : groups[g]) groupOf[i] = g;
    const auto indexOf = [&](const std::string& name) {
        for (std::size_t i = 0; i < std::size(table); ++i)
            if (name == table[i].name) return i;
        return std::size(table);
    };
    std::size_t planted = 0, found = 0, honestPairs = 0;
    for (std::size_t i = 0; i < std::size(table); ++i) {
        if (*table[i].original) {
            ++planted;
            const std::size_t o = indexOf(table[i].original);
            const bool same = groupOf.count(i) && groupOf.count(o) && groupOf[i] == groupOf[o];
            found += same;
            EXPECT_TRUE(same) << table[i].name << ":\n" << forms[i] << "\nagainst\n" << forms[o];
        }
        for (std::size_t j = i + 1; j < std::size(table); ++j)
            if (!*table[i].original && !*table[j].original && groupOf.count(i) && groupOf.count(j) && groupOf[i] == groupOf[j]) {
                ++honestPairs;
                ADD_FAILURE() << "honest " << table[i].name << " and " << table[j].name << " grouped";
            }
    }
    std::printf("copies: %zu of %zu planted found, %zu honest pairs flagged\n", found, planted, honestPairs);
}

TEST(ClassCopies, ShortProgramsAndDependentLinesStayApart) {
    const struct {
        const char* a;
        const char* b;
        bool grouped;
    } cases[] = {
        // Too short to tell a copy from the one way to write it.
        {"вывести(5)\n", "вывести(5)\n", false},
        // A line that reads what the other assigns keeps its place: not the same program.
        {"пусть а = 1\nпусть б = а + 1\nвывести(а)\nвывести(б)\nвывести(а * б)\n",
         "пусть б = 1\nпусть а = б + 1\nвывести(а)\nвывести(б)\nвывести(а * б)\n", false},
        // Swapped independent lines whose texts are the same but for the names.
        {"пусть а = 0\nпусть б = 0\nа = а + 5\nвывести(а - б)\nвывести(б)\n",
         "пусть б = 0\nпусть а = 0\nа = а + 5\nвывести(а - б)\nвывести(б)\n", true},
        // A different string is a different program.
        {"пусть а = спросить_число(\"x\")\nвывести(а * 2 + 1)\nвывести(а)\n", "пусть а = спросить_число(\"y\")\nвывести(а * 2 + 1)\nвывести(а)\n", false},
        // A keyword in capitals is the same keyword; a renamed one is not a name.
        {"ПУСТЬ а = спросить_число(\"x\")\nвывести(а * 2 + 1)\nвывести(а)\n", "пусть б = спросить_число(\"x\")\nвывести(б * 2 + 1)\nвывести(б)\n", true},
    };
    for (const auto& c : cases) {
        std::size_t ta = 0, tb = 0;
        const std::vector<std::string> forms = {formOf(c.a, ta), formOf(c.b, tb)};
        EXPECT_EQ(copyGroups(forms, {ta, tb}).size() == 1, c.grouped) << c.a << "\n" << forms[0] << "\n" << forms[1];
    }
}
