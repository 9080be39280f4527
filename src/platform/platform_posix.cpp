// The platform interface on Linux and other POSIX systems.
// Tests: tests/platform/files_test.cpp, tests/e2e/watch_test.cpp.
#include "platform/platform.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "base/lines.h"
#include "base/text.h"

namespace platform {

char separator() { return '/'; }

PathKind pathKind(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

bool isLink(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool writeProtected(const std::string& path) {
    // A link is replaced, never written through, so only a file's own permissions count. Root may
    // write any file: a file without any write bit is still taken as marked read-only.
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

std::uint64_t fileTime(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return 0;
    // Seconds and nanoseconds folded into one number; only equality is ever asked of it.
    // The size joins in so that two saves within one timestamp tick still differ.
    std::uint64_t t = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000ull +
                      static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
    t ^= static_cast<std::uint64_t>(st.st_size) << 1;
    return t == 0 ? 1 : t;
}

std::FILE* openFile(const std::string& path, const char* mode) {
    if (path.empty()) return nullptr;
    if (mode[0] == 'r') {
        // Only regular files are read: a pipe or a device named like a source or library
        // would otherwise block the compile for ever (opening a FIFO waits for a writer, so
        // the open itself must not block).
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        std::FILE* f = ::fdopen(fd, "rb");
        if (!f) ::close(fd);
        return f;
    }
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (f) ::fcntl(::fileno(f), F_SETFD, FD_CLOEXEC);
    return f;
}

std::FILE* createNewFile(const std::string& path) {
    if (path.empty()) return nullptr;
    // O_EXCL already refuses a link in the last component; O_NOFOLLOW says so twice.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) ::close(fd);
    return f;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool makeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool setCurrentFolder(const std::string& path) { return ::chdir(path.c_str()) == 0; }

std::string executablePath() {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

int processId() { return static_cast<int>(::getpid()); }

bool processRunning(int id) {
    if (id <= 0) return true;
    // EPERM: it exists but belongs to someone else.
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

int exitCodeLimit() { return 255; }

void prepareConsole() {}

bool readStdinLine(std::string& line, std::size_t maxBytes) {
    line.clear();
    std::string buffer(maxBytes + 1, '\0');
    if (!std::fgets(buffer.data(), static_cast<int>(buffer.size()), stdin)) return false;
    line.assign(buffer.c_str());
    return true;
}

int readStdinChar() { return std::fgetc(stdin); }

void binaryStandardStreams() {
    // A client that went away ends a write with an error, not the process with a signal.
    signal(SIGPIPE, SIG_IGN);
}

InputWait waitForInput(int timeoutMs) {
    pollfd p{0, POLLIN, 0};
    for (;;) {
        const int r = poll(&p, 1, timeoutMs);
        if (r > 0) return InputWait::Ready;  // POLLHUP and POLLERR too: the read tells
        if (r == 0) return InputWait::TimedOut;
        if (errno != EINTR) return InputWait::Failed;
    }
}

Transfer readInput(char* buffer, std::size_t size, std::size_t& moved) {
    for (;;) {
        const ssize_t r = read(0, buffer, size);
        if (r > 0) {
            moved = static_cast<std::size_t>(r);
            return Transfer::Moved;
        }
        if (r == 0) return Transfer::Closed;
        if (errno != EINTR) return Transfer::Failed;
    }
}

bool writeOutput(const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t w = write(1, data.data() + done, data.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += static_cast<std::size_t>(w);
    }
    return true;
}

void openWithShell(const std::string& pathOrUrl) {
    // Two forks: the middle process exits at once and is reaped here, so the opener is
    // adopted by init and no zombie is left whatever it does.
    const pid_t child = ::fork();
    if (child < 0) return;
    if (child == 0) {
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            const int devnull = ::open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                ::dup2(devnull, 0);
                ::dup2(devnull, 1);
                ::dup2(devnull, 2);
            }
            char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(pathOrUrl.c_str()),
                                  nullptr};
            ::execvp("xdg-open", argv);
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

namespace {

// A name's code points; a byte that begins no valid UTF-8 sequence becomes a value no mask
// holds, so the rest of the name still compares.
base::CodePoints lenientCodePoints(const std::string& name) {
    base::CodePoints points;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t length = 1;
        const unsigned char lead = static_cast<unsigned char>(name[i]);
        if (lead >= 0xC0) length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        base::CodePoints one;
        if (i + length <= name.size() && base::decodeUtf8(name.substr(i, length), one) && one.size() == 1) {
            points.push_back(one[0]);
            i += length;
        } else {
            points.push_back(0xFFFFFFFFu);
            ++i;
        }
    }
    return points;
}

// The Windows wildcard "*.ext": any name, possibly empty, then the extension, compared
// case-insensitively with the system's case mapping. Other masks compare whole names.
bool maskMatches(const std::string& name, const std::string& mask) {
    if (mask.empty() || mask[0] != '*') return name == mask;
    const base::CodePoints n = lenientCodePoints(name);
    const base::CodePoints tail = base::decodeBytes(mask.substr(1));
    if (n.size() < tail.size()) return false;
    const std::size_t start = n.size() - tail.size();
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (!base::sameLetter(n[start + i], tail[i])) return false;
    return true;
}

}  // namespace

std::vector<FolderEntry> findEntries(const std::string& folder, const std::string& mask) {
    std::vector<FolderEntry> entries;
    const std::string base = folder.empty() ? "." : folder;
    DIR* dir = ::opendir(base.c_str());
    if (!dir) return entries;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || !maskMatches(name, mask)) continue;
        // Followed through links, like the attributes the Windows search reports. Pipes,
        // sockets and devices are no files a compile could read (opening a pipe would
        // block), so they are left out; an entry that cannot be queried, such as a dangling
        // link, stays and fails in its compile with a message.
        struct stat st {};
        const bool queried = ::stat((base + "/" + name).c_str(), &st) == 0;
        if (queried && !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) continue;
        FolderEntry entry;
        entry.name = name;
        entry.isFolder = queried && S_ISDIR(st.st_mode);
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

TimeOfDay localTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
    ::localtime_r(&now, &parts);
    return {parts.tm_hour, parts.tm_min, parts.tm_sec};
}

bool startSockets() { return true; }

ListenResult listenLoopback(std::uint16_t port, int backlog, Socket& out) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0) return ListenResult::NoSocket;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Here the option only lets a restarted server take its port back while connections
    // of the last run linger in TIME_WAIT (a port with a listener on it stays taken), which
    // is how binding behaves on Windows without it.
    const int reuse = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s, backlog) != 0) {
        ::close(s);
        return ListenResult::PortBusy;
    }
    out = s;
    return ListenResult::Listening;
}

AcceptResult acceptConnection(Socket listener, Socket& out) {
    for (;;) {
        const int s = ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (s >= 0) {
            out = s;
            return AcceptResult::Accepted;
        }
        if (errno == EINTR) continue;
        // A connection that was reset while waiting is simply gone.
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED) return AcceptResult::NoneWaiting;
        return AcceptResult::Failed;
    }
}

namespace {

Transfer transferred(ssize_t n, std::size_t& moved) {
    if (n > 0) {
        moved = static_cast<std::size_t>(n);
        return Transfer::Moved;
    }
    if (n == 0) return Transfer::Closed;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Transfer::WouldBlock;
    return errno == ECONNRESET || errno == EPIPE ? Transfer::Closed : Transfer::Failed;
}

}  // namespace

Transfer receiveSome(Socket s, char* buffer, std::size_t size, std::size_t& moved) {
    ssize_t n;
    do {
        n = ::recv(static_cast<int>(s), buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    return transferred(n, moved);
}

Transfer sendSome(Socket s, const char* data, std::size_t size, std::size_t& moved) {
    ssize_t n;
    do {
        n = ::send(static_cast<int>(s), data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    // send() never reports an end with 0; treat it as "nothing fits yet".
    if (n == 0) return Transfer::WouldBlock;
    return transferred(n, moved);
}

void shutdownSending(Socket s) { ::shutdown(static_cast<int>(s), SHUT_WR); }

void closeSocket(Socket s) { ::close(static_cast<int>(s)); }

bool waitForSockets(std::vector<SocketWait>& sockets, int timeoutMs) {
    std::vector<pollfd> polled(sockets.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        polled[i].fd = static_cast<int>(sockets[i].socket);
        polled[i].events = static_cast<short>((sockets[i].wantRead ? POLLIN : 0) | (sockets[i].wantWrite ? POLLOUT : 0));
    }
    int ready;
    do {
        ready = ::poll(polled.data(), polled.size(), timeoutMs < 0 ? -1 : timeoutMs);
    } while (ready < 0 && errno == EINTR);
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        const short r = ready > 0 ? polled[i].revents : 0;
        sockets[i].readable = (r & POLLIN) != 0;
        sockets[i].writable = (r & POLLOUT) != 0;
        sockets[i].failed = (r & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    }
    return ready >= 0;
}

bool makeWakeup(Wakeup& w) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    w.receiver = ends[0];
    w.sender = ends[1];
    return true;
}

void wake(const Wakeup& w) {
    const char one = 1;
    // A full pipe already wakes the receiver; nothing more is needed.
    while (::write(static_cast<int>(w.sender), &one, 1) < 0 && errno == EINTR) {
    }
}

void drainWakeup(const Wakeup& w) {
    char bytes[64];
    while (::read(static_cast<int>(w.receiver), bytes, sizeof bytes) > 0) {
    }
}

bool startThread(void (*run)(void*), void* argument) {
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) != 0) return false;
    ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    struct Start {
        void (*run)(void*);
        void* argument;
    };
    Start* start = new Start{run, argument};
    pthread_t thread;
    const int failed = ::pthread_create(
        &thread, &attributes,
        [](void* p) -> void* {
            const Start s = *static_cast<Start*>(p);
            delete static_cast<Start*>(p);
            s.run(s.argument);
            return nullptr;
        },
        start);
    ::pthread_attr_destroy(&attributes);
    if (failed) delete start;
    return failed == 0;
}

std::vector<std::string> browserCandidates() {
    std::vector<std::string> list = {"/usr/bin/chromium", "/usr/bin/chromium-browser", "/snap/bin/chromium",
                                     "/usr/bin/google-chrome", "/usr/bin/google-chrome-stable", "/opt/google/chrome/chrome",
                                     "/usr/bin/microsoft-edge", "/usr/bin/microsoft-edge-stable",
                                     "/opt/microsoft/msedge/msedge",
                                     "/Applications/Google Chrome.app/Contents/MacOS/Google Chrome",
                                     "/Applications/Chromium.app/Contents/MacOS/Chromium",
                                     "/Applications/Microsoft Edge.app/Contents/MacOS/Microsoft Edge"};
    // Then the same names wherever PATH leads.
    const std::optional<std::string> path = environment("PATH");
    std::string rest = path ? *path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string folder = rest.substr(0, colon);
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
        if (folder.empty()) continue;
        for (const char* name : {"chromium", "chromium-browser", "google-chrome", "google-chrome-stable", "microsoft-edge"})
            list.push_back(folder + "/" + name);
    }
    return list;
}

std::string findBrowser() {
    for (const std::string& candidate : browserCandidates())
        if (pathKind(candidate) == PathKind::File && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    return {};
}

std::string makeTemporaryFolder() {
    const std::optional<std::string> tmp = environment("TMPDIR");
    std::string pattern = (tmp && !tmp->empty() ? *tmp : std::string("/tmp")) + "/lum-XXXXXX";
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

bool removeFolderTree(const std::string& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error;
}

bool startChild(const std::vector<std::string>& argv, ChildProcess& child) {
    if (argv.empty()) return false;
    int fds[2];
    if (::pipe(fds) != 0) return false;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (pid == 0) {
        // Its own process group, so that ending it reaches every process it starts.
        ::setpgid(0, 0);
        const int nothing = ::open("/dev/null", O_RDWR);
        ::dup2(nothing, 0);
        ::dup2(nothing, 1);
        ::dup2(fds[1], 2);
        ::close(fds[0]);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    ::close(fds[1]);
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    child.id = pid;
    child.errorPipe = fds[0];
    child.pending.clear();
    child.ended = false;
    return true;
}

ChildRead readChildLine(ChildProcess& child, std::string& line, int timeoutMs) {
    struct timespec start {};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        if (base::takeLine(child.pending, line)) return ChildRead::Line;
        if (child.ended || child.errorPipe < 0) {
            if (child.pending.empty()) return ChildRead::Ended;
            line.swap(child.pending);
            child.pending.clear();
            return ChildRead::Line;
        }
        struct timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const long long spent = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (spent >= timeoutMs) return ChildRead::TimedOut;
        struct pollfd p {static_cast<int>(child.errorPipe), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(timeoutMs - spent));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char buffer[65536];
        const ssize_t n = ::read(static_cast<int>(child.errorPipe), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) child.ended = true;
        else child.pending.append(buffer, static_cast<std::size_t>(n));
    }
}

void endChild(ChildProcess& child) {
    if (child.id > 0) {
        const pid_t pid = static_cast<pid_t>(child.id);
        ::kill(-pid, SIGTERM);
        // A second to close by itself, then the whole group is killed.
        bool reaped = false;
        for (int i = 0; i < 100 && !reaped; ++i) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid) reaped = true;
            else ::usleep(10000);
        }
        ::kill(-pid, SIGKILL);
        if (!reaped) ::waitpid(pid, nullptr, 0);
        child.id = -1;
    }
    if (child.errorPipe >= 0) {
        ::close(static_cast<int>(child.errorPipe));
        child.errorPipe = -1;
    }
}

bool runningAsRoot() { return ::geteuid() == 0; }

std::uint64_t monotonicMs() {
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

}  // namespace platform
