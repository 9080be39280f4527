// The hints pass, one table per kind of mistake with the near misses that must stay silent, read
// with the project's rules, a teacher's English ones and a table that tells too little; the
// near-word search against trying every known word.
#include "diagnostics/hints.h"

#include <gtest/gtest.h>

#include <random>

#include "diagnostics/near_words.h"
#include "platform/files.h"
#include "support/temp_folder.h"
#include "translator/translator_helpers.h"

using namespace base;
using namespace platform;
using namespace rules;
using namespace diagnostics;

namespace {

std::vector<Rule> rulesFrom(const std::string& csv) {
    WarningList warnings;
    return parseRules("pattern,replacement,flags\n" + csv, warnings);
}

const char* const english = "\\bwhen\\b,if (,gi\n\\bthen\\b,) {,gi\n\\bdone\\b,},gi\n\\bis\\b,==,gi\n"
                            "\\bsay\\b,console.log,gi\n\\bmake\\b,let,gi\n\\bloop\\b,while (,gi\n\\bdo\\b,) {,gi\n";

// The hints for `source`, one per line.
std::string hintsOf(const std::string& source, const std::vector<Rule>& rules = projectRules()) {
    std::string out;
    for (const Hint& h : findHints(makeText(decodeBytes(source)), loadedRules(rules), {}))
        out += (out.empty() ? "" : "\n") + h.text;
    return out;
}

using Rows = std::vector<std::pair<std::string, std::string>>;

void expectHints(const Rows& rows, const std::vector<Rule>& rules = projectRules()) {
    for (const auto& [source, hints] : rows) EXPECT_EQ(hintsOf(source, rules), hints) << source;
}

const std::string notClosed = "» не закрыт словом «конец» — допишите «конец» после последней строки блока";

TEST(Hints, BlocksNeverClosedOrClosedTwice) {
    expectHints({
        {"если а то\n  вывести(1)\n", "строка 1: «если" + notClosed},
        {"функция ф(x):\n  если x то\n    вывести(x)\nконец\n", "строка 2: «если" + notClosed},
        {"если а то\n  вывести(1)\nиначе если б то\n  вывести(2)\nиначе\n  вывести(3)\n", "строка 1: «если" + notClosed},
        {"пусть к = функция(x): вернуть x\nвывести(к(1))\n", "строка 1: «функция" + notClosed},
        {"вывести(1)\nконец\n", "строка 2: здесь нечего закрывать — уберите лишнее слово «конец»"},
        {"иначе\n", "строка 1: перед «иначе» нет открытого блока — проверьте строки выше"},
        {"если(а > 1) {\n  вывести(1)\n",
         "строка 1: «если» не закрыт скобкой «}» — допишите «}» после последней строки блока"},
        // Silent: closed on the line, closers at the body's indentation, indentation that is no guide.
        {"если а то вывести(1) конец\nпри нажатии клавиши\n  вывести(клавиша)\nконец\n", ""},
        {"функция ф():\n  если а то\n    вывести(1)\n    конец\n  конец\n", ""},
        {"если а то\nесли б то\nвывести(1)\nконец\nконец\n", ""},
        {"если а то\n  если б то вывести(1)\nконец\nконец\n", ""},
    });
    expectHints({{"when x then\n  say(1)\n",
                  "строка 1: «when» не закрыт словом «done» — допишите «done» после последней строки блока"}},
                rulesFrom(english));
    // No closing word in the table: nothing to suggest.
    expectHints({{"если а то\n", ""}}, rulesFrom("\\bесли\\b,if (,gi\n\\bто\\b,) {,gi\n"));
}

TEST(Hints, HeadersNotFinishedOnTheirLine) {
    const std::string missing = "» не хватает слова «";
    expectHints({
        {"если оценка равно 5\n  вывести(1)\nконец\n", "строка 1: после «если оценка равно 5" + missing + "то» — допишите его в конце строки"},
        {"пока x меньше 3 // до трёх\nконец\n", "строка 1: после «пока x меньше 3" + missing + "делать» — допишите его в конце строки"},
        {"повторить 3\nконец\n", "строка 1: после «повторить 3" + missing + "раз» — допишите его в конце строки"},
        {"если а тогда\nконец\nесли б\nконец\n", "строка 3: после «если б" + missing + "тогда» — допишите его в конце строки"},
        {"если x больше 5)\nконец\n", "строка 1: после «если x больше 5)" + missing + "то» — допишите его в конце строки"},
        // Silent: a header carried on to the next line, the bracket form, a one-line block.
        {"если x больше 1 и\n   y меньше 2 то\n  вывести(1)\nконец\n", ""},
        {"если(x > 1) {\n}\nпока(x < 1) {\n}\n", ""},
        {"если x то вывести(1) конец\nповторить 2 раза делать\nконец\n", ""},
    });
    expectHints({{"loop x is 1\n  say(x)\ndone\n", "строка 1: после «loop x is 1" + missing + "do» — допишите его в конце строки"}},
                rulesFrom(english));
}

TEST(Hints, StringsThatRunPastTheirLine) {
    expectHints({
        {"вывести(\"привет)\nвывести(\"пока\")\n",
         "строка 1: кавычка \" не закрыта до конца строки (её пара — на строке 2) — закройте её на этой же строке"},
        {"// это об'ясняю\nпусть а = 1\nвывести(а)\n// вот'\n",
         "строка 1: кавычка ' в комментарии («об'ясняю») открыла текст в кавычках, и строки 2–3 не переведены — уберите её"},
        {"/* it's */\nвывести(1)\n'а'\n",
         "строка 1: кавычка ' в комментарии («it's») открыла текст в кавычках, и строка 2 не переведена — уберите её"},
        // Past a swallowed line end nothing else is told.
        {"вывести(\"а)\nесле(\"б\")\nконец\n",
         "строка 1: кавычка \" не закрыта до конца строки (её пара — на строке 2) — закройте её на этой же строке"},
        // Silent: pairs inside a comment, only comments swallowed, a continued line, no partner at all.
        {"// it's 'fine'\nвывести(1)\n", ""},
        {"// об'ясняю\n// вот'\n", ""},
        {"вывести(\"а\\\nб\")\n", ""},
        {"вывести(\"а)\n", ""},
    });
}

TEST(Hints, WordsOneTypingMistakeFromAKnownOne) {
    const auto unknown = [](int line, const std::string& word, const std::string& known) {
        return "строка " + std::to_string(line) + ": незнакомое слово «" + word + "» — может быть, «" + known + "»?";
    };
    expectHints({
        {"вывести(есле)\n", unknown(1, "есле", "если")},
        {"вывести(ОКРГУЛИТЬ(2.5))\n", unknown(1, "ОКРГУЛИТЬ", "округлить")},
        {"пусть счёт = 1\nвывести(счот)\n", unknown(2, "счот", "счёт")},
        {"пусть к = квадартный_корнь(4)\n", unknown(1, "квадартный_корнь", "квадратный_корень")},
        {"пусть м = [1]\nм.добавит(2)\n", unknown(2, "добавит", "добавить")},
        {"ПБ расширенной математики\nвывести(кв_кореннь(4))\n", unknown(2, "кв_кореннь", "кв_корень")},
        // Silent: defined names, JavaScript, short words, keys, strings and comments, two mistakes in
        // a short word, a library's own method.
        {"пусть конем = 1\nвывести(конем)\nфункция ф(длинна): вернуть длинна конец\n", ""},
        {"вывести(Math.floor(1), есл)\nпусть т = {длинна: 1}\nвывести(т.длинна)\n", ""},
        {"// есле\nвывести(\"есле\")\nвывести(ексле)\n", ""},
        {"ПБ расширенной математики\nпусть я = new ЛУМС(1, функция(з): вывести(з) конец, \"number\")\nя.изменить(2)\n", ""},
    });
    expectHints({{"make score = 1\nsay(scroe)\n", unknown(2, "scroe", "score")}}, rulesFrom(english));
}

TEST(Hints, WordsOfMixedAlphabets) {
    expectHints({
        {"покa истина делать\nконец\n", "строка 1: в слове «покa» латинская буква «a» — наберите её русской"},
        {"вывести(cчёт, cчёт)\n", "строка 1: в слове «cчёт» латинская буква «c» — наберите её русской"},
        {"вывести(кoнeц)\n", "строка 1: в слове «кoнeц» латинские буквы «o», «e» — наберите их русскими"},
        {"say(sаy)\n", "строка 1: в слове «sаy» русская буква «а» — наберите её латинской"},
        // Silent: parts apart, names the rules write, a name the program defines.
        {"пусть мишень_x = 1\nвывести(мишень_x, щелчок_x)\nпусть скоростьX = 2\nвывести(скоростьX)\n", ""},
    });
}

TEST(Hints, AssignmentInsideACondition) {
    const std::string assigns = "«=» присваивает; чтобы сравнить, пишите «равно»";
    expectHints({
        {"если а = 1 то\nконец\n", "строка 1: " + assigns},
        {"пока а = 1 делать\nконец\nесли(б = 2) {\n}\n", "строка 1: " + assigns + "\nстрока 3: " + assigns},
        // Silent: comparisons, "=" after the header or outside one, arrows.
        {"если а == 1 или а >= 2 или а != 3 или а <= 4 то б = 1 конец\n", ""},
        {"пусть а = 1\nдля каждого x из [1] делать\nконец\nесли f(x => x) то\nконец\n", ""},
    });
    expectHints({{"when x = 1 then\ndone\n", "строка 1: «=» присваивает; чтобы сравнить, пишите «is»"}}, rulesFrom(english));
    expectHints({{"если а = 1 то\nконец\n", ""}}, rulesFrom("\\bесли\\b,if (,gi\n\\bто\\b,) {,gi\n\\bконец\\b,},gi\n"));
}

TEST(Hints, SlipsToldWhereNoReadingCouldBeRight) {
    expectHints({
        {"функция ф(x)\n  вывести(x)\nконец\n", "строка 1: после «функция ф(x)» не хватает «:» — допишите «:» в конце строки"},
        {"print(\"привет\")\nпусть а = input()\nвывести(True)\n",
         "строка 1: «print» — слово другого языка; в ЛУМ скрипте пишут «вывести»\n"
         "строка 2: «input» — слово другого языка; в ЛУМ скрипте пишут «спросить»\n"
         "строка 3: «True» — слово другого языка; в ЛУМ скрипте пишут «истина»"},
        {"пусть x = 3,5\nx = 10,25 // дробь\n", "строка 1: в числе «3,5» дробную часть отделяют точкой, а не запятой — пишите 3.5\n"
                                                 "строка 2: в числе «10,25» дробную часть отделяют точкой, а не запятой — пишите 10.25"},
        {"пусть x равно 5\n  x равно x + 1\n", "строка 1: «равно» сравнивает, а значение даёт знак «=» — пишите «пусть x = 5»\n"
                                               "строка 2: «равно» сравнивает, а значение даёт знак «=» — пишите «x = x + 1»"},
        {"для каждого x в [1, 2] делать\nконец\n",
         "строка 1: в цикле «для каждого» пишут «из», а не «в» — для каждого x из [1, 2] делать"},
        // A one-line block without its header word is tried at run time, not guessed here.
        {"если x больше 0 вывести(x) конец\n", ""},
        // Silent: the look-alikes.
        {"функция ф(x):\nконец\nфункция г(x)\n{\n}\nпусть ф2 = функция(x): вернуть x конец\n", ""},
        {"пусть print2 = 1\nпусть end = 2\nвывести(end, print2)\n", ""},
        {"вывести(3,5)\nпусть м = [1,2]\nпусть x = 1, y = 2\nкруг(1,2,3)\n", ""},
        {"если x равно 5 то\nконец\nпока\n  x равно 5 делать\nконец\nпусть б = x равно 5\nвывести(x равно 5)\n", ""},
        {"для каждого в из [1] делать\n  вывести(в)\nконец\n", ""},
    });
}

// Against trying every known word with the distance itself, on random look-alike words.
TEST(NearWords, FindWhatTryingEveryWordFinds) {
    std::mt19937 random(7);
    const std::u32string letters = U"абвгдеё";
    auto word = [&](std::size_t length) {
        std::u32string w;
        for (std::size_t i = 0; i < length; ++i) w += letters[random() % letters.size()];
        return w;
    };
    std::vector<KnownWord> known;
    std::vector<std::u32string> queries;
    for (int i = 0; i < 300; ++i) known.push_back({word(3 + random() % 8), random() % 2 == 0});
    for (int i = 0; i < 300; ++i) queries.push_back(word(4 + random() % 8));
    const std::vector<int> found = nearestKnownWords(queries, known);
    for (std::size_t q = 0; q < queries.size(); ++q) {
        int best = -1, bestDistance = 0;
        for (std::size_t k = 0; k < known.size(); ++k) {
            std::u32string a = queries[q], b = known[k].word;
            if (known[k].foldCase)
                for (std::u32string* s : {&a, &b})
                    for (char32_t& c : *s) c = toUpper(c);
            const int d = typingDistance(a, b, allowedMistakes(queries[q].size()));
            if (d == 0 || d > allowedMistakes(queries[q].size())) continue;
            if (best < 0 || d < bestDistance) best = static_cast<int>(k), bestDistance = d;
        }
        EXPECT_EQ(found[q], best) << q;
    }
    EXPECT_EQ(typingDistance(U"кргу", U"круг", 1), 1);
    EXPECT_EQ(typingDistance(U"есле", U"если", 1), 1);
    EXPECT_EQ(typingDistance(U"абвгд", U"вгдаб", 2), 3);
}

}  // namespace
