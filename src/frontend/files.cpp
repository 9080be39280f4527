// Whole-file reading and crash-safe whole-file writing.
#include "frontend/files.h"

#include <cstdio>

#include "platform/platform.h"

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
    // The temporary shares the target's folder, so the rename never crosses file systems.
    const std::string temporary = path + ".lum-" + std::to_string(platform::processId()) + ".tmp";
    std::FILE* f = platform::openFile(temporary, "wb");
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
