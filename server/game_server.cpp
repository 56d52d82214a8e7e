#include "game_server.h"

#include "bounded_stream.h"
#include "connection_threads.h"
#include "routes.h"

#include <sys/socket.h>
#include <unistd.h>

namespace {

// The library builds a multi-range reply as one string with a copy of the
// body for every range asked for, with no limit on their number: a few
// thousand ranges over a large /what board take gigabytes. No client asks for
// a range; every reply carries the whole body.
void ignore_ranges(httplib::Request& req) { req.ranges.clear(); }

}  // namespace

GameServer::GameServer() {
    register_routes(*this);
    set_payload_max_length(max_body_bytes);
    new_task_queue = [] { return new ConnectionThreads; };
}

bool GameServer::bind_game_port(const char* host, int port) {
    return bind_to_port(host, port) && ::listen(svr_sock_, SOMAXCONN) == 0;
}

bool GameServer::process_and_close_socket(socket_t sock) {
    BoundedSocketStream stream(sock, read_timeout_sec_, read_timeout_usec_, write_timeout_sec_,
                               write_timeout_usec_);
    bool served = false;
    for (std::size_t left = keep_alive_max_count_;
         left > 0 && svr_sock_ != INVALID_SOCKET && stream.wait_for_request(keep_alive_timeout_sec_);
         --left) {
        bool connection_closed = false;
        stream.start_request();
        served = process_request(stream, left == 1, connection_closed, ignore_ranges);
        if (!served || connection_closed) break;
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return served;
}
