// The watch server's HTTP side: routing of a request's first block, the reply bytes, and the
// reload signal that a pending "/wait" waits on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

// What the server does with one connection.
enum class Route {
    Page,      // "/" or "/index.html": the served page
    Wait,      // "/wait": the long poll
    NotFound,  // any other target of a GET
    NoReply,   // not a GET (or nothing usable): closed without a word
};

// Reads only the first two whitespace-separated words of `block` (up to its first zero
// byte): a method of at most 7 characters, whose longer rest begins the target, and a
// target of at most 511 characters, cut at its first "?".
Route routeRequest(std::string_view block);

// The most bytes the server takes of a request: one receive into a 2048-byte buffer.
constexpr std::size_t requestBlockLimit = 2047;

inline constexpr std::string_view waitReloadReply =
    "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
inline constexpr std::string_view waitTimeoutReply =
    "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
inline constexpr std::string_view notFoundReply =
    "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

// The header that stands before a page of `size` bytes.
std::string pageReplyHeader(std::size_t size);

// The recompile signal. A recompile bumps `generation` and wakes every waiter; `seen` is the
// last generation any "/wait" has answered for, so a recompile that no waiter saw is
// answered at once by the next "/wait". Guarded by the caller's lock (the page lock).
struct ReloadSignal {
    std::condition_variable changed;
    std::uint64_t generation = 0;
    std::uint64_t seen = 0;
};

// Marks a recompile and wakes every pending wait.
void announceReload(std::mutex& lock, ReloadSignal& signal);
// True when a recompile came (or had come unseen) within `timeout`; false on time-out.
bool awaitReload(std::mutex& lock, ReloadSignal& signal, std::chrono::milliseconds timeout);
