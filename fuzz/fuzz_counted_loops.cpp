// Counted loops: expandCountedLoops against the plain reading of the header rule that the
// equivalence tests keep, plus the line invariants of every pass.
#include "fuzz_support.h"
#include "translator/reference_apply.h"
#include "translator/rewrite.h"

using namespace base;
using namespace translator;

namespace {

std::uint32_t symbolAt(std::uint8_t b, CodePoints& out) {
    static const char* const pieces[] = {"for(", "раз", "РАЗА", "разов", ")", "{", "(", " ", " ", "\"",
                                         "'", "7", "n", "\n", "ё", "f", "){", " раз){"};
    const CodePoints p = decodeBytes(pieces[b % (sizeof pieces / sizeof pieces[0])]);
    out.insert(out.end(), p.begin(), p.end());
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 300) return 0;
    CodePoints points;
    for (std::size_t i = 0; i < size; ++i) symbolAt(data[i], points);
    CodeText text = makeText(points);
    CodeText expected = text;
    reference_apply::plainExpandCountedLoops(expected);
    expandCountedLoops(text);
    FUZZ_REQUIRE(text.chars.size() == text.lines.size());
    for (std::size_t i = 1; i < text.lines.size(); ++i) FUZZ_REQUIRE(text.lines[i - 1] <= text.lines[i]);
    FUZZ_REQUIRE(text.chars == expected.chars, "pass and reference differ on '%s'", encodeUtf8(points).c_str());
    FUZZ_REQUIRE(text.lines == expected.lines);
    return 0;
}
