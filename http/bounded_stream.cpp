#include "bounded_stream.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace http {

namespace {

// A reply's head and a board fit many times over; a larger body goes out
// after what was gathered before it, without a copy.
constexpr std::size_t max_gathered_reply_bytes = 16 * 1024;

int milliseconds(std::chrono::milliseconds time) { return static_cast<int>(time.count()); }

}  // namespace

BoundedStream::BoundedStream(platform::Socket sock, const platform::Address& peer,
                             const std::optional<platform::Address>& local, const StreamLimits& limits)
    : sock_(sock), peer_(peer), local_(local), limits_(limits) {}

// A reply is all body here: nothing is read as a request's head.
BoundedStream::BoundedStream(platform::Socket sock, Clock::time_point deadline, std::size_t max_bytes)
    : sock_(sock),
      limits_{},
      reads_reply_(true),
      in_head_(false),
      part_ends_by_(deadline),
      body_limit_(max_bytes) {}

bool BoundedStream::wait_for_request(std::chrono::milliseconds timeout) {
    return buffer_start_ < buffer_end_ || fill_buffer(milliseconds(timeout)) > 0;
}

void BoundedStream::start_request() {
    in_head_ = true;
    cut_ = false;
    reply_head_seen_ = false;
    head_bytes_ = 0;
    head_lines_ = 0;
    body_bytes_ = 0;
    body_limit_ = max_body_bytes;
    line_length_ = 0;
    last_byte_ = 0;
    part_ends_by_ = std::chrono::steady_clock::now() + limits_.head_deadline;
}

bool BoundedStream::flush() {
    bool sent = platform::send_all_within(sock_, reply_.data(), reply_.size(), write_wait_ms());
    reply_.clear();
    return sent;
}

bool BoundedStream::is_readable() const {
    int wait_ms = reads_reply_ ? platform::milliseconds_until(part_ends_by_) : milliseconds(limits_.read_timeout);
    return buffer_start_ < buffer_end_ || platform::wait_readable(sock_, wait_ms);
}

bool BoundedStream::is_writable() const {
    return platform::wait_writable(sock_, write_wait_ms());
}

// The library reads a head one byte at a time, so a head is cut as soon as it
// has one line too many. A small body's framing may take as much as the body.
std::size_t BoundedStream::allowance(std::size_t size) const {
    if (reads_reply_) return std::min(size, body_limit_ - body_bytes_);
    if (in_head_ && head_lines_ > max_head_lines) return 0;
    std::size_t left = in_head_ ? max_head_bytes - head_bytes_
                                : body_limit_ + std::min(body_limit_, max_body_framing_bytes) - body_bytes_;
    return std::min(size, left);
}

// The head ends with its first empty line, "\r\n" alone, as the library reads it.
void BoundedStream::count_delivered(const char* ptr, std::size_t size) {
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

std::ptrdiff_t BoundedStream::fill_buffer(int timeout_ms) {
    std::ptrdiff_t got = platform::receive_within(sock_, buffer_, sizeof buffer_, timeout_ms);
    if (got > 0) {
        buffer_start_ = 0;
        buffer_end_ = static_cast<std::size_t>(got);
    }
    return got;
}

int BoundedStream::read_wait_ms() const {
    if (reads_reply_) {
        int left = platform::milliseconds_until(part_ends_by_);
        return left == 0 ? -1 : left;
    }
    int wait = milliseconds(limits_.read_timeout);
    if ((in_head_ ? limits_.head_deadline : limits_.body_deadline).count() == 0) return wait;
    int left = platform::milliseconds_until(part_ends_by_);
    return left == 0 ? -1 : std::min(wait, left);
}

int BoundedStream::write_wait_ms() const {
    return reads_reply_ ? platform::milliseconds_until(part_ends_by_) : milliseconds(limits_.write_timeout);
}

std::ptrdiff_t BoundedStream::cut_off() {
    cut_ = true;
    return -1;
}

// Whatever the reply wrote so far goes out before a read can wait: the client
// may be waiting for it, as for "100 Continue" before it sends a body. A server
// that drips a reply faster than the reads come keeps bytes waiting, so a
// client's deadline is looked at before each read.
std::ptrdiff_t BoundedStream::read(char* ptr, std::size_t size) {
    size = allowance(size);
    if (size == 0) return cut_off();
    if (reads_reply_ && Clock::now() >= part_ends_by_) return cut_off();
    if (!reply_.empty() && !flush()) return -1;
    if (buffer_start_ == buffer_end_) {
        int wait_ms = read_wait_ms();
        if (wait_ms < 0) return cut_off();
        if (std::ptrdiff_t got = fill_buffer(wait_ms); got <= 0) {
            return got < 0 && read_wait_ms() < 0 ? cut_off() : got;
        }
    }
    std::size_t taken = std::min(size, buffer_end_ - buffer_start_);
    std::memcpy(ptr, buffer_ + buffer_start_, taken);
    buffer_start_ += taken;
    count_delivered(ptr, taken);
    return static_cast<std::ptrdiff_t>(taken);
}

// The library hands over a reply's status line and headers in one piece, after
// any "100 Continue"; what comes after them is the body, whatever it holds.
void BoundedStream::note_reply_head(const char* ptr, std::size_t size) {
    std::string_view written(ptr, size);
    if (reply_head_seen_ || written.starts_with("HTTP/1.1 1")) return;
    reply_head_seen_ = true;
    written = written.substr(0, written.find("\r\n\r\n"));
    if (written.find("\r\nConnection: close\r\n") != std::string_view::npos ||
        written.ends_with("\r\nConnection: close")) {
        reply_closes_ = true;
    }
}

std::ptrdiff_t BoundedStream::write(const char* ptr, std::size_t size) {
    if (reads_reply_) {
        return platform::send_all_within(sock_, ptr, size, write_wait_ms()) ? static_cast<std::ptrdiff_t>(size) : -1;
    }
    note_reply_head(ptr, size);
    if (reply_.size() + size <= max_gathered_reply_bytes) {
        reply_.append(ptr, size);
        return static_cast<std::ptrdiff_t>(size);
    }
    if (!flush() || !platform::send_all_within(sock_, ptr, size, write_wait_ms())) return -1;
    return static_cast<std::ptrdiff_t>(size);
}

void BoundedStream::remote_ip_and_port(std::string& ip, int& port) const {
    if (auto address = peer_ ? peer_ : platform::peer_address(sock_)) platform::address_text(*address, ip, port);
}

void BoundedStream::local_ip_and_port(std::string& ip, int& port) const {
    if (auto address = local_ ? local_ : platform::local_address(sock_)) platform::address_text(*address, ip, port);
}

}  // namespace http
