// The platform interface on Windows: UTF-8 inside, UTF-16 at every Win32 call.
// Tests: tests/platform/platform_win32_test.cpp.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <climits>
#include <cstdio>
#include <cwchar>

#include "base/lines.h"
#include "platform/platform.h"

namespace platform {

namespace {

// Code page 65001 without flags: a malformed sequence becomes U+FFFD rather than an error.
std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    return wide;
}

std::string narrow(const wchar_t* wide, std::size_t length) {
    if (length == 0) return {};
    const int size = static_cast<int>(length);
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

// True when standard input is a console window rather than a pipe or a file.
bool stdinIsConsole(HANDLE& handle) {
    handle = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

// Makes a handle stay in this process when the shell starts another one.
void keepFromChildren(SOCKET s) { ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0); }

}  // namespace

char separator() { return '\\'; }

PathKind pathKind(const std::string& path) {
    if (path.empty()) return PathKind::Missing;
    const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

bool isLink(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool writeProtected(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::uint64_t fileTime(const std::string& path) {
    if (path.empty()) return 0;
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) return 0;
    std::uint64_t t = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    // The size joins in so that two saves within one timestamp tick still differ.
    t ^= ((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) << 1;
    return t == 0 ? 1 : t;
}

std::FILE* openFile(const std::string& path, const char* mode) {
    if (path.empty() || !mode) return nullptr;
    // Binary whatever the caller wrote. Programs the shell starts inherit no handle of ours,
    // so no "N" is needed (and msvcrt.dll does not take it everywhere).
    std::wstring wideMode = widen(mode);
    if (wideMode.find(L'b') == std::wstring::npos) wideMode += L'b';
    return ::_wfopen(widen(path).c_str(), wideMode.c_str());
}

std::FILE* createNewFile(const std::string& path) {
    if (path.empty()) return nullptr;
    // CREATE_NEW fails on any existing entry, a link included; a link is never followed.
    const HANDLE h = ::CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(h);
        return nullptr;
    }
    std::FILE* f = ::_fdopen(fd, "wb");
    if (!f) ::_close(fd);
    return f;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return ::MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const std::string& path) { return ::DeleteFileW(widen(path).c_str()) != 0; }

bool makeFolder(const std::string& path) { return ::CreateDirectoryW(widen(path).c_str(), nullptr) != 0; }

bool setCurrentFolder(const std::string& path) { return ::SetCurrentDirectoryW(widen(path).c_str()) != 0; }

std::string executablePath() {
    // The buffer grows until the whole path fits: installations deeper than 260 units exist.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) return {};
        if (n < size) return narrow(buffer.data(), n);
        if (buffer.size() >= 32768 * 2) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> environment(const char* name) {
    // Read as UTF-16, so a value with Cyrillic letters arrives whole whatever the ANSI
    // code page is.
    const std::wstring wideName = widen(name ? name : "");
    if (wideName.empty()) return std::nullopt;
    std::wstring value(256, L'\0');
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD n = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (n < value.size()) return narrow(value.data(), n);
        value.resize(n);  // n counts the terminating zero when the buffer was too small
    }
}

int processId() { return static_cast<int>(::GetCurrentProcessId()); }

bool processRunning(int id) {
    if (id <= 0) return true;
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    // No such id; any other refusal (access denied) means it exists.
    if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = !::GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}

int exitCodeLimit() { return INT_MAX; }

void prepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    // Bytes go out as written: a "\n" stays one byte, exactly as the messages spell it.
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    ::_setmode(::_fileno(stdin), _O_BINARY);
}

bool readStdinLine(std::string& line, std::size_t maxBytes) {
    line.clear();
    HANDLE in;
    if (stdinIsConsole(in)) {
        // A console hands out UTF-16; no unit can grow past three UTF-8 bytes and a
        // surrogate pair past four, so this many units always fit in maxBytes. What is not
        // read stays in the console's buffer for the next call.
        std::size_t units = maxBytes / 3 > 1 ? maxBytes / 3 - 1 : 1;
        std::wstring buffer(units + 1, L'\0');
        DWORD got = 0;
        if (!::ReadConsoleW(in, buffer.data(), static_cast<DWORD>(units), &got, nullptr) || got == 0) return false;
        // Ctrl+Z at the start of a line is the console's end of input.
        if (buffer[0] == 0x1A) return false;
        if (buffer[got - 1] >= 0xD800 && buffer[got - 1] <= 0xDBFF) {
            DWORD more = 0;
            if (::ReadConsoleW(in, buffer.data() + got, 1, &more, nullptr)) got += more;
        }
        line = narrow(buffer.data(), got);
        return true;
    }
    std::string buffer(maxBytes + 1, '\0');
    if (!std::fgets(buffer.data(), static_cast<int>(buffer.size()), stdin)) return false;
    line.assign(buffer.c_str());
    return true;
}

int readStdinChar() {
    HANDLE in;
    if (stdinIsConsole(in)) {
        wchar_t unit = 0;
        DWORD got = 0;
        if (!::ReadConsoleW(in, &unit, 1, &got, nullptr) || got == 0 || unit == 0x1A) return -1;
        return unit < 0x80 ? static_cast<int>(unit) : '?';
    }
    return std::fgetc(stdin);
}

void binaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

// A pipe (how editors start a server) has no handle to wait on: its bytes are looked at every
// millisecond until some are there. A console waits on its handle; a file is always ready.
InputWait waitForInput(int timeoutMs) {
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    if (in == INVALID_HANDLE_VALUE || in == nullptr) return InputWait::Failed;
    const DWORD type = ::GetFileType(in);
    if (type == FILE_TYPE_CHAR) {
        const DWORD r = ::WaitForSingleObject(in, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
        return r == WAIT_OBJECT_0 ? InputWait::Ready : r == WAIT_TIMEOUT ? InputWait::TimedOut : InputWait::Failed;
    }
    if (type != FILE_TYPE_PIPE) return InputWait::Ready;
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(in, nullptr, 0, nullptr, &available, nullptr) || available > 0) return InputWait::Ready;
        if (timeoutMs >= 0 && ::GetTickCount64() - start >= static_cast<ULONGLONG>(timeoutMs)) return InputWait::TimedOut;
        ::Sleep(1);
    }
}

Transfer readInput(char* buffer, std::size_t size, std::size_t& moved) {
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD got = 0;
    if (!::ReadFile(in, buffer, static_cast<DWORD>(size > 0x10000000 ? 0x10000000 : size), &got, nullptr))
        return ::GetLastError() == ERROR_BROKEN_PIPE ? Transfer::Closed : Transfer::Failed;
    if (got == 0) return Transfer::Closed;
    moved = got;
    return Transfer::Moved;
}

bool writeOutput(const std::string& data) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    std::size_t done = 0;
    while (done < data.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(data.size() - done > 0x10000000 ? 0x10000000 : data.size() - done);
        if (!::WriteFile(out, data.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

void openWithShell(const std::string& pathOrUrl) {
    // The shell's handlers may be COM objects; a second initialisation is harmless.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ::ShellExecuteW(nullptr, L"open", widen(pathOrUrl).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) ::CoUninitialize();
}

std::vector<FolderEntry> findEntries(const std::string& folder, const std::string& mask) {
    std::vector<FolderEntry> entries;
    const std::string base = folder.empty() ? std::string(".") : folder;
    WIN32_FIND_DATAW data {};
    const HANDLE search = ::FindFirstFileW(widen(base + "\\" + mask).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::string name = narrow(data.cFileName, std::wcslen(data.cFileName));
        if (name == "." || name == "..") continue;
        FolderEntry entry;
        entry.name = name;
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
    return entries;
}

TimeOfDay localTimeOfDay() {
    SYSTEMTIME now {};
    ::GetLocalTime(&now);
    return {now.wHour, now.wMinute, now.wSecond};
}

bool startSockets() {
    // Each call takes a reference of its own; they are never given back, as the process
    // keeps serving until it is stopped.
    WSADATA data {};
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    if (LOBYTE(data.wVersion) != 2 || HIBYTE(data.wVersion) != 2) {
        ::WSACleanup();
        return false;
    }
    return true;
}

namespace {

bool makeNonBlocking(SOCKET s) {
    u_long on = 1;
    return ::ioctlsocket(s, FIONBIO, &on) == 0;
}

}  // namespace

ListenResult listenLoopback(std::uint16_t port, int backlog, Socket& out) {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return ListenResult::NoSocket;
    keepFromChildren(s);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(s, backlog) != 0 ||
        !makeNonBlocking(s)) {
        ::closesocket(s);
        return ListenResult::PortBusy;
    }
    out = static_cast<Socket>(s);
    return ListenResult::Listening;
}

AcceptResult acceptConnection(Socket listener, Socket& out) {
    const SOCKET s = ::accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET) {
        const int error = ::WSAGetLastError();
        // A connection that was reset while waiting is simply gone.
        if (error == WSAEWOULDBLOCK || error == WSAECONNRESET || error == WSAEINTR) return AcceptResult::NoneWaiting;
        return AcceptResult::Failed;
    }
    keepFromChildren(s);
    if (!makeNonBlocking(s)) {
        ::closesocket(s);
        return AcceptResult::Failed;
    }
    out = static_cast<Socket>(s);
    return AcceptResult::Accepted;
}

namespace {

Transfer transferred(int n, std::size_t& moved) {
    if (n > 0) {
        moved = static_cast<std::size_t>(n);
        return Transfer::Moved;
    }
    if (n == 0) return Transfer::Closed;
    switch (::WSAGetLastError()) {
    case WSAEWOULDBLOCK:
    case WSAEINTR:
        return Transfer::WouldBlock;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
        return Transfer::Closed;
    default:
        return Transfer::Failed;
    }
}

int chunkOf(std::size_t size) { return size > (1u << 30) ? (1 << 30) : static_cast<int>(size); }

}  // namespace

Transfer receiveSome(Socket s, char* buffer, std::size_t size, std::size_t& moved) {
    return transferred(::recv(static_cast<SOCKET>(s), buffer, chunkOf(size), 0), moved);
}

Transfer sendSome(Socket s, const char* data, std::size_t size, std::size_t& moved) {
    const int n = ::send(static_cast<SOCKET>(s), data, chunkOf(size), 0);
    if (n == 0) return Transfer::WouldBlock;
    return transferred(n, moved);
}

void shutdownSending(Socket s) { ::shutdown(static_cast<SOCKET>(s), SD_SEND); }

void closeSocket(Socket s) { ::closesocket(static_cast<SOCKET>(s)); }

bool waitForSockets(std::vector<SocketWait>& sockets, int timeoutMs) {
    std::vector<WSAPOLLFD> polled(sockets.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        polled[i].fd = static_cast<SOCKET>(sockets[i].socket);
        polled[i].events =
            static_cast<SHORT>((sockets[i].wantRead ? POLLRDNORM : 0) | (sockets[i].wantWrite ? POLLWRNORM : 0));
    }
    const int ready = polled.empty() ? (::Sleep(timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs)), 0)
                                     : ::WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), timeoutMs < 0 ? -1 : timeoutMs);
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        const SHORT r = ready > 0 ? polled[i].revents : 0;
        sockets[i].readable = (r & POLLRDNORM) != 0;
        sockets[i].writable = (r & POLLWRNORM) != 0;
        sockets[i].failed = (r & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    }
    return ready != SOCKET_ERROR;
}

bool makeWakeup(Wakeup& w) {
    // WSAPoll waits on sockets only: a datagram socket on 127.0.0.1 that sends to itself.
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    keepFromChildren(s);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || !makeNonBlocking(s)) {
        ::closesocket(s);
        return false;
    }
    w.receiver = w.sender = static_cast<Socket>(s);
    return true;
}

void wake(const Wakeup& w) {
    const char one = 1;
    ::send(static_cast<SOCKET>(w.sender), &one, 1, 0);
}

void drainWakeup(const Wakeup& w) {
    char bytes[64];
    while (::recv(static_cast<SOCKET>(w.receiver), bytes, sizeof bytes, 0) > 0) {
    }
}

namespace {

struct ThreadStart {
    void (*run)(void*);
    void* argument;
};

DWORD WINAPI threadEntry(LPVOID p) {
    const ThreadStart start = *static_cast<ThreadStart*>(p);
    delete static_cast<ThreadStart*>(p);
    start.run(start.argument);
    return 0;
}

}  // namespace

bool startThread(void (*run)(void*), void* argument) {
    ThreadStart* start = new ThreadStart{run, argument};
    const HANDLE thread = ::CreateThread(nullptr, 0, threadEntry, start, 0, nullptr);
    if (!thread) {
        delete start;
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

std::vector<std::string> browserCandidates() {
    // Chrome and Edge install for all users under Program Files, for one user under LocalAppData.
    std::vector<std::string> list;
    const char* roots[] = {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "LOCALAPPDATA"};
    const char* tails[] = {"\\Google\\Chrome\\Application\\chrome.exe", "\\Microsoft\\Edge\\Application\\msedge.exe",
                           "\\Chromium\\Application\\chrome.exe"};
    for (const char* tail : tails) {
        for (const char* root : roots) {
            const std::optional<std::string> folder = environment(root);
            if (!folder || folder->empty()) continue;
            const std::string candidate = *folder + tail;
            bool seen = false;
            for (const std::string& c : list) seen = seen || c == candidate;
            if (!seen) list.push_back(candidate);
        }
    }
    return list;
}

std::string findBrowser() {
    for (const std::string& candidate : browserCandidates())
        if (pathKind(candidate) == PathKind::File) return candidate;
    return {};
}

std::string makeTemporaryFolder() {
    wchar_t base[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) return {};
    const std::string root = narrow(base, n);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = root + "lum-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                 std::to_string(::GetTickCount64() % 1000000) + "-" + std::to_string(attempt);
        if (::CreateDirectoryW(widen(path).c_str(), nullptr)) return path;
    }
    return {};
}

bool removeFolderTree(const std::string& path) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(widen(path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::string inner = path + "\\" + narrow(name.c_str(), name.size());
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeFolderTree(inner);
            else ::DeleteFileW(widen(inner).c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    return ::RemoveDirectoryW(widen(path).c_str()) != 0;
}

namespace {

// One argument as CreateProcess's command line parser reads it back.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

bool startChild(const std::vector<std::string>& argv, ChildProcess& child) {
    if (argv.empty()) return false;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const HANDLE nothing = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherit, OPEN_EXISTING, 0, nullptr);
    std::wstring commandLine;
    for (const std::string& a : argv) commandLine += (commandLine.empty() ? L"" : L" ") + quoted(widen(a));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = nothing;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    // A job that ends every process of the browser with it.
    const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    const BOOL started = ::CreateProcessW(widen(argv[0]).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    if (nothing != INVALID_HANDLE_VALUE) ::CloseHandle(nothing);
    if (!started) {
        ::CloseHandle(readEnd);
        if (job) ::CloseHandle(job);
        return false;
    }
    if (job) ::AssignProcessToJobObject(job, process.hProcess);
    ::ResumeThread(process.hThread);
    ::CloseHandle(process.hThread);
    child.id = reinterpret_cast<std::intptr_t>(process.hProcess);
    child.group = reinterpret_cast<std::intptr_t>(job);
    child.errorPipe = reinterpret_cast<std::intptr_t>(readEnd);
    child.pending.clear();
    child.ended = false;
    return true;
}

ChildRead readChildLine(ChildProcess& child, std::string& line, int timeoutMs) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (base::takeLine(child.pending, line)) return ChildRead::Line;
        if (child.ended || child.errorPipe == -1) {
            if (child.pending.empty()) return ChildRead::Ended;
            line.swap(child.pending);
            child.pending.clear();
            return ChildRead::Line;
        }
        const HANDLE pipe = reinterpret_cast<HANDLE>(child.errorPipe);
        DWORD available = 0;
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            child.ended = true;
            continue;
        }
        if (available == 0) {
            if (::GetTickCount64() - start >= static_cast<ULONGLONG>(timeoutMs)) return ChildRead::TimedOut;
            ::Sleep(10);
            continue;
        }
        char buffer[65536];
        DWORD n = 0;
        if (!::ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &n, nullptr) || n == 0)
            child.ended = true;
        else
            child.pending.append(buffer, n);
    }
}

void endChild(ChildProcess& child) {
    if (child.id != -1) {
        const HANDLE process = reinterpret_cast<HANDLE>(child.id);
        if (child.group != -1 && child.group != 0) ::TerminateJobObject(reinterpret_cast<HANDLE>(child.group), 1);
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, 5000);
        ::CloseHandle(process);
        child.id = -1;
    }
    if (child.group != -1 && child.group != 0) ::CloseHandle(reinterpret_cast<HANDLE>(child.group));
    child.group = -1;
    if (child.errorPipe != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(child.errorPipe));
        child.errorPipe = -1;
    }
}

bool runningAsRoot() { return false; }

std::uint64_t monotonicMs() { return ::GetTickCount64(); }

}  // namespace platform
