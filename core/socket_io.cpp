#include "socket_io.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace core {

int milliseconds_until(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

bool wait_for(int sock, short events, int timeout_ms) {
    pollfd entry{sock, events, 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

ssize_t receive_within(int sock, char* buffer, std::size_t size, int timeout_ms) {
    for (bool waited = false;; waited = true) {
        ssize_t got;
        do {
            got = recv(sock, buffer, size, MSG_DONTWAIT);
        } while (got < 0 && errno == EINTR);
        if (got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || waited) return got;
        if (!wait_for(sock, POLLIN, timeout_ms)) return -1;
    }
}

bool send_all_within(int sock, const char* data, std::size_t size, int timeout_ms) {
    while (size > 0) {
        ssize_t sent = send(sock, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!wait_for(sock, POLLOUT, timeout_ms)) return false;
        } else {
            return false;
        }
    }
    return true;
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

}  // namespace core
