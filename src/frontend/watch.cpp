// Watch mode: compile once, serve the page on 127.0.0.1, recompile on every change of the
// source, the rules file or an included library, and wake the page's pending "/wait".
// Tests: tests/e2e/watch_test.cpp, tests/browser/watch_reload_test.mjs.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/warnings.h"
#include "frontend/frontend.h"
#include "frontend/report.h"
#include "frontend/step_script.h"
#include "frontend/watch_server.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "rules/rulesfile.h"

namespace frontend {

namespace {

constexpr int firstPort = 8137;
constexpr int portCount = 10;
constexpr int listenBacklog = 8;
// The watched files are looked at every 400 ms. A change is acted on once their times have
// stayed the same from one look to the next, so an editor that empties a file and writes it in
// pieces is never compiled half-way; while something moves, the looks come every 100 ms, so a
// save, seen and then seen to rest, still reaches the page within about half a second.
constexpr auto pollPeriod = std::chrono::milliseconds(400);
constexpr auto settlePeriod = std::chrono::milliseconds(100);

// The last-write time of every watched file at one look.
struct WatchedTimes {
    std::uint64_t source = 0;
    std::uint64_t rules = 0;
    std::vector<std::uint64_t> included;  // one per included file of the last compile
    bool operator==(const WatchedTimes&) const = default;
};

std::vector<std::uint64_t> includedFileTimes(const std::vector<std::string>& includedFiles) {
    std::vector<std::uint64_t> times(includedFiles.size());
    for (std::size_t i = 0; i < includedFiles.size(); ++i) times[i] = platform::fileTime(includedFiles[i]);
    return times;
}

WatchedTimes lookAt(const std::string& source, const std::string& rulesPath, const std::vector<std::string>& includedFiles) {
    WatchedTimes t;
    t.source = platform::fileTime(source);
    t.rules = rulesPath.empty() ? 0 : platform::fileTime(rulesPath);
    t.included = includedFileTimes(includedFiles);
    return t;
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

// The state the watch loop acts on: the times of the files as last compiled, and the library
// files the last compile that read its source included.
struct CompiledTimes {
    std::uint64_t source = 0;
    std::uint64_t rules = 0;
    std::vector<std::uint64_t> included;
    std::vector<std::string> includedFiles;
};

void recompile(ServedState& served, const std::string& source, const output::CompileOptions& options, const StartUp& start,
               CompiledTimes& compiled) {
    const output::CompileReport report = compileAndPrint(source, options, start.context());
    if (report.status != output::CompileStatus::Unreadable) compiled.includedFiles = report.includedFiles;
    if (report.status != output::CompileStatus::Written) return;
    std::string page;
    if (platform::readWholeFile(report.outputPath, page)) publishPage(served, std::move(page), base::fileNameOf(source), noteLines(report), noteLineNumbers(report));
    announceRecompile(served);
    compiled.included = includedFileTimes(compiled.includedFiles);
    const platform::TimeOfDay now = platform::localTimeOfDay();
    std::printf("перекомпилировано: %02d:%02d:%02d\n", now.hour, now.minute, now.second);
}

[[noreturn]] void watchLoop(ServedState& served, const std::string& source, const output::CompileOptions& options,
                            const std::string& rulesPath, StartUp& start, CompiledTimes compiled) {
    WatchedTimes last;
    last.source = compiled.source;
    last.rules = compiled.rules;
    last.included = compiled.included;
    bool settling = false;
    for (;;) {
        std::this_thread::sleep_for(settling ? settlePeriod : pollPeriod);
        const WatchedTimes now = lookAt(source, rulesPath, compiled.includedFiles);
        settling = !(now == last);
        if (settling) {
            // Still moving: look again soon.
            last = now;
            continue;
        }
        bool changed = false;
        bool rulesChanged = false;
        if (now.rules != 0 && now.rules != compiled.rules) {
            rulesChanged = true;
            compiled.rules = now.rules;
        }
        if (rulesChanged) {
            base::WarningList warnings;
            std::vector<rules::Rule> table;
            if (rules::loadRules(rulesPath, table, warnings)) {
                start.loaded = rules::loadedRules(std::move(table), loadOtherWords(rulesPath));
                std::printf("перечитаны правила: %s (%d шт.)\n", rulesPath.c_str(), static_cast<int>(start.loaded.table.size()));
                printWarnings(rulesPath, warnings);
                changed = true;
            } else {
                // The loader kept the previous table; only a change of the source itself
                // (or of a library, below) still asks for a recompile.
                std::printf("Ошибка: пустой или испорченный файл правил: %s\n", rulesPath.c_str());
                changed = now.source != compiled.source;
            }
        } else {
            changed = now.source != compiled.source;
        }
        // Every included file with a new readable time counts; each new time is kept.
        for (std::size_t i = 0; i < std::min(now.included.size(), compiled.included.size()); ++i) {
            if (now.included[i] != 0 && now.included[i] != compiled.included[i]) {
                compiled.included[i] = now.included[i];
                changed = true;
            }
        }
        compiled.source = now.source;
        if (changed) {
            recompile(served, source, options, start, compiled);
            // The libraries of the new compile are the ones watched from now on.
            last.included = compiled.included;
        }
        if (changed || rulesChanged) std::fflush(stdout);
    }
}

// Shared by the watch loop and the server thread for the rest of the process.
ServedState& servedState() {
    static ServedState state;
    return state;
}

void serverThread(void* listener) {
    const auto* start = static_cast<const std::pair<platform::Socket, int>*>(listener);
    serveForever(servedState(), start->first, start->second);
}

}  // namespace

int runWatchMode(const std::string& source, const output::CompileOptions& options, StartUp& start) {
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
    output::CompileOptions watchOptions = options;
    if (watchOptions.js) {
        std::fputs("Замечание: в режиме -w страница обновляется сама, поэтому показываю HTML (файл .js всё "
                   "равно будет создан при обычной компиляции)\n",
                   stdout);
        watchOptions.js = false;
    }
    watchOptions.watch = true;

    const std::string outputPath = output::outputPathFor(source, false);
    platform::removeStaleTemporaries(base::folderOf(outputPath), {base::fileNameOf(outputPath)});
    // Times taken before the first compile, so that a save during it is not missed.
    CompiledTimes compiled;
    compiled.source = platform::fileTime(source);
    const std::string rulesPath = locateRulesFile();
    compiled.rules = rulesPath.empty() ? 0 : platform::fileTime(rulesPath);
    const output::CompileReport report = compileAndPrint(source, watchOptions, start.context());
    if (report.status != output::CompileStatus::Written) return 1;
    compiled.includedFiles = report.includedFiles;
    compiled.included = includedFileTimes(compiled.includedFiles);
    std::string page;
    if (!platform::readWholeFile(report.outputPath, page)) return 1;
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
    ServedState& served = servedState();
    // Read once: answering a request never reads the disk.
    std::string stepScript;
    if (readStepScript(stepScript)) served.stepScript = std::make_shared<const std::string>(std::move(stepScript));
    publishPage(served, std::move(page), base::fileNameOf(source), noteLines(report), noteLineNumbers(report));
    // The server owns the listening socket for the rest of the process.
    static std::pair<platform::Socket, int> serverStart{listener, port};
    if (!platform::makeWakeup(served.wakeup) || !platform::startThread(serverThread, &serverStart)) {
        std::fputs("Ошибка: не удалось запустить сервер режима наблюдения\n", stdout);
        return 1;
    }
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
    std::printf("Режим наблюдения: правьте %s и сохраняйте — страница обновится сама.\n", source.c_str());
    std::printf("Страница: %s  (Ctrl+C — остановить)\n", address.c_str());
    std::fflush(stdout);
    platform::openWithShell(address);
    watchLoop(served, source, watchOptions, rulesPath, start, compiled);
}

}  // namespace frontend
