#include "game_server.h"

#include "bounded_stream.h"
#include "connection_threads.h"
#include "routes.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

// The library builds a multi-range reply as one string with a copy of the
// body for every range asked for, with no limit on their number: a few
// thousand ranges over a large /what board take gigabytes. No client asks for
// a range; every reply carries the whole body.
void ignore_ranges(httplib::Request& req) { req.ranges.clear(); }

void set_time_out(socket_t sock, int option, time_t sec, time_t usec) {
    timeval limit{static_cast<long>(sec), static_cast<suseconds_t>(usec)};
    setsockopt(sock, SOL_SOCKET, option, &limit, sizeof limit);
}

}  // namespace

GameServer::GameServer() : GameServer(register_routes) {}

GameServer::GameServer(const std::function<void(httplib::Server&)>& register_handlers) {
    register_handlers(*this);
    set_payload_max_length(max_body_bytes);
}

bool GameServer::bind_game_port(const char* host, int port) {
    return bind_to_port(host, port) && ::listen(svr_sock_, SOMAXCONN) == 0;
}

bool GameServer::listen_after_bind() {
    ConnectionThreads threads([this] { return accept_connection(); },
                              [this](socket_t sock) { process_and_close_socket(sock); });
    threads.run();
    int error = listen_error_;
    if (error == 0) return true;
    errno = error;
    return false;
}

void GameServer::stop() {
    close_listening_socket(svr_sock_);
    if (stop_hook_) stop_hook_();
}

// shutdown() wakes every thread blocked in accept(); close() alone would not.
bool GameServer::close_listening_socket(socket_t sock) {
    if (sock == INVALID_SOCKET || !svr_sock_.compare_exchange_strong(sock, INVALID_SOCKET)) {
        return false;
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return true;
}

// As the library does: out of descriptors, wait for one to be freed; an
// interrupted call, again; any other error ends serving.
socket_t GameServer::accept_connection() {
    for (;;) {
        socket_t listening = svr_sock_;
        if (listening == INVALID_SOCKET) return INVALID_SOCKET;
        socket_t sock = accept(listening, nullptr, nullptr);
        if (sock != INVALID_SOCKET) {
            set_time_out(sock, SO_RCVTIMEO, read_timeout_sec_, read_timeout_usec_);
            set_time_out(sock, SO_SNDTIMEO, write_timeout_sec_, write_timeout_usec_);
            return sock;
        }
        int error = errno;
        if (error == EMFILE) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else if (error != EINTR && error != EAGAIN) {
            if (close_listening_socket(listening)) listen_error_ = error;
            return INVALID_SOCKET;
        }
    }
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
