#include "connection_threads.h"

#include <system_error>
#include <utility>

ConnectionThreads::ConnectionThreads(std::function<socket_t()> accept,
                                     std::function<void(socket_t)> serve)
    : accept_(std::move(accept)), serve_(std::move(serve)) {}

// A thread being joined may still start another; the loop takes that one too.
void ConnectionThreads::run() {
    accept_and_serve();
    for (;;) {
        std::vector<std::thread> ended;
        {
            std::lock_guard lock(mutex_);
            ended.swap(started_);
        }
        if (ended.empty()) return;
        for (auto& thread : ended) thread.join();
    }
}

void ConnectionThreads::accept_and_serve() {
    for (;;) {
        socket_t sock = accept_();
        {
            std::lock_guard lock(mutex_);
            --waiting_;
            if (sock == INVALID_SOCKET) return;
            start_acceptor_if_none_waits();
        }
        serve_(sock);
        std::lock_guard lock(mutex_);
        ++waiting_;
    }
}

// When no thread can be started the server goes on with those it has.
void ConnectionThreads::start_acceptor_if_none_waits() {
    if (waiting_ > 0 || threads_ == max_connection_threads) return;
    try {
        started_.emplace_back([this] { accept_and_serve(); });
    } catch (const std::system_error&) {
        return;
    }
    ++threads_;
    ++waiting_;
}
