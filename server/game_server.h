#pragma once
// The HTTP server of the game: the library's server with the eight routes,
// serving each connection on the thread that accepted it through a stream
// that bounds what one request may make it hold. What a well-formed request
// gets is the library's own answer.

#include <httplib.h>

#include <atomic>
#include <functional>
#include <utility>

class GameServer : public httplib::Server {
public:
    // The relay's eight routes, or those `register_handlers` adds.
    GameServer();
    explicit GameServer(const std::function<void(httplib::Server&)>& register_handlers);

    // bind_to_port, then a listen backlog of SOMAXCONN instead of the
    // library's 5: with 5, a burst of a few more connections than that has
    // its SYNs dropped and waits one to three seconds for the retry.
    bool bind_game_port(const char* host, int port);

    // These two take the place of the library's own, whose listen loop hands
    // each connection from its accepting thread to a worker (the library's
    // is_running() does not see this loop). Serving ends with stop(), true,
    // or when the listening socket fails: false, with errno set to why.
    bool listen_after_bind();
    // Stops accepting; each connection ends after its current request, and
    // listen_after_bind() returns once every thread is joined. Then runs
    // the hook given to on_stop, so that handlers that wait answer now.
    void stop();
    void on_stop(std::function<void()> hook) { stop_hook_ = std::move(hook); }

private:
    // The next connection, with the library's read and write time-outs; the
    // library's handling of accept() errors. INVALID_SOCKET once the
    // listening socket is gone.
    socket_t accept_connection();
    // Closes the listening socket if it is still `sock`; false when another
    // thread closed it first.
    bool close_listening_socket(socket_t sock);
    // The library's keep-alive loop over a BoundedSocketStream.
    bool process_and_close_socket(socket_t sock) override;

    std::atomic<int> listen_error_{0};
    std::function<void()> stop_hook_;
};
