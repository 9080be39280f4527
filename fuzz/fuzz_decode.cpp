// Decoding: never fails, valid UTF-8 round-trips byte for byte, CP1251 is one code point per byte.
#include "base/text.h"
#include "fuzz_support.h"

using namespace base;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    CodePoints utf8;
    const bool valid = decodeUtf8(bytes, utf8);
    CodePoints cp1251;
    decodeCp1251(bytes, cp1251);
    FUZZ_REQUIRE(cp1251.size() == bytes.size(), "CP1251 gave %zu code points for %zu bytes", cp1251.size(),
                 bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) FUZZ_REQUIRE(cp1251[i] == b);
        if (b >= 0xC0) FUZZ_REQUIRE(cp1251[i] == b + 0x350u);
        FUZZ_REQUIRE(cp1251[i] != 0 || b == 0);
    }

    const CodePoints decoded = decodeBytes(bytes);
    if (valid) {
        FUZZ_REQUIRE(decoded == utf8);
        FUZZ_REQUIRE(utf8.size() <= bytes.size());
        FUZZ_REQUIRE(encodeUtf8(utf8) == bytes, "valid UTF-8 did not round-trip");
        for (const std::uint32_t c : utf8) FUZZ_REQUIRE(c <= 0x1FFFFF);
    } else {
        FUZZ_REQUIRE(decoded == cp1251);
    }

    // Encoding any decoded text gives valid UTF-8 that decodes back to the same code points.
    const std::string reencoded = encodeUtf8(decoded);
    CodePoints again;
    FUZZ_REQUIRE(decodeUtf8(reencoded, again), "encodeUtf8 wrote invalid UTF-8");
    FUZZ_REQUIRE(again == decoded);

    // Line numbering: parallel arrays, from 1, rising by one after each line feed.
    const CodeText text = makeText(decoded);
    FUZZ_REQUIRE(text.chars.size() == text.lines.size());
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < text.chars.size(); ++i) {
        FUZZ_REQUIRE(text.lines[i] == line);
        if (text.chars[i] == 0x0A) ++line;
    }

    // The byte order mark goes only when the bytes are longer than two and start with it.
    std::string marked = bytes;
    dropByteOrderMark(marked);
    const bool hasMark = bytes.size() > 2 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    FUZZ_REQUIRE(marked == (hasMark ? bytes.substr(3) : bytes));
    return 0;
}
