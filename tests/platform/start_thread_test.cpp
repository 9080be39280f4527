// platform::startThread on every system: each start runs exactly once, with its own argument,
// also when thousands of short threads come and go.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/platform.h"

namespace {

struct Board {
    std::mutex lock;
    std::condition_variable allDone;
    std::vector<int> runs;
    int finished = 0;
};

struct Ticket {
    Board* board;
    int index;
};

void mark(void* p) {
    const Ticket* ticket = static_cast<Ticket*>(p);
    std::lock_guard<std::mutex> hold(ticket->board->lock);
    ++ticket->board->runs[static_cast<std::size_t>(ticket->index)];
    ++ticket->board->finished;
    ticket->board->allDone.notify_all();
}

}  // namespace

TEST(StartThread, EveryStartRunsOnceWithItsOwnArgument) {
    constexpr int count = 3000;
    Board board;
    board.runs.assign(count, 0);
    std::vector<Ticket> tickets(count);
    int started = 0;
    for (int i = 0; i < count; ++i) {
        tickets[static_cast<std::size_t>(i)] = {&board, i};
        if (platform::startThread(mark, &tickets[static_cast<std::size_t>(i)])) ++started;
        // At most 64 at a time, as the watch server runs them.
        std::unique_lock<std::mutex> hold(board.lock);
        board.allDone.wait(hold, [&] { return started - board.finished < 64; });
    }
    ASSERT_EQ(started, count);
    std::unique_lock<std::mutex> hold(board.lock);
    ASSERT_TRUE(board.allDone.wait_for(hold, std::chrono::seconds(60), [&] { return board.finished == count; }));
    for (int i = 0; i < count; ++i) EXPECT_EQ(board.runs[static_cast<std::size_t>(i)], 1) << i;
}
