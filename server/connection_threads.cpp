#include "connection_threads.h"

#include <netinet/in.h>
#include <unistd.h>

#include <system_error>
#include <utility>

std::string address_group(const sockaddr_storage& peer) {
    if (peer.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(peer);
        return std::string(reinterpret_cast<const char*>(&v4.sin_addr), 4);
    }
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(peer);
    const char* bytes = reinterpret_cast<const char*>(&v6.sin6_addr);
    if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) return std::string(bytes + 12, 4);
    return std::string(bytes, 8);
}

ConnectionThreads::ConnectionThreads(std::function<AcceptedConnection()> accept,
                                     std::function<void(const AcceptedConnection&)> serve,
                                     std::size_t per_address)
    : accept_(std::move(accept)), serve_(std::move(serve)), per_address_(per_address) {}

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

// A connection over its address's bound is closed at once, and the thread
// goes back to accept() without counting as busy.
void ConnectionThreads::accept_and_serve() {
    for (;;) {
        AcceptedConnection connection = accept_();
        bool admitted = false;
        {
            std::lock_guard lock(mutex_);
            if (connection.sock == INVALID_SOCKET) {
                --waiting_;
                return;
            }
            admitted = admit(connection.peer);
            if (admitted) {
                --waiting_;
                start_acceptor_if_none_waits();
            }
        }
        if (!admitted) {
            close(connection.sock);
            continue;
        }
        serve_(connection);
        std::lock_guard lock(mutex_);
        forget(connection.peer);
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

bool ConnectionThreads::admit(const sockaddr_storage& peer) {
    if (per_address_ == 0) return true;
    std::size_t& held = held_by_address_[address_group(peer)];
    if (held == per_address_) return false;
    ++held;
    return true;
}

void ConnectionThreads::forget(const sockaddr_storage& peer) {
    if (per_address_ == 0) return;
    auto entry = held_by_address_.find(address_group(peer));
    if (--entry->second == 0) held_by_address_.erase(entry);
}
