// Codecs, line numbering and the case mapping.
#include "base/text.h"

#include <gtest/gtest.h>
#include <iconv.h>

using namespace base;

namespace {

std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int x : b) s.push_back(static_cast<char>(x));
    return s;
}

TEST(Utf8, DecodesAndRejectsLikeTheStrictDecoder) {
    struct Row {
        std::string input;
        bool valid;
        CodePoints expected;  // when valid
    };
    const Row rows[] = {
        {"Привет", true, {0x41F, 0x440, 0x438, 0x432, 0x435, 0x442}},
        {"", true, {}},
        {bytes({0}), true, {0}},
        {bytes({0xED, 0xA0, 0x80}), true, {0xD800}},       // surrogates pass
        {bytes({0xF4, 0x90, 0x80, 0x80}), true, {0x110000}},  // past U+10FFFF passes
        {bytes({0xF7, 0xBF, 0xBF, 0xBF}), true, {0x1FFFFF}},
        {bytes({0xC0, 0x80}), false, {}},                  // overlong NUL
        {bytes({0xE0, 0x80, 0x80}), false, {}},
        {bytes({0xF0, 0x80, 0x80, 0x80}), false, {}},
        {bytes({0xBF}), false, {}},                         // lone continuation
        {bytes({0x61, 0xF8, 0x80, 0x80, 0x80, 0x80}), false, {}},
        {bytes({0xD0}), false, {}},                         // cut short by the end
        {bytes({0xD0, 0x41}), false, {}},                   // bad continuation
        {std::string("Привет").substr(0, 11), false, {}},
    };
    for (const Row& row : rows) {
        CodePoints out;
        EXPECT_EQ(decodeUtf8(row.input, out), row.valid) << row.input;
        if (row.valid) EXPECT_EQ(out, row.expected) << row.input;
    }
}

TEST(Utf8, InvalidInputFallsBackToCp1251AsAWhole) {
    // "Привет" without its last byte: every byte goes through the single-byte table.
    const std::string cut = std::string("Привет").substr(0, 11);
    const CodePoints out = decodeBytes(cut);
    ASSERT_EQ(out.size(), 11u);
    EXPECT_EQ(out[0], 0x0420u);  // 0xD0 -> Р
    EXPECT_EQ(decodeBytes(bytes({0xC0, 0x80})), (CodePoints{0x410, 0x402}));
}

TEST(Cp1251, EveryUpperByteAgreesWithIconv) {
    iconv_t cd = iconv_open("UTF-32LE", "CP1251");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x80; b <= 0xFF; ++b) {
        CodePoints ours;
        decodeCp1251(std::string(1, static_cast<char>(b)), ours);
        ASSERT_EQ(ours.size(), 1u);
        char in = static_cast<char>(b);
        char* inPtr = &in;
        std::size_t inLeft = 1;
        unsigned char out[8] = {};
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t outLeft = sizeof out;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (r == static_cast<std::size_t>(-1)) {
            // The only byte the published table leaves unassigned.
            EXPECT_EQ(b, 0x98);
            EXPECT_EQ(ours[0], 0x98u);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        const std::uint32_t theirs = out[0] | out[1] << 8 | out[2] << 16 | static_cast<std::uint32_t>(out[3]) << 24;
        EXPECT_EQ(ours[0], theirs) << "byte " << b;
    }
    iconv_close(cd);
}

TEST(Cp1251, LowerHalfIsAsciiAndOneCodePointPerByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    CodePoints out;
    decodeCp1251(all, out);
    ASSERT_EQ(out.size(), 256u);
    for (int b = 0; b < 0x80; ++b) EXPECT_EQ(out[b], static_cast<std::uint32_t>(b));
    EXPECT_EQ(out[0xA8], 0x401u);
    EXPECT_EQ(out[0xB8], 0x451u);
    EXPECT_EQ(out[0xB9], 0x2116u);
    EXPECT_EQ(out[0xC0], 0x410u);
    EXPECT_EQ(out[0xFF], 0x44Fu);
}

TEST(Utf8, EncodesOneToFourBytesAndRoundTrips) {
    EXPECT_EQ(encodeUtf8(CodePoints{0x41}), "A");
    EXPECT_EQ(encodeUtf8(CodePoints{0x416}), bytes({0xD0, 0x96}));
    EXPECT_EQ(encodeUtf8(CodePoints{0x20AC}), bytes({0xE2, 0x82, 0xAC}));
    EXPECT_EQ(encodeUtf8(CodePoints{0x1F600}), bytes({0xF0, 0x9F, 0x98, 0x80}));
    EXPECT_EQ(encodeUtf8(CodePoints{0xD800}), bytes({0xED, 0xA0, 0x80}));
    const std::string mixed = "a\x00Ж€😀\xED\xA0\x80" + bytes({0xF7, 0xBF, 0xBF, 0xBF});
    CodePoints decoded;
    ASSERT_TRUE(decodeUtf8(mixed, decoded));
    EXPECT_EQ(encodeUtf8(decoded), mixed);
}

TEST(Lines, NewlineBelongsToTheLineItEnds) {
    struct Row {
        std::string input;
        std::vector<std::uint32_t> lines;
    };
    const Row rows[] = {
        {"a\nb", {1, 1, 2}},
        {"a\r\nb", {1, 1, 1, 2}},
        {"\n\n", {1, 2}},
        {"", {}},
        {"x\n", {1, 1}},
    };
    for (const Row& row : rows) {
        const CodeText t = makeText(decodeBytes(row.input));
        EXPECT_EQ(t.lines, row.lines) << row.input;
        EXPECT_EQ(t.chars.size(), t.lines.size());
    }
}

TEST(Case, OnlyLatinAndRussianLettersMapUp) {
    EXPECT_EQ(toUpper(U'ё'), static_cast<std::uint32_t>(U'Ё'));
    EXPECT_EQ(toUpper(U'я'), static_cast<std::uint32_t>(U'Я'));
    EXPECT_EQ(toUpper(U'z'), static_cast<std::uint32_t>(U'Z'));
    EXPECT_EQ(toUpper(0xDF), 0xDFu);    // ß
    EXPECT_EQ(toUpper(0x453), 0x453u);  // ѓ
    EXPECT_EQ(toUpper(U'Я'), static_cast<std::uint32_t>(U'Я'));
    EXPECT_TRUE(sameLetter(U'я', U'Я'));
    EXPECT_TRUE(sameLetter(U'Ё', U'ё'));
    EXPECT_FALSE(sameLetter(U'е', U'ё'));
    EXPECT_FALSE(sameLetter(U'`', U'@'));
}

TEST(ByteOrderMark, DroppedOnlyWhenLongerThanTwoBytes) {
    std::string withMark = bytes({0xEF, 0xBB, 0xBF, 'a'});
    dropByteOrderMark(withMark);
    EXPECT_EQ(withMark, "a");
    std::string onlyMark = bytes({0xEF, 0xBB, 0xBF});
    dropByteOrderMark(onlyMark);
    EXPECT_EQ(onlyMark, "");
    std::string twoBytes = bytes({0xEF, 0xBB});
    dropByteOrderMark(twoBytes);
    EXPECT_EQ(twoBytes.size(), 2u);
}

}  // namespace
