// Shared pieces of the fuzz targets: property checks that abort, and input splitting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A failed property is reported and turned into a crash, so libFuzzer keeps the input.
#define FUZZ_REQUIRE(condition, ...)                                                     \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "property failed at %s:%d: %s\n", __FILE__, __LINE__, \
                         #condition);                                                    \
            std::fprintf(stderr, "" __VA_ARGS__);                                        \
            std::fprintf(stderr, "\n");                                                  \
            std::abort();                                                                \
        }                                                                                \
    } while (0)

// Reads a fuzz input front to back: small numbers first, then the rest as bytes.
struct FuzzReader {
    const std::uint8_t* data;
    std::size_t size;

    std::uint8_t byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    // The bytes up to the first `separator` (not included), or everything left.
    std::string until(std::uint8_t separator) {
        std::size_t n = 0;
        while (n < size && data[n] != separator) ++n;
        std::string out(reinterpret_cast<const char*>(data), n);
        const std::size_t used = n < size ? n + 1 : n;
        data += used;
        size -= used;
        return out;
    }
    std::string rest() {
        std::string out(reinterpret_cast<const char*>(data), size);
        data += size;
        size = 0;
        return out;
    }
};

// The number N of "строка N" in a warning, or -1 when the warning names no line.
inline long long namedLine(const std::string& warning) {
    const std::string marker = "строка ";
    const std::size_t at = warning.find(marker);
    if (at == std::string::npos) return -1;
    std::size_t i = at + marker.size();
    if (i >= warning.size() || warning[i] < '0' || warning[i] > '9') return -1;
    long long value = 0;
    while (i < warning.size() && warning[i] >= '0' && warning[i] <= '9' && value < (1LL << 40))
        value = value * 10 + (warning[i++] - '0');
    return value;
}
