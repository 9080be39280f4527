// Whole-file reading and crash-safe whole-file writing.
// Tests: tests/platform/files_test.cpp.
#include "platform/files.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <set>

#include "platform/platform.h"

namespace platform {

namespace {

constexpr const char* temporaryMark = ".lum-";
constexpr const char* temporaryEnd = ".tmp";

std::string randomHex() {
    std::uint64_t bits = 0;
    try {
        std::random_device device;
        bits = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (...) {
    }
    // A system without a random source still gets a name that changes with every try.
    bits ^= static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, bits >>= 4) hex[static_cast<std::size_t>(i)] = "0123456789abcdef"[bits & 15];
    return hex;
}

bool allOf(const std::string& s, std::size_t from, std::size_t to, bool (*test)(char)) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (!test(s[i])) return false;
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); }

}  // namespace

bool readWholeFile(const std::string& path, std::string& bytes) {
    std::FILE* f = platform::openFile(path, "rb");
    if (!f) return false;
    char chunk[65536];
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0) break;
        bytes.append(chunk, n);
    }
    std::fclose(f);
    return true;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes) {
    // The temporary shares the target's folder, so the rename never crosses file systems. A
    // name that is taken (by chance, or by something planted there) is never written through:
    // another name is drawn.
    if (platform::writeProtected(path)) return false;
    std::string temporary;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 8 && !f; ++attempt) {
        temporary = path + temporaryMark + std::to_string(platform::processId()) + "-" + randomHex() + temporaryEnd;
        f = platform::createNewFile(temporary);
    }
    if (!f) return false;
    const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    const bool flushed = std::fflush(f) == 0;
    const bool closed = std::fclose(f) == 0;
    if (written != bytes.size() || !flushed || !closed || !platform::replaceFile(temporary, path)) {
        platform::removeFile(temporary);
        return false;
    }
    return true;
}

bool parseTemporaryName(const std::string& name, std::string& outputName, int& processId) {
    // "<output>.lum-<id>-<16 hex digits>.tmp", nothing else.
    const std::size_t endSize = std::char_traits<char>::length(temporaryEnd);
    if (name.size() <= endSize || name.compare(name.size() - endSize, endSize, temporaryEnd) != 0) return false;
    std::size_t idEnd = name.size() - endSize;
    if (idEnd <= 17 || name[idEnd - 17] != '-' || !allOf(name, idEnd - 16, idEnd, isHex)) return false;
    idEnd -= 17;
    std::size_t idStart = idEnd;
    while (idStart > 0 && isDigit(name[idStart - 1])) --idStart;
    const std::size_t markSize = std::char_traits<char>::length(temporaryMark);
    if (idEnd - idStart > 9 || !allOf(name, idStart, idEnd, isDigit) || idStart < markSize + 1 ||
        name.compare(idStart - markSize, markSize, temporaryMark) != 0)
        return false;
    outputName = name.substr(0, idStart - markSize);
    processId = std::stoi(name.substr(idStart, idEnd - idStart));
    return true;
}

void removeStaleTemporaries(const std::string& folder, const std::vector<std::string>& outputNames) {
    if (outputNames.empty()) return;
    const std::set<std::string> own(outputNames.begin(), outputNames.end());
    for (const platform::FolderEntry& entry : platform::findEntries(folder, std::string("*") + temporaryEnd)) {
        std::string output;
        int id = 0;
        if (entry.isFolder || !parseTemporaryName(entry.name, output, id)) continue;
        if (own.count(output) == 0 || id == platform::processId() || platform::processRunning(id)) continue;
        platform::removeFile(folder + platform::separator() + entry.name);
    }
}

}  // namespace platform
