#include "bounded_stream.h"

#include "socket_io.h"

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace server {

namespace {

// A reply's head and a board fit many times over; a larger body goes out
// after what was gathered before it, without a copy.
constexpr std::size_t max_gathered_reply_bytes = 16 * 1024;

int milliseconds(std::chrono::milliseconds time) { return static_cast<int>(time.count()); }

}  // namespace

BoundedSocketStream::BoundedSocketStream(socket_t sock, const sockaddr_storage& peer,
                                         const std::optional<sockaddr_storage>& local,
                                         const StreamLimits& limits)
    : sock_(sock), peer_(peer), local_(local), limits_(limits) {}

bool BoundedSocketStream::wait_for_request(std::chrono::milliseconds timeout) {
    return buffer_start_ < buffer_end_ || fill_buffer(milliseconds(timeout)) > 0;
}

void BoundedSocketStream::start_request() {
    in_head_ = true;
    request_was_cut_ = false;
    reply_head_seen_ = false;
    head_bytes_ = 0;
    head_lines_ = 0;
    body_bytes_ = 0;
    body_limit_ = max_body_bytes;
    line_length_ = 0;
    last_byte_ = 0;
    part_ends_by_ = std::chrono::steady_clock::now() + limits_.head_deadline;
}

bool BoundedSocketStream::flush() {
    bool sent = core::send_all_within(sock_, reply_.data(), reply_.size(), milliseconds(limits_.write_timeout));
    reply_.clear();
    return sent;
}

bool BoundedSocketStream::is_readable() const {
    return buffer_start_ < buffer_end_ || core::wait_for(sock_, POLLIN, milliseconds(limits_.read_timeout));
}

bool BoundedSocketStream::is_writable() const {
    return core::wait_for(sock_, POLLOUT, milliseconds(limits_.write_timeout));
}

// The library reads a head one byte at a time, so a head is cut as soon as it
// has one line too many. A small body's framing may take as much as the body.
std::size_t BoundedSocketStream::allowance(std::size_t size) const {
    if (in_head_ && head_lines_ > max_head_lines) return 0;
    std::size_t left = in_head_ ? max_head_bytes - head_bytes_
                                : body_limit_ + std::min(body_limit_, max_body_framing_bytes) - body_bytes_;
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
                part_ends_by_ = std::chrono::steady_clock::now() + limits_.body_deadline;
                return;
            }
            ++head_lines_;
        } else {
            ++line_length_;
            last_byte_ = ptr[i];
        }
    }
}

ssize_t BoundedSocketStream::fill_buffer(int timeout_ms) {
    ssize_t got = core::receive_within(sock_, buffer_, sizeof buffer_, timeout_ms);
    if (got > 0) {
        buffer_start_ = 0;
        buffer_end_ = static_cast<std::size_t>(got);
    }
    return got;
}

int BoundedSocketStream::read_wait_ms() {
    int wait = milliseconds(limits_.read_timeout);
    if ((in_head_ ? limits_.head_deadline : limits_.body_deadline).count() == 0) return wait;
    int left = core::milliseconds_until(part_ends_by_);
    return left == 0 ? -1 : std::min(wait, left);
}

ssize_t BoundedSocketStream::cut_request() {
    request_was_cut_ = true;
    return -1;
}

// Whatever the reply wrote so far goes out before a read can wait: the client
// may be waiting for it, as for "100 Continue" before it sends a body.
ssize_t BoundedSocketStream::read(char* ptr, size_t size) {
    size = allowance(size);
    if (size == 0) return cut_request();
    if (!reply_.empty() && !flush()) return -1;
    if (buffer_start_ == buffer_end_) {
        int wait_ms = read_wait_ms();
        if (wait_ms < 0) return cut_request();
        if (ssize_t got = fill_buffer(wait_ms); got <= 0) {
            return got < 0 && read_wait_ms() < 0 ? cut_request() : got;
        }
    }
    std::size_t taken = std::min(size, buffer_end_ - buffer_start_);
    std::memcpy(ptr, buffer_ + buffer_start_, taken);
    buffer_start_ += taken;
    count_delivered(ptr, taken);
    return static_cast<ssize_t>(taken);
}

// The library hands over a reply's status line and headers in one piece, after
// any "100 Continue"; what comes after them is the body, whatever it holds.
void BoundedSocketStream::note_reply_head(const char* ptr, std::size_t size) {
    std::string_view written(ptr, size);
    if (reply_head_seen_ || written.starts_with("HTTP/1.1 1")) return;
    reply_head_seen_ = true;
    written = written.substr(0, written.find("\r\n\r\n"));
    if (written.find("\r\nConnection: close\r\n") != std::string_view::npos ||
        written.ends_with("\r\nConnection: close")) {
        reply_closes_ = true;
    }
}

ssize_t BoundedSocketStream::write(const char* ptr, size_t size) {
    note_reply_head(ptr, size);
    if (reply_.size() + size <= max_gathered_reply_bytes) {
        reply_.append(ptr, size);
        return static_cast<ssize_t>(size);
    }
    if (!flush() || !core::send_all_within(sock_, ptr, size, milliseconds(limits_.write_timeout))) return -1;
    return static_cast<ssize_t>(size);
}

void BoundedSocketStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    core::address_text(peer_, ip, port);
}

void BoundedSocketStream::get_local_ip_and_port(std::string& ip, int& port) const {
    if (local_) {
        core::address_text(*local_, ip, port);
        return;
    }
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        core::address_text(address, ip, port);
    }
}

}  // namespace server
