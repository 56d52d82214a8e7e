#pragma once
// The socket calls of the game's programs, the same on every system: a socket
// is a number as wide as a pointer (Winsock's SOCKET is 64 bits on 64-bit
// Windows), an address is the system's socket address kept as bytes, and each
// call that waits takes a time limit. One implementation file per system.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

using Socket = std::uintptr_t;
inline constexpr Socket no_socket = ~Socket{0};

// An IPv4 or IPv6 address with its port, as the system's calls take it.
struct Address {
    alignas(8) unsigned char bytes[128] = {};
    std::uint32_t length = 0;
};

// The address and port as text and number; empty and unchanged for an
// address of another family.
void address_text(const Address& address, std::string& ip, int& port);
// What connections from one host share: the IPv4 address (an IPv4 address
// mapped into IPv6 included), or the first 64 bits of an IPv6 address.
std::string address_group(const Address& address);
// True for 127.0.0.0/8, ::1 and 127.0.0.0/8 mapped into IPv6.
bool is_loopback(const Address& address);
// True for 0.0.0.0 and ::, which stand for every interface.
bool is_every_interface(const Address& address);

// The first address `host` and `port` give, the one clients try first; none,
// with the resolver's reason in lower case, when the name is not found.
std::optional<Address> first_address(const std::string& host, int port, std::string& reason);
// The address a socket is bound to, and the one it is connected to.
std::optional<Address> local_address(Socket sock);
std::optional<Address> peer_address(Socket sock);

// The error of the last socket call that failed, and an error as text.
int last_error();
std::string error_text(int error);

// Milliseconds from now until `deadline`, at least 0, for the waits below.
int milliseconds_until(std::chrono::steady_clock::time_point deadline);

// True once `sock` can be read (or the peer closed), or written; false after
// `timeout_ms` or on error.
bool wait_readable(Socket sock, int timeout_ms);
bool wait_writable(Socket sock, int timeout_ms);

// One receive of up to `size` bytes, tried at once; when nothing is waiting,
// waits up to `timeout_ms` for it. The bytes taken, 0 when the peer closed, -1
// on time-out or error.
std::ptrdiff_t receive_within(Socket sock, char* buffer, std::size_t size, int timeout_ms);

// Sends all of `size` bytes, never raising a signal on a closed peer; each
// time the socket takes no more, waits up to `timeout_ms` for room. False on
// time-out or error.
bool send_all_within(Socket sock, const char* data, std::size_t size, int timeout_ms);

// A socket listening on exactly `address`, with the address reusable at once
// after a server ends and a backlog of the system's largest; the socket is not
// passed on to programs this one starts. No address sharing between two
// listeners (no SO_REUSEPORT). no_socket, with last_error() set, on failure.
Socket listen_on(const Address& address);

// A socket connected to `address`, after as long a wait as the system makes;
// no_socket, with last_error() set, when nothing accepted.
Socket connect_to(const Address& address);

enum class AcceptFailure {
    none,
    again,       // interrupted: accept again
    short_wait,  // out of descriptors: accept again after a moment
    fatal,       // the listening socket is gone or broken: last_error() says why
};
// The next connection on `listening`, and its peer's address; no_socket with
// the failure when none came.
Socket accept_connection(Socket listening, Address& peer, AcceptFailure& failure);

// Closes a listening socket so that every thread blocked in accepting on it
// returns at once.
void stop_listening(Socket listening);

// Ends the reading side of a connection: reads waiting on it return, and the
// peer may still be sent to. Then both sides, which cuts the connection off
// while its socket stays open for its owner to close.
void stop_reading(Socket sock);
void cut_off(Socket sock);
void close_socket(Socket sock);

}  // namespace platform
