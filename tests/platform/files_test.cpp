// The atomic write's temporaries: named past guessing, never written through what is there,
// and swept once their writer is gone.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <set>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "support/temp_folder.h"

using namespace platform;

namespace {

struct NameCase {
    std::string name;
    bool temporary;
    std::string output;
    int id;
};

class TemporaryNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(TemporaryNameTest, Parses) {
    std::string output;
    int id = 0;
    ASSERT_EQ(parseTemporaryName(GetParam().name, output, id), GetParam().temporary) << GetParam().name;
    if (!GetParam().temporary) return;
    EXPECT_EQ(output, GetParam().output);
    EXPECT_EQ(id, GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(Names, TemporaryNameTest,
                         testing::Values(NameCase{"игра.html.lum-4242-0123456789abcdef.tmp", true, "игра.html", 4242},
                                         // Another program's name (or an older form): not ours to remove.
                                         NameCase{"игра.html.lum-17.tmp", false, "", 0},
                                         NameCase{"a.lum-1.js.lum-9-ffffffffffffffff.tmp", true, "a.lum-1.js", 9},
                                         NameCase{"игра.html.lum--0123456789abcdef.tmp", false, "", 0},
                                         NameCase{"игра.html.lum-12-0123456789ABCDEF.tmp", false, "", 0},
                                         NameCase{"игра.html.lum-x.tmp", false, "", 0},
                                         NameCase{".lum-12.tmp", false, "", 0},
                                         NameCase{"игра.html.lum-12345678901.tmp", false, "", 0},
                                         NameCase{"заметки.tmp", false, "", 0}));

TEST(AtomicWrite, NeverWritesThroughWhatIsThereAndLeavesNoTemporary) {
    TempFolder dir;
    writeFile(dir / "taken", "keep");
    EXPECT_EQ(platform::createNewFile(dir / "taken"), nullptr);
    EXPECT_EQ(readFile(dir / "taken"), "keep");
#ifndef _WIN32
    // A planted link, to a file or to nowhere, is not followed.
    ASSERT_EQ(::symlink((dir / "taken").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "dangling").c_str()), 0);
    EXPECT_EQ(platform::createNewFile(dir / "link"), nullptr);
    EXPECT_EQ(platform::createNewFile(dir / "dangling"), nullptr);
    EXPECT_EQ(readFile(dir / "taken"), "keep");
    EXPECT_FALSE(fileExists(dir / "nowhere"));
#endif
    ASSERT_TRUE(writeFileAtomically(dir / "out.html", "страница"));
    ASSERT_TRUE(writeFileAtomically(dir / "out.html", "страница 2"));
    EXPECT_EQ(readFile(dir / "out.html"), "страница 2");
#ifndef _WIN32
    EXPECT_EQ(listNames(dir.path()), "dangling link out.html taken");
#endif
}

TEST(AtomicWrite, TemporariesOfProcessesThatAreGoneAreSwept) {
    TempFolder dir;
    const std::string own = std::to_string(platform::processId());
    // Far above any process id the systems hand out.
    const std::string gone = "999999999";
    for (const std::string& name : {"a.html.lum-" + gone + "-0123456789abcdef.tmp", "a.html.lum-" + gone + ".tmp",
                                    "a.html.lum-" + own + "-0123456789abcdef.tmp",
                                    "b.html.lum-" + gone + "-0123456789abcdef.tmp", std::string("a.html.tmp")})
        writeFile(dir / name, "x");
    // The names in byte order, as listNames gives them.
    auto names = [](std::set<std::string> set) {
        std::string out;
        for (const std::string& name : set) out += (out.empty() ? "" : " ") + name;
        return out;
    };
    const std::string ownName = "a.html.lum-" + own + "-0123456789abcdef.tmp";
    removeStaleTemporaries(dir.path(), {"a.html"});
    EXPECT_EQ(listNames(dir.path()), names({"a.html.lum-" + gone + ".tmp", ownName, "a.html.tmp",
                                            "b.html.lum-" + gone + "-0123456789abcdef.tmp"}));
    removeStaleTemporaries(dir.path(), {"c.html", "b.html"});
    EXPECT_EQ(listNames(dir.path()), names({"a.html.lum-" + gone + ".tmp", ownName, "a.html.tmp"}));
}

}  // namespace
