// The few iconv calls the unit tests make, for the MinGW build (which ships no iconv):
// single-byte Windows code pages ("CP1251", ...) to "UTF-32LE", through the system's own
// code-page tables. Only the Windows unit tests see this header.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

struct LumIconv {
    UINT codePage;
};
typedef LumIconv* iconv_t;

inline iconv_t iconv_open(const char* to, const char* from) {
    const char* digits = nullptr;
    if (std::strncmp(from, "CP", 2) == 0) digits = from + 2;
    else if (std::strncmp(from, "WINDOWS-", 8) == 0) digits = from + 8;
    if (std::strcmp(to, "UTF-32LE") != 0 || !digits || !*digits) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    return new LumIconv{static_cast<UINT>(std::strtoul(digits, nullptr, 10))};
}

inline int iconv_close(iconv_t cd) {
    delete cd;
    return 0;
}

// One byte becomes one UTF-32LE unit; a byte the code page does not assign is EILSEQ.
inline std::size_t iconv(iconv_t cd, char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
    if (!in || !*in) return 0;  // a reset: single-byte code pages keep no state
    while (*inLeft > 0) {
        if (*outLeft < 4) {
            errno = E2BIG;
            return static_cast<std::size_t>(-1);
        }
        wchar_t unit = 0;
        if (::MultiByteToWideChar(cd->codePage, MB_ERR_INVALID_CHARS, *in, 1, &unit, 1) != 1) {
            errno = EILSEQ;
            return static_cast<std::size_t>(-1);
        }
        const unsigned value = static_cast<unsigned>(unit);
        unsigned char* o = reinterpret_cast<unsigned char*>(*out);
        o[0] = value & 0xFF;
        o[1] = (value >> 8) & 0xFF;
        o[2] = o[3] = 0;
        *out += 4;
        *outLeft -= 4;
        ++*in;
        --*inLeft;
    }
    return 0;
}
