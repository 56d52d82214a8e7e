#pragma once
// A connection's socket as the HTTP library reads and writes it, with bounds
// on what the other side may make this program hold or wait for. Both ends of
// the game's HTTP use it: the server on each connection, a player's program on
// each request.
//
// The server's side reads requests. The library (0.11.4) reads a request line
// or header line whole before it checks its length, keeps any number of
// headers, and reads chunked bodies and bodies without a length with no limit;
// here the head of a request may take at most max_head_bytes and
// max_head_lines, and the rest of it the route's body limit plus room for
// chunk framing. A request that goes over gets a read error, which the library
// answers with 400 or by closing the connection, and the connection is for
// closing.
//
// A client's side reads one reply, which may bring at most a given number of
// bytes and must have come whole by a deadline that every wait of the request
// keeps, so a hostile or spoofed server can neither swell the program nor hold
// it for ever.
//
// Each request costs as few system calls as the socket allows: a read is tried
// at once and waits only when nothing is there, and a server's reply is
// gathered and sent with one call when the request is done.

#include "sockets.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace http {

constexpr std::size_t max_head_bytes = 64 * 1024;
// Far above the 100-byte boards the clients post; a larger body gets 413.
constexpr std::size_t max_body_bytes = 16 * 1024 * 1024;
constexpr std::size_t max_body_framing_bytes = 64 * 1024;
// The request line and 100 headers; a held request with thousands of tiny
// headers would cost a megabyte.
constexpr std::size_t max_head_lines = 101;

struct StreamLimits {
    std::chrono::milliseconds read_timeout;
    std::chrono::milliseconds write_timeout;
    // Time from the first byte of a request to the end of its head; zero for
    // none. It stops at the head: a handler that takes its time, a body and
    // the reply are not under it.
    std::chrono::milliseconds head_deadline{0};
    // Time from the end of a request's head to the end of its body; zero for
    // none.
    std::chrono::milliseconds body_deadline{0};
};

class BoundedStream {
public:
    using Clock = std::chrono::steady_clock;

    // The server's side of an accepted connection. `local`, when given, is the
    // address the connection was accepted on, so it need not be asked of the
    // socket.
    BoundedStream(platform::Socket sock, const platform::Address& peer,
                  const std::optional<platform::Address>& local, const StreamLimits& limits);
    // A client's side of one request: its reply may bring at most `max_bytes`,
    // and every read and write ends by `deadline`.
    BoundedStream(platform::Socket sock, Clock::time_point deadline, std::size_t max_bytes);

    // True once bytes of a next request are waiting, false when the peer
    // closed, on error, or after `timeout` of silence.
    bool wait_for_request(std::chrono::milliseconds timeout);
    // Called before each request of the connection: its head and body limits,
    // and its head deadline, start again, the body limit at max_body_bytes.
    void start_request();
    // Once the head is read: the body this request may send (framing aside).
    void limit_body(std::size_t bytes) { body_limit_ = bytes; }
    // Sends what the reply has written so far; false when the peer does not
    // take it within the write time-out.
    bool flush();
    // True once what was read went over a limit or a deadline: the library
    // answers 400 or gives up, and the connection is for closing.
    bool cut() const { return cut_; }
    // True once a reply's head said "Connection: close".
    bool reply_closes() const { return reply_closes_; }

    // What the library asks of a stream.
    bool is_readable() const;
    bool is_writable() const;
    std::ptrdiff_t read(char* ptr, std::size_t size);
    std::ptrdiff_t write(const char* ptr, std::size_t size);
    void remote_ip_and_port(std::string& ip, int& port) const;
    void local_ip_and_port(std::string& ip, int& port) const;
    platform::Socket socket() const { return sock_; }

private:
    // How many of `size` bytes the current request or reply may still take.
    std::size_t allowance(std::size_t size) const;
    void count_delivered(const char* ptr, std::size_t size);
    // Receives into the empty buffer, waiting up to `timeout_ms`: the bytes
    // taken, 0 when the peer closed, -1 on time-out or error.
    std::ptrdiff_t fill_buffer(int timeout_ms);
    // The wait a read may make now: the read time-out, or less while a
    // deadline runs. Negative once the deadline has passed.
    int read_wait_ms() const;
    int write_wait_ms() const;
    // A read error, with what was read marked as cut.
    std::ptrdiff_t cut_off();
    void note_reply_head(const char* ptr, std::size_t size);

    platform::Socket sock_;
    std::optional<platform::Address> peer_;
    std::optional<platform::Address> local_;
    StreamLimits limits_;
    // A client's side: one reply, under one deadline, its writes not gathered.
    bool reads_reply_ = false;
    char buffer_[4096];
    std::size_t buffer_start_ = 0;
    std::size_t buffer_end_ = 0;
    std::string reply_;
    bool in_head_ = true;
    // While in the head, when the head must end; after it, the body. For a
    // client's side, when the whole reply must have come.
    Clock::time_point part_ends_by_;
    bool cut_ = false;
    bool reply_head_seen_ = false;
    bool reply_closes_ = false;
    std::size_t head_bytes_ = 0;
    std::size_t head_lines_ = 0;
    std::size_t body_bytes_ = 0;
    std::size_t body_limit_ = max_body_bytes;
    std::size_t line_length_ = 0;
    char last_byte_ = 0;
};

}  // namespace http
