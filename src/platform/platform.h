// The one interface between lum and the operating system; every OS header stays behind it.
// Tests: tests/platform/files_test.cpp, tests/platform/start_thread_test.cpp, tests/platform/platform_win32_test.cpp.
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

// Whether `path` itself is a symbolic link (or, on Windows, any reparse point), whatever it points to.
bool isLink(const std::string& path);

// Whether `path` is an existing file that must not be written: the system's read-only mark (no
// write permission bit at all) or no write permission for this process. A missing file is not.
bool writeProtected(const std::string& path);

// Last-write time as one opaque number, only ever compared for equality; 0 when unreadable.
std::uint64_t fileTime(const std::string& path);

// Opens a file in binary mode ("rb", "wb"); nullptr when it cannot be opened.
std::FILE* openFile(const std::string& path, const char* mode);

// Creates `path` for writing ("wb"), failing when anything, a link included, is there already;
// nullptr then, or when it cannot be created.
std::FILE* createNewFile(const std::string& path);

// Puts `from` in place of `to` in one step, replacing an existing `to`.
bool replaceFile(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);
// Makes one folder whose parent exists; false when it cannot (an existing folder included).
bool makeFolder(const std::string& path);
// Makes `path` the folder that relative paths start from; false when it cannot.
bool setCurrentFolder(const std::string& path);

// Full path of the running executable; empty when the system cannot tell.
std::string executablePath();

// An environment variable as UTF-8; nullopt when it is not set.
std::optional<std::string> environment(const char* name);

int processId();
// Whether a process with this id is running now (true also when the system will not say).
bool processRunning(int id);

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

// Sockets: IPv4 TCP on 127.0.0.1 only. Listening and accepted sockets never block: the watch
// server serves every connection from one thread, waiting on all of them at once.
using Socket = std::intptr_t;
constexpr Socket invalidSocket = -1;
bool startSockets();
enum class ListenResult { Listening, PortBusy, NoSocket };
ListenResult listenLoopback(std::uint16_t port, int backlog, Socket& out);
enum class AcceptResult { Accepted, NoneWaiting, Failed };
// Takes one waiting connection into `out`; Failed covers a table of open files that is full.
AcceptResult acceptConnection(Socket listener, Socket& out);
enum class Transfer { Moved, WouldBlock, Closed, Failed };
// Receives what has arrived, at most `size` bytes, into `buffer`; `moved` is the count when
// Moved. Closed: the peer finished sending.
Transfer receiveSome(Socket s, char* buffer, std::size_t size, std::size_t& moved);
// Sends as much of `data` as fits now; `moved` is the count when Moved. Closed or Failed: the
// peer went away.
Transfer sendSome(Socket s, const char* data, std::size_t size, std::size_t& moved);
// Ends this side's sending: the peer reads what was sent, then the end.
void shutdownSending(Socket s);
void closeSocket(Socket s);

// Standard input and output as a byte stream for a protocol (the language server): no
// line-end translation where the system does it; nothing else reads standard input then.
void binaryStandardStreams();
enum class InputWait { Ready, TimedOut, Failed };
// Waits until standard input has bytes (or its end) to read, or timeoutMs passes.
InputWait waitForInput(int timeoutMs);
// Reads what standard input has, at most `size` bytes, waiting only when nothing is there; Closed
// at its end.
Transfer readInput(char* buffer, std::size_t size, std::size_t& moved);
// Writes all of `data` to standard output and flushes it; false when the reader went away.
bool writeOutput(const std::string& data);

struct SocketWait {
    Socket socket = invalidSocket;
    bool wantRead = false, wantWrite = false;
    // Set by waitForSockets. `failed` (reset, hang-up) also counts as ready: the next receive
    // or send tells what happened.
    bool readable = false, writable = false, failed = false;
};
// Waits until one of `sockets` is ready as asked or timeoutMs passes (negative: no limit); false
// when the wait itself failed.
bool waitForSockets(std::vector<SocketWait>& sockets, int timeoutMs);

// Lets another thread end a waitForSockets early: `receiver` is waited on like a socket and
// becomes readable after wake(); drainWakeup makes it quiet again.
struct Wakeup {
    Socket receiver = invalidSocket;
    Socket sender = invalidSocket;
};
bool makeWakeup(Wakeup& w);
void wake(const Wakeup& w);
void drainWakeup(const Wakeup& w);

// Runs run(argument) on a new thread that nobody joins; false, with nothing started, when the
// system has no thread to give. (Windows: CreateThread; MinGW's std::thread was seen to crash
// in its start routine when thousands of short connection threads came and went.)
bool startThread(void (*run)(void*), void* argument);

// A browser for a task's check: the places where Chromium, Chrome and Edge are usually installed
// on this system, in the order they are tried, and the first of them that is a file ("" for none).
std::vector<std::string> browserCandidates();
std::string findBrowser();

// A new, empty folder for temporary files (a browser profile); "" when none can be made.
std::string makeTemporaryFolder();
// Removes a folder and everything in it; false when anything stays.
bool removeFolderTree(const std::string& path);

// A process that lum started and ends itself: its standard error is read line by line (a
// headless browser's console log), its standard input and output lead nowhere. Ending it ends the
// processes it started too (its process group; on Windows, its job).
struct ChildProcess {
    std::intptr_t id = -1;         // the process (POSIX: its id; Windows: its handle)
    std::intptr_t group = -1;      // Windows: the job object
    std::intptr_t errorPipe = -1;  // the reading end of its standard error
    std::string pending;           // bytes read after the last whole line
    bool ended = false;            // its standard error reached its end
};
// Starts argv[0] with the arguments; false, with nothing running, when it cannot be started.
bool startChild(const std::vector<std::string>& argv, ChildProcess& child);
enum class ChildRead { Line, TimedOut, Ended };
// One line of its standard error, without the line end, waiting at most timeoutMs.
ChildRead readChildLine(ChildProcess& child, std::string& line, int timeoutMs);
// Ends the process and everything it started, and waits for it; safe to call twice.
void endChild(ChildProcess& child);
// Whether lum runs as the system's superuser (POSIX root), whom a browser serves only without
// its own sandbox.
bool runningAsRoot();
// Milliseconds from an arbitrary start, never going back.
std::uint64_t monotonicMs();

}  // namespace platform
