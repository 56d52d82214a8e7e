#include "socket_addresses.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

int descriptor(Socket sock) { return static_cast<int>(sock); }

bool wait_for(Socket sock, short events, int timeout_ms) {
    pollfd entry{descriptor(sock), events, 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

std::optional<Address> named_address(Socket sock, int (*name)(int, sockaddr*, socklen_t*)) {
    Address address;
    socklen_t length = sizeof address.bytes;
    if (name(descriptor(sock), reinterpret_cast<sockaddr*>(address.bytes), &length) != 0) return std::nullopt;
    address.length = length;
    return address;
}

}  // namespace

std::optional<Address> local_address(Socket sock) { return named_address(sock, getsockname); }

std::optional<Address> peer_address(Socket sock) { return named_address(sock, getpeername); }

int last_error() { return errno; }

std::string error_text(int error) { return std::strerror(error); }

std::string lookup_failure_text(int failure) { return gai_strerror(failure); }

int milliseconds_until(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

bool wait_readable(Socket sock, int timeout_ms) { return wait_for(sock, POLLIN, timeout_ms); }

bool wait_writable(Socket sock, int timeout_ms) { return wait_for(sock, POLLOUT, timeout_ms); }

std::ptrdiff_t receive_within(Socket sock, char* buffer, std::size_t size, int timeout_ms) {
    for (bool waited = false;; waited = true) {
        ssize_t got;
        do {
            got = recv(descriptor(sock), buffer, size, MSG_DONTWAIT);
        } while (got < 0 && errno == EINTR);
        if (got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || waited) return got;
        if (!wait_readable(sock, timeout_ms)) return -1;
    }
}

bool send_all_within(Socket sock, const char* data, std::size_t size, int timeout_ms) {
    while (size > 0) {
        ssize_t sent = send(descriptor(sock), data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!wait_writable(sock, timeout_ms)) return false;
        } else {
            return false;
        }
    }
    return true;
}

Socket listen_on(const Address& address) {
    const int sock = ::socket(storage(address).ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0) return no_socket;
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(sock, reinterpret_cast<const sockaddr*>(address.bytes), address.length) != 0 ||
        ::listen(sock, SOMAXCONN) != 0) {
        int error = errno;
        close(sock);
        errno = error;
        return no_socket;
    }
    return static_cast<Socket>(sock);
}

Socket connect_to(const Address& address) {
    const int sock = ::socket(storage(address).ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0) return no_socket;
    if (::connect(sock, reinterpret_cast<const sockaddr*>(address.bytes), address.length) != 0) {
        int error = errno;
        close(sock);
        errno = error;
        return no_socket;
    }
    return static_cast<Socket>(sock);
}

Socket accept_connection(Socket listening, Address& peer, AcceptFailure& failure) {
    socklen_t length = sizeof peer.bytes;
    const int sock = accept(descriptor(listening), reinterpret_cast<sockaddr*>(peer.bytes), &length);
    if (sock >= 0) {
        peer.length = length;
        failure = AcceptFailure::none;
        return static_cast<Socket>(sock);
    }
    failure = errno == EMFILE                    ? AcceptFailure::short_wait
              : errno == EINTR || errno == EAGAIN ? AcceptFailure::again
                                                  : AcceptFailure::fatal;
    return no_socket;
}

// shutdown() wakes every thread blocked in accept(); close() alone would not.
void stop_listening(Socket listening) {
    shutdown(descriptor(listening), SHUT_RDWR);
    close(descriptor(listening));
}

void stop_reading(Socket sock) { shutdown(descriptor(sock), SHUT_RD); }

void cut_off(Socket sock) { shutdown(descriptor(sock), SHUT_RDWR); }

void close_socket(Socket sock) { close(descriptor(sock)); }

}  // namespace platform
