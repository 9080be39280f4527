// The one interface between lum and the operating system; every OS header stays behind it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// Paths and texts crossing this interface are UTF-8 byte strings; each implementation
// converts to the system's own form (UTF-16 on Windows) at the call.
namespace platform {

// The separator this system puts between a folder and a name: "\" on Windows, "/" elsewhere.
char separator();

enum class PathKind { Missing, File, Folder };
// Missing also when the path cannot be queried.
PathKind pathKind(const std::string& path);

// Last-write time as one opaque number, only ever compared for equality; 0 when unreadable.
std::uint64_t fileTime(const std::string& path);

// Opens a file in binary mode ("rb", "wb"); nullptr when it cannot be opened.
std::FILE* openFile(const std::string& path, const char* mode);

// Puts `from` in place of `to` in one step, replacing an existing `to`.
bool replaceFile(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);
// Makes one folder whose parent exists; false when it cannot (an existing folder included).
bool makeFolder(const std::string& path);

// Full path of the running executable; empty when the system cannot tell.
std::string executablePath();

// An environment variable as UTF-8; nullopt when it is not set.
std::optional<std::string> environment(const char* name);

int processId();

// The largest exit code the system reports unchanged (255 where statuses are 8 bits).
int exitCodeLimit();

// Console: UTF-8 in and out where the system needs telling.
void prepareConsole();
// Reads at most maxBytes bytes of one line (the rest stays for the next call), line end
// included; false at end of input or on a read error.
bool readStdinLine(std::string& line, std::size_t maxBytes);
// Reads one byte of standard input; -1 at end of input.
int readStdinChar();

// Hands a file or URL to the desktop's "open"; not waited for, result ignored.
void openWithShell(const std::string& pathOrUrl);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};
// The entries of `folder` whose names match `mask` ("*" followed by an extension), in the
// system's order, the way the system's wildcard search matches them. Empty when the folder
// cannot be searched.
std::vector<FolderEntry> findEntries(const std::string& folder, const std::string& mask);

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
};
TimeOfDay localTimeOfDay();

// Sockets: IPv4 TCP on 127.0.0.1 only.
using Socket = std::intptr_t;
constexpr Socket invalidSocket = -1;
bool startSockets();
enum class ListenResult { Listening, PortBusy, NoSocket };
ListenResult listenLoopback(std::uint16_t port, int backlog, Socket& out);
// An accepted connection gives up a send that makes no progress for this long.
constexpr int sendTimeoutMs = 10000;
Socket acceptConnection(Socket listener);
// Waits up to timeoutMs for data; returns the byte count, 0 when the peer closed or the
// wait timed out, -1 on error.
int receiveSome(Socket s, char* buffer, std::size_t size, int timeoutMs);
// Sends every byte, continuing partial sends; false when the peer went away.
bool sendAll(Socket s, const char* data, std::size_t size);
void closeSocket(Socket s);

// Runs run(argument) on a new thread that nobody joins; false, with nothing started, when the
// system has no thread to give. (Windows: CreateThread; MinGW's std::thread was seen to crash
// in its start routine when thousands of short connection threads came and went.)
bool startThread(void (*run)(void*), void* argument);

}  // namespace platform
