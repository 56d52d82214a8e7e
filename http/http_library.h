#pragma once
// The HTTP library as the game's programs use it: the library's own server
// and client, each held by an object of the game's, and read and written
// through a BoundedStream. The calls into the library's insides that only one
// version of it allows are all in one file, http_library_0_11_4.cpp.

#include "bounded_stream.h"

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace http {

// The library's server without its listening loop: the game's own loop hands
// it each request of a connection.
class Server {
public:
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // For the routes and the library's public settings.
    httplib::Server& library();

    // The library's read and write time-outs for each wait of a connection.
    StreamLimits connection_limits() const;
    // How long a kept-alive connection may stay silent, and how many requests
    // it may make.
    std::chrono::seconds keep_alive_wait() const;
    std::size_t keep_alive_requests() const;

    // Reads one request from `stream` and writes its reply, as the library's
    // own loop does; `before_routing` sees each request once its head is read.
    // `last` asks the reply to close the connection; `connection_closed`
    // tells whether it did. False when no reply could be made.
    bool serve_request(BoundedStream& stream, bool last, bool& connection_closed,
                       const std::function<void(httplib::Request&)>& before_routing);

private:
    struct Library;
    std::unique_ptr<Library> library_;
};

// The library's client for one server, each request's reply read through a
// BoundedStream: at most `max_reply_bytes`, whole within `reply_wait` of the
// request's start, its connect included. A reply that goes over fails the
// request, after `overrun_pause`.
class Client {
public:
    Client(const std::string& host, int port, std::chrono::seconds reply_wait, std::size_t max_reply_bytes,
           std::chrono::milliseconds overrun_pause);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // For the requests and the library's public settings.
    httplib::ClientImpl& library();

private:
    struct Library;
    std::unique_ptr<Library> library_;
};

}  // namespace http
