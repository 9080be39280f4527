// Request routing, reply texts and the reload signal of the watch server.
#include "frontend/http.h"

#include <cstdio>

namespace {

// The C locale's white space, the characters that separate words of a request line.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Skips white space from `at`, then takes at most `limit` non-space characters.
std::string_view nextWord(std::string_view text, std::size_t& at, std::size_t limit) {
    while (at < text.size() && isSpace(text[at])) ++at;
    const std::size_t start = at;
    while (at < text.size() && !isSpace(text[at]) && at - start < limit) ++at;
    return text.substr(start, at - start);
}

}  // namespace

Route routeRequest(std::string_view block) {
    if (block.size() > requestBlockLimit) block = block.substr(0, requestBlockLimit);
    // The block is read as a C string: a zero byte ends it.
    const std::size_t zero = block.find('\0');
    if (zero != std::string_view::npos) block = block.substr(0, zero);
    std::size_t at = 0;
    const std::string_view method = nextWord(block, at, 7);
    std::string_view target = nextWord(block, at, 511);
    if (method != "GET") return Route::NoReply;
    const std::size_t query = target.find('?');
    if (query != std::string_view::npos) target = target.substr(0, query);
    if (target == "/wait") return Route::Wait;
    if (target == "/" || target == "/index.html") return Route::Page;
    return Route::NotFound;
}

std::string pageReplyHeader(std::size_t size) {
    char header[256];
    std::snprintf(header, sizeof header,
                  "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: %zu\r\n"
                  "Connection: close\r\n\r\n",
                  size);
    return header;
}

void announceReload(std::mutex& lock, ReloadSignal& signal) {
    {
        std::lock_guard<std::mutex> hold(lock);
        ++signal.generation;
    }
    signal.changed.notify_all();
}

bool awaitReload(std::mutex& lock, ReloadSignal& signal, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> hold(lock);
    const std::uint64_t start = signal.seen;
    const bool reloaded =
        signal.changed.wait_for(hold, timeout, [&] { return signal.generation != start; });
    if (reloaded) signal.seen = signal.generation;
    return reloaded;
}
