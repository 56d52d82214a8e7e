#include "connection_threads.h"

#include <system_error>
#include <utility>

namespace server {

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
            if (connection.sock == platform::no_socket) return;
            number = admit(connection.sock, platform::address_group(connection.peer));
            start_acceptor_if_none_waits();
        }
        serve_(connection, [this, number] { showed_key(number); });
        {
            std::lock_guard lock(mutex_);
            forget(number);
            ++waiting_;
        }
        platform::close_socket(connection.sock);
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

std::uint64_t ConnectionThreads::admit(platform::Socket sock, const std::string& group) {
    if (bounds_.per_address != 0 && strangers_by_address_[group] >= bounds_.per_address) {
        displace_oldest_stranger(&group);
    }
    if (bounds_.total != 0 && strangers_ >= bounds_.total) displace_oldest_stranger(nullptr);
    if (ending_) platform::cut_off(sock);
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
            platform::cut_off(held.sock);
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
    for (auto& [number, held] : held_) platform::stop_reading(held.sock);
    if (all_closed_.wait_for(lock, grace, [this] { return held_.empty(); })) return;
    for (auto& [number, held] : held_) platform::cut_off(held.sock);
}

}  // namespace server
