#pragma once
// A connection's socket as the HTTP library reads it, with a limit on what one
// request may make the server hold. The library (0.11.4) reads a request line
// or header line whole before it checks its length, keeps any number of
// headers, and reads chunked bodies and bodies without a length with no limit;
// here the head of a request may take at most max_head_bytes and the rest of it
// max_body_bytes plus room for chunk framing. A request that goes over gets a
// read error, which the library answers with 400 or by closing the connection.

#include <httplib.h>

#include <cstddef>

constexpr std::size_t max_head_bytes = 64 * 1024;
// Far above the 100-byte boards the clients post; a larger body gets 413.
constexpr std::size_t max_body_bytes = 16 * 1024 * 1024;
constexpr std::size_t max_body_framing_bytes = 64 * 1024;

class BoundedSocketStream : public httplib::Stream {
public:
    BoundedSocketStream(socket_t sock, time_t read_timeout_sec, time_t read_timeout_usec,
                        time_t write_timeout_sec, time_t write_timeout_usec);

    // Called before each request of the connection: its head and body limits
    // start again.
    void start_request();
    // True once bytes of a next request are waiting, false when the peer
    // closed, on error, or after `timeout_sec` of silence.
    bool wait_for_request(time_t timeout_sec);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return sock_; }

private:
    // How many of `size` bytes the current request may still take.
    std::size_t allowance(std::size_t size) const;
    void count_delivered(const char* ptr, std::size_t size);

    socket_t sock_;
    int read_timeout_ms_;
    int write_timeout_ms_;
    char buffer_[4096];
    std::size_t buffer_start_ = 0;
    std::size_t buffer_end_ = 0;
    bool in_head_ = true;
    std::size_t head_bytes_ = 0;
    std::size_t body_bytes_ = 0;
    std::size_t line_length_ = 0;
    char last_byte_ = 0;
};
