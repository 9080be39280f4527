// The one message table: the page applies every row, the JavaScript file its own rows first, in
// the table's order, and the rest later, only where the browser wrote them.
#include "output/error_messages.h"

#include <gtest/gtest.h>

using namespace output;

namespace {

TEST(ErrorMessages, EachHandlerGetsItsRowsInTableOrder) {
    const std::string page = pageReplacements("  ");
    EXPECT_EQ(page.substr(0, page.find('\n')), "  .replace('Uncaught ', '')");
    EXPECT_EQ(page.substr(page.rfind('\n') + 1), "  .replace('Unexpected end of input', 'неожиданный конец ввода')");
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n') + 1, 17);
    EXPECT_EQ(fileReplacements(""),
              ".replace('Uncaught ', '')\n.replace('SyntaxError:', 'в синтаксисе:')\n"
              ".replace('ReferenceError:', 'при использовании ссылки:')\n"
              ".replace('is not defined', 'не определена/объявлена')\n.replace('TypeError:', 'типа:')\n"
              ".replace('is not a function', 'не является функцией')\n"
              ".replace('Assignment to constant variable', 'значение константы менять нельзя!')");
    const std::string later = fileLaterRows("");
    EXPECT_EQ(later.substr(0, later.find('\n')), "[\"Unexpected token\", \"неуместный символ\", \"\"],");
    EXPECT_NE(later.find("[\"missing\", \"пропущено\", \" ) after argument list\"]"), std::string::npos);
    EXPECT_EQ(std::count(later.begin(), later.end(), '\n') + 1, 10);
}

}  // namespace
