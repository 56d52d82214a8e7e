#include "game_client.h"

#include "socket_io.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

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

// Repeating the request would only be refused again, as fast as the server
// answers. The client object is in the middle of its request, and the
// client's window thread runs: nothing is torn down, the process just ends.
[[noreturn]] void end_with_refused_key(const std::string& line) {
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(2);
}

}  // namespace

GameClient::GameClient(const ServerAddress& address, std::chrono::seconds reply_wait)
    : httplib::ClientImpl(address.host, address.port), reply_wait_(reply_wait) {
    set_connection_timeout(reply_wait);
    // The library would inflate a gzip or br body past every bound on what
    // was received.
    set_decompress(false);
    if (address.host != reachable_host(address.host)) {
        set_hostname_addr_map({{address.host, reachable_host(address.host)}});
    }
    if (!address.key.empty()) set_bearer_token_auth(address.key);
    std::string line = std::string(program_invocation_short_name) + ": the game server at " +
                       host_and_port(address) +
                       (address.key.empty() ? " asks for the game key: give it with --key or GAME_KEY\n"
                                            : " refused the game key: check it with the player who hosts the game\n");
    set_logger([line](const httplib::Request&, const httplib::Response& res) {
        if (res.status == 401) end_with_refused_key(line);
    });
}

bool GameClient::create_and_connect_socket(Socket& socket, httplib::Error& error) {
    request_started_ = Clock::now();
    return httplib::ClientImpl::create_and_connect_socket(socket, error);
}

bool GameClient::process_socket(const Socket& socket, std::function<bool(httplib::Stream&)> callback) {
    ReplyStream stream(socket.sock, request_started_ + reply_wait_);
    if (callback(stream)) return true;
    if (stream.overran()) std::this_thread::sleep_for(overrun_pause);
    return false;
}
