#include "connection_threads.h"

#include <netinet/in.h>
#include <unistd.h>

#include <system_error>
#include <utility>

namespace server {

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

ConnectionThreads::ConnectionThreads(std::function<AcceptedConnection()> accept, Serve serve)
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

// A connection is closed by its own thread only, after it is forgotten, so a
// socket that is cut off to make room or to end serving is always still the
// connection's own.
void ConnectionThreads::accept_and_serve() {
    for (;;) {
        AcceptedConnection connection = accept_();
        std::uint64_t number = 0;
        {
            std::lock_guard lock(mutex_);
            --waiting_;
            if (connection.sock == INVALID_SOCKET) return;
            number = admit(connection.sock, address_group(connection.peer));
            start_acceptor_if_none_waits();
        }
        serve_(connection, [this, number] { showed_key(number); });
        {
            std::lock_guard lock(mutex_);
            forget(number);
            ++waiting_;
        }
        close(connection.sock);
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

std::uint64_t ConnectionThreads::admit(socket_t sock, const std::string& group) {
    if (bounds_.per_address != 0 && strangers_by_address_[group] >= bounds_.per_address) {
        displace_oldest_stranger(&group);
    }
    if (bounds_.total != 0 && strangers_ >= bounds_.total) displace_oldest_stranger(nullptr);
    if (ending_) shutdown(sock, SHUT_RDWR);
    ++strangers_by_address_[group];
    ++strangers_;
    std::uint64_t number = next_number_++;
    held_.emplace(number, Held{sock, group, true});
    return number;
}

// Numbers grow with each accept, so the first stranger in held_ is the oldest.
void ConnectionThreads::displace_oldest_stranger(const std::string* group) {
    for (auto& [number, held] : held_) {
        if (held.stranger && (group == nullptr || held.group == *group)) {
            shutdown(held.sock, SHUT_RDWR);
            stop_counting_as_stranger(held);
            return;
        }
    }
}

void ConnectionThreads::stop_counting_as_stranger(Held& held) {
    if (!held.stranger) return;
    held.stranger = false;
    --strangers_;
    auto entry = strangers_by_address_.find(held.group);
    if (--entry->second == 0) strangers_by_address_.erase(entry);
}

void ConnectionThreads::showed_key(std::uint64_t number) {
    std::lock_guard lock(mutex_);
    auto entry = held_.find(number);
    if (entry != held_.end()) stop_counting_as_stranger(entry->second);
}

void ConnectionThreads::forget(std::uint64_t number) {
    auto entry = held_.find(number);
    stop_counting_as_stranger(entry->second);
    held_.erase(entry);
    if (held_.empty()) all_closed_.notify_all();
}

void ConnectionThreads::end_connections(std::chrono::milliseconds grace) {
    std::unique_lock lock(mutex_);
    ending_ = true;
    for (auto& [number, held] : held_) shutdown(held.sock, SHUT_RD);
    if (all_closed_.wait_for(lock, grace, [this] { return held_.empty(); })) return;
    for (auto& [number, held] : held_) shutdown(held.sock, SHUT_RDWR);
}

}  // namespace server
