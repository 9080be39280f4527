// The watch server's HTTP side, as pure functions: when a request has arrived far enough to be
// answered, whom it may be answered to, where it goes, and the reply bytes.
// Tests: tests/frontend/http_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace frontend {

// What the server does with one connection.
enum class Route {
    Page,       // "/" or "/index.html": the served page
    Wait,       // "/wait": the long poll
    Notes,      // "/notes": the notes of the last compile, for the page to show
    Step,       // "/step": the served page run step by step
    StepScript, // "/step.js": the step view's script
    NotFound,   // any other target of a GET
    NoReply,    // not a GET (or nothing usable): closed without a word
};

// Reads only the first two whitespace-separated words of `block` (up to its first zero
// byte, and of its first requestBlockLimit bytes): a method of at most 7 characters, whose
// longer rest begins the target, and a target of at most 511 characters, cut at its first "?".
Route routeRequest(std::string_view block);

// The value of "build=" in the query of the request's target ("/wait?build=…"); empty when
// there is none.
std::string waitBuild(std::string_view block);

// Routing reads this many bytes of a request, as the first block a 2048-byte buffer took.
constexpr std::size_t requestBlockLimit = 2047;
// The most bytes kept of one request: more than any browser's header block with its cookies.
// Whatever comes beyond is read and dropped, never left unread, so that closing the connection
// cannot reset it and cut the reply short.
constexpr std::size_t requestByteLimit = 64 * 1024;

// How far a request has arrived, judged from the bytes received so far.
enum class Arrival {
    More,          // nothing decided yet: read on
    HeaderEnded,   // its header block ended, at a blank line or at a zero byte (which ends what is read)
    NoReplyDue,    // its first word already rules out a reply
    LimitReached,  // requestByteLimit bytes came without the end of the header block
};
// `searched` carries the progress between calls on one growing buffer (start at 0), so that
// every byte is searched a bounded number of times.
Arrival requestArrival(std::string_view received, std::size_t& searched);

// Whether a request may be answered on `port`: a request with Host headers names 127.0.0.1 or
// localhost in its one Host header, with that port or none. A page that rebinds its own name to
// 127.0.0.1 sends that name (every browser sends a Host header), and is refused. A request
// without one is answered as it came, whole or only its first block; a Host line cut off counts
// with the part of its value that came, so a foreign or unfinished name is refused.
bool hostAllowed(std::string_view request, int port);

inline constexpr std::string_view waitReloadReply =
    "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
inline constexpr std::string_view waitTimeoutReply =
    "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
inline constexpr std::string_view notFoundReply =
    "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
inline constexpr std::string_view forbiddenReply =
    "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

// The header that stands before a page of `size` bytes.
std::string pageReplyHeader(std::size_t size);
// The header that stands before a script of `size` bytes.
std::string scriptReplyHeader(std::size_t size);

// The whole reply to "/notes": JSON {"build": build, "file": the source's file name,
// "notes": [every note line as printed], "lines": [the program line each note is about, 0 for none]}.
std::string notesReply(const std::string& build, const std::string& fileName, const std::vector<std::string>& notes,
                       const std::vector<std::uint32_t>& lines);

}  // namespace frontend
