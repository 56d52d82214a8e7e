#include "game_server.h"

#include "bounded_stream.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace server {

namespace {

std::chrono::milliseconds to_milliseconds(time_t sec, time_t usec) {
    return std::chrono::milliseconds(sec * 1000 + usec / 1000);
}

// The address a socket listens on, when it is one address and not every
// interface (0.0.0.0 or ::).
std::optional<sockaddr_storage> one_listening_address(socket_t sock) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) != 0) return std::nullopt;
    if (address.ss_family == AF_INET &&
        reinterpret_cast<const sockaddr_in&>(address).sin_addr.s_addr != htonl(INADDR_ANY)) {
        return address;
    }
    if (address.ss_family == AF_INET6 &&
        !IN6_IS_ADDR_UNSPECIFIED(&reinterpret_cast<const sockaddr_in6&>(address).sin6_addr)) {
        return address;
    }
    return std::nullopt;
}

}  // namespace

GameServer::GameServer(const std::function<void(httplib::Server&)>& register_handlers)
    : threads_([this] { return accept_connection(); },
               [this](const AcceptedConnection& connection, const std::function<void()>& showed_key) {
                   serve_connection(connection, showed_key);
               }) {
    register_handlers(*this);
    set_payload_max_length(max_body_bytes);
    set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        return refuse_before_routing(req, res);
    });
}

bool GameServer::bind_game_address(const sockaddr* address, socklen_t length) {
    socket_t sock = ::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock == INVALID_SOCKET) return false;
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(sock, address, length) != 0 || ::listen(sock, SOMAXCONN) != 0) {
        int error = errno;
        close(sock);
        errno = error;
        return false;
    }
    svr_sock_ = sock;
    return true;
}

void GameServer::refuse_requests(std::function<bool(const httplib::Request&)> refused) {
    refused_ = std::move(refused);
}

void GameServer::set_body_limit(std::size_t bytes) {
    body_limit_ = bytes;
    set_payload_max_length(bytes);
}

// The library reads Content-Length as strtoull does, and so does this.
GameServer::HandlerResponse GameServer::refuse_before_routing(const httplib::Request& req,
                                                               httplib::Response& res) const {
    if (refused_ && refused_(req)) {
        res.status = 401;
        res.set_header("WWW-Authenticate", "Bearer");
        res.set_content("this game needs its key\n", "text/plain");
    } else if (req.get_header_value<uint64_t>("Content-Length") > body_limit_) {
        res.status = 413;
        res.set_content("this server takes a body of at most " + std::to_string(body_limit_) + " bytes\n",
                        "text/plain");
    } else {
        return HandlerResponse::Unhandled;
    }
    res.set_header("Connection", "close");
    return HandlerResponse::Handled;
}

void GameServer::guard_against_other_hosts() {
    head_deadline_ = network_head_deadline;
    body_deadline_ = network_body_deadline;
    threads_.bound_strangers({max_strangers_per_address, max_strangers});
}

bool GameServer::listen_after_bind() {
    local_ = one_listening_address(svr_sock_);
    threads_.run();
    int error = listen_error_;
    if (error == 0) return true;
    errno = error;
    return false;
}

void GameServer::stop() {
    close_listening_socket(svr_sock_);
    if (stop_hook_) stop_hook_();
    threads_.end_connections(stop_grace);
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
AcceptedConnection GameServer::accept_connection() {
    for (;;) {
        socket_t listening = svr_sock_;
        if (listening == INVALID_SOCKET) return {};
        AcceptedConnection connection;
        socklen_t length = sizeof connection.peer;
        connection.sock = accept(listening, reinterpret_cast<sockaddr*>(&connection.peer), &length);
        if (connection.sock != INVALID_SOCKET) return connection;
        int error = errno;
        if (error == EMFILE) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else if (error != EINTR && error != EAGAIN) {
            if (close_listening_socket(listening)) listen_error_ = error;
            return {};
        }
    }
}

// Each reply goes out in one piece once its request is done. The library
// builds a multi-range reply as one string with a copy of the body for every
// range asked for, with no limit on their number: a few thousand ranges over
// a large /what board take gigabytes. No client asks for a range; every reply
// carries the whole body. The library also inflates a body sent gzip, deflate
// or br encoded, past every limit on what was sent: 16 MiB of gzip are 16 GB
// of board. The relay keeps bodies as they were sent. The first request that
// carries the key takes the connection out of the bounds on strangers.
void GameServer::serve_connection(const AcceptedConnection& connection, const std::function<void()>& showed_key) {
    BoundedSocketStream stream(connection.sock, connection.peer, local_,
                               {to_milliseconds(read_timeout_sec_, read_timeout_usec_),
                                to_milliseconds(write_timeout_sec_, write_timeout_usec_), head_deadline_,
                                body_deadline_});
    bool keyed = false;
    auto before_routing = [&](httplib::Request& req) {
        req.ranges.clear();
        req.headers.erase("Content-Encoding");
        if (!keyed && refused_ && !refused_(req)) {
            keyed = true;
            showed_key();
        }
        stream.limit_body(body_limit_);
    };
    for (std::size_t left = keep_alive_max_count_;
         left > 0 && svr_sock_ != INVALID_SOCKET &&
         stream.wait_for_request(std::chrono::seconds(keep_alive_timeout_sec_));
         --left) {
        bool connection_closed = false;
        stream.start_request();
        bool served = process_request(stream, left == 1, connection_closed, before_routing);
        if (!stream.flush() || !served || connection_closed || stream.reply_closes() ||
            stream.request_was_cut()) {
            break;
        }
    }
}

}  // namespace server
