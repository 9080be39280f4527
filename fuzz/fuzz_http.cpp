// The watch server's request parsing: routeRequest against the C library's own reading of the
// first two words (sscanf "%7s%511s"), and the page header's declared length.
#include <cstring>

#include "frontend/http.h"
#include "fuzz_support.h"

using namespace frontend;

namespace {

Route referenceRoute(const std::string& block) {
    char buffer[requestBlockLimit + 1];
    const std::size_t n = std::min(block.size(), requestBlockLimit);
    std::memcpy(buffer, block.data(), n);
    buffer[n] = '\0';
    char method[8] = "", target[512] = "";
    std::sscanf(buffer, "%7s%511s", method, target);
    if (std::strcmp(method, "GET") != 0) return Route::NoReply;
    if (char* query = std::strchr(target, '?')) *query = '\0';
    if (std::strcmp(target, "/wait") == 0) return Route::Wait;
    if (std::strcmp(target, "/") == 0 || std::strcmp(target, "/index.html") == 0) return Route::Page;
    if (std::strcmp(target, "/notes") == 0) return Route::Notes;
    if (std::strcmp(target, "/step") == 0) return Route::Step;
    if (std::strcmp(target, "/step.js") == 0) return Route::StepScript;
    return Route::NotFound;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string block(reinterpret_cast<const char*>(data), size);
    const Route got = routeRequest(block);
    const Route want = referenceRoute(block);
    FUZZ_REQUIRE(got == want, "route %d, reference %d", static_cast<int>(got), static_cast<int>(want));

    std::size_t length = 0;
    for (std::size_t i = 0; i < size && i < 8; ++i) length = (length << 8) | data[i];
    const std::string header = pageReplyHeader(length);
    const std::string field = "Content-Length: " + std::to_string(length) + "\r\n";
    FUZZ_REQUIRE(header.find(field) != std::string::npos);
    FUZZ_REQUIRE(header.size() >= 4 && header.compare(header.size() - 4, 4, "\r\n\r\n") == 0);
    return 0;
}
