// POSIX calls the unit tests use that MinGW lacks, for the Windows unit-test build only
// (force-included there). Values are UTF-8 and reach the process environment as UTF-16,
// where the program reads them.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace lum_posix_compat {

inline std::wstring widen(const char* utf8) {
    const int length = static_cast<int>(std::strlen(utf8));
    if (length == 0) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, length, out.data(), n);
    return out;
}

}  // namespace lum_posix_compat

// Both the C runtime's copy (getenv) and the system's (GetEnvironmentVariableW) change.
inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name)) return 0;
    const std::wstring n = lum_posix_compat::widen(name), v = lum_posix_compat::widen(value);
    // _wputenv_s cannot store an empty value; the system's table can.
    if (v.empty()) {
        ::_wputenv_s(n.c_str(), L"");
        return ::SetEnvironmentVariableW(n.c_str(), L"") ? 0 : -1;
    }
    return ::_wputenv_s(n.c_str(), v.c_str()) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) {
    const std::wstring n = lum_posix_compat::widen(name);
    ::_wputenv_s(n.c_str(), L"");
    ::SetEnvironmentVariableW(n.c_str(), nullptr);
    return 0;
}
