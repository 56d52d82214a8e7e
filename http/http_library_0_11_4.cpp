// Everything that holds only for cpp-httplib 0.11.4, Debian's split header and
// libcpp-httplib.so: the members it keeps protected, the virtual calls it
// makes of a stream and of a client's socket, and the order of its request
// loop that the game's serving follows. Another version would build and
// misbehave, so CMake refuses any other.

#include "http_library.h"

#include <thread>

namespace http {

namespace {

std::chrono::milliseconds to_milliseconds(time_t sec, time_t usec) {
    return std::chrono::milliseconds(sec * 1000 + usec / 1000);
}

// The library reads and writes through this.
class LibraryStream : public httplib::Stream {
public:
    explicit LibraryStream(BoundedStream& stream) : stream_(stream) {}

    bool is_readable() const override { return stream_.is_readable(); }
    bool is_writable() const override { return stream_.is_writable(); }
    ssize_t read(char* ptr, size_t size) override { return stream_.read(ptr, size); }
    ssize_t write(const char* ptr, size_t size) override { return stream_.write(ptr, size); }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        stream_.remote_ip_and_port(ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override { stream_.local_ip_and_port(ip, port); }
    socket_t socket() const override { return static_cast<socket_t>(stream_.socket()); }

private:
    BoundedStream& stream_;
};

}  // namespace

// The request loop and the time-outs are protected members.
struct Server::Library : httplib::Server {
    using httplib::Server::process_request;
    using httplib::Server::keep_alive_max_count_;
    using httplib::Server::keep_alive_timeout_sec_;
    using httplib::Server::read_timeout_sec_;
    using httplib::Server::read_timeout_usec_;
    using httplib::Server::write_timeout_sec_;
    using httplib::Server::write_timeout_usec_;
};

Server::Server() : library_(std::make_unique<Library>()) {}
Server::~Server() = default;

httplib::Server& Server::library() { return *library_; }

StreamLimits Server::connection_limits() const {
    return {to_milliseconds(library_->read_timeout_sec_, library_->read_timeout_usec_),
            to_milliseconds(library_->write_timeout_sec_, library_->write_timeout_usec_)};
}

std::chrono::seconds Server::keep_alive_wait() const { return std::chrono::seconds(library_->keep_alive_timeout_sec_); }

std::size_t Server::keep_alive_requests() const { return library_->keep_alive_max_count_; }

bool Server::serve_request(BoundedStream& stream, bool last, bool& connection_closed,
                           const std::function<void(httplib::Request&)>& before_routing) {
    LibraryStream library_stream(stream);
    return library_->process_request(library_stream, last, connection_closed, before_routing);
}

// The start of each request, its connect included, is taken when the library
// makes the connection; the reply is read once the library hands the socket
// over.
struct Client::Library : httplib::ClientImpl {
    Library(const std::string& host, int port, std::chrono::seconds reply_wait, std::size_t max_reply_bytes,
            std::chrono::milliseconds overrun_pause)
        : httplib::ClientImpl(host, port),
          reply_wait(reply_wait),
          max_reply_bytes(max_reply_bytes),
          overrun_pause(overrun_pause) {}

    bool create_and_connect_socket(Socket& socket, httplib::Error& error) override {
        request_started = std::chrono::steady_clock::now();
        return httplib::ClientImpl::create_and_connect_socket(socket, error);
    }

    bool process_socket(const Socket& socket, std::function<bool(httplib::Stream&)> callback) override {
        BoundedStream stream(static_cast<platform::Socket>(socket.sock), request_started + reply_wait,
                             max_reply_bytes);
        LibraryStream library_stream(stream);
        if (callback(library_stream)) return true;
        if (stream.cut()) std::this_thread::sleep_for(overrun_pause);
        return false;
    }

    std::chrono::seconds reply_wait;
    std::size_t max_reply_bytes;
    std::chrono::milliseconds overrun_pause;
    std::chrono::steady_clock::time_point request_started;
};

Client::Client(const std::string& host, int port, std::chrono::seconds reply_wait, std::size_t max_reply_bytes,
               std::chrono::milliseconds overrun_pause)
    : library_(std::make_unique<Library>(host, port, reply_wait, max_reply_bytes, overrun_pause)) {}
Client::~Client() = default;

httplib::ClientImpl& Client::library() { return *library_; }

}  // namespace http
