// Arbitrary bytes sent as an HTTP request to the game's own server, in this
// process, over a real loopback socket: every connection must end with a
// reply that starts with a status line, or with no reply at all, the game
// state must stay within its invariants, and the server must keep serving.

#include "bounded_stream.h"
#include "game_server.h"
#include "routes.h"
#include "sockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <functional>
#include <iostream>
#include <thread>

using namespace core;
using namespace server;

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail = std::strerror(errno)) {
    std::fprintf(stderr, "server_request_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

// libFuzzer's timer signal would interrupt the server's accept(), which the
// library takes for a broken listening socket; the server's threads, all
// started from this one, leave every signal to the fuzzing thread.
void serve_without_signals(GameServer& server) {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    server.listen_after_bind();
}

Relay relay(std::cout);

int server_port() {
    static GameServer server([](httplib::Server& routes) { register_routes(routes, relay); });
    static int port = [] {
        // A free port, from a socket that lets go of it at once.
        std::string reason;
        auto any_port = platform::first_address("127.0.0.1", 0, reason);
        if (!any_port) fail("no loopback address", reason);
        platform::Socket probe = platform::listen_on(*any_port);
        if (probe == platform::no_socket) fail("cannot bind");
        std::string ip;
        int bound = 0;
        platform::address_text(*platform::local_address(probe), ip, bound);
        platform::stop_listening(probe);
        if (server.bind_game_address(*platform::first_address("127.0.0.1", bound, reason)) != 0) fail("cannot bind");
        std::thread(serve_without_signals, std::ref(server)).detach();
        return bound;
    }();
    return port;
}

// The fuzzing thread's own calls may be interrupted by that signal.
template <typename Call>
auto again_on_interrupt(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

int connect_to_server() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(server_port()));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0) fail("no socket");
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        // An interrupted connect goes on in the background; wait for its end.
        pollfd entry{sock, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        if (errno != EINTR || again_on_interrupt([&] { return poll(&entry, 1, 20000); }) <= 0 ||
            getsockopt(sock, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            fail("cannot connect");
        }
    }
    return sock;
}

// Everything the server sends until it closes; aborts if it goes silent for a
// minute without closing, which would mean a connection stuck in the server.
std::string exchange(const char* what, const std::uint8_t* data, std::size_t size) {
    int sock = connect_to_server();
    std::size_t sent = 0;
    while (sent < size) {
        ssize_t n = again_on_interrupt([&] { return send(sock, data + sent, size - sent, MSG_NOSIGNAL); });
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    shutdown(sock, SHUT_WR);
    std::string reply;
    char buffer[4096];
    for (;;) {
        pollfd entry{sock, POLLIN, 0};
        if (again_on_interrupt([&] { return poll(&entry, 1, 60000); }) <= 0) {
            fail(what, "no reply and no close after " + reply);
        }
        ssize_t n = again_on_interrupt([&] { return recv(sock, buffer, sizeof buffer, 0); });
        if (n <= 0) break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    close(sock);
    return reply;
}

void check_state() {
    std::lock_guard lock(relay.mutex);
    const GameState& game = relay.game;
    if (game.player_count < 0 || game.player_count > 2) fail("player count", "");
    if (game.current_turn != 1 && game.current_turn != 2) fail("turn", "");
    if (game.board_text.size() > http::max_body_bytes) fail("board over the cap", "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string reply = exchange("input", data, size);
    if (!reply.empty() && reply.rfind("HTTP/1.1 ", 0) != 0) fail("not a status line", reply);
    check_state();
    static const std::uint8_t probe[] = "GET /who HTTP/1.1\r\nConnection: close\r\n\r\n";
    std::string answer = exchange("probe", probe, sizeof probe - 1);
    if (answer.rfind("HTTP/1.1 200 OK\r\n", 0) != 0) fail("server stopped answering", answer);
    return 0;
}
