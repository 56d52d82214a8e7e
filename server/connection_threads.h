#pragma once
// The server's threads: each waits in accept() and serves the connection it
// took itself, so a request costs no hand-off between threads. Each
// connection holds its thread for as long as the library's keep-alive wait
// and read time-outs allow (5 s each); a thread that accepts while no other is
// left waiting starts one more, up to a bound, so idle or slowly-sent
// connections from any local process never leave the game without a thread
// in accept() while fewer than the bound are held.

#include <httplib.h>

#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Each thread may hold one request of up to the body cap, so this bound also
// bounds the server's memory. The thread that runs the threads counts as one.
constexpr std::size_t max_connection_threads = 256;

class ConnectionThreads {
public:
    // `accept` waits for the next connection and gives INVALID_SOCKET once
    // the listening socket is gone; `serve` serves a connection and closes it.
    ConnectionThreads(std::function<socket_t()> accept, std::function<void(socket_t)> serve);

    // Accepts and serves on the calling thread and on the threads it starts;
    // returns when every one of them has seen the listening socket gone, all
    // joined.
    void run();

private:
    void accept_and_serve();
    // With mutex_ held, after an accept: another thread to wait in accept()
    // if none is left and the bound allows.
    void start_acceptor_if_none_waits();

    std::function<socket_t()> accept_;
    std::function<void(socket_t)> serve_;
    std::mutex mutex_;
    std::vector<std::thread> started_;
    std::size_t threads_ = 1;
    std::size_t waiting_ = 1;
};
