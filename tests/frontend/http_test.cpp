// The watch server's request routing, its reply bytes and the reload signal, without sockets.
#include "frontend/http.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;

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

TEST(ReloadSignal, TimesOutWithoutARecompile) {
    std::mutex lock;
    ReloadSignal signal;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(awaitReload(lock, signal, 150ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
}

TEST(ReloadSignal, AnUnseenRecompileAnswersTheNextWaitAtOnceAndOnlyIt) {
    std::mutex lock;
    ReloadSignal signal;
    announceReload(lock, signal);
    announceReload(lock, signal);  // two recompiles before anyone asked: one reload
    EXPECT_TRUE(awaitReload(lock, signal, 0ms));
    EXPECT_FALSE(awaitReload(lock, signal, 50ms));
    announceReload(lock, signal);
    EXPECT_TRUE(awaitReload(lock, signal, 0ms));
}

TEST(ReloadSignal, ARecompileWakesEveryPendingWait) {
    std::mutex lock;
    ReloadSignal signal;
    std::atomic<int> reloaded{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (awaitReload(lock, signal, 5s)) ++reloaded;
        });
    // Every waiter must be waiting before the recompile; a late one would see it unseen
    // only if nobody else had answered, so give them time to block.
    std::this_thread::sleep_for(200ms);
    const auto start = std::chrono::steady_clock::now();
    announceReload(lock, signal);
    for (auto& t : waiters) t.join();
    EXPECT_EQ(reloaded.load(), 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    // Those waits saw the recompile: the next one waits again.
    EXPECT_FALSE(awaitReload(lock, signal, 50ms));
}

}  // namespace
