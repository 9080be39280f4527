// LUM_TRACE: one line on standard error per accepted match, libraries first, nothing else.
#include <gtest/gtest.h>

#include "e2e/own_rules.h"

namespace {

class Trace : public testing::Test {
protected:
    ProcessResult compile(const std::optional<std::string>& trace) {
        ProcessOptions options;
        options.environment["LUM_HOME"] = home.path();
        options.environment["LUM_TRACE"] = trace;
        ProcessResult r = lum.run({src / "main.лумс"}, options);
        EXPECT_EQ(r.exitCode, 0) << r.out;
        return r;
    }

    TempFolder src, home;
    // The third pattern is 50 bytes long: the trace cuts it after 40, inside a letter; the
    // fourth matches only empty text and is never traced.
    LumWithRules lum{"b,B,g\nx+,X,gi\nпаттерн_из_сорока_пяти_байт,P,g\n\\b,E,g\n"};
};

TEST_F(Trace, OneLinePerAcceptedMatchInRuleAndPositionOrder) {
    writeFile(src / "lib.лумс", "xb");
    writeFile(src / "main.лумс", "ПБ lib\nb 'b' XXx паттерн_из_сорока_пяти_байт\n");
    const std::string cut = std::string("паттерн_из_сорока_пяти_байт").substr(0, 40);
    const ProcessResult r = compile("1");
    EXPECT_EQ(r.err,
              // the library is translated before the main text
              "[trace] match: len=1 pos=1 pat='b'\n"
              "[trace] match: len=1 pos=0 pat='x+'\n"
              // main text: the directive is gone, leaving "\nb 'b' XXx ..."
              "[trace] match: len=1 pos=1 pat='b'\n"
              "[trace] match: len=3 pos=7 pat='x+'\n"
              "[trace] match: len=27 pos=9 pat='" + cut + "'\n");
    EXPECT_NE(r.out.find("OK: "), std::string::npos);
}

TEST_F(Trace, AnEmptyValueStillTraces) {
    writeFile(src / "main.лумс", "b");
    EXPECT_EQ(compile("").err, "[trace] match: len=1 pos=0 pat='b'\n");
}

TEST_F(Trace, StandardErrorStaysEmptyWithoutTheVariable) {
    writeFile(src / "main.лумс", "b x 'b'");
    const ProcessResult r = compile(std::nullopt);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("OK: "), std::string::npos);
}

}  // namespace
