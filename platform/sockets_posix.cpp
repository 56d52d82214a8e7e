#include "sockets.h"

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

const sockaddr_storage& storage(const Address& address) {
    return *reinterpret_cast<const sockaddr_storage*>(address.bytes);
}

static_assert(sizeof(Address::bytes) >= sizeof(sockaddr_storage));
static_assert(alignof(Address) >= alignof(sockaddr_storage));

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

void address_text(const Address& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    const sockaddr_storage& stored = storage(address);
    if (stored.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(stored);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (stored.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(stored);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

std::string address_group(const Address& address) {
    const sockaddr_storage& peer = storage(address);
    if (peer.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(peer);
        return std::string(reinterpret_cast<const char*>(&v4.sin_addr), 4);
    }
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(peer);
    const char* bytes = reinterpret_cast<const char*>(&v6.sin6_addr);
    if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) return std::string(bytes + 12, 4);
    return std::string(bytes, 8);
}

bool is_loopback(const Address& address) {
    const sockaddr_storage& stored = storage(address);
    if (stored.ss_family == AF_INET) {
        auto ip = ntohl(reinterpret_cast<const sockaddr_in&>(stored).sin_addr.s_addr);
        return (ip >> 24) == 127;
    }
    if (stored.ss_family == AF_INET6) {
        const in6_addr& ip = reinterpret_cast<const sockaddr_in6&>(stored).sin6_addr;
        return IN6_IS_ADDR_LOOPBACK(&ip) || (IN6_IS_ADDR_V4MAPPED(&ip) && ip.s6_addr[12] == 127);
    }
    return false;
}

bool is_every_interface(const Address& address) {
    const sockaddr_storage& stored = storage(address);
    if (stored.ss_family == AF_INET) {
        return reinterpret_cast<const sockaddr_in&>(stored).sin_addr.s_addr == htonl(INADDR_ANY);
    }
    if (stored.ss_family == AF_INET6) {
        return IN6_IS_ADDR_UNSPECIFIED(&reinterpret_cast<const sockaddr_in6&>(stored).sin6_addr);
    }
    return false;
}

// Passive: an empty name would stand for every interface.
std::optional<Address> first_address(const std::string& host, int port, std::string& reason) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port_text = std::to_string(port);
    int failure = getaddrinfo(host.c_str(), port_text.c_str(), &hints, &found);
    if (failure != 0 || found == nullptr) {
        reason = gai_strerror(failure);
        for (char& c : reason) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return std::nullopt;
    }
    Address address;
    std::memcpy(address.bytes, found->ai_addr, found->ai_addrlen);
    address.length = found->ai_addrlen;
    freeaddrinfo(found);
    return address;
}

std::optional<Address> local_address(Socket sock) { return named_address(sock, getsockname); }

std::optional<Address> peer_address(Socket sock) { return named_address(sock, getpeername); }

int last_error() { return errno; }

std::string error_text(int error) { return std::strerror(error); }

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
