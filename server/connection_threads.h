#pragma once
// The server's threads: each waits in accept() and serves the connection it
// took itself, so a request costs no hand-off between threads. Each
// connection holds its thread for as long as the library's keep-alive wait
// and read time-outs allow (5 s each); a thread that accepts while no other is
// left waiting starts one more, up to a bound, so idle or slowly-sent
// connections from any local process never leave the game without a thread
// in accept() while fewer than the bound are held. With a bound per address,
// one host cannot hold more than that many of them: a connection beyond it is
// closed as soon as it is accepted.

#include <httplib.h>

#include <sys/socket.h>

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Each thread may hold one request of up to the body cap, so this bound also
// bounds the server's memory. The thread that runs the threads counts as one.
constexpr std::size_t max_connection_threads = 256;

struct AcceptedConnection {
    socket_t sock = INVALID_SOCKET;
    sockaddr_storage peer{};
};

class ConnectionThreads {
public:
    // `accept` waits for the next connection and gives INVALID_SOCKET once
    // the listening socket is gone; `serve` serves a connection and closes it.
    // `per_address`, when not 0, bounds the connections held from one IPv4
    // address, or one IPv6 /64 network (what one host is commonly given).
    ConnectionThreads(std::function<AcceptedConnection()> accept,
                      std::function<void(const AcceptedConnection&)> serve, std::size_t per_address = 0);

    // Accepts and serves on the calling thread and on the threads it starts;
    // returns when every one of them has seen the listening socket gone, all
    // joined.
    void run();

private:
    void accept_and_serve();
    // With mutex_ held, after an accept: another thread to wait in accept()
    // if none is left and the bound allows.
    void start_acceptor_if_none_waits();
    // With mutex_ held: counts the connection against its address, or false
    // when that address holds its bound already.
    bool admit(const sockaddr_storage& peer);
    void forget(const sockaddr_storage& peer);

    std::function<AcceptedConnection()> accept_;
    std::function<void(const AcceptedConnection&)> serve_;
    std::size_t per_address_;
    std::mutex mutex_;
    std::vector<std::thread> started_;
    std::map<std::string, std::size_t> held_by_address_;
    std::size_t threads_ = 1;
    std::size_t waiting_ = 1;
};

// What connections from one host share: the IPv4 address (an IPv4 address
// mapped into IPv6 included), or the first 64 bits of an IPv6 address.
std::string address_group(const sockaddr_storage& peer);
