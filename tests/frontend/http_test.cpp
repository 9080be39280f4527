// The watch server's request reading, Host check, routing and reply bytes, without sockets.
#include "frontend/http.h"

#include <gtest/gtest.h>

using namespace frontend;

namespace {

struct RouteCase {
    std::string block;
    Route expected;
};

class RouteRequestTest : public testing::TestWithParam<RouteCase> {};

TEST_P(RouteRequestTest, RoutesTheFirstTwoWords) {
    EXPECT_EQ(routeRequest(GetParam().block), GetParam().expected) << GetParam().block;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RouteRequestTest,
    testing::Values(
        RouteCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", Route::Page},
        RouteCase{"GET /index.html HTTP/1.1\r\n\r\n", Route::Page},
        RouteCase{"GET /index.html?x=1 HTTP/1.1\r\n\r\n", Route::Page},
        RouteCase{"GET /?reload HTTP/1.1\r\n\r\n", Route::Page},
        RouteCase{"GET /wait HTTP/1.1\r\n\r\n", Route::Wait},
        RouteCase{"GET /wait?t=5 HTTP/1.1\r\n\r\n", Route::Wait},
        RouteCase{"GET /wait?", Route::Wait},
        RouteCase{"GET /notes HTTP/1.1\r\n\r\n", Route::Notes},
        RouteCase{"GET /notes?x HTTP/1.1\r\n\r\n", Route::Notes},
        RouteCase{"GET /step HTTP/1.1\r\n\r\n", Route::Step},
        RouteCase{"GET /step?остановить=3 HTTP/1.1\r\n\r\n", Route::Step},
        RouteCase{"GET /step.js HTTP/1.1\r\n\r\n", Route::StepScript},
        RouteCase{"GET /step.jsx HTTP/1.1\r\n\r\n", Route::NotFound},
        RouteCase{"GET /favicon.ico HTTP/1.1\r\n\r\n", Route::NotFound},
        RouteCase{"GET /wait/ HTTP/1.1\r\n\r\n", Route::NotFound},
        RouteCase{"GET /Index.html HTTP/1.1\r\n\r\n", Route::NotFound},
        RouteCase{"GET /index.htm HTTP/1.1\r\n\r\n", Route::NotFound},
        RouteCase{"GET ?x=1 HTTP/1.1\r\n\r\n", Route::NotFound},
        // A GET without a target asks for the empty target.
        RouteCase{"GET", Route::NotFound},
        RouteCase{"GET\r\n\r\n", Route::NotFound},
        // Words are separated by any run of white space, leading white space included.
        RouteCase{"  \tGET\t\t/wait\r\n", Route::Wait},
        RouteCase{"\r\nGET\n/\n", Route::Page},
        // Only an exact, upper-case GET is answered.
        RouteCase{"POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", Route::NoReply},
        RouteCase{"get / HTTP/1.1\r\n\r\n", Route::NoReply},
        RouteCase{"HEAD / HTTP/1.1\r\n\r\n", Route::NoReply},
        RouteCase{"GETX / HTTP/1.1\r\n\r\n", Route::NoReply},
        RouteCase{"", Route::NoReply},
        RouteCase{"   \r\n", Route::NoReply},
        // A method longer than seven characters is cut there and its rest is the target.
        RouteCase{"OPTIONS/ HTTP/1.1\r\n\r\n", Route::NoReply},
        RouteCase{"GETTING/ x", Route::NoReply},
        // A zero byte ends the block: nothing behind it is read.
        RouteCase{std::string("GET\0 / HTTP/1.1\r\n", 17), Route::NotFound},
        RouteCase{std::string("GET /wait\0ing HTTP/1.1\r\n", 24), Route::Wait},
        RouteCase{std::string("\0GET / HTTP/1.1\r\n", 17), Route::NoReply}));

TEST(RouteRequest, CutsTheTargetAt511Characters) {
    // 511 characters of target are read; the rest of a longer word is ignored, so a long
    // query behind "/wait?" still waits and a long path is no page.
    EXPECT_EQ(routeRequest("GET /wait?" + std::string(600, 'x') + " HTTP/1.1\r\n"), Route::Wait);
    EXPECT_EQ(routeRequest("GET /" + std::string(510, 'a') + "?/ HTTP/1.1\r\n"), Route::NotFound);
    // "/" followed by 510 characters fills the limit exactly; the "?" beyond it is never read.
    EXPECT_EQ(routeRequest("GET " + std::string(511, '/') + "?x HTTP/1.1\r\n"), Route::NotFound);
    const std::string longTarget = "/index.html?" + std::string(499, 'q');  // 511 characters
    EXPECT_EQ(routeRequest("GET " + longTarget + "tail HTTP/1.1\r\n"), Route::Page);
}

TEST(RouteRequest, ReadsOnlyTheFirstBlock) {
    // Only requestBlockLimit bytes are received; a target starting past them is never seen.
    const std::string padding(requestBlockLimit - 3, ' ');
    EXPECT_EQ(routeRequest("GET" + padding + "/wait"), Route::NotFound);
}

TEST(Replies, AreExactlyTheBytesOfTheProtocol) {
    EXPECT_EQ(waitReloadReply, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
    EXPECT_EQ(waitReloadReply.size(), 59u);
    EXPECT_EQ(waitTimeoutReply, "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(waitTimeoutReply.size(), 65u);
    EXPECT_EQ(notFoundReply, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(notFoundReply.size(), 64u);
}

TEST(Replies, PageHeaderCarriesTheByteLength) {
    EXPECT_EQ(pageReplyHeader(0),
              "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: 0\r\n"
              "Connection: close\r\n\r\n");
    EXPECT_EQ(pageReplyHeader(18446744073709551615ull),
              "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
              "18446744073709551615\r\nConnection: close\r\n\r\n");
}

struct ArrivalCase {
    std::string request;
    Arrival expected;
};

class RequestArrivalTest : public testing::TestWithParam<ArrivalCase> {};

TEST_P(RequestArrivalTest, DecidesTheSameWhetherTheBytesComeAtOnceOrOneByOne) {
    const ArrivalCase& c = GetParam();
    std::size_t searched = 0;
    EXPECT_EQ(requestArrival(c.request, searched), c.expected) << c.request;
    // One byte at a time, carrying the progress: nothing decided before the last byte that
    // decides, and the same answer at the end.
    searched = 0;
    Arrival last = Arrival::More;
    for (std::size_t n = 1; n <= c.request.size() && last == Arrival::More; ++n)
        last = requestArrival(std::string_view(c.request).substr(0, n), searched);
    EXPECT_EQ(last, c.expected) << c.request;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestArrivalTest,
    testing::Values(ArrivalCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1:8137\r\n\r\n", Arrival::HeaderEnded},
                    ArrivalCase{"GET / HTTP/1.1\nHost: x\n\n", Arrival::HeaderEnded},
                    ArrivalCase{"GET / HTTP/1.1\r\nCookie: " + std::string(4000, 'c') + "\r\n\r\n", Arrival::HeaderEnded},
                    ArrivalCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n", Arrival::More},
                    ArrivalCase{"GET /wait", Arrival::More},
                    ArrivalCase{"GET", Arrival::More},
                    ArrivalCase{"  \tGE", Arrival::More},
                    ArrivalCase{std::string("GET /\0wait HTTP/1.1\r\n", 22), Arrival::HeaderEnded},
                    ArrivalCase{"\r\n\r\n", Arrival::HeaderEnded},
                    // The first word settles a request that gets no reply before its headers end.
                    ArrivalCase{"POST / HTTP/1.1\r\nContent-Length: 9", Arrival::NoReplyDue},
                    ArrivalCase{"GETX", Arrival::NoReplyDue},
                    ArrivalCase{"get /", Arrival::NoReplyDue},
                    ArrivalCase{std::string(100000, 'A'), Arrival::NoReplyDue},
                    ArrivalCase{"GET " + std::string(requestByteLimit, '/'), Arrival::LimitReached}));

struct HostCase {
    std::string request;
    bool allowed;
};

class HostAllowedTest : public testing::TestWithParam<HostCase> {};

TEST_P(HostAllowedTest, AnswersOnlyRequestsForThisServer) {
    EXPECT_EQ(hostAllowed(GetParam().request, 8137), GetParam().allowed) << GetParam().request;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, HostAllowedTest,
    testing::Values(HostCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1:8137\r\n\r\n", true},
                    HostCase{"GET / HTTP/1.1\r\nhost:localhost:8137\r\n\r\n", true},
                    HostCase{"GET / HTTP/1.1\r\nHOST:  LocalHost:8137 \r\n\r\n", true},
                    HostCase{"GET / HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1\r\n\r\n", true},
                    HostCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1:8138\r\n\r\n", false},
                    HostCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1:08137\r\n\r\n", false},
                    HostCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1:\r\n\r\n", false},
                    HostCase{"GET / HTTP/1.1\r\nHost: evil.example:8137\r\n\r\n", false},
                    HostCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1.evil.example:8137\r\n\r\n", false},
                    HostCase{"GET / HTTP/1.1\r\nHost: localhost.:8137\r\n\r\n", false},
                    HostCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1:8137\r\nHost: evil.example\r\n\r\n", false},
                    HostCase{"GET / HTTP/1.1\r\nX-Host: evil\r\nHost: 127.0.0.1:8137\r\n\r\n", true},
                    // Only the header block counts: a "Host:" in a body or past a zero byte does not.
                    HostCase{"GET / HTTP/1.1\r\n\r\nHost: evil.example", true},
                    HostCase{std::string("GET / HTTP/1.1\r\nHost: 127.0.0.1:8137\r\n\0Host: e\r\n", 44), true},
                    // Without a Host header: answered, whole or only its first block.
                    HostCase{"GET / HTTP/1.0\r\n\r\n", true},
                    HostCase{"GET /", true},
                    HostCase{"GET /" + std::string(3000, 'x'), true},
                    HostCase{"GET / HTTP/1.1\r\nAccept: */*\r\n", true},
                    // A Host line cut off counts as far as it came.
                    HostCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1:81370", false},
                    HostCase{"GET / HTTP/1.1\r\nHost: evil.exa", false},
                    HostCase{"GET / HTTP/1.1\r\nHost: 127.0.0.1:8137\r\nCookie: cc", true}));

TEST(WaitBuild, IsTheBuildValueOfTheTargetsQuery) {
    EXPECT_EQ(waitBuild("GET /wait?build=00ff HTTP/1.1\r\n"), "00ff");
    EXPECT_EQ(waitBuild("GET /wait?t=5&build=ab&x=1 HTTP/1.1\r\n"), "ab");
    EXPECT_EQ(waitBuild("GET /wait?rebuild=ab HTTP/1.1\r\n"), "");
    EXPECT_EQ(waitBuild("GET /wait HTTP/1.1\r\nX: ?build=ab\r\n"), "");
    EXPECT_EQ(waitBuild("GET /wait?build= HTTP/1.1\r\n"), "");
}

TEST(Replies, NotesAreJsonWithEveryLineEscaped) {
    EXPECT_EQ(notesReply("0a", "и\"гра.лумс", {"ПРЕДУПРЕЖДЕНИЕ [x]: строка 2: \\ \"\t\x01", "b"}, {2, 0}),
              "HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\nCache-Control: no-store\r\n"
              "Content-Length: 137\r\nConnection: close\r\n\r\n"
              "{\"build\":\"0a\",\"file\":\"и\\\"гра.лумс\",\"notes\":[\"ПРЕДУПРЕЖДЕНИЕ [x]: строка 2: \\\\ \\\"\\t\\u0001\",\"b\"],\"lines\":[2,0]}");
}

}  // namespace
