// Requests that try to make the server hold more than one request's worth of
// memory, or to keep its workers busy: each is cut off or answered, the game
// state stays as it was, and the server goes on answering the game. On the
// network, other hosts are held to a few connections each, for a short while.

#include "raw_connection.h"
#include "game_constants.h"
#include "network_pair.h"
#include "server_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr size_t mebibyte = 1024 * 1024;
// Far more than the server may hold for one request (a 16 MiB body, twice
// over while its string grows, and the sanitizers' own share), and half of
// what it would hold if it kept everything it was sent.
constexpr size_t flood_bytes = 256 * mebibyte;
constexpr long growth_bound_kib = 128 * 1024;
// The server's threads, each holding at most one connection.
constexpr int connection_thread_bound = 256;

class ServerLimitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(post("/chess", "kept").body, "ok");
        ASSERT_EQ(get("/join").body, "1");
    }

    // The state left by SetUp, and the server still answering.
    void expect_state_kept() {
        EXPECT_EQ(get("/what").body, "kept");
        EXPECT_EQ(get("/start").body, "1");
        EXPECT_EQ(get("/who").body, "1");
        EXPECT_EQ(get("/who_win").body, "0");
    }

    // Sends `head` and then `unit` over and over, up to flood_bytes; the server
    // must stop taking them long before, and its memory must stay small.
    void expect_flood_cut_off(const std::string& head, const std::string& unit) {
        long resident_before = resident_kib(server.process().pid());
        RawConnection connection;
        ASSERT_TRUE(connection.send_all(head));
        size_t sent = connection.send_repeated(unit, flood_bytes);
        EXPECT_LT(sent, flood_bytes) << "the server took every byte";
        EXPECT_LT(resident_kib(server.process().pid()) - resident_before, growth_bound_kib);
        std::string reply = connection.finish();
        EXPECT_TRUE(reply.empty() || reply.rfind("HTTP/1.1 4", 0) == 0) << reply.substr(0, 80);
        expect_state_kept();
    }

    ServerProcess server;
};

TEST_F(ServerLimitsTest, EndlessRequestLineIsCutOff) {
    expect_flood_cut_off("GET /", std::string(64 * 1024, 'a'));
}

TEST_F(ServerLimitsTest, EndlessHeaderLineIsCutOff) {
    expect_flood_cut_off("GET /who HTTP/1.1\r\nX-Long: ", std::string(64 * 1024, 'a'));
}

TEST_F(ServerLimitsTest, EndlessHeaderCountIsCutOff) {
    std::string headers;
    for (int i = 0; i < 4096; ++i) headers += "a: b\r\n";
    expect_flood_cut_off("GET /who HTTP/1.1\r\n", headers);
}

TEST_F(ServerLimitsTest, EndlessChunkedBoardIsCutOff) {
    std::string chunk = "10000\r\n" + std::string(0x10000, 'c') + "\r\n";
    expect_flood_cut_off("POST /chess HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", chunk);
}

TEST_F(ServerLimitsTest, EndlessBodyWithoutLengthIsCutOff) {
    expect_flood_cut_off("POST /chess HTTP/1.1\r\n\r\n", std::string(64 * 1024, 'n'));
}

TEST_F(ServerLimitsTest, EndlessBodyToAnUnknownPathIsCutOff) {
    expect_flood_cut_off("POST /nowhere HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n",
                         "10000\r\n" + std::string(0x10000, 'u') + "\r\n");
}

TEST_F(ServerLimitsTest, ChunkedBoardWithinTheCapIsStored) {
    RawConnection connection;
    ASSERT_TRUE(connection.send_all(
        "POST /chess HTTP/1.1\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
        "2\r\n01\r\n3\r\n020\r\n0\r\n\r\n"));
    std::string reply = connection.finish();
    EXPECT_EQ(reply.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << reply;
    EXPECT_EQ(get("/what").body, "01020");
}

TEST_F(ServerLimitsTest, BadChunkSizeChangesNothing) {
    for (const char* chunks : {"zz\r\nab\r\n0\r\n\r\n", "ffffffffffffffffff\r\nab\r\n",
                               "-1\r\nab\r\n0\r\n\r\n", "\r\nab\r\n0\r\n\r\n"}) {
        RawConnection connection;
        connection.send_all(std::string("POST /chess HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n") +
                            chunks);
        std::string reply = connection.finish();
        EXPECT_TRUE(reply.empty() || reply.rfind("HTTP/1.1 400", 0) == 0) << reply.substr(0, 80);
    }
    expect_state_kept();
}

TEST_F(ServerLimitsTest, ConnectionClosedMidBodyChangesNothing) {
    for (const char* request : {"POST /chess HTTP/1.1\r\nContent-Length: 100\r\n\r\n0101",
                                "POST /win HTTP/1.1\r\nContent-Length: 5\r\n\r\n2",
                                "POST /chess HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n64\r\n01"}) {
        RawConnection connection;
        connection.send_all(request);
        std::string reply = connection.finish();
        EXPECT_TRUE(reply.empty() || reply.rfind("HTTP/1.1 400", 0) == 0) << reply.substr(0, 80);
    }
    expect_state_kept();
    EXPECT_EQ(server.console().find(game_over_prefix), std::string::npos);
}

// The library would answer many ranges with one copy of the board for each;
// every reply carries the whole board once instead.
TEST_F(ServerLimitsTest, RangesAreIgnored) {
    std::string board(4 * mebibyte, 'r');
    ASSERT_EQ(post("/chess", board).body, "ok");
    long resident_before = resident_kib(server.process().pid());
    std::string ranges = "bytes=0-";
    for (int i = 0; i < 2000; ++i) ranges += ",0-";
    RawConnection connection;
    ASSERT_TRUE(connection.send_all("GET /what HTTP/1.1\r\nRange: " + ranges +
                                    "\r\nConnection: close\r\n\r\n"));
    std::string reply = connection.finish();
    EXPECT_EQ(reply.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << reply.substr(0, 80);
    EXPECT_EQ(reply.size() - reply.find("\r\n\r\n") - 4, board.size());
    EXPECT_LT(resident_kib(server.process().pid()) - resident_before, growth_bound_kib);
}

// Connections that send a byte now and then hold a worker each for as long
// as they keep sending; more of them than the library's eight default
// workers must not keep the game from being answered.
TEST_F(ServerLimitsTest, SlowSendersDoNotStopTheGame) {
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 32; ++i) {
        slow.push_back(std::make_unique<RawConnection>());
        slow.back()->send_all("GET /who HTTP/1.1\r\n");
    }
    for (int round = 0; round < 3; ++round) {
        for (auto& connection : slow) connection->send_all("X-Slow: 1\r\n");
        Reply reply = get("/who");
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(reply.body, "1");
    }
    for (auto& connection : slow) EXPECT_TRUE(connection->open_at_server());
    expect_state_kept();
}

// Idle connections hold a thread each. One fewer than the bound still leaves
// a thread waiting to accept the game's requests; more than the bound wait
// for a free thread instead of starting more (a sanitizer may add one thread
// of its own).
TEST_F(ServerLimitsTest, IdleConnectionsHoldAtMostTheBoundOfThreads) {
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < connection_thread_bound - 1; ++i) {
        idle.push_back(std::make_unique<RawConnection>());
    }
    for (int round = 0; round < 3; ++round) EXPECT_EQ(get("/who").body, "1");
    for (int i = 0; i < 64; ++i) idle.push_back(std::make_unique<RawConnection>());
    long most = 0;
    for (int look = 0; look < 100; ++look) {
        most = std::max(most, thread_count(server.process().pid()));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_LE(most, connection_thread_bound + 1);
}

}  // namespace

namespace {

using namespace std::chrono_literals;

const std::string network_key = "7F3K-9QX2-MC4D";

// Beyond loopback any host can open connections before it shows a key. One
// host drips a header byte on each of 300 of them: it is held to a few, each
// closed once its head is late, and a player from another address is answered
// all along. A head that comes in time, again and again on one connection for
// longer than the head deadline, and a body however slow, are never cut.
TEST(NetworkServerLimits, ADrippingHostHoldsFewConnectionsAndNotForLong) {
    NetworkPair net(network_key);
    auto server = net.start_server();
    const std::string host = net.server().host;
    const std::string player_address = "10.231.0.2";
    std::vector<std::unique_ptr<RawConnection>> drips;
    std::unique_ptr<RawConnection> slow_heads;
    std::unique_ptr<RawConnection> slow_body;
    net.run_on_player_side([&] {
        for (int i = 0; i < 300; ++i) drips.push_back(std::make_unique<RawConnection>(host, second_player_side_address));
        slow_heads = std::make_unique<RawConnection>(host, player_address);
        slow_body = std::make_unique<RawConnection>(host, player_address);
    });
    const std::string key_line = "Authorization: Bearer " + network_key + "\r\n";
    ASSERT_TRUE(slow_body->send_all("POST /chess HTTP/1.1\r\n" + key_line + "Content-Length: 10\r\n\r\n"));
    for (int round = 0; round < 10; ++round) {
        for (auto& drip : drips) drip->send_all(round == 0 ? "GET /who HTTP/1.1\r\n" : "X");
        slow_heads->send_all(round % 2 == 0 ? "GET /who HTTP/1.1\r\n" : key_line + "\r\n");
        slow_body->send_all("0");
        Reply reply = net.get("/who", 2s);
        EXPECT_EQ(reply.status, 200) << "round " << round;
        std::this_thread::sleep_for(500ms);
    }
    EXPECT_EQ(std::count_if(drips.begin(), drips.end(), [](auto& drip) { return drip->open_at_server(); }), 0);
    std::string heads = slow_heads->finish();
    int answered = 0;
    for (auto at = heads.find("HTTP/1.1 200 OK"); at != std::string::npos; at = heads.find("HTTP/1.1 200 OK", at + 1)) {
        ++answered;
    }
    EXPECT_EQ(answered, 5) << heads;
    EXPECT_TRUE(slow_body->finish().starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(net.get("/what").body, "0000000000");
}

}  // namespace
