#include "game_client.h"

#include "socket_io.h"

#include <httplib.h>

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>

namespace core {

namespace {

using Clock = std::chrono::steady_clock;

// The socket of one request, read through a buffer (the library reads the
// status line and headers a byte at a time) up to max_reply_bytes and until
// the request's deadline.
class ReplyStream : public httplib::Stream {
public:
    ReplyStream(socket_t sock, Clock::time_point deadline) : sock_(sock), deadline_(deadline) {}

    // True when the reply went over its size or its time.
    bool overran() const { return overran_; }

    bool is_readable() const override {
        return start_ < end_ || wait_for(sock_, POLLIN, milliseconds_until(deadline_));
    }
    bool is_writable() const override { return wait_for(sock_, POLLOUT, milliseconds_until(deadline_)); }

    // A server that drips faster than the reads come keeps bytes waiting, so
    // the deadline is looked at before each one.
    ssize_t read(char* ptr, size_t size) override {
        if (taken_ == max_reply_bytes || Clock::now() >= deadline_) {
            overran_ = true;
            return -1;
        }
        if (start_ == end_) {
            ssize_t got = receive_within(sock_, buffer_, sizeof buffer_, milliseconds_until(deadline_));
            if (got <= 0) {
                overran_ = got < 0 && Clock::now() >= deadline_;
                return got;
            }
            start_ = 0;
            end_ = static_cast<std::size_t>(got);
        }
        std::size_t given = std::min({size, end_ - start_, max_reply_bytes - taken_});
        std::memcpy(ptr, buffer_ + start_, given);
        start_ += given;
        taken_ += given;
        return static_cast<ssize_t>(given);
    }

    ssize_t write(const char* ptr, size_t size) override {
        return send_all_within(sock_, ptr, size, milliseconds_until(deadline_)) ? static_cast<ssize_t>(size) : -1;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getpeername(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) address_text(address, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) address_text(address, ip, port);
    }
    socket_t socket() const override { return sock_; }

private:
    socket_t sock_;
    Clock::time_point deadline_;
    char buffer_[4096];
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    std::size_t taken_ = 0;
    bool overran_ = false;
};

std::string host_and_port(const ServerAddress& address) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

httplib::Headers library_headers(const RequestHeaders& headers) {
    return httplib::Headers(headers.begin(), headers.end());
}

std::optional<ServerReply> reply_of(const httplib::Result& result) {
    if (!result) return std::nullopt;
    return ServerReply{result->status, result->body};
}

}  // namespace

// The library's client, with each request's socket read through a ReplyStream.
struct GameClient::Connection : httplib::ClientImpl {
    Connection(const ServerAddress& address, std::chrono::seconds reply_wait)
        : httplib::ClientImpl(address.host, address.port), reply_wait(reply_wait) {}

    bool create_and_connect_socket(Socket& socket, httplib::Error& error) override {
        request_started = Clock::now();
        return httplib::ClientImpl::create_and_connect_socket(socket, error);
    }

    bool process_socket(const Socket& socket, std::function<bool(httplib::Stream&)> callback) override {
        ReplyStream stream(socket.sock, request_started + reply_wait);
        if (callback(stream)) return true;
        if (stream.overran()) std::this_thread::sleep_for(overrun_pause);
        return false;
    }

    std::chrono::seconds reply_wait;
    Clock::time_point request_started;
};

GameClient::GameClient(const ServerAddress& address, std::chrono::seconds reply_wait)
    : connection_(std::make_unique<Connection>(address, reply_wait)),
      key_refusal_("the game server at " + host_and_port(address) +
                   (address.key.empty() ? " asks for the game key: give it with --key or GAME_KEY"
                                        : " refused the game key: check it with the player who hosts the game")) {
    connection_->set_connection_timeout(reply_wait);
    // The library would inflate a gzip or br body past every bound on what
    // was received.
    connection_->set_decompress(false);
    if (address.host != reachable_host(address.host)) {
        connection_->set_hostname_addr_map({{address.host, reachable_host(address.host)}});
    }
    if (!address.key.empty()) connection_->set_bearer_token_auth(address.key);
}

GameClient::~GameClient() = default;
GameClient::GameClient(GameClient&&) noexcept = default;
GameClient& GameClient::operator=(GameClient&&) noexcept = default;

std::optional<ServerReply> GameClient::Get(const std::string& path, const RequestHeaders& headers) {
    return taken(reply_of(connection_->Get(path.c_str(), library_headers(headers))));
}

std::optional<ServerReply> GameClient::Post(const std::string& path, const std::string& body,
                                            const std::string& content_type) {
    return Post(path, {}, body, content_type);
}

std::optional<ServerReply> GameClient::Post(const std::string& path, const RequestHeaders& headers,
                                            const std::string& body, const std::string& content_type) {
    return taken(reply_of(connection_->Post(path.c_str(), library_headers(headers), body, content_type.c_str())));
}

void GameClient::stop() { connection_->stop(); }

void GameClient::set_connect_wait(std::chrono::microseconds wait) { connection_->set_connection_timeout(wait); }

std::optional<ServerReply> GameClient::taken(std::optional<ServerReply> reply) {
    if (reply && reply->status == 401) key_refused_ = true;
    return reply;
}

}  // namespace core
