// UTF-8 and CP1251 decoding, UTF-8 encoding and line numbering of decoded text.
// Tests: tests/base/text_test.cpp.
#include "base/text.h"

namespace base {

namespace {

// Windows-1251 0x80-0xBF. 0x98 is unassigned in the published table; it decodes to U+0098,
// as the web's encoding standard decodes it, so that no byte is lost or merged.
const std::uint16_t cp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

}  // namespace

bool decodeUtf8(const std::string& bytes, CodePoints& out) {
    out.clear();
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned b = p[i];
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        std::size_t extra;
        std::uint32_t value, minimum;
        if ((b & 0xE0) == 0xC0) {
            extra = 1, value = b & 0x1F, minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, value = b & 0x0F, minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, value = b & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= n) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned c = p[i + k];
            if ((c & 0xC0) != 0x80) return false;
            value = (value << 6) | (c & 0x3F);
        }
        if (value < minimum) return false;
        out.push_back(value);
        i += extra + 1;
    }
    return true;
}

void decodeCp1251(const std::string& bytes, CodePoints& out) {
    out.clear();
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        if (b < 0x80)
            out.push_back(b);
        else if (b >= 0xC0)
            out.push_back(b + 0x350u);
        else
            out.push_back(cp1251High[b - 0x80]);
    }
}

CodePoints decodeBytes(const std::string& bytes) {
    CodePoints out;
    if (!decodeUtf8(bytes, out)) decodeCp1251(bytes, out);
    return out;
}

CodeText makeText(const CodePoints& points) {
    CodeText text;
    text.chars = points;
    text.lines.resize(points.size());
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < points.size(); ++i) {
        text.lines[i] = line;
        if (points[i] == 0x0A) ++line;
    }
    return text;
}

std::string encodeUtf8(const std::uint32_t* points, std::size_t count) {
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t cp = points[i];
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            // Values past 0x1FFFFF cannot come from decoding; their top bits are dropped
            // rather than spilling into the lead byte's marker bits.
            out.push_back(static_cast<char>(0xF0 | ((cp >> 18) & 0x07)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string encodeUtf8(const CodePoints& points) { return encodeUtf8(points.data(), points.size()); }

void dropByteOrderMark(std::string& bytes) {
    if (bytes.size() > 2 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
        bytes.erase(0, 3);
}

}  // namespace base
