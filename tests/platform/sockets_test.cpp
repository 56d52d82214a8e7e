#include "sockets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

using namespace platform;

namespace {

Address address_of(const std::string& host, int port = 0) {
    std::string reason;
    auto address = first_address(host, port, reason);
    EXPECT_TRUE(address) << host << ": " << reason;
    return address.value_or(Address{});
}

// A listening socket on a free loopback port, and a connection to it from
// both ends.
struct Pair {
    Pair() {
        listening = listen_on(address_of("127.0.0.1"));
        EXPECT_NE(listening, no_socket) << error_text(last_error());
        auto bound = local_address(listening);
        EXPECT_TRUE(bound);
        client = connect_to(*bound);
        EXPECT_NE(client, no_socket) << error_text(last_error());
        AcceptFailure failure;
        server = accept_connection(listening, peer, failure);
        EXPECT_EQ(failure, AcceptFailure::none);
    }
    ~Pair() {
        for (Socket sock : {client, server}) {
            if (sock != no_socket) close_socket(sock);
        }
        stop_listening(listening);
    }
    Socket listening = no_socket;
    Socket client = no_socket;
    Socket server = no_socket;
    Address peer;
};

}  // namespace

TEST(Sockets, BytesCrossAConnectionAndAQuietOneTimesOut) {
    Pair pair;
    char buffer[16];
    EXPECT_EQ(receive_within(pair.server, buffer, sizeof buffer, 50), -1);
    EXPECT_FALSE(wait_readable(pair.server, 0));
    EXPECT_TRUE(wait_writable(pair.client, 1000));

    ASSERT_TRUE(send_all_within(pair.client, "board", 5, 1000));
    EXPECT_TRUE(wait_readable(pair.server, 1000));
    std::ptrdiff_t got = receive_within(pair.server, buffer, sizeof buffer, 1000);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), "board");

    close_socket(pair.client);
    pair.client = no_socket;
    EXPECT_EQ(receive_within(pair.server, buffer, sizeof buffer, 1000), 0) << "the peer closed";
}

// A cut-off connection is still its owner's to close, and both ends see it end.
TEST(Sockets, StoppedReadingAndCutOffConnectionsEnd) {
    Pair pair;
    char buffer[16];
    stop_reading(pair.server);
    EXPECT_EQ(receive_within(pair.server, buffer, sizeof buffer, 1000), 0);
    EXPECT_TRUE(send_all_within(pair.server, "ok", 2, 1000)) << "replies still go out";
    EXPECT_EQ(receive_within(pair.client, buffer, sizeof buffer, 1000), 2);
    cut_off(pair.server);
    EXPECT_EQ(receive_within(pair.client, buffer, sizeof buffer, 1000), 0);
}

TEST(Sockets, AddressesTellTheirHostAndPort) {
    Pair pair;
    std::string ip;
    int port = 0;
    address_text(*local_address(pair.listening), ip, port);
    EXPECT_EQ(ip, "127.0.0.1");
    int peer_port = 0;
    address_text(*peer_address(pair.client), ip, peer_port);
    EXPECT_EQ(peer_port, port);
    int client_port = 0;
    address_text(*local_address(pair.client), ip, client_port);
    address_text(pair.peer, ip, port);
    EXPECT_EQ(ip, "127.0.0.1");
    EXPECT_EQ(port, client_port) << "the accepted peer is the client";

    address_text(address_of("::1", 8089), ip, port);
    EXPECT_EQ(ip, "::1");
    EXPECT_EQ(port, 8089);
    std::string reason;
    EXPECT_FALSE(first_address("no-such-host.invalid", 8089, reason));
    EXPECT_NE(reason, "");
}

TEST(Sockets, LoopbackEveryInterfaceAndHostGroups) {
    EXPECT_TRUE(is_loopback(address_of("127.3.2.1")));
    EXPECT_TRUE(is_loopback(address_of("::1")));
    EXPECT_TRUE(is_loopback(address_of("::ffff:127.0.0.1")));
    EXPECT_FALSE(is_loopback(address_of("10.1.2.3")));
    EXPECT_FALSE(is_loopback(address_of("::ffff:10.1.2.3")));
    EXPECT_FALSE(is_loopback(address_of("0.0.0.0")));

    EXPECT_TRUE(is_every_interface(address_of("0.0.0.0")));
    EXPECT_TRUE(is_every_interface(address_of("::")));
    EXPECT_FALSE(is_every_interface(address_of("127.0.0.1")));
    EXPECT_FALSE(is_every_interface(address_of("::1")));

    EXPECT_EQ(address_group(address_of("10.1.2.3", 1)), address_group(address_of("10.1.2.3", 2)));
    EXPECT_EQ(address_group(address_of("10.1.2.3")), address_group(address_of("::ffff:10.1.2.3")));
    EXPECT_NE(address_group(address_of("10.1.2.3")), address_group(address_of("10.1.2.4")));
    EXPECT_EQ(address_group(address_of("fd00::1")), address_group(address_of("fd00::2")));
    EXPECT_NE(address_group(address_of("fd00::1")), address_group(address_of("fd00:0:0:1::1")));
}

// Serving ends by this one call: every thread waiting in accept returns.
TEST(Sockets, StopListeningWakesABlockedAccept) {
    Socket listening = listen_on(address_of("127.0.0.1"));
    ASSERT_NE(listening, no_socket);
    AcceptFailure failure = AcceptFailure::none;
    Socket accepted = no_socket;
    std::thread acceptor([&] {
        Address peer;
        accepted = accept_connection(listening, peer, failure);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop_listening(listening);
    acceptor.join();
    EXPECT_EQ(accepted, no_socket);
    EXPECT_EQ(failure, AcceptFailure::fatal);
}

TEST(Sockets, OneListenerPerAddress) {
    Socket first = listen_on(address_of("127.0.0.1"));
    ASSERT_NE(first, no_socket);
    Socket second = listen_on(*local_address(first));
    EXPECT_EQ(second, no_socket) << "a second server would split the players";
    EXPECT_NE(error_text(last_error()), "");
    stop_listening(first);
    EXPECT_EQ(connect_to(address_of("127.0.0.1", 1)), no_socket);
}
