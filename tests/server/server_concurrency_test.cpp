// Many workers run the handlers at once; the game state must stay whole.

#include "game_constants.h"
#include "server_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

using namespace core;
using namespace support;

namespace {

TEST(ServerConcurrencyTest, SimultaneousJoinsNumberTwoPlayersOnce) {
    ServerProcess server;
    constexpr int clients = 64;
    std::vector<Reply> replies(clients);
    std::vector<std::thread> threads;
    std::atomic<bool> go{false};
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            while (!go) std::this_thread::yield();
            replies[i] = get("/join");
        });
    }
    go = true;
    for (auto& t : threads) t.join();

    auto count = [&](const std::string& body) {
        return std::count_if(replies.begin(), replies.end(),
                             [&](const Reply& r) { return r.status == 200 && r.body == body; });
    };
    EXPECT_EQ(count("1"), 1);
    EXPECT_EQ(count("2"), 1);
    EXPECT_EQ(count("0"), clients - 2);
    std::string console = server.console();
    EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 2);
    EXPECT_EQ(get("/start").body, "2");
}

TEST(ServerConcurrencyTest, ConcurrentWinsWriteWholeLines) {
    ServerProcess server;
    constexpr int posters = 16;
    std::vector<std::thread> threads;
    for (int i = 0; i < posters; ++i) {
        threads.emplace_back([i] { post("/win", std::to_string(1000000 + i)); });
    }
    for (auto& t : threads) t.join();
    std::string console = server.console();
    const std::string prefix(game_over_prefix);
    const std::string suffix(game_over_suffix);
    size_t lines = 0;
    size_t start = 0;
    while (start < console.size()) {
        size_t end = console.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        std::string line = console.substr(start, end - start);
        ASSERT_EQ(line.size(), prefix.size() + 7 + suffix.size()) << "lines mixed";
        EXPECT_EQ(line.substr(0, prefix.size()), prefix);
        EXPECT_EQ(line.substr(prefix.size() + 7), suffix);
        ++lines;
        start = end + 1;
    }
    EXPECT_EQ(lines, static_cast<size_t>(posters));
}

TEST(ServerConcurrencyTest, BoardReadsNeverSeeHalfAWrite) {
    ServerProcess server;
    const std::string a(4096, 'a');
    const std::string b(4096, 'b');
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i) post("/chess", i % 2 ? a : b);
        done = true;
    });
    int torn = 0;
    while (!done) {
        Reply r = get("/what");
        if (r.status == 200 && !r.body.empty() && r.body != a && r.body != b) ++torn;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
