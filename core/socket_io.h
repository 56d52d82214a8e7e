#pragma once
// Reading and writing a blocking TCP socket with a time limit on each wait,
// in as few system calls as the common case allows: the call is tried at
// once, and only when the socket is not ready does it wait, with poll().
// Shared by the server's connections and the players' requests.

#include <sys/socket.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace core {

// Milliseconds from now until `deadline`, at least 0, for poll().
int milliseconds_until(std::chrono::steady_clock::time_point deadline);

// True once `events` are ready on `sock`; false after `timeout_ms` or on error.
bool wait_for(int sock, short events, int timeout_ms);

// One recv() of up to `size` bytes; when nothing is waiting, waits up to
// `timeout_ms` for it. The bytes taken, 0 when the peer closed, -1 on time-out
// or error.
ssize_t receive_within(int sock, char* buffer, std::size_t size, int timeout_ms);

// Sends all of `size` bytes; each time the socket takes no more, waits up to
// `timeout_ms` for room. False on time-out or error.
bool send_all_within(int sock, const char* data, std::size_t size, int timeout_ms);

// The address and port of an IPv4 or IPv6 socket address, as text and number.
void address_text(const sockaddr_storage& address, std::string& ip, int& port);

}  // namespace core
