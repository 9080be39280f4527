// The platform interface in the browser (WebAssembly in the playground's worker): files live in
// the in-memory file system; there is no console, shell, folder listing, socket or thread, so
// folder mode and watch mode find nothing to work with and fail with their own messages.
// Tests: tests/playground/playground_test.mjs.
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

namespace platform {

char separator() { return '/'; }

PathKind pathKind(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

// The in-memory file system holds what the worker put there: no links, no read-only files.
bool isLink(const std::string&) { return false; }
bool writeProtected(const std::string&) { return false; }

// Nothing is watched here.
std::uint64_t fileTime(const std::string&) { return 0; }

std::FILE* openFile(const std::string& path, const char* mode) {
    if (path.empty() || pathKind(path) == PathKind::Folder) return nullptr;
    return std::fopen(path.c_str(), mode);
}

std::FILE* createNewFile(const std::string& path) {
    if (path.empty()) return nullptr;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) ::close(fd);
    return f;
}

bool replaceFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool makeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0; }

bool setCurrentFolder(const std::string& path) { return ::chdir(path.c_str()) == 0; }

// No executable on disk: the rules come from the page, never from a search beside it.
std::string executablePath() { return {}; }

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

int processId() { return 1; }

// The worker is the only process there is.
bool processRunning(int id) { return id == 1; }

int exitCodeLimit() { return 255; }

void prepareConsole() {}

bool readStdinLine(std::string& line, std::size_t) {
    line.clear();
    return false;
}

int readStdinChar() { return -1; }

void binaryStandardStreams() {}
InputWait waitForInput(int) { return InputWait::Failed; }
Transfer readInput(char*, std::size_t, std::size_t&) { return Transfer::Closed; }
bool writeOutput(const std::string&) { return false; }

void openWithShell(const std::string&) {}

std::vector<FolderEntry> findEntries(const std::string&, const std::string&) { return {}; }

TimeOfDay localTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
    ::localtime_r(&now, &parts);
    return {parts.tm_hour, parts.tm_min, parts.tm_sec};
}

bool startSockets() { return false; }

ListenResult listenLoopback(std::uint16_t, int, Socket&) { return ListenResult::NoSocket; }

AcceptResult acceptConnection(Socket, Socket&) { return AcceptResult::Failed; }

Transfer receiveSome(Socket, char*, std::size_t, std::size_t&) { return Transfer::Failed; }

Transfer sendSome(Socket, const char*, std::size_t, std::size_t&) { return Transfer::Failed; }

void shutdownSending(Socket) {}

void closeSocket(Socket) {}

bool waitForSockets(std::vector<SocketWait>&, int) { return false; }

bool makeWakeup(Wakeup&) { return false; }
void wake(const Wakeup&) {}
void drainWakeup(const Wakeup&) {}

bool startThread(void (*)(void*), void*) { return false; }

// The playground runs no other program: a task is checked by the page itself.
std::vector<std::string> browserCandidates() { return {}; }
std::string findBrowser() { return {}; }
std::string makeTemporaryFolder() { return {}; }
bool removeFolderTree(const std::string&) { return false; }
bool startChild(const std::vector<std::string>&, ChildProcess&) { return false; }
ChildRead readChildLine(ChildProcess&, std::string&, int) { return ChildRead::Ended; }
void endChild(ChildProcess&) {}

bool runningAsRoot() { return false; }
std::uint64_t monotonicMs() { return static_cast<std::uint64_t>(std::clock()) * 1000 / CLOCKS_PER_SEC; }

}  // namespace platform
