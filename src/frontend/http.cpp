// Request reading, routing, the Host check and the reply texts of the watch server.
// Tests: tests/frontend/http_test.cpp.
#include "base/json.h"
#include "frontend/http.h"

#include <cstdio>

namespace frontend {

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

struct RequestLine {
    std::string_view method, target;  // the target still with its query
};

// The first two words as routing reads them: the block up to its first zero byte and at most
// requestBlockLimit bytes, as one receive into a C string took it.
RequestLine requestLine(std::string_view block) {
    if (block.size() > requestBlockLimit) block = block.substr(0, requestBlockLimit);
    const std::size_t zero = block.find('\0');
    if (zero != std::string_view::npos) block = block.substr(0, zero);
    std::size_t at = 0;
    RequestLine line;
    line.method = nextWord(block, at, 7);
    line.target = nextWord(block, at, 511);
    return line;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameLowered(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool namesThisServer(std::string_view host, int port) {
    const std::size_t colon = host.rfind(':');
    const std::string_view name = host.substr(0, colon);
    if (colon != std::string_view::npos && host.substr(colon + 1) != std::to_string(port)) return false;
    return name == "127.0.0.1" || sameLowered(name, "localhost");
}

}  // namespace

Route routeRequest(std::string_view block) {
    const RequestLine line = requestLine(block);
    if (line.method != "GET") return Route::NoReply;
    std::string_view target = line.target;
    const std::size_t query = target.find('?');
    if (query != std::string_view::npos) target = target.substr(0, query);
    if (target == "/wait") return Route::Wait;
    if (target == "/" || target == "/index.html") return Route::Page;
    if (target == "/notes") return Route::Notes;
    if (target == "/step") return Route::Step;
    if (target == "/step.js") return Route::StepScript;
    return Route::NotFound;
}

std::string waitBuild(std::string_view block) {
    const std::string_view target = requestLine(block).target;
    const std::size_t query = target.find('?');
    if (query == std::string_view::npos) return {};
    std::string_view rest = target.substr(query + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        if (pair.substr(0, 6) == "build=") return std::string(pair.substr(6));
        if (amp == std::string_view::npos) break;
        rest.remove_prefix(amp + 1);
    }
    return {};
}

Arrival requestArrival(std::string_view received, std::size_t& searched) {
    // The first word decides as soon as it cannot be "GET" any more; it is read the way
    // routing reads it, so only the first block counts.
    const std::string_view head = received.substr(0, requestBlockLimit);
    std::size_t at = 0;
    while (at < head.size() && isSpace(head[at])) ++at;
    for (std::size_t i = 0; at + i < head.size() && head[at + i] != '\0'; ++i) {
        const char c = head[at + i];
        if (i == 3) {
            if (!isSpace(c)) return Arrival::NoReplyDue;
            break;
        }
        if (c != "GET"[i]) return Arrival::NoReplyDue;
    }
    std::size_t i = searched;
    for (; i < received.size(); ++i) {
        if (received[i] == '\0') return Arrival::HeaderEnded;
        if (received[i] != '\n') continue;
        // A line feed followed by an empty line ("\n" or "\r\n") ends the header block.
        if (i + 1 < received.size() && received[i + 1] == '\n') return Arrival::HeaderEnded;
        if (i + 2 < received.size() && received[i + 1] == '\r' && received[i + 2] == '\n') return Arrival::HeaderEnded;
        if (i + 2 >= received.size()) break;  // too little after it to tell yet
    }
    searched = i;
    return received.size() >= requestByteLimit ? Arrival::LimitReached : Arrival::More;
}

bool hostAllowed(std::string_view request, int port) {
    const std::size_t zero = request.find('\0');
    if (zero != std::string_view::npos) request = request.substr(0, zero);
    // Leading empty lines, then the request line; header lines follow up to an empty one.
    std::size_t at = 0;
    while (at < request.size() && (request[at] == '\r' || request[at] == '\n')) ++at;
    const std::size_t firstEnd = request.find('\n', at);
    if (firstEnd == std::string_view::npos) return true;
    int hosts = 0;
    bool ours = false;
    for (at = firstEnd + 1; at < request.size();) {
        std::size_t end = request.find('\n', at);
        if (end == std::string_view::npos) end = request.size();
        const std::string_view line = request.substr(at, end - at);
        at = end + 1;
        if (trimmed(line).empty()) break;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !sameLowered(line.substr(0, colon), "host")) continue;
        ++hosts;
        ours = namesThisServer(trimmed(line.substr(colon + 1)), port);
    }
    return hosts == 0 || (hosts == 1 && ours);
}

std::string pageReplyHeader(std::size_t size) {
    char header[256];
    std::snprintf(header, sizeof header,
                  "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: %zu\r\n"
                  "Connection: close\r\n\r\n",
                  size);
    return header;
}

std::string scriptReplyHeader(std::size_t size) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/javascript; charset=utf-8\r\nCache-Control: no-cache\r\n"
           "Content-Length: " + std::to_string(size) + "\r\nConnection: close\r\n\r\n";
}

std::string notesReply(const std::string& build, const std::string& fileName, const std::vector<std::string>& notes,
                       const std::vector<std::uint32_t>& lines) {
    std::vector<base::Json> lineNumbers;
    for (const std::uint32_t line : lines) lineNumbers.push_back(base::jsonNumber(line));
    const std::string body = base::compactJson(base::jsonObject({{"build", base::jsonString(build)},
                                                                 {"file", base::jsonString(fileName)},
                                                                 {"notes", base::jsonStrings(notes)},
                                                                 {"lines", base::jsonArray(std::move(lineNumbers))}}));
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\nCache-Control: no-store\r\n"
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace frontend
