#include "game_server.h"

#include <chrono>
#include <thread>

namespace server {

GameServer::GameServer(const std::function<void(httplib::Server&)>& register_handlers)
    : threads_([this] { return accept_connection(); },
               [this](const AcceptedConnection& connection, const std::function<void()>& showed_key) {
                   serve_connection(connection, showed_key);
               }) {
    httplib::Server& library = http_.library();
    register_handlers(library);
    library.set_payload_max_length(http::max_body_bytes);
    library.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        return refuse_before_routing(req, res);
    });
}

int GameServer::bind_game_address(const platform::Address& address) {
    platform::Socket sock = platform::listen_on(address);
    if (sock == platform::no_socket) return platform::last_error();
    listening_ = sock;
    return 0;
}

void GameServer::refuse_requests(std::function<bool(const httplib::Request&)> refused) {
    refused_ = std::move(refused);
}

void GameServer::set_body_limit(std::size_t bytes) {
    body_limit_ = bytes;
    http_.library().set_payload_max_length(bytes);
}

// The library reads Content-Length as strtoull does, and so does this.
httplib::Server::HandlerResponse GameServer::refuse_before_routing(const httplib::Request& req,
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
        return httplib::Server::HandlerResponse::Unhandled;
    }
    res.set_header("Connection", "close");
    return httplib::Server::HandlerResponse::Handled;
}

void GameServer::guard_against_other_hosts() {
    head_deadline_ = network_head_deadline;
    body_deadline_ = network_body_deadline;
    threads_.bound_strangers({max_strangers_per_address, max_strangers});
}

// A connection's own address is asked of its socket only when the server
// listens on every interface.
int GameServer::listen_after_bind() {
    if (auto address = platform::local_address(listening_); address && !platform::is_every_interface(*address)) {
        local_ = address;
    }
    threads_.run();
    return listen_error_;
}

void GameServer::stop() {
    close_listening_socket(listening_);
    if (stop_hook_) stop_hook_();
    threads_.end_connections(stop_grace);
}

bool GameServer::close_listening_socket(platform::Socket sock) {
    if (sock == platform::no_socket || !listening_.compare_exchange_strong(sock, platform::no_socket)) {
        return false;
    }
    platform::stop_listening(sock);
    return true;
}

// As the library does: out of descriptors, wait for one to be freed; an
// interrupted call, again; any other error ends serving.
AcceptedConnection GameServer::accept_connection() {
    for (;;) {
        platform::Socket listening = listening_;
        if (listening == platform::no_socket) return {};
        AcceptedConnection connection;
        platform::AcceptFailure failure;
        connection.sock = platform::accept_connection(listening, connection.peer, failure);
        if (connection.sock != platform::no_socket) return connection;
        if (failure == platform::AcceptFailure::short_wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else if (failure == platform::AcceptFailure::fatal) {
            int error = platform::last_error();
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
    http::StreamLimits limits = http_.connection_limits();
    limits.head_deadline = head_deadline_;
    limits.body_deadline = body_deadline_;
    http::BoundedStream stream(connection.sock, connection.peer, local_, limits);
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
    for (std::size_t left = http_.keep_alive_requests();
         left > 0 && listening_ != platform::no_socket && stream.wait_for_request(http_.keep_alive_wait());
         --left) {
        bool connection_closed = false;
        stream.start_request();
        bool served = http_.serve_request(stream, left == 1, connection_closed, before_routing);
        if (!stream.flush() || !served || connection_closed || stream.reply_closes() || stream.cut()) {
            break;
        }
    }
}

}  // namespace server
