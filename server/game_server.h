#pragma once
// The HTTP server of the game: the library's server with the eight routes,
// serving each connection on the thread that accepted it through a stream
// that bounds what one request may make it hold. What a well-formed request
// gets is the library's own answer.

#include "connection_threads.h"
#include "http_library.h"
#include "sockets.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

namespace server {

// Guards for a server with a key, which other hosts or other users of the
// machine reach. Anyone can open connections before showing the key, and each
// holds one of the server's threads: a connection whose request head has not
// come whole this long after its first byte is closed, and so is one whose
// body has not come whole this long after its head. The deadlines start again
// with each request and stop at the body, so a handler that waits before it
// answers is never cut by them.
constexpr std::chrono::seconds network_head_deadline{3};
constexpr std::chrono::seconds network_body_deadline{3};
// Connections that have not shown the key, from one address and in all; far
// below max_connection_threads, so that those that have always find a thread.
constexpr std::size_t max_strangers_per_address = 16;
constexpr std::size_t max_strangers = 64;
// How long replies may still go out once serving ends, before every
// connection is cut off whole.
constexpr std::chrono::milliseconds stop_grace{500};

class GameServer {
public:
    // The routes `register_handlers` adds: the relay's or the referee's.
    explicit GameServer(const std::function<void(httplib::Server&)>& register_handlers);
    GameServer(const GameServer&) = delete;
    GameServer& operator=(const GameServer&) = delete;

    // Binds exactly `address` with the address reusable at once and the
    // system's largest listen backlog instead of the library's 5: with 5, a
    // burst of a few more connections than that has its SYNs dropped and
    // waits one to three seconds for the retry. No address sharing, which
    // would let a second server share the port and split the clients between
    // two games. 0, or the system's error.
    int bind_game_address(const platform::Address& address);

    // Every request `refused` picks is answered 401 before any route, with a
    // short text, and its connection is closed as soon as that reply is out:
    // nothing sent after it, its own body included, is read. A connection
    // whose request was not refused has shown the key.
    void refuse_requests(std::function<bool(const httplib::Request&)> refused);

    // The largest body any route takes (http::max_body_bytes unless set). A
    // request whose Content-Length is larger gets 413 before any of its body
    // is read, and its connection is closed; a chunked body is cut off past it.
    void set_body_limit(std::size_t bytes);

    // Turns on the deadlines and the bounds on connections without the key
    // above.
    void guard_against_other_hosts();

    // The library's own listen loop hands each connection from its accepting
    // thread to a worker; this one serves it on the thread that accepted it.
    // Serving ends with stop(): 0, or when the listening socket fails: the
    // system's error.
    int listen_after_bind();
    // Stops accepting and runs the hook given to on_stop, so that handlers
    // that wait answer now; no connection reads any more, and those still
    // open after stop_grace are cut off. Returns once all are, and
    // listen_after_bind() returns once every thread is joined.
    void stop();
    void on_stop(std::function<void()> hook) { stop_hook_ = std::move(hook); }

private:
    // The next connection and its peer's address; the library's handling of
    // accept() errors. no_socket once the listening socket is gone.
    AcceptedConnection accept_connection();
    // Closes the listening socket if it is still `sock`; false when another
    // thread closed it first.
    bool close_listening_socket(platform::Socket sock);
    // The library's keep-alive loop over a BoundedStream, until a
    // request is cut or a reply says the connection closes.
    void serve_connection(const AcceptedConnection& connection, const std::function<void()>& showed_key);
    // 401 for a request without the key, then 413 for a body over the limit;
    // Unhandled for any other.
    httplib::Server::HandlerResponse refuse_before_routing(const httplib::Request& req,
                                                           httplib::Response& res) const;

    http::Server http_;
    std::atomic<platform::Socket> listening_{platform::no_socket};
    ConnectionThreads threads_;
    std::atomic<int> listen_error_{0};
    std::function<bool(const httplib::Request&)> refused_;
    std::size_t body_limit_ = http::max_body_bytes;
    std::chrono::milliseconds head_deadline_{0};
    std::chrono::milliseconds body_deadline_{0};
    // The listening address when it is one address, not every interface:
    // then each connection's own is known without asking the socket.
    std::optional<platform::Address> local_;
    std::function<void()> stop_hook_;
};

}  // namespace server
