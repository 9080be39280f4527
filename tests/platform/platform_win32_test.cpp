// The Win32 side of the platform interface, run under Windows or Wine: UTF-16 at the
// system's edge, Cyrillic paths and environment values, wildcard search, Winsock on loopback,
// and the version record compiled into lum.exe.
#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <windows.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "support/temp_folder.h"

namespace {

std::wstring wide(const std::string& utf8) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string utf8(const std::wstring& w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool writeThrough(const std::string& path, const std::string& bytes) {
    std::FILE* f = platform::openFile(path, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::string readThrough(const std::string& path) {
    std::FILE* f = platform::openFile(path, "rb");
    if (!f) return "<unopened>";
    std::string bytes;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
    std::fclose(f);
    return bytes;
}

// Paths as the program builds them: a folder, one backslash, a name.
std::string join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

}  // namespace

TEST(Win32Platform, FixedAnswers) {
    EXPECT_EQ(platform::separator(), '\\');
    // Folder mode's failure count reaches the caller unclipped.
    EXPECT_EQ(platform::exitCodeLimit(), INT_MAX);
    EXPECT_EQ(platform::processId(), static_cast<int>(::GetCurrentProcessId()));
}

TEST(Win32Platform, CyrillicPathsRoundTripThroughFilesAndAttributes) {
    TempFolder temp;
    const std::string folder = join(temp.path(), "папка Ёж");
    ASSERT_TRUE(::CreateDirectoryW(wide(folder).c_str(), nullptr));
    const std::string file = join(folder, "массив.лумс");
    // Bytes go through untouched: no CR is added to a LF, and a ^Z does not end the read.
    const std::string bytes = "строка\nвторая\r\n\x1A" "конец";
    ASSERT_TRUE(writeThrough(file, bytes));
    EXPECT_EQ(readThrough(file), bytes);
    EXPECT_EQ(platform::pathKind(file), platform::PathKind::File);
    EXPECT_EQ(platform::pathKind(folder), platform::PathKind::Folder);
    EXPECT_EQ(platform::pathKind(join(folder, "нет.лумс")), platform::PathKind::Missing);
    EXPECT_EQ(platform::pathKind(""), platform::PathKind::Missing);
    // The file can be found under its UTF-16 name by the system itself.
    EXPECT_NE(::GetFileAttributesW((wide(folder) + L"\\\x043C\x0430\x0441\x0441\x0438\x0432.\x043B\x0443\x043C\x0441").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(platform::openFile(join(folder, "нет.лумс"), "rb"), nullptr);
}

TEST(Win32Platform, FileTimeChangesWithEverySaveAndIsZeroWhenMissing) {
    TempFolder temp;
    const std::string file = join(temp.path(), "время.лумс");
    EXPECT_EQ(platform::fileTime(file), 0u);
    ASSERT_TRUE(writeThrough(file, "a"));
    const std::uint64_t first = platform::fileTime(file);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(platform::fileTime(file), first);
    // A second save in the same clock tick still reads as a change when the size differs.
    ASSERT_TRUE(writeThrough(file, "ab"));
    EXPECT_NE(platform::fileTime(file), first);
    ASSERT_TRUE(platform::removeFile(file));
    EXPECT_EQ(platform::fileTime(file), 0u);
    EXPECT_FALSE(platform::removeFile(file));
}

TEST(Win32Platform, ReplaceFilePutsTheNewFileOverAnExistingOne) {
    TempFolder temp;
    const std::string target = join(temp.path(), "страница.html");
    const std::string fresh = join(temp.path(), "страница.html.lum-1.tmp");
    ASSERT_TRUE(writeThrough(target, "old"));
    ASSERT_TRUE(writeThrough(fresh, "new"));
    ASSERT_TRUE(platform::replaceFile(fresh, target));
    EXPECT_EQ(readThrough(target), "new");
    EXPECT_EQ(platform::pathKind(fresh), platform::PathKind::Missing);
    // Nothing to move: the target stays as it was.
    EXPECT_FALSE(platform::replaceFile(fresh, target));
    EXPECT_EQ(readThrough(target), "new");
}

TEST(Win32Platform, WildcardSearchMatchesTheExtensionCaseInsensitively) {
    TempFolder temp;
    const std::string folder = temp.path();
    for (const char* name : {"a.лумс", "Б.ЛУМС", "в.лум", "г.txt", "д.лумс.txt"}) ASSERT_TRUE(writeThrough(join(folder, name), "x"));
    ASSERT_TRUE(::CreateDirectoryW(wide(join(folder, "папка.лумс")).c_str(), nullptr));

    std::vector<std::string> names;
    bool sawFolder = false;
    for (const platform::FolderEntry& e : platform::findEntries(folder, "*.лумс")) {
        names.push_back(e.name);
        if (e.name == "папка.лумс") sawFolder = e.isFolder;
        else EXPECT_FALSE(e.isFolder) << e.name;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.лумс", "Б.ЛУМС", "папка.лумс"}));
    EXPECT_TRUE(sawFolder);

    const auto lum = platform::findEntries(folder, "*.лум");
    ASSERT_FALSE(lum.empty());
    EXPECT_TRUE(std::any_of(lum.begin(), lum.end(), [](const auto& e) { return e.name == "в.лум"; }));

    EXPECT_TRUE(platform::findEntries(join(folder, "нет"), "*.лумс").empty());
    EXPECT_TRUE(platform::findEntries(folder, "*.js").empty());
}

TEST(Win32Platform, EnvironmentIsReadAsUtf16AndArrivesAsUtf8) {
    const std::wstring name = L"LUM_PLATFORM_TEST_VALUE";
    const std::string value = "C:\\Пользователи\\Ёлка\\ЛУМ2.7\\";
    ASSERT_TRUE(::SetEnvironmentVariableW(name.c_str(), wide(value).c_str()));
    EXPECT_EQ(platform::environment("LUM_PLATFORM_TEST_VALUE"), value);

    // Longer than the first buffer the reader tries.
    std::string longValue;
    for (int i = 0; i < 1000; ++i) longValue += "ж";
    ASSERT_TRUE(::SetEnvironmentVariableW(name.c_str(), wide(longValue).c_str()));
    EXPECT_EQ(platform::environment("LUM_PLATFORM_TEST_VALUE"), longValue);

    ASSERT_TRUE(::SetEnvironmentVariableW(name.c_str(), L""));
    EXPECT_EQ(platform::environment("LUM_PLATFORM_TEST_VALUE"), std::string());
    ASSERT_TRUE(::SetEnvironmentVariableW(name.c_str(), nullptr));
    EXPECT_EQ(platform::environment("LUM_PLATFORM_TEST_VALUE"), std::nullopt);
}

TEST(Win32Platform, ExecutablePathNamesThisProgram) {
    const std::string path = platform::executablePath();
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ(path.substr(path.size() - 4), ".exe");
    EXPECT_EQ(platform::pathKind(path), platform::PathKind::File);
}

TEST(Win32Platform, LocalTimeOfDayIsAClockReading) {
    const platform::TimeOfDay t = platform::localTimeOfDay();
    SYSTEMTIME now {};
    ::GetLocalTime(&now);
    EXPECT_GE(t.hour, 0);
    EXPECT_LT(t.hour, 24);
    EXPECT_GE(t.minute, 0);
    EXPECT_LT(t.minute, 60);
    EXPECT_GE(t.second, 0);
    EXPECT_LT(t.second, 61);
    // Taken moments apart: same hour unless the hour just turned.
    EXPECT_TRUE(t.hour == now.wHour || (t.hour + 1) % 24 == now.wHour);
}

namespace {

// A listener on the first free loopback port at or above `from`.
std::uint16_t listenSomewhere(platform::Socket& listener, std::uint16_t from) {
    for (std::uint16_t port = from; port < from + 200; ++port)
        if (platform::listenLoopback(port, 8, listener) == platform::ListenResult::Listening) return port;
    return 0;
}

SOCKET connectTo(std::uint16_t port) {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

}  // namespace

// Waits up to `ms` for one socket; whether it became ready as asked.
bool ready(platform::Socket s, bool read, int ms) {
    std::vector<platform::SocketWait> waits{{s, read, !read}};
    return platform::waitForSockets(waits, ms) && (read ? waits[0].readable || waits[0].failed : waits[0].writable);
}

TEST(Win32Platform, LoopbackServerWaitsReceivesAndSendsEverythingWithoutBlocking) {
    ASSERT_TRUE(platform::startSockets());
    platform::Socket listener = platform::invalidSocket;
    const std::uint16_t port = listenSomewhere(listener, 39100);
    ASSERT_NE(port, 0);

    // A second listener on the same port is refused.
    platform::Socket second = platform::invalidSocket;
    EXPECT_EQ(platform::listenLoopback(port, 8, second), platform::ListenResult::PortBusy);

    platform::Socket server = platform::invalidSocket;
    EXPECT_EQ(platform::acceptConnection(listener, server), platform::AcceptResult::NoneWaiting);
    const SOCKET client = connectTo(port);
    ASSERT_NE(client, INVALID_SOCKET);
    ASSERT_TRUE(ready(listener, true, 5000));
    ASSERT_EQ(platform::acceptConnection(listener, server), platform::AcceptResult::Accepted);

    char buffer[2048];
    std::size_t n = 0;
    // Nothing sent yet: the wait ends by itself, and a receive does not block.
    const DWORD before = ::GetTickCount();
    EXPECT_FALSE(ready(server, true, 300));
    EXPECT_GE(::GetTickCount() - before, 200u);
    EXPECT_EQ(platform::receiveSome(server, buffer, sizeof buffer, n), platform::Transfer::WouldBlock);

    const std::string request = "GET /wait HTTP/1.1\r\n\r\n";
    ASSERT_EQ(::send(client, request.data(), static_cast<int>(request.size()), 0), static_cast<int>(request.size()));
    ASSERT_TRUE(ready(server, true, 5000));
    ASSERT_EQ(platform::receiveSome(server, buffer, sizeof buffer, n), platform::Transfer::Moved);
    EXPECT_EQ(std::string(buffer, n), request);

    // Another thread ends a wait early.
    platform::Wakeup wakeup;
    ASSERT_TRUE(platform::makeWakeup(wakeup));
    std::thread waker([&] {
        ::Sleep(100);
        platform::wake(wakeup);
    });
    EXPECT_TRUE(ready(wakeup.receiver, true, 5000));
    waker.join();
    platform::drainWakeup(wakeup);
    EXPECT_FALSE(ready(wakeup.receiver, true, 0));

    // Far more than one send takes at once: the reader must see every byte in order, then the end.
    std::string page(8 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<char>('a' + i % 26);
    std::string received;
    std::thread reader([&] {
        char chunk[65536];
        for (int got; (got = ::recv(client, chunk, sizeof chunk, 0)) > 0;) received.append(chunk, static_cast<std::size_t>(got));
    });
    for (std::size_t sent = 0; sent < page.size();) {
        ASSERT_TRUE(ready(server, false, 5000));
        const platform::Transfer t = platform::sendSome(server, page.data() + sent, page.size() - sent, n);
        ASSERT_NE(t, platform::Transfer::Failed);
        ASSERT_NE(t, platform::Transfer::Closed);
        if (t == platform::Transfer::Moved) sent += n;
    }
    platform::shutdownSending(server);
    reader.join();
    EXPECT_EQ(received.size(), page.size());
    EXPECT_TRUE(received == page);

    // The client closes: the server reads the end.
    ::closesocket(client);
    ASSERT_TRUE(ready(server, true, 5000));
    EXPECT_EQ(platform::receiveSome(server, buffer, sizeof buffer, n), platform::Transfer::Closed);
    platform::closeSocket(server);
    platform::closeSocket(listener);
}

namespace {

std::wstring versionString(const std::vector<char>& block, const wchar_t* key) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041904B0\\") + key;
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return L"<missing>";
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

}  // namespace

TEST(Win32Platform, LumExeCarriesItsVersionRecordAndIcon) {
    // The unit tests live in tests\ of the build folder, lum.exe one level up.
    const std::string self = platform::executablePath();
    const std::string tests = self.substr(0, self.find_last_of("\\/"));
    const std::string exe = tests.substr(0, tests.find_last_of("\\/")) + "\\lum.exe";
    ASSERT_EQ(platform::pathKind(exe), platform::PathKind::File) << exe;

    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(wide(exe).c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(wide(exe).c_str(), 0, size, block.data()));

    EXPECT_EQ(utf8(versionString(block, L"FileDescription")), "Компилятор ЛУМ скрипт: .лумс/.лум -> HTML/JS");
    EXPECT_EQ(utf8(versionString(block, L"ProductName")), "ЛУМС 2.7");
    EXPECT_EQ(utf8(versionString(block, L"FileVersion")), "2.7.0.0");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, (2u << 16) | 7u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);

    const HMODULE module = ::LoadLibraryExW(wide(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON)), nullptr);
    ::FreeLibrary(module);
}

#endif  // _WIN32
