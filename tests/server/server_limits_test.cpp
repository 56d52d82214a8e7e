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
#include <functional>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace core;
using namespace support;

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

// 100 headers are taken, one more is refused as it is read, well within the
// bytes a head may take, and the connection closed.
TEST_F(ServerLimitsTest, HeadersBeyondAHundredAreRefused) {
    for (int headers : {100, 101}) {
        std::string request = "GET /who HTTP/1.1\r\n";
        for (int i = 1; i < headers; ++i) request += "a: b\r\n";
        RawConnection connection;
        ASSERT_TRUE(connection.send_all(request + "Connection: close\r\n\r\n"));
        std::string reply = connection.finish();
        EXPECT_TRUE(reply.starts_with(headers == 100 ? "HTTP/1.1 200" : "HTTP/1.1 4")) << headers << reply;
    }
    RawConnection held;
    std::string request = "GET /who HTTP/1.1\r\n";
    for (int i = 0; i < 101; ++i) request += "a: b\r\n";
    ASSERT_TRUE(held.send_all(request));
    auto reply = held.reply_until_closed(std::chrono::milliseconds(900));
    ASSERT_TRUE(reply) << "refused before the head ends, and closed";
    EXPECT_TRUE(reply->starts_with("HTTP/1.1 4")) << *reply;
    expect_state_kept();
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

// Everything the server sends until it closes, given up to `limit`.
std::optional<std::string> reply_within(RawConnection& connection, std::chrono::seconds limit) {
    std::optional<std::string> reply;
    const auto start = std::chrono::steady_clock::now();
    while (!reply && std::chrono::steady_clock::now() - start < limit) reply = connection.reply_until_closed(500ms);
    return reply;
}

const std::string network_key = "7F3K-9QX2-MC4D";

// Beyond loopback any host can open connections before it shows a key. One
// host drips a header byte on each of 300 of them: it is held to a few, each
// closed once its head is late, and a player from another address is answered
// all along. A head that comes in time, again and again on one connection for
// longer than the head deadline, is never cut; a body that has not come whole
// within its deadline is, and changes nothing.
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
    std::string cut = slow_body->finish();
    EXPECT_TRUE(cut.empty() || cut.starts_with("HTTP/1.1 400")) << cut;
    EXPECT_EQ(net.get("/what").body, "");
}

// A loopback server with a key keeps other local users from locking the game
// out as a server on the network does: connections without the key are
// bounded, and a body must come whole in time. Without a key it is open.
TEST(ServerKeyedLimitsTest, StrangersAreBoundedAndBodiesHaveADeadline) {
    ServerProcess server({"--key", network_key});
    std::vector<std::unique_ptr<RawConnection>> strangers;
    for (int i = 0; i < 17; ++i) strangers.push_back(std::make_unique<RawConnection>());
    for (int look = 0; look < 200 && strangers[0]->open_at_server(); ++look) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(strangers[0]->open_at_server());
    EXPECT_TRUE(strangers[16]->open_at_server());

    RawConnection slow_body;
    ASSERT_TRUE(slow_body.send_all("POST /chess HTTP/1.1\r\nAuthorization: Bearer " + network_key +
                                   "\r\nContent-Length: 10\r\n\r\n0"));
    auto reply = reply_within(slow_body, 10s);
    ASSERT_TRUE(reply) << "a body that stops is cut";
    EXPECT_TRUE(reply->empty() || reply->starts_with("HTTP/1.1 400")) << *reply;
    EXPECT_EQ(get("/what", {{"Authorization", "Bearer " + network_key}}).body, "");
}

// Waits, up to a few seconds, until `done` holds.
bool settles(const std::function<bool()>& done) {
    for (int look = 0; look < 200 && !done(); ++look) std::this_thread::sleep_for(10ms);
    return done();
}

// Connections that have not shown the key: a new one over the bound of its
// address, or over the bound of all, closes the oldest one without the key,
// never one that has shown it, however old.
TEST(NetworkServerLimits, StrangersDisplaceTheOldestStrangerAndNeverAKeyedConnection) {
    NetworkPair net(network_key);
    auto server = net.start_server();
    const std::string host = net.server().host;
    const std::string key_line = "Authorization: Bearer " + network_key + "\r\n";
    std::unique_ptr<RawConnection> keyed;
    std::vector<std::unique_ptr<RawConnection>> strangers;
    auto open_strangers = [&](const char* address, int count) {
        net.run_on_player_side([&] {
            for (int i = 0; i < count; ++i) strangers.push_back(std::make_unique<RawConnection>(host, address));
        });
    };
    auto open_count = [&](std::size_t from, std::size_t to) {
        return std::count_if(strangers.begin() + from, strangers.begin() + to,
                             [](auto& connection) { return connection->open_at_server(); });
    };
    net.run_on_player_side([&] { keyed = std::make_unique<RawConnection>(host, player_side_addresses[0]); });
    ASSERT_TRUE(keyed->send_all("GET /who HTTP/1.1\r\n" + key_line + "\r\n"));

    open_strangers(player_side_addresses[1], 17);
    EXPECT_TRUE(settles([&] { return !strangers[0]->open_at_server(); })) << "the oldest of the address stays";
    EXPECT_EQ(open_count(1, 17), 16);

    // 16 more from each of four other addresses, the keyed one's among them:
    // 80 in all, over the bound of 64.
    for (const char* address : player_side_addresses) {
        if (address != player_side_addresses[1]) open_strangers(address, 16);
    }
    EXPECT_TRUE(settles([&] { return open_count(0, strangers.size()) == 64; }));
    EXPECT_EQ(open_count(1, 17), 0) << "the oldest strangers go first";
    EXPECT_TRUE(keyed->open_at_server());
    ASSERT_TRUE(keyed->send_all("GET /who HTTP/1.1\r\n" + key_line + "Connection: close\r\n\r\n"));
    std::string reply = keyed->finish();
    EXPECT_TRUE(reply.starts_with("HTTP/1.1 200 OK")) << reply;
}

// A head that stops half-way is closed once its deadline has passed, not
// after the longer read time-out.
TEST(NetworkServerLimits, AHalfSentRequestLineIsClosedAtItsDeadline) {
    NetworkPair net(network_key);
    auto server = net.start_server();
    std::unique_ptr<RawConnection> half;
    net.run_on_player_side([&] { half = std::make_unique<RawConnection>(net.server().host, player_side_addresses[0]); });
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(half->send_all("GET /wh"));
    ASSERT_TRUE(reply_within(*half, 10s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4500ms) << "the deadline is 3 s, the read time-out 5 s";
}

// Each connection that ends gives its place back: one address that opens,
// uses and closes a connection after another is answered every time.
TEST(NetworkServerLimits, SequentialConnectionsFromOneAddressAreAllAnswered) {
    NetworkPair net(network_key);
    auto server = net.start_server();
    for (int i = 0; i < 20; ++i) {
        std::unique_ptr<RawConnection> connection;
        net.run_on_player_side([&] {
            connection = std::make_unique<RawConnection>(net.server().host, player_side_addresses[0]);
        });
        ASSERT_TRUE(connection->send_all("GET /who HTTP/1.1\r\n\r\n"));
        EXPECT_TRUE(connection->finish().starts_with("HTTP/1.1 401")) << "connection " << i;
    }
}

}  // namespace
