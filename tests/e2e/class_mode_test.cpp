// lum --class's mistakes on the command line, before any browser runs: no folder, no tasks, a
// broken task or settings file, a folder without any work (whose other files are still listed).
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"

TEST(ClassMode, MistakesAreSaidPlainly) {
    TempFolder folder;
    makeFolder(folder / "пусто");
    makeFolder(folder / "настройки");
    makeFolder(folder / "без_работ");
    writeFile(folder / "плохая.задача", "задача: З\nусловие: У\n");
    for (const char* f : {"настройки", "без_работ"}) writeFile(folder / f + "/т.задача", "задача: Т\nусловие: У\nтест:\nвывод: 1\n");
    writeFile(folder / "настройки/класс.txt", "оценка 5: все\n");
    writeFile(folder / "без_работ/заметка.txt", "не работа");
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"--class"}, "--class папка_класса [задача.задача…]"},
        {{"--class", folder / "нет"}, "Ошибка: нет такой папки класса"},
        {{"--class", folder / "пусто"}, "в папке класса нет файлов задач (.задача)"},
        {{"--class", folder / "пусто", folder / "плохая.задача"}, "Ошибка в задаче: плохая.задача"},
        {{"--class", folder / "настройки"}, "Ошибка в настройках класса: класс.txt, строка 1: после «оценка 5:» нужна доля"},
        {{"--class", folder / "без_работ"}, "нет ни одной работы"},
        {{"--class", folder / "без_работ"}, "заметка.txt: не сдача"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = runLum(c.args);
        EXPECT_EQ(r.exitCode, 1) << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    }
}
