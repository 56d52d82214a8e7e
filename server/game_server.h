#pragma once
// The HTTP server of the game: the library's server with the eight routes,
// serving each connection on a thread of its own through a stream that bounds
// what one request may make it hold. What a well-formed request gets is the
// library's own answer.

#include <httplib.h>

class GameServer : public httplib::Server {
public:
    GameServer();

    // bind_to_port, then a listen backlog of SOMAXCONN instead of the
    // library's 5: with 5, a burst of a few more connections than that has
    // its SYNs dropped and waits one to three seconds for the retry.
    bool bind_game_port(const char* host, int port);

private:
    // The library's keep-alive loop over a BoundedSocketStream.
    bool process_and_close_socket(socket_t sock) override;
};
