// The task modes' mistakes on the command line, before any browser runs: a broken task file, a
// missing folder or browser, and --task used where it cannot be.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"

TEST(TaskModes, MistakesAreSaidPlainly) {
    TempFolder folder;
    writeFile(folder / "плохая.задача", "задача: З\nусловие: У\nтест:\nвывод: 1\nвремя: много\n");
    writeFile(folder / "хорошая.задача", "задача: З\nусловие: У\nтест:\nвывод: 1\n");
    writeFile(folder / "а.лумс", "вывести(1)\n");
    makeFolder(folder / "пусто");
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"--check", folder / "плохая.задача", folder.path()}, "Ошибка в задаче: плохая.задача, строка 5: после «время:» нужно число секунд"},
        {{folder / "а.лумс", "--task", folder / "плохая.задача"}, "Ошибка в задаче: плохая.задача, строка 5:"},
        {{"--check", folder / "нет.задача", folder.path()}, "Ошибка в задаче: нет.задача: не удалось прочитать файл задачи"},
        {{"--check", folder / "хорошая.задача", folder / "нет"}, "Ошибка: нет такой папки с решениями"},
        {{"--check", folder / "хорошая.задача"}, "укажите папку с решениями"},
        {{"--check", folder / "хорошая.задача", folder.path(), "--browser", folder / "нет.exe"}, "Ошибка: браузер не найден"},
        {{"--check", folder / "хорошая.задача", folder / "пусто", "--browser", folder / "а.лумс"}, "в папке нет решений"},
        {{folder / "а.лумс", "-js", "--task", folder / "хорошая.задача"}, "пишет страницу задачи для одного файла"},
        {{folder / "а.лумс", "--task"}, "после --task нужен путь"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = runLum(c.args);
        EXPECT_EQ(r.exitCode, 1) << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    }
    EXPECT_FALSE(fileExists(folder / "а.html"));
    const ProcessResult ok = runLum({folder / "а.лумс", "--task", folder / "хорошая.задача"});
    EXPECT_EQ(ok.exitCode, 0) << ok.out;
    EXPECT_NE(readFile(folder / "а.html").find("Проверить"), std::string::npos);
}
