#pragma once
// The HTTP server of the game: the library's server with the eight routes,
// serving each connection on the thread that accepted it through a stream
// that bounds what one request may make it hold. What a well-formed request
// gets is the library's own answer.

#include "connection_threads.h"

#include <httplib.h>

#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

// Guards for a server that other hosts reach. Any host can open connections
// before it shows a key, and each holds one of the server's threads: a
// connection whose request head has not come whole this long after its first
// byte is closed, and one address holds at most this many connections. The
// deadline covers the head only and starts again with each request, so a
// handler that waits before it answers is never cut by it.
constexpr std::chrono::seconds network_head_deadline{3};
constexpr std::size_t max_connections_per_address = 16;

class GameServer : public httplib::Server {
public:
    // The routes `register_handlers` adds: the relay's or the referee's.
    explicit GameServer(const std::function<void(httplib::Server&)>& register_handlers);

    // Binds exactly `address`, with SO_REUSEADDR and a listen backlog of
    // SOMAXCONN instead of the library's 5: with 5, a burst of a few more
    // connections than that has its SYNs dropped and waits one to three
    // seconds for the retry. No SO_REUSEPORT, which would let a second server
    // share the port and split the clients between two games. False with
    // errno set to why.
    bool bind_game_address(const sockaddr* address, socklen_t length);

    // Every request `refused` picks is answered 401 before any route, with a
    // short text, and its connection is closed as soon as that reply is out:
    // nothing sent after it, its own body included, is read.
    void refuse_requests(std::function<bool(const httplib::Request&)> refused);

    // Turns on network_head_deadline and max_connections_per_address.
    void guard_against_other_hosts();

    // These two take the place of the library's own, whose listen loop hands
    // each connection from its accepting thread to a worker (the library's
    // is_running() does not see this loop). Serving ends with stop(), true,
    // or when the listening socket fails: false, with errno set to why.
    bool listen_after_bind();
    // Stops accepting; each connection ends after its current request or its
    // keep-alive wait, and listen_after_bind() returns once every thread is
    // joined. Then runs the hook given to on_stop, so that handlers that wait
    // answer now.
    void stop();
    void on_stop(std::function<void()> hook) { stop_hook_ = std::move(hook); }

private:
    // The next connection and its peer's address; the library's handling of
    // accept() errors. INVALID_SOCKET once the listening socket is gone.
    AcceptedConnection accept_connection();
    // Closes the listening socket if it is still `sock`; false when another
    // thread closed it first.
    bool close_listening_socket(socket_t sock);
    // The library's keep-alive loop over a BoundedSocketStream; closes the
    // connection.
    void serve_connection(const AcceptedConnection& connection);

    std::atomic<int> listen_error_{0};
    std::function<bool(const httplib::Request&)> refused_;
    std::chrono::milliseconds head_deadline_{0};
    std::size_t per_address_ = 0;
    // The listening address when it is one address, not every interface:
    // then each connection's own is known without asking the socket.
    std::optional<sockaddr_storage> local_;
    std::function<void()> stop_hook_;
};
