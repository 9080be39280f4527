// The floor of the rule-per-scan design: decode, then one read and write pass over the whole
// text (code points and line numbers) per rule, with no matching at all, then encode and write.
//
//   floor RULES.csv SOURCE OUTPUT
//
// The number of passes is the number of non-empty lines of the rules file after its header.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string readAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: floor RULES.csv SOURCE OUTPUT\n");
        return 2;
    }
    const std::string rules = readAll(argv[1]);
    std::size_t passes = 0;
    bool header = true;
    for (std::size_t start = 0; start < rules.size();) {
        std::size_t end = rules.find('\n', start);
        if (end == std::string::npos) end = rules.size();
        const bool filled = end > start && !(end == start + 1 && rules[start] == '\r');
        if (filled && !(header && rules.compare(start, 8, "pattern,") == 0)) ++passes;
        header = false;
        start = end + 1;
    }

    const std::string bytes = readAll(argv[2]);
    std::vector<std::uint32_t> chars, lines;
    chars.reserve(bytes.size());
    lines.reserve(bytes.size());
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = bytes[i];
        const std::size_t extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : 3;
        std::uint32_t v = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k <= extra && i + k < bytes.size(); ++k) v = (v << 6) | (bytes[i + k] & 0x3F);
        chars.push_back(v);
        lines.push_back(line);
        if (v == '\n') ++line;
        i += extra + 1;
    }

    for (std::size_t r = 0; r < passes; ++r) {
        std::vector<std::uint32_t> outChars, outLines;
        outChars.reserve(chars.size() + 64);
        outLines.reserve(chars.size() + 64);
        for (std::size_t i = 0; i < chars.size(); ++i) {
            outChars.push_back(chars[i]);
            outLines.push_back(lines[i]);
        }
        chars.swap(outChars);
        lines.swap(outLines);
    }

    std::string out;
    out.reserve(chars.size());
    for (const std::uint32_t c : chars) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    std::ofstream(argv[3], std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
    std::printf("floor: %zu passes over %zu code points\n", passes, chars.size());
    return 0;
}
