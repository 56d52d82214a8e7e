#pragma once
// The server's workers: one thread for each connection being served, up to a
// bound. The library's default pool has eight threads, and each connection
// holds its thread for as long as the library's keep-alive wait and read
// time-outs allow (5 s each), so eight idle or slowly-sent connections from
// any local process stop every game request behind them. Starting a thread
// when none is free keeps the game answered while up to the bound are held.

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Each thread may hold one request of up to the body cap, so this bound also
// bounds the server's memory.
constexpr std::size_t max_connection_threads = 256;

class ConnectionThreads : public httplib::TaskQueue {
public:
    ConnectionThreads() = default;
    ~ConnectionThreads() override;

    void enqueue(std::function<void()> job) override;
    // Lets the queued jobs finish, then joins every thread.
    void shutdown() override;

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    bool stopping_ = false;
};
