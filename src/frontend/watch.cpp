// Watch mode: compile once, serve the page on 127.0.0.1, recompile on every change of the
// source, the rules file or an included library, and wake the page's pending "/wait".
#include <algorithm>
#include <chrono>
#include <memory>
#include <cstdio>
#include <mutex>
#include <new>
#include <semaphore>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "frontend/files.h"
#include "frontend/frontend.h"
#include "frontend/http.h"
#include "output/diagnostics.h"
#include "platform/platform.h"
#include "rules/rulesfile.h"
#include "translator/libraries_on_disk.h"

namespace {

// Shared by the watch loop and the server. The main thread alone replaces servedPage; the
// server takes the current snapshot under pageLock and sends it outside the lock. A snapshot
// is never changed once published, so however many clients are sent a page at once, each
// page exists only once in memory. pageLock also guards pageChanged's counters.
std::shared_ptr<const std::string> servedPage = std::make_shared<const std::string>();
std::mutex pageLock;
ReloadSignal pageChanged;

// Main thread only: one last-write time per entry of includedFiles.
std::vector<std::uint64_t> includedFileTimes;

constexpr int firstPort = 8137;
constexpr int portCount = 10;
constexpr int listenBacklog = 8;
constexpr auto pollPeriod = std::chrono::milliseconds(400);
constexpr auto waitLimit = std::chrono::milliseconds(25000);
// A client that sends nothing for this long is dropped without a reply.
constexpr int receiveTimeoutMs = 5000;
// Connections served at once; further ones wait in the listen backlog. Each pending "/wait"
// (an open page) holds one for up to 25 s.
constexpr std::ptrdiff_t connectionLimit = 64;

bool sendText(platform::Socket s, std::string_view text) { return platform::sendAll(s, text.data(), text.size()); }

// One connection, from its first received block to its close.
void serveConnection(platform::Socket s) {
    char block[requestBlockLimit + 1];
    const int received = platform::receiveSome(s, block, requestBlockLimit, receiveTimeoutMs);
    if (received > 0) {
        switch (routeRequest(std::string_view(block, static_cast<std::size_t>(received)))) {
        case Route::Wait:
            sendText(s, awaitReload(pageLock, pageChanged, waitLimit) ? waitReloadReply : waitTimeoutReply);
            break;
        case Route::Page: {
            std::shared_ptr<const std::string> page;
            {
                std::lock_guard<std::mutex> hold(pageLock);
                page = servedPage;
            }
            // Nothing more goes to a client that is gone.
            if (sendText(s, pageReplyHeader(page->size()))) sendText(s, *page);
            break;
        }
        case Route::NotFound:
            sendText(s, notFoundReply);
            break;
        case Route::NoReply:
            break;
        }
    }
    platform::closeSocket(s);
}

// One accepted connection handed to its thread, with the slot it gives back when done.
struct Connection {
    platform::Socket socket;
    std::counting_semaphore<connectionLimit>* slots;
};

void connectionThread(void* argument) {
    Connection* connection = static_cast<Connection*>(argument);
    serveConnection(connection->socket);
    connection->slots->release();
    delete connection;
}

// Accepts forever, each connection on a thread of its own, at most connectionLimit at once.
// Never returns, so the slots outlive every connection thread.
[[noreturn]] void serverLoop(platform::Socket listener) {
    std::counting_semaphore<connectionLimit> connectionSlots(connectionLimit);
    for (;;) {
        connectionSlots.acquire();
        const platform::Socket s = platform::acceptConnection(listener);
        if (s == platform::invalidSocket) {
            connectionSlots.release();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        Connection* connection = new (std::nothrow) Connection{s, &connectionSlots};
        if (!connection || !platform::startThread(connectionThread, connection)) {
            // No thread to be had: the connection is dropped rather than the server.
            delete connection;
            platform::closeSocket(s);
            connectionSlots.release();
        }
    }
}

void serverThread(void* listener) { serverLoop(*static_cast<platform::Socket*>(listener)); }

void snapshotIncludedFileTimes() {
    includedFileTimes.resize(includedFiles.size());
    for (std::size_t i = 0; i < includedFiles.size(); ++i) includedFileTimes[i] = platform::fileTime(includedFiles[i]);
}

// Whether any included file has a new readable time; every position is visited, and each
// new time is kept.
bool includedFilesChanged() {
    bool changed = false;
    const std::size_t count = std::min(includedFiles.size(), includedFileTimes.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t t = platform::fileTime(includedFiles[i]);
        if (t != 0 && t != includedFileTimes[i]) {
            includedFileTimes[i] = t;
            changed = true;
        }
    }
    return changed;
}

// Binds the first free port of the ten; false when none is free or no socket can be made.
bool listenOnFirstFreePort(platform::Socket& listener, int& port) {
    for (int p = firstPort; p < firstPort + portCount; ++p) {
        switch (platform::listenLoopback(static_cast<std::uint16_t>(p), listenBacklog, listener)) {
        case platform::ListenResult::Listening:
            port = p;
            return true;
        case platform::ListenResult::NoSocket:
            return false;
        case platform::ListenResult::PortBusy:
            break;
        }
    }
    return false;
}

void recompile(const std::string& source, const CompileOptions& options) {
    const std::string output = compileFile(source, options);
    if (output.empty()) return;
    std::string page;
    if (readWholeFile(output, page)) {
        auto snapshot = std::make_shared<const std::string>(std::move(page));
        std::lock_guard<std::mutex> hold(pageLock);
        servedPage = std::move(snapshot);
    }
    announceReload(pageLock, pageChanged);
    snapshotIncludedFileTimes();
    const platform::TimeOfDay now = platform::localTimeOfDay();
    std::printf("перекомпилировано: %02d:%02d:%02d\n", now.hour, now.minute, now.second);
}

[[noreturn]] void watchLoop(const std::string& source, const CompileOptions& options, std::uint64_t sourceTime,
                            const std::string& rulesPath, std::uint64_t rulesTime) {
    std::uint64_t previousSourceTime = sourceTime;
    for (;;) {
        std::this_thread::sleep_for(pollPeriod);
        const std::uint64_t currentSourceTime = platform::fileTime(source);
        bool changed = false;
        bool rulesChanged = false;
        if (!rulesPath.empty() && platform::pathKind(rulesPath) != platform::PathKind::Missing) {
            const std::uint64_t t = platform::fileTime(rulesPath);
            if (t != 0 && t != rulesTime) {
                rulesChanged = true;
                rulesTime = t;
            }
        }
        if (rulesChanged) {
            WarningList warnings;
            if (loadRules(rulesPath, warnings)) {
                std::printf("перечитаны правила: %s (%d шт.)\n", rulesPath.c_str(), static_cast<int>(ruleTable.size()));
                printWarnings(rulesPath, warnings);
                changed = true;
            } else {
                // The loader kept the previous table; only a change of the source itself
                // (or of a library, below) still asks for a recompile.
                std::printf("Ошибка: пустой или испорченный файл правил: %s\n", rulesPath.c_str());
                changed = currentSourceTime != previousSourceTime;
            }
        } else {
            changed = currentSourceTime != previousSourceTime;
        }
        if (includedFilesChanged()) changed = true;
        if (changed) recompile(source, options);
        if (changed || rulesChanged) std::fflush(stdout);
        previousSourceTime = currentSourceTime;
    }
}

}  // namespace

int runWatchMode(const std::string& source, const CompileOptions& options) {
    switch (platform::pathKind(source)) {
    case platform::PathKind::Folder:
        std::fputs("Ошибка: режим -w работает с одним файлом, а не с папкой\n", stdout);
        return 1;
    case platform::PathKind::Missing:
        std::printf("Ошибка: файл не найден: %s\n", source.c_str());
        return 1;
    case platform::PathKind::File:
        break;
    }
    CompileOptions watchOptions = options;
    if (watchOptions.js) {
        std::fputs("Замечание: в режиме -w страница обновляется сама, поэтому показываю HTML (файл .js всё "
                   "равно будет создан при обычной компиляции)\n",
                   stdout);
        watchOptions.js = false;
    }
    watchOptions.watch = true;

    // Times taken before the first compile, so that a save during it is not missed.
    const std::uint64_t sourceTime = platform::fileTime(source);
    const std::string rulesPath = locateRulesFile();
    const std::uint64_t rulesTime = rulesPath.empty() ? 0 : platform::fileTime(rulesPath);
    const std::string output = compileFile(source, watchOptions);
    if (output.empty()) return 1;
    snapshotIncludedFileTimes();
    std::string page;
    if (!readWholeFile(output, page)) return 1;
    if (!platform::startSockets()) {
        std::fputs("Ошибка: не удалось запустить Winsock\n", stdout);
        return 1;
    }
    platform::Socket listener = platform::invalidSocket;
    int port = 0;
    if (!listenOnFirstFreePort(listener, port)) {
        std::fputs("Ошибка: не удалось занять порт для режима наблюдения\n", stdout);
        return 1;
    }
    {
        auto snapshot = std::make_shared<const std::string>(std::move(page));
        std::lock_guard<std::mutex> hold(pageLock);
        servedPage = std::move(snapshot);
    }
    // The server owns the listening socket for the rest of the process.
    static platform::Socket serverSocket = listener;
    if (!platform::startThread(serverThread, &serverSocket)) {
        std::fputs("Ошибка: не удалось запустить сервер режима наблюдения\n", stdout);
        return 1;
    }
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
    std::printf("Режим наблюдения: правьте %s и сохраняйте — страница обновится сама.\n", source.c_str());
    std::printf("Страница: %s  (Ctrl+C — остановить)\n", address.c_str());
    std::fflush(stdout);
    platform::openWithShell(address);
    watchLoop(source, watchOptions, sourceTime, rulesPath, rulesTime);
}
