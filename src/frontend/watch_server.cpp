// The watch server's event loop: accepting, reading each request up to the end of its header
// block, answering, holding long polls, and closing every connection gracefully.
// Tests: tests/e2e/watch_test.cpp, tests/e2e/watch_load_test.cpp.
#include "frontend/watch_server.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "frontend/http.h"
#include "output/page.h"
#include "output/step_page.h"

namespace frontend {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Open connections at most; beyond it the oldest idle one is dropped for a new one.
constexpr std::size_t connectionLimit = 512;
// A connection that sent nothing this long after its accept is closed without a word. It is
// longer than a request takes to come on an idle machine: when the listen backlog overflows, a
// client's request can follow its accepted connection only at its next retransmission, seconds
// later (seen under Wine, whose accepts are slow). Idle connections are bounded anyway by
// connectionLimit, the oldest dropped first.
constexpr milliseconds silenceLimit(8000);
// A request must be whole this long after its first bytes; part of one is answered as it is.
constexpr milliseconds readLimit(5000);
// The long poll.
constexpr milliseconds waitLimit(25000);
// A reply that makes no progress for this long is given up (its client stopped reading).
constexpr milliseconds sendStallLimit(10000);
// After its reply, a connection reads and drops what its client still sends until the client
// closes, for this long and this many bytes at most; then it is closed.
constexpr milliseconds drainLimit(2000);
constexpr std::size_t drainByteLimit = 1 << 20;
// When accepting fails with nothing to let go of (no descriptor left), the listener rests.
constexpr milliseconds acceptRest(50);

enum class Phase { Reading, Waiting, Sending, Draining, Closed };

struct Connection {
    platform::Socket socket = platform::invalidSocket;
    Phase phase = Phase::Reading;
    Clock::time_point deadline;  // what it means depends on the phase (see the limits above)
    std::string request;         // at most requestByteLimit bytes
    std::size_t searched = 0;    // how far requestArrival has looked
    bool peerDone = false;       // the client finished sending (it may still read)
    std::string_view head;       // reply bytes with static storage, unless…
    std::string ownHead;         // …it has bytes of its own (the page header)
    std::shared_ptr<const std::string> body;  // a published snapshot sent after the head
    std::size_t sent = 0;
    std::size_t drained = 0;
};

// What the loop serves now, copied from the ServedState at each turn.
struct Snapshot {
    std::shared_ptr<const std::string> page, notes, stepPage, stepScript;
    std::string build;
    std::uint64_t generation = 0;
};

// The server thread's own state.
struct Loop {
    ServedState* state = nullptr;
    platform::Socket listener = platform::invalidSocket;
    int port = 0;
    std::vector<Connection> connections;  // in the order they were accepted
    Snapshot now;
    std::uint64_t answeredGeneration = 0;  // the generation pending waits were last answered for
    std::uint64_t seen = 0;                // the last generation any wait was answered for
    Clock::time_point listenerRestsUntil{};
};

void close(Connection& c) {
    if (c.phase == Phase::Closed) return;
    platform::closeSocket(c.socket);
    c.phase = Phase::Closed;
    c.request = std::string();
    c.ownHead = std::string();
    c.body.reset();
}

// Sends what the socket takes now; when all is sent, ends the sending side and drains.
void pump(Connection& c) {
    // Taken afresh each time: a connection moves when the list grows, and its own bytes with it.
    const std::string_view head = c.ownHead.empty() ? c.head : std::string_view(c.ownHead);
    for (;;) {
        const char* data = nullptr;
        std::size_t left = 0;
        if (c.sent < head.size()) {
            data = head.data() + c.sent;
            left = head.size() - c.sent;
        } else if (c.body && c.sent - head.size() < c.body->size()) {
            data = c.body->data() + (c.sent - head.size());
            left = c.body->size() - (c.sent - head.size());
        } else {
            platform::shutdownSending(c.socket);
            c.phase = Phase::Draining;
            c.deadline = Clock::now() + drainLimit;
            c.ownHead = std::string();
            c.head = {};
            c.body.reset();
            // A client that already finished sending leaves nothing to drain.
            if (c.peerDone) close(c);
            return;
        }
        std::size_t n = 0;
        switch (platform::sendSome(c.socket, data, left, n)) {
        case platform::Transfer::Moved:
            c.sent += n;
            c.deadline = Clock::now() + sendStallLimit;
            continue;
        case platform::Transfer::WouldBlock:
            return;
        case platform::Transfer::Closed:
        case platform::Transfer::Failed:
            return close(c);
        }
    }
}

void startSending(Connection& c) {
    c.phase = Phase::Sending;
    c.request = std::string();
    c.sent = 0;
    c.deadline = Clock::now() + sendStallLimit;
    pump(c);
}

void reply(Connection& c, std::string_view bytes) {
    c.head = bytes;
    c.ownHead = std::string();
    c.body.reset();
    startSending(c);
}

void takeSnapshot(Loop& loop) {
    {
        std::lock_guard<std::mutex> hold(loop.state->lock);
        loop.now.page = loop.state->page;
        loop.now.notes = loop.state->notes;
        loop.now.stepPage = loop.state->stepPage;
        loop.now.stepScript = loop.state->stepScript;
        loop.now.generation = loop.state->generation;
        if (loop.now.build != loop.state->build) loop.now.build = loop.state->build;
    }
    if (loop.now.generation == loop.answeredGeneration) return;
    // A recompile: every pending wait reloads.
    loop.answeredGeneration = loop.now.generation;
    for (Connection& c : loop.connections)
        if (c.phase == Phase::Waiting) {
            loop.seen = loop.now.generation;
            reply(c, waitReloadReply);
        }
}

void answer(Loop& loop, Connection& c) {
    const Route route = routeRequest(c.request);
    if (route == Route::NoReply) return close(c);
    if (!hostAllowed(c.request, loop.port)) return reply(c, forbiddenReply);
    switch (route) {
    case Route::Page:
        c.ownHead = pageReplyHeader(loop.now.page->size());
        c.body = loop.now.page;
        return startSending(c);
    case Route::Notes:
        c.head = {};
        c.body = loop.now.notes;
        return startSending(c);
    case Route::Step: {
        // Without step.js the page runs as it is.
        const bool stepping = loop.now.stepScript && !loop.now.stepPage->empty();
        c.body = stepping ? loop.now.stepPage : loop.now.page;
        c.ownHead = pageReplyHeader(c.body->size());
        return startSending(c);
    }
    case Route::StepScript:
        if (!loop.now.stepScript) return reply(c, notFoundReply);
        c.ownHead = scriptReplyHeader(loop.now.stepScript->size());
        c.body = loop.now.stepScript;
        return startSending(c);
    case Route::Wait: {
        const std::string build = waitBuild(c.request);
        // A page that names another build than the served one is stale at once; a plain wait
        // is answered at once by a recompile that no wait has seen.
        const bool stale = build.empty() ? loop.now.generation != loop.seen : build != loop.now.build;
        if (stale) {
            loop.seen = loop.now.generation;
            return reply(c, waitReloadReply);
        }
        c.phase = Phase::Waiting;
        c.deadline = Clock::now() + waitLimit;
        c.request = std::string();
        return;
    }
    case Route::NotFound:
        return reply(c, notFoundReply);
    case Route::NoReply:
        return close(c);
    }
}

void readRequest(Loop& loop, Connection& c) {
    char buffer[16384];
    for (;;) {
        std::size_t n = 0;
        switch (platform::receiveSome(c.socket, buffer, sizeof buffer, n)) {
        case platform::Transfer::Moved:
            if (c.request.empty()) c.deadline = Clock::now() + readLimit;
            // Bytes beyond the limit are part of the request all the same: dropped.
            c.request.append(buffer, std::min(n, requestByteLimit - c.request.size()));
            switch (requestArrival(c.request, c.searched)) {
            case Arrival::More: continue;
            case Arrival::HeaderEnded: return answer(loop, c);
            case Arrival::NoReplyDue: return close(c);
            case Arrival::LimitReached: return answer(loop, c);
            }
            return;
        case platform::Transfer::WouldBlock:
            return;
        case platform::Transfer::Closed:
            // The client said all it will say: what came is the request.
            c.peerDone = true;
            if (c.request.empty()) return close(c);
            return answer(loop, c);
        case platform::Transfer::Failed:
            return close(c);
        }
    }
}

// Reads what a client sends while it waits or after its reply, and drops it. A client that
// hangs up while it waits takes its wait with it; one done with its reply is closed
// gracefully once it has closed, as nothing is left unread.
void readAndDrop(Connection& c) {
    char buffer[16384];
    for (;;) {
        std::size_t n = 0;
        switch (platform::receiveSome(c.socket, buffer, sizeof buffer, n)) {
        case platform::Transfer::Moved:
            c.drained += n;
            if (c.drained > drainByteLimit) return close(c);
            continue;
        case platform::Transfer::WouldBlock:
            return;
        case platform::Transfer::Closed:
        case platform::Transfer::Failed:
            return close(c);
        }
    }
}

void serviceReady(Loop& loop, Connection& c) {
    switch (c.phase) {
    case Phase::Reading: return readRequest(loop, c);
    case Phase::Sending: return pump(c);
    case Phase::Waiting:
    case Phase::Draining: return readAndDrop(c);
    case Phase::Closed: return;
    }
}

void expireDeadlines(Loop& loop) {
    const Clock::time_point now = Clock::now();
    for (Connection& c : loop.connections) {
        if (c.phase == Phase::Closed || now < c.deadline) continue;
        switch (c.phase) {
        case Phase::Reading:
            // Nothing came: closed without a word. Part of a request: answered as it is.
            if (c.request.empty()) close(c);
            else answer(loop, c);
            break;
        case Phase::Waiting:
            reply(c, waitTimeoutReply);
            break;
        case Phase::Sending:
        case Phase::Draining:
            close(c);
            break;
        case Phase::Closed:
            break;
        }
    }
}

// Idle connections (no whole request yet) go first, then those done with their reply, then
// pending waits; a reply being sent is never cut.
Connection* oldestEvictable(Loop& loop) {
    for (const Phase phase : {Phase::Reading, Phase::Draining, Phase::Waiting})
        for (Connection& c : loop.connections)
            if (c.phase == phase) return &c;
    return nullptr;
}

void evictOne(Loop& loop) {
    Connection* c = oldestEvictable(loop);
    if (!c) return;
    if (c->phase == Phase::Waiting) {
        // Told "no change" rather than cut off, so that its page simply asks again.
        std::size_t n = 0;
        platform::sendSome(c->socket, waitTimeoutReply.data(), waitTimeoutReply.size(), n);
    }
    close(*c);
}

std::size_t openCount(const Loop& loop) {
    std::size_t open = 0;
    for (const Connection& c : loop.connections) open += c.phase != Phase::Closed;
    return open;
}

void acceptWaiting(Loop& loop) {
    // A bounded number per turn, so that clients already connected are served in between.
    for (int i = 0; i < 64; ++i) {
        if (openCount(loop) >= connectionLimit) {
            if (!oldestEvictable(loop)) return;
            evictOne(loop);
        }
        platform::Socket s = platform::invalidSocket;
        switch (platform::acceptConnection(loop.listener, s)) {
        case platform::AcceptResult::Accepted: {
            Connection c;
            c.socket = s;
            c.deadline = Clock::now() + silenceLimit;
            loop.connections.push_back(std::move(c));
            // Read at once: data that came before the accept may never be reported as new.
            readRequest(loop, loop.connections.back());
            break;
        }
        case platform::AcceptResult::NoneWaiting:
            return;
        case platform::AcceptResult::Failed:
            // Most likely no descriptor is left: free one if any connection can go, else
            // let the listener rest.
            if (oldestEvictable(loop)) evictOne(loop);
            else loop.listenerRestsUntil = Clock::now() + acceptRest;
            return;
        }
    }
}

// Milliseconds until the nearest deadline; -1 when there is none.
int timeoutMs(const Loop& loop, bool listening) {
    Clock::time_point nearest = Clock::time_point::max();
    for (const Connection& c : loop.connections) nearest = std::min(nearest, c.deadline);
    if (!listening && loop.listenerRestsUntil > Clock::now()) nearest = std::min(nearest, loop.listenerRestsUntil);
    if (nearest == Clock::time_point::max()) return -1;
    const auto left = std::chrono::duration_cast<milliseconds>(nearest - Clock::now()).count() + 1;
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

// One turn: wait for any socket or the wake-up, serve what is ready, accept, expire.
void turn(Loop& loop) {
    takeSnapshot(loop);
    std::vector<platform::SocketWait> waits;
    waits.push_back({loop.state->wakeup.receiver, true, false});
    const bool listening = Clock::now() >= loop.listenerRestsUntil &&
                           (openCount(loop) < connectionLimit || oldestEvictable(loop));
    if (listening) waits.push_back({loop.listener, true, false});
    const std::size_t first = waits.size();
    for (const Connection& c : loop.connections) {
        const bool read = c.phase == Phase::Reading || c.phase == Phase::Draining ||
                          (c.phase == Phase::Waiting && !c.peerDone);
        waits.push_back({c.socket, read, c.phase == Phase::Sending});
    }
    if (!platform::waitForSockets(waits, timeoutMs(loop, listening))) std::this_thread::sleep_for(acceptRest);
    if (waits[0].readable) platform::drainWakeup(loop.state->wakeup);
    takeSnapshot(loop);
    const std::size_t count = loop.connections.size();
    for (std::size_t i = 0; i < count; ++i) {
        const platform::SocketWait& w = waits[first + i];
        Connection& c = loop.connections[i];
        // A reply goes on when the socket takes more. Windows reports a client that finished
        // sending as a hang-up for as long as it lasts, which must not spin the loop.
        const bool due = c.phase == Phase::Sending ? w.writable || (w.failed && !c.peerDone)
                                                   : w.readable || w.writable || w.failed;
        if (due) serviceReady(loop, c);
    }
    if (listening && waits[1].readable) acceptWaiting(loop);
    expireDeadlines(loop);
    loop.connections.erase(std::remove_if(loop.connections.begin(), loop.connections.end(),
                                          [](const Connection& c) { return c.phase == Phase::Closed; }),
                           loop.connections.end());
}

}  // namespace

void publishPage(ServedState& state, std::string page, const std::string& fileName, const std::vector<std::string>& notes,
                 const std::vector<std::uint32_t>& noteLines) {
    std::string build = output::watchPageBuild(page);
    auto notesSnapshot = std::make_shared<const std::string>(notesReply(build, fileName, notes, noteLines));
    auto stepSnapshot = std::make_shared<const std::string>(output::stepPage(page, "<script src=\"/step.js\"></script>\n"));
    auto pageSnapshot = std::make_shared<const std::string>(std::move(page));
    std::lock_guard<std::mutex> hold(state.lock);
    state.page = std::move(pageSnapshot);
    state.notes = std::move(notesSnapshot);
    state.stepPage = std::move(stepSnapshot);
    state.build = std::move(build);
}

void announceRecompile(ServedState& state) {
    {
        std::lock_guard<std::mutex> hold(state.lock);
        ++state.generation;
    }
    platform::wake(state.wakeup);
}

void serveForever(ServedState& state, platform::Socket listener, int port) {
    Loop loop;
    loop.state = &state;
    loop.listener = listener;
    loop.port = port;
    for (;;) turn(loop);
}

}  // namespace frontend
