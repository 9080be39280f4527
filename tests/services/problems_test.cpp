// The editor's problems against a real compile's report, and the quick fix of each hint that
// names an edit, applied.
#include "services/problems.h"

#include <gtest/gtest.h>

#include "output/compile.h"
#include "platform/files.h"
#include "rules/rulesfile.h"
#include "support/temp_folder.h"

namespace {

const services::Language& builtIn() {
    static const services::Language language = [] {
        std::vector<rules::Rule> table;
        base::WarningList warnings;
        rules::loadRules(std::string(LUM_SOURCE_DIR) + "/src/keywords.csv", table, warnings);
        return services::makeLanguage(rules::loadedRules(std::move(table)));
    }();
    return language;
}

// The problems say what a compile of the same text says, in its order: warnings, then hints.
TEST(Problems, SayWhatACompileSays) {
    const char* sources[] = {
        "пусть x = 1\nесли x > 1\n  вывести(x)\nконец\n",
        "еслиб 1 то\nконец\nконец\n",
        "вывести(\"a)\nпусть y = 2,5\n",
        "ПБ нет_такой\nпусть a = [1, 2\nprint(a)\n",
        "пуcть k = 1\nдля каждого e в [1] делать\nконец\n",
    };
    TempFolder folder;
    for (const char* source : sources) {
        writeFile(folder / "p.лумс", source);
        const output::CompileReport report = output::compileFile(
            folder / "p.лумс", {}, {builtIn().loaded});
        std::vector<std::string> expected;
        for (const base::Finding& w : report.warnings) expected.push_back(w.text);
        for (const diagnostics::Hint& h : report.hints) expected.push_back(h.text);
        const services::Analysis a = services::analyse(services::makeText(source), folder.path(), builtIn());
        std::vector<std::string> got;
        for (const services::Problem& p : a.problems) got.push_back(p.message);
        ASSERT_EQ(got.size(), expected.size()) << source;
        for (std::size_t i = 0; i < got.size(); ++i)  // the hints lose their "строка N: "
            EXPECT_NE(expected[i].find(got[i]), std::string::npos) << source << "\n" << expected[i] << "\n" << got[i];
    }
}

// Each hint that names an edit offers it; applied, the line reads as the learner meant.
TEST(Problems, QuickFixesMendTheLine) {
    struct Row {
        const char* source;
        const char* title;
        const char* mended;  // the hint's line after the fix
    };
    const Row rows[] = {
        {"еслиб 1 > 0 то\nконец\n", "Заменить на «если»", "если 1 > 0 то"},
        {"пуcть x = 1\n", "Заменить на «пусть»", "пусть x = 1"},  // a Latin "c"
        {"print(1)\n", "Заменить на «вывести»", "вывести(1)"},
        {"пусть x = 3,5\n", "Заменить на «3.5»", "пусть x = 3.5"},
        {"для каждого e в [1, 2] делать\n  вывести(e)\nконец\n", "Заменить на «из»", "для каждого e из [1, 2] делать"},
        {"пусть x = 1\nесли x = 1 то\nконец\n", "Заменить на «равно»", "если x равно 1 то"},
        {"пусть x = 1\nx равно 2\n", "Заменить на «=»", "x = 2"},
        {"если 1 > 0\n  вывести(1)\nконец\n", "Дописать «то»", "если 1 > 0 то"},
        {"функция ф(а)  // считает\n  вернуть а\nконец\n", "Дописать «:»", "функция ф(а):  // считает"},
        {"вывести(1)\nконец\n", "Убрать «конец»", ""},
    };
    for (const Row& row : rows) {
        const services::Text text = services::makeText(row.source);
        const services::Analysis a = services::analyse(text, ".", builtIn());
        const services::Problem* fixed = nullptr;
        for (const services::Problem& p : a.problems)
            if (p.hasFix && !fixed) fixed = &p;
        ASSERT_TRUE(fixed) << row.source;
        EXPECT_EQ(fixed->fixTitle, row.title) << row.source;
        const std::uint32_t line = fixed->fixRange.from.line;
        const std::size_t start = text.lineStarts[line];
        base::CodePoints mended(text.chars.begin() + start, text.chars.begin() + text.lineEnd(line));
        const base::CodePoints fix = base::decodeBytes(fixed->fix);
        mended.erase(mended.begin() + fixed->fixRange.from.column, mended.begin() + fixed->fixRange.to.column);
        mended.insert(mended.begin() + fixed->fixRange.from.column, fix.begin(), fix.end());
        EXPECT_EQ(base::encodeUtf8(mended), row.mended) << row.source;
    }
}

}  // namespace
