// The task file reader: a whole task read right, and every kind of mistake named with its line.
#include <gtest/gtest.h>

#include "tasks/task.h"

using namespace tasks;

TEST(TaskFile, ReadsEveryField) {
    const TaskRead read = parseTask(
        "\xEF\xBB\xBF# комментарий\r\n"
        "Задача: Сумма\n"
        "условие: Сложите два числа.\n"
        "    Выведите сумму.\n"
        "\n"
        "время: 0,5\n"
        "сравнение: регистр не важен, порядок строк не важен, точность 0.01\n"
        "нужно: повторить, пока\n"
        "нельзя: Вывести\n"
        "тест:\n"
        "  ввод: 2\n"
        "  ввод:  3 \n"
        "  вывод: 5\n"
        "  вывод:\n"
        "тест: скрытый\n"
        "  вывод: 0\n");
    ASSERT_TRUE(read.ok) << read.line << ": " << read.message;
    const Task& t = read.task;
    EXPECT_EQ(t.title, "Сумма");
    EXPECT_EQ(t.statement, "Сложите два числа.\nВыведите сумму.");
    EXPECT_DOUBLE_EQ(t.seconds, 0.5);
    EXPECT_TRUE(t.comparison.ignoreCase && t.comparison.anyOrder);
    EXPECT_DOUBLE_EQ(t.comparison.tolerance, 0.01);
    EXPECT_EQ(t.mustUse, (std::vector<std::string>{"повторить", "пока"}));
    EXPECT_EQ(t.mustNotUse, (std::vector<std::string>{"вывести"}));
    ASSERT_EQ(t.tests.size(), 2u);
    EXPECT_EQ(t.tests[0].answers, (std::vector<std::string>{"2", " 3 "}));
    EXPECT_EQ(t.tests[0].expected, (std::vector<std::string>{"5", ""}));
    EXPECT_FALSE(t.tests[0].hidden);
    EXPECT_TRUE(t.tests[1].hidden);
    EXPECT_EQ(t.tests[1].line, 15u);
    EXPECT_EQ(t.salt.size(), 32u);
}

TEST(TaskFile, MistakesNameTheirLine) {
    const std::string head = "задача: З\nусловие: У\n";  // lines 1-2
    const std::string test = "тест:\nвывод: 1\n";
    const struct {
        std::string text;
        std::size_t line;
        std::string says;
    } cases[] = {
        {"условие: У\n" + test, 1, "нет названия"},
        {"задача: З\n" + test, 1, "нет условия"},
        {"задача: З\nусловие:\n" + test, 2, "нет условия"},
        {head, 2, "нет ни одного теста"},
        {head + "тест:\nввод: 1\n", 3, "нет ожидаемого вывода"},
        {head + "ввод: 1\n" + test, 3, "вне теста"},
        {head + "тест:\nответ: 1\n", 4, "неизвестное поле «ответ»"},
        {head + "тест:\nпросто текст\n", 4, "строка без поля"},
        {head + "время: две\n" + test, 3, "число секунд"},
        {head + "время: 0\n" + test, 3, "число секунд"},
        {head + "время: 61\n" + test, 3, "число секунд"},
        {head + "время: 1\nвремя: 2\n" + test, 4, "второе время"},
        {head + "задача: Ещё\n" + test, 3, "второе название"},
        {head + "условие: ещё\n" + test, 3, "второе условие"},
        {head + "сравнение: как угодно\n" + test, 3, "непонятное правило сравнения «как угодно»"},
        {head + "сравнение: точность -1\n" + test, 3, "после «точность» нужно число"},
        {head + "нужно:\n" + test, 3, "нужны слова"},
        {head + "нельзя: вывести(5)\n" + test, 3, "«вывести(5)» — не слово"},
        {head + "тест: секретный\nвывод: 1\n", 3, "только «скрытый»"},
        {head + test + "вывод: \xD0\n", 5, "UTF-8"},
    };
    for (const auto& c : cases) {
        const TaskRead read = parseTask(c.text);
        EXPECT_FALSE(read.ok) << c.text;
        EXPECT_EQ(read.line, c.line) << c.text;
        EXPECT_NE(read.message.find(c.says), std::string::npos) << c.text << "\n→ " << read.message;
    }
}

TEST(TaskFile, ErrorLineNamesFileAndLine) {
    TaskRead read = parseTask("задача: З\nответ: 1\n");
    EXPECT_EQ(taskErrorLine("/где/сумма.задача", read).rfind("Ошибка в задаче: сумма.задача, строка 2: неизвестное поле", 0), 0u);
    EXPECT_FALSE(readTaskFile("/нет/такой.задача").ok);
}

TEST(TaskFile, ExampleTasksRead) {
    for (const char* name : {"сумма", "таблица", "делители", "робот_вдоль_стены"}) {
        const TaskRead read = readTaskFile(std::string(LUM_SOURCE_DIR) + "/examples/задачи/" + name + ".задача");
        EXPECT_TRUE(read.ok) << name << ": " << read.line << ": " << read.message;
    }
}

TEST(TaskFile, FieldsAndFigures) {
    const std::string head = "задача: З\nусловие: у\n";
    const TaskRead ok = parseTask(head + "тест:\nполе:\n  робот 1 1\n  +-+-+\n  |.  |\n  +-+-+\n\nтест: скрытый\nввод: 2\n"
                                         "фигура: 0 0, 2 0, 2 1\nфигура: 5 5, 6 6\n");
    ASSERT_TRUE(ok.ok) << ok.message;
    ASSERT_EQ(ok.task.tests.size(), 2u);
    EXPECT_TRUE(ok.task.tests[0].hasField);
    EXPECT_EQ(writeField(ok.task.tests[0].field), "робот 1 1\n+-+-+\n|.  |\n+-+-+\n");
    EXPECT_EQ(ok.task.tests[1].figure, (std::vector<double>{0, 0, 2, 0, 2, 0, 2, 1, 5, 5, 6, 6}));
    const struct {
        std::string text;
        std::size_t line;
    } mistakes[] = {
        {"поле:\n", 3},                                            // outside a test
        {"тест:\nполе: коридор\n", 4},                             // the field goes under it
        {"тест:\nполе:\n  робот 1 1\n  +-+\n  |x|\n  +-+\n", 7},   // the field's own line
        {"тест:\nполе:\n+-+\n| |\n+-+\n", 5},                      // no robot
        {"тест:\nфигура: 0 0\n", 4},
        {"тест:\nфигура: 0 0, 1 а\n", 4},
        {"тест:\nввод: 1\n", 3},                                   // neither output, field nor figure
        {"тест:\nполе: шаблон, 0 полей, зерно 1\n", 4},
        {"тест:\nполе: шаблон, 2 поля\n", 4},
        {"тест:\nполе: шаблон, 2 поля, зерно 1\n  робот 1 1\n  растянуть столбец 2 от 1 до 2\n  +-+\n  | |\n  +-+\n", 6},
    };
    for (const auto& m : mistakes) {
        const TaskRead read = parseTask(head + m.text);
        EXPECT_FALSE(read.ok) << m.text;
        EXPECT_EQ(read.line, m.line) << m.text << read.message;
    }
    // A template becomes as many tests as it asks for, each with the test's input and visibility.
    const TaskRead made = parseTask(head + "тест:\nвывод: 1\nтест: скрытый\nввод: 4\nполе: шаблон, 3 поля, зерно 7\n"
                                           "  растянуть столбец 1 от 2 до 5\n  робот 1 1\n  +-+\n  |.|\n  +-+\n");
    ASSERT_TRUE(made.ok) << made.message;
    ASSERT_EQ(made.task.tests.size(), 4u);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_TRUE(made.task.tests[i].hidden && made.task.tests[i].hasField);
        EXPECT_EQ(made.task.tests[i].answers, std::vector<std::string>{"4"});
        EXPECT_GE(made.task.tests[i].field.width, 2);
    }
}
