#include "bounded_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

int to_milliseconds(time_t sec, time_t usec) {
    return static_cast<int>(sec * 1000 + usec / 1000);
}

// Waits for `events` on the socket; false on time-out or error.
bool wait_for(socket_t sock, short events, int timeout_ms) {
    pollfd entry{sock, events, 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void address_text(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

}  // namespace

BoundedSocketStream::BoundedSocketStream(socket_t sock, time_t read_timeout_sec,
                                         time_t read_timeout_usec, time_t write_timeout_sec,
                                         time_t write_timeout_usec)
    : sock_(sock),
      read_timeout_ms_(to_milliseconds(read_timeout_sec, read_timeout_usec)),
      write_timeout_ms_(to_milliseconds(write_timeout_sec, write_timeout_usec)) {}

void BoundedSocketStream::start_request() {
    in_head_ = true;
    head_bytes_ = 0;
    body_bytes_ = 0;
    line_length_ = 0;
    last_byte_ = 0;
}

// Polls in short slices, as the library's own keep-alive wait does, so a
// pipelined request already in the buffer is taken at once.
bool BoundedSocketStream::wait_for_request(time_t timeout_sec) {
    if (buffer_start_ < buffer_end_) return true;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_sec);
    pollfd entry{sock_, POLLIN, 0};
    for (;;) {
        int ready = poll(&entry, 1, 10);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() > end) return false;
    }
}

bool BoundedSocketStream::is_readable() const {
    return buffer_start_ < buffer_end_ || wait_for(sock_, POLLIN, read_timeout_ms_);
}

bool BoundedSocketStream::is_writable() const {
    return wait_for(sock_, POLLOUT, write_timeout_ms_);
}

std::size_t BoundedSocketStream::allowance(std::size_t size) const {
    std::size_t left = in_head_ ? max_head_bytes - head_bytes_
                                : max_body_bytes + max_body_framing_bytes - body_bytes_;
    return std::min(size, left);
}

// The head ends with its first empty line, "\r\n" alone, as the library reads it.
void BoundedSocketStream::count_delivered(const char* ptr, std::size_t size) {
    if (!in_head_) {
        body_bytes_ += size;
        return;
    }
    for (std::size_t i = 0; i < size; ++i) {
        ++head_bytes_;
        if (ptr[i] == '\n') {
            bool empty_line = line_length_ == 1 && last_byte_ == '\r';
            line_length_ = 0;
            if (empty_line && head_bytes_ > 2) {
                in_head_ = false;
                body_bytes_ = size - i - 1;
                return;
            }
        } else {
            ++line_length_;
            last_byte_ = ptr[i];
        }
    }
}

ssize_t BoundedSocketStream::read(char* ptr, size_t size) {
    size = allowance(size);
    if (size == 0) return -1;
    if (buffer_start_ == buffer_end_) {
        if (!is_readable()) return -1;
        ssize_t got;
        do {
            got = recv(sock_, buffer_, sizeof buffer_, 0);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) return got;
        buffer_start_ = 0;
        buffer_end_ = static_cast<std::size_t>(got);
    }
    std::size_t taken = std::min(size, buffer_end_ - buffer_start_);
    std::memcpy(ptr, buffer_ + buffer_start_, taken);
    buffer_start_ += taken;
    count_delivered(ptr, taken);
    return static_cast<ssize_t>(taken);
}

ssize_t BoundedSocketStream::write(const char* ptr, size_t size) {
    if (!is_writable()) return -1;
    ssize_t sent;
    do {
        sent = send(sock_, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void BoundedSocketStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        address_text(address, ip, port);
    }
}

void BoundedSocketStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        address_text(address, ip, port);
    }
}
