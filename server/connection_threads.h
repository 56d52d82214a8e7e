#pragma once
// The server's threads: each waits in accept() and serves the connection it
// took itself, so a request costs no hand-off between threads. Each
// connection holds its thread for as long as the library's keep-alive wait
// and read time-outs allow (5 s each); a thread that accepts while no other is
// left waiting starts one more, up to a bound, so idle or slowly-sent
// connections from any local process never leave the game without a thread
// in accept() while fewer than the bound are held.
//
// With bounds, the connections that have not shown the game's key yet are
// held to a number per address and a number in all: a new one over either
// bound displaces the oldest one without the key (of its address, or of all),
// so strangers can neither lock the players out nor keep a connection long by
// coming early. A connection that has shown the key counts against neither
// and is never closed to make room.

#include "sockets.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace server {

// Each thread may hold one request of up to the body cap, so this bound also
// bounds the server's memory. The thread that runs the threads counts as one.
constexpr std::size_t max_connection_threads = 256;

struct AcceptedConnection {
    platform::Socket sock = platform::no_socket;
    platform::Address peer;
};

// Bounds on the connections without the key; 0 for none.
struct StrangerBounds {
    std::size_t per_address = 0;
    std::size_t total = 0;
};

class ConnectionThreads {
public:
    // `accept` waits for the next connection and gives no_socket once
    // the listening socket is gone; `serve` serves a connection, and calls
    // `showed_key` once a request on it has carried the key. The threads close
    // the connection after.
    // Per address means per IPv4 address, or per IPv6 /64 network (what one
    // host is commonly given).
    using Serve = std::function<void(const AcceptedConnection&, const std::function<void()>& showed_key)>;
    ConnectionThreads(std::function<AcceptedConnection()> accept, Serve serve);

    // Set before run().
    void bound_strangers(const StrangerBounds& bounds) { bounds_ = bounds; }

    // Accepts and serves on the calling thread and on the threads it starts;
    // returns when every one of them has seen the listening socket gone, all
    // joined.
    void run();

    // For the end of serving, once the listening socket is closed: every
    // connection's reading ends now, so no request can be started or dripped
    // any longer, while replies still go out; whatever is still open after
    // `grace` is cut off whole. Returns when all are closed or cut.
    void end_connections(std::chrono::milliseconds grace);

private:
    struct Held {
        platform::Socket sock;
        std::string group;
        bool stranger;  // has not shown the key
    };

    void accept_and_serve();
    // With mutex_ held, after an accept: another thread to wait in accept()
    // if none is left and the bound allows.
    void start_acceptor_if_none_waits();
    // With mutex_ held: makes room for a new stranger from `group` and counts
    // it; the connection's number.
    std::uint64_t admit(platform::Socket sock, const std::string& group);
    // With mutex_ held: cuts off the oldest stranger, of `group` when given.
    void displace_oldest_stranger(const std::string* group);
    void stop_counting_as_stranger(Held& held);
    void showed_key(std::uint64_t number);
    void forget(std::uint64_t number);

    std::function<AcceptedConnection()> accept_;
    Serve serve_;
    StrangerBounds bounds_;
    std::mutex mutex_;
    std::condition_variable all_closed_;
    std::vector<std::thread> started_;
    // Every open connection by number, in the order they came.
    std::map<std::uint64_t, Held> held_;
    std::uint64_t next_number_ = 0;
    std::map<std::string, std::size_t> strangers_by_address_;
    std::size_t strangers_ = 0;
    bool ending_ = false;
    std::size_t threads_ = 1;
    std::size_t waiting_ = 1;
};

}  // namespace server
