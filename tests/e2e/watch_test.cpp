// Watch mode end to end: the built lum serving over real loopback sockets, recompiling on
// changes of the source, the rules file and included libraries. Tests run one after another
// and each stops its lum by pid, so two never compete for a port.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "support/loopback.h"
#include "support/process.h"
#include "support/temp_folder.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const std::string waitReload = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
const std::string waitTimeout = "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
const std::string notFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
const std::string forbidden = "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

std::string pageReply(const std::string& page) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

struct Received {
    std::string bytes;
    bool closed = false;  // the server closed the connection before the time limit
    std::chrono::milliseconds took{0};
};

// Reads until the server closes the connection or `limit` passes.
Received readUntilClosed(int s, std::chrono::milliseconds limit) {
    Received r;
    const auto start = Clock::now();
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(start + limit - Clock::now());
        if (left.count() <= 0) break;
        pollfd p{s, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[65536];
        const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) {
            r.closed = true;
            break;
        }
        r.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    r.took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return r;
}

// One request on a fresh connection, read until the server closes it.
Received ask(int port, const std::string& request, std::chrono::milliseconds limit = 5s) {
    const int s = connectTo(port);
    if (s < 0) return {};
    sendText(s, request);
    Received r = readUntilClosed(s, limit);
    ::close(s);
    return r;
}

// A listener on 127.0.0.1 held by the test itself.
int occupyPort(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Connections of an earlier test's lum may linger in TIME_WAIT on the port.
    const int reuse = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s, 8) != 0) {
        ::close(s);
        // Who holds it, for the log.
        const ProcessResult holders = runProcess({"ss", "-ltnp", "sport = :" + std::to_string(port)});
        std::printf("%s", holders.out.c_str());
        return -1;
    }
    return s;
}

// Writes beside the target and renames over it, the way editors save: lum never sees a half
// written file, so each save is exactly one change.
void save(const std::string& path, const std::string& bytes) {
    writeFile(path + ".saving", bytes);
    ASSERT_EQ(std::rename((path + ".saving").c_str(), path.c_str()), 0);
}

std::string lastComponent(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

const char* recompiled = "перекомпилировано: ";

class Watch : public ::testing::Test {
protected:
    TempFolder dir;
    BackgroundProcess lum;
    int port = 0;

    std::string out() const { return readFile(dir / "out.log"); }

    ProcessOptions options() {
        ProcessOptions o;
        o.workingFolder = dir.path();
        // A fake opener records the URL instead of starting a browser.
        useFakeOpener(o, dir.path());
        o.environment["LUM_HOME"] = dir / "home";
        return o;
    }

    bool running() {
        if (lum.pid <= 0) return false;
        int status = 0;
        return ::waitpid(lum.pid, &status, WNOHANG) == 0;
    }

    // Starts lum and waits for the printed address; `command` replaces the lum under test.
    void start(const std::vector<std::string>& args, std::vector<std::string> command = lumCommand()) {
        command.insert(command.end(), args.begin(), args.end());
        lum = startProcess(command, options(), dir / "out.log", dir / "err.log");
        const std::string marker = "Страница: http://127.0.0.1:";
        // The first compile of a big source under the sanitizers takes a while.
        ASSERT_TRUE(eventually([&] { return out().find("  (Ctrl+C — остановить)\n") != std::string::npos || !running(); },
                               60s))
            << out();
        const std::string text = out();
        const auto at = text.find(marker);
        ASSERT_NE(at, std::string::npos) << text;
        port = std::atoi(text.c_str() + at + marker.size());
        ASSERT_GE(port, 8137);
        ASSERT_LE(port, 8146);
    }

    void waitForCount(const std::string& part, std::size_t n) {
        ASSERT_TRUE(eventually([&] { return count(out(), part) >= n; }, 30s)) << "waiting for " << n << " x " << part
                                                                        << "\n" << out();
    }

    // The page as served now.
    std::string served() {
        const Received r = ask(port, get("/"));
        const auto body = r.bytes.find("\r\n\r\n");
        return body == std::string::npos ? std::string() : r.bytes.substr(body + 4);
    }

    void TearDown() override {
        stopProcess(lum);
        EXPECT_EQ(readFile(dir / "err.log"), "");
    }
};

TEST_F(Watch, RefusesAFolderAndAMissingFile) {
    makeFolder(dir / "src");
    ProcessOptions o = options();
    ProcessResult r = runLum({"-w", "src"}, o);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\nОшибка: режим -w работает с одним файлом, а не с папкой\n"), std::string::npos) << r.out;
    r = runLum({"nope.лумс", "-w"}, o);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\nОшибка: файл не найден: nope.лумс\n"), std::string::npos) << r.out;
    EXPECT_FALSE(fileExists(dir / "opened.log"));
}

TEST_F(Watch, NoFreePortIsAnError) {
    std::vector<int> held;
    for (int p = 8137; p <= 8146; ++p) {
        const int s = occupyPort(p);
        ASSERT_GE(s, 0) << "port " << p << " is taken by another program";
        held.push_back(s);
    }
    writeFile(dir / "a.лумс", "console.log(1);\n");
    const ProcessResult r = runLum({"-w", "a.лумс"}, options());
    for (int s : held) ::close(s);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\nОшибка: не удалось занять порт для режима наблюдения\n"), std::string::npos)
        << r.out << r.err;
    EXPECT_FALSE(fileExists(dir / "opened.log"));
}

TEST_F(Watch, ServesThePageAndAnswersEveryKindOfRequest) {
    writeFile(dir / "a.лумс", "console.log('один');\n");
    start({"-js", "-w", "a.лумс"});
    const std::string text = out();
    EXPECT_NE(text.find("\nЗамечание: в режиме -w страница обновляется сама, поэтому показываю HTML (файл .js всё равно "
                        "будет создан при обычной компиляции)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("(HTML, "), std::string::npos) << text;
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
    EXPECT_NE(text.find("\nРежим наблюдения: правьте a.лумс и сохраняйте — страница обновится сама.\nСтраница: " +
                        address + "  (Ctrl+C — остановить)\n"),
              std::string::npos)
        << text;
    EXPECT_TRUE(eventually([&] { return readFile(dir / "opened.log") == address + "\n"; })) << readFile(dir / "opened.log");
    EXPECT_FALSE(fileExists(dir / "a.js"));

    const std::string page = readFile(dir / "a.html");
    ASSERT_NE(page, "");
    EXPECT_NE(page.find("/wait"), std::string::npos) << "the watch page polls the server";
    for (const char* target : {"/", "/index.html", "/index.html?x=1", "/?"}) {
        const Received r = ask(port, get(target));
        EXPECT_TRUE(r.closed) << target;
        EXPECT_EQ(r.bytes, pageReply(page)) << target;
    }
    for (const char* target : {"/favicon.ico", "/a.html", "/wait/x"}) {
        const Received r = ask(port, get(target));
        EXPECT_TRUE(r.closed);
        EXPECT_EQ(r.bytes, notFound) << target;
    }
    for (const std::string& request :
         {std::string("POST / HTTP/1.1\r\nContent-Length: 2\r\n\r\nhi"), std::string("get / HTTP/1.1\r\n\r\n"),
          std::string("HEAD / HTTP/1.1\r\n\r\n"), std::string("POST /wait HTTP/1.1\r\n\r\n")}) {
        const Received r = ask(port, request);
        EXPECT_TRUE(r.closed) << request;
        EXPECT_EQ(r.bytes, "") << request << " gets no answer at all";
        EXPECT_LT(r.took, 2s);
    }

    // A query on /wait waits like /wait, and a save answers it.
    Received waited;
    std::thread waiter([&] { waited = ask(port, get("/wait?t=5"), 20s); });
    std::this_thread::sleep_for(800ms);
    save(dir / "a.лумс", "console.log('два');\n");
    waiter.join();
    EXPECT_TRUE(waited.closed);
    EXPECT_EQ(waited.bytes, waitReload);
    waitForCount(recompiled, 1);
    EXPECT_EQ(served(), readFile(dir / "a.html"));
    EXPECT_NE(served().find("два"), std::string::npos);
    EXPECT_FALSE(fileExists(dir / "a.js"));
}

TEST_F(Watch, TakesTheNextPortWhenTheFirstIsTaken) {
    const int held = occupyPort(8137);
    ASSERT_GE(held, 0) << "port 8137 is taken by another program";
    writeFile(dir / "a.лумс", "console.log(1);\n");
    start({"a.лумс", "-w", "-r"});  // -r opens no page file in watch mode, only the address
    ::close(held);
    EXPECT_EQ(port, 8138);
    EXPECT_NE(out().find("Страница: http://127.0.0.1:8138/  (Ctrl+C — остановить)\n"), std::string::npos) << out();
    EXPECT_TRUE(eventually([&] { return readFile(dir / "opened.log") == "http://127.0.0.1:8138/\n"; }));
    EXPECT_EQ(ask(port, get("/")).bytes, pageReply(readFile(dir / "a.html")));
}

// The one test that sits out the whole 25 s of a long poll; other requests are served
// while it is pending, and a silent connection is dropped.
TEST_F(Watch, AnUnansweredWaitEndsWith204AndNeverHoldsUpOtherRequests) {
    writeFile(dir / "a.лумс", "console.log(1);\n");
    start({"-w", "a.лумс"});
    Received waited;
    std::thread waiter([&] { waited = ask(port, get("/wait"), 40s); });
    std::this_thread::sleep_for(500ms);

    const int idle = connectTo(port);
    ASSERT_GE(idle, 0);
    const auto idleSince = Clock::now();
    // The page and a 404 come at once while the wait is pending and the idle client holds
    // its connection.
    const std::string page = readFile(dir / "a.html");
    const Received first = ask(port, get("/"), 2s);
    EXPECT_EQ(first.bytes, pageReply(page));
    EXPECT_LT(first.took, 1s);
    EXPECT_EQ(ask(port, get("/nothing"), 2s).bytes, notFound);

    const Received dropped = readUntilClosed(idle, 15s);
    const auto idleFor = Clock::now() - idleSince;
    ::close(idle);
    EXPECT_TRUE(dropped.closed) << "a client that sends nothing is dropped";
    EXPECT_EQ(dropped.bytes, "");
    EXPECT_GE(idleFor, 2s);
    EXPECT_LE(idleFor, 10s);
    EXPECT_EQ(ask(port, get("/index.html"), 2s).bytes, pageReply(page));

    waiter.join();
    EXPECT_TRUE(waited.closed);
    EXPECT_EQ(waited.bytes, waitTimeout);
    EXPECT_GE(waited.took, 24500ms);
    EXPECT_LE(waited.took, 28s);
    EXPECT_EQ(count(out(), recompiled), 0u);
}

TEST_F(Watch, EveryPendingWaitReloadsAndAnUnseenRecompileAnswersTheNextAtOnce) {
    writeFile(dir / "a.лумс", "console.log(1);\n");
    start({"-w", "a.лумс"});
    Received first, second;
    std::thread a([&] { first = ask(port, get("/wait"), 20s); });
    std::thread b([&] { second = ask(port, get("/wait?tab=2"), 20s); });
    std::this_thread::sleep_for(800ms);
    save(dir / "a.лумс", "console.log(2);\n");
    a.join();
    b.join();
    EXPECT_EQ(first.bytes, waitReload);
    EXPECT_EQ(second.bytes, waitReload);
    EXPECT_LT(std::max(first.took, second.took), 5s);
    waitForCount(recompiled, 1);

    // A recompile with nobody waiting is kept for the next /wait, once.
    save(dir / "a.лумс", "console.log(3);\n");
    waitForCount(recompiled, 2);
    const Received unseen = ask(port, get("/wait"), 5s);
    EXPECT_EQ(unseen.bytes, waitReload);
    EXPECT_LT(unseen.took, 1s);
    const Received next = ask(port, get("/wait"), 1500ms);
    EXPECT_FALSE(next.closed) << "the recompile was answered already: " << next.bytes;
    EXPECT_EQ(next.bytes, "");
    EXPECT_NE(served().find("console.log(3)"), std::string::npos);
}

TEST_F(Watch, TwoSavesWithinOnePollingPeriodRecompileOnce) {
    writeFile(dir / "a.лумс", "console.log('первый');\n");
    start({"-w", "a.лумс"});
    save(dir / "a.лумс", "console.log('второй');\n");
    save(dir / "a.лумс", "console.log('третий');\n");
    waitForCount(recompiled, 1);
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(count(out(), recompiled), 1u) << out();
    EXPECT_NE(served().find("третий"), std::string::npos);
}

TEST_F(Watch, ADeletedSourceFailsOnceAndItsRestoreRecompiles) {
    writeFile(dir / "a.лумс", "console.log('был');\n");
    start({"-w", "a.лумс"});
    const std::string before = served();
    ASSERT_NE(before.find("был"), std::string::npos);
    ASSERT_EQ(std::remove((dir / "a.лумс").c_str()), 0);
    const std::string failure = "Ошибка: не могу прочитать файл: a.лумс\n";
    waitForCount(failure, 1);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(count(out(), failure), 1u) << out();
    EXPECT_EQ(count(out(), recompiled), 0u);
    EXPECT_EQ(served(), before) << "the page stays as it was";

    writeFile(dir / "a.лумс", "console.log('снова');\n");  // written in place, not renamed
    waitForCount(recompiled, 1);
    EXPECT_NE(served().find("снова"), std::string::npos);
    EXPECT_EQ(count(out(), failure), 1u);
}

TEST_F(Watch, RulesChangesReloadAndRecompileAndABrokenRulesFileKeepsTheRules) {
    // A copy of lum with a rules file of its own beside it, the first place searched.
    std::vector<std::string> command = lumCommand();
    const std::string copy = dir / ("inst/" + lastComponent(command.back()));
    makeFolder(dir / "inst");
    ASSERT_EQ(runProcess({"cp", command.back(), copy}).exitCode, 0);
    command.back() = copy;
    const std::string rules = dir / "inst/keywords.csv";
    writeFile(rules, "pattern,replacement,flags\nслово,замена1,g\n");
    writeFile(dir / "a.лумс", "слово;\n");
    start({"-w", "a.лумс"}, command);
    const std::string banner = out();
    const std::string shown = "Правил: 1 (";
    const auto at = banner.find(shown);
    ASSERT_NE(at, std::string::npos) << banner;
    const std::string rulesShown = banner.substr(at + shown.size(), banner.find(")\n", at) - at - shown.size());
    EXPECT_NE(served().find("замена1;"), std::string::npos);

    save(rules, "pattern,replacement,flags\nслово,замена2,g\n");
    waitForCount(recompiled, 1);
    EXPECT_NE(out().find("перечитаны правила: " + rulesShown + " (1 шт.)\nOK: "), std::string::npos) << out();
    EXPECT_NE(served().find("замена2;"), std::string::npos);

    // A rules file without a rule is reported and changes nothing.
    save(rules, "pattern,replacement,flags\n");
    const std::string broken = "Ошибка: пустой или испорченный файл правил: " + rulesShown + "\n";
    waitForCount(broken, 1);
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(count(out(), recompiled), 1u) << out();
    EXPECT_EQ(count(out(), broken), 1u) << out();
    save(dir / "a.лумс", "слово слово;\n");
    waitForCount(recompiled, 2);
    EXPECT_NE(served().find("замена2 замена2;"), std::string::npos) << "the previous rules are kept";
    EXPECT_NE(out().find("(HTML, кодировка исходника: UTF-8, правил: 1)\n" + std::string(recompiled)), std::string::npos);

    save(rules, "pattern,replacement,flags\nслово,замена3,g\nещё,ещё,g\n");
    waitForCount(recompiled, 3);
    EXPECT_NE(out().find("перечитаны правила: " + rulesShown + " (2 шт.)\n"), std::string::npos) << out();
    EXPECT_NE(served().find("замена3 замена3;"), std::string::npos);
}

TEST_F(Watch, IncludedLibrariesAreWatchedUntilTheSourceDropsThem) {
    writeFile(dir / "моя.лумс", "библиотекаОдин();\n");
    writeFile(dir / "a.лумс", "ПБ моя\nconsole.log(1);\n");
    start({"-w", "a.лумс"});
    ASSERT_NE(served().find("библиотекаОдин"), std::string::npos) << served();

    save(dir / "моя.лумс", "библиотекаДва();\n");
    waitForCount(recompiled, 1);
    EXPECT_NE(served().find("библиотекаДва"), std::string::npos);

    save(dir / "a.лумс", "console.log(2);\n");
    waitForCount(recompiled, 2);
    EXPECT_EQ(served().find("библиотекаДва"), std::string::npos);
    save(dir / "моя.лумс", "библиотекаТри();\n");
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(count(out(), recompiled), 2u) << "a library no longer included is not watched\n" << out();
}

TEST_F(Watch, ClientsThatHangUpMidReplyDoNotStopTheServer) {
    // A page of several megabytes, so that replies outlast a client that goes away.
    std::string big;
    for (int i = 0; i < 80000; ++i) big += "console.log('строка номер " + std::to_string(i) + "');\n";
    writeFile(dir / "a.лумс", big);
    start({"-w", "a.лумс"});
    ASSERT_GT(readFile(dir / "a.html").size(), 4u << 20);
    // Four ways to go: reset after the first bytes, close without reading, reset right after
    // asking for the page (before any reply, so that every send of the server fails), and a
    // reset wait answered later by a recompile.
    for (int i = 0; i < 12; ++i) {
        const int s = connectTo(port);
        ASSERT_GE(s, 0);
        sendText(s, get(i % 4 == 3 ? "/wait" : "/"));
        const linger hard{1, 0};
        if (i % 4 == 0) {
            char some[100];
            pollfd p{s, POLLIN, 0};
            ::poll(&p, 1, 2000);
            EXPECT_GT(::recv(s, some, sizeof some, 0), 0);
        }
        if (i % 4 != 1) ::setsockopt(s, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(s);
        if (i % 4 == 3) {
            save(dir / "a.лумс", big + "//" + std::to_string(i) + "\n");
            waitForCount(recompiled, static_cast<std::size_t>(i / 4 + 1));
        }
    }
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(running());
    const std::string page = readFile(dir / "a.html");
    const Received whole = ask(port, get("/"), 20s);
    EXPECT_TRUE(whole.closed);
    EXPECT_EQ(whole.bytes.size(), pageReply(page).size());
    EXPECT_TRUE(whole.bytes == pageReply(page));
    EXPECT_TRUE(running());
}

TEST_F(Watch, ManyIdleConnectionsOnlyDelayOthersUntilTheyAreDropped) {
    writeFile(dir / "a.лумс", "console.log(1);\n");
    start({"-w", "a.лумс"});
    // More than the server takes at once, but few enough beyond that for the listen backlog,
    // so that no connect of the test itself hangs.
    std::vector<int> idle;
    for (int i = 0; i < 70; ++i) {
        const int s = connectTo(port);
        if (s >= 0) idle.push_back(s);
    }
    const Received r = ask(port, get("/"), 20s);
    EXPECT_EQ(r.bytes, pageReply(readFile(dir / "a.html")));
    EXPECT_LT(r.took, 15s);
    for (int s : idle) ::close(s);
    EXPECT_TRUE(running());
    EXPECT_EQ(ask(port, get("/"), 2s).bytes, pageReply(readFile(dir / "a.html")));
}

// A request with a cookie of some kilobytes gets a page of some hundred kilobytes whole, every
// time; pending waits and idle clients by the hundred hold nothing up; a foreign Host is refused.
TEST_F(Watch, BigRequestsGetWholePagesAndManyWaitersHoldNothingUp) {
    std::string source;
    for (int i = 0; i < 6000; ++i) source += "вывести('строка " + std::to_string(i) + "');\n";
    writeFile(dir / "a.лумс", source);
    start({"-w", "a.лумс"});
    const std::string page = readFile(dir / "a.html");
    ASSERT_GT(page.size(), 200u << 10);
    const std::string host = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(ask(port, "GET / HTTP/1.1\r\n" + host + "Cookie: c=" + std::string(4096, 'x') + "\r\n\r\n").bytes ==
                    pageReply(page));
    EXPECT_EQ(ask(port, "GET / HTTP/1.1\r\nHost: evil.example:" + std::to_string(port) + "\r\n\r\n").bytes, forbidden);

    // The waits name the page's build, so that one the listen backlog holds back until after
    // the recompile is answered at once too.
    const std::string declaration = "var сборка = '";
    const std::string build = page.substr(page.rfind(declaration) + declaration.size(), 16);
    std::vector<int> waiting, idle;
    for (int i = 0; i < 100; ++i) idle.push_back(connectTo(port));
    for (int i = 0; i < 100; ++i) {
        waiting.push_back(connectTo(port));
        sendText(waiting.back(), get("/wait?build=" + build));
    }
    const Received r = ask(port, get("/"), 10s);
    EXPECT_TRUE(r.bytes == pageReply(page));
    EXPECT_LT(r.took, 5s) << "the page waited for others";
    // A page of another build is stale at once.
    EXPECT_EQ(ask(port, get("/wait?build=0000000000000000"), 5s).bytes, waitReload);
    save(dir / "a.лумс", source + "//\n");
    for (const int s : waiting) {
        EXPECT_EQ(readUntilClosed(s, 10s).bytes, waitReload);
        ::close(s);
    }
    for (const int s : idle) ::close(s);
}

}  // namespace
