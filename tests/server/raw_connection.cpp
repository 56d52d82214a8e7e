#include "raw_connection.h"

#include "server_process.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

using namespace support;

RawConnection::RawConnection() {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::string port = std::to_string(game_port);
    if (getaddrinfo(game_host, port.c_str(), &hints, &found) != 0) {
        ADD_FAILURE() << "localhost does not resolve";
        return;
    }
    for (addrinfo* a = found; a != nullptr && sock_ < 0; a = a->ai_next) {
        sock_ = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (sock_ >= 0 && connect(sock_, a->ai_addr, a->ai_addrlen) != 0) {
            close(sock_);
            sock_ = -1;
        }
    }
    freeaddrinfo(found);
    if (sock_ < 0) {
        ADD_FAILURE() << "cannot connect to localhost:8089";
        return;
    }
    limit_waits();
}

RawConnection::RawConnection(const std::string& server, const std::string& source) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    sock_ = socket(AF_INET, SOCK_STREAM, 0);
    inet_pton(AF_INET, source.c_str(), &address.sin_addr);
    if (bind(sock_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot bind " << source;
    }
    address.sin_port = htons(game_port);
    inet_pton(AF_INET, server.c_str(), &address.sin_addr);
    if (connect(sock_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot connect to " << server << " from " << source;
    }
    limit_waits();
}

void RawConnection::limit_waits() {
    timeval limit{20, 0};
    setsockopt(sock_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    setsockopt(sock_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
}

RawConnection::~RawConnection() {
    if (sock_ >= 0) close(sock_);
}

bool RawConnection::send_all(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(sock_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

size_t RawConnection::send_repeated(const std::string& unit, size_t total) {
    size_t sent = 0;
    while (sent < total && send_all(unit)) sent += unit.size();
    return sent;
}

std::string RawConnection::finish() {
    shutdown(sock_, SHUT_WR);
    std::string reply;
    char buffer[4096];
    ssize_t n;
    while ((n = recv(sock_, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, n);
    return reply;
}

bool RawConnection::open_at_server() {
    char buffer[4096];
    ssize_t n;
    while ((n = recv(sock_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
    }
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

std::optional<std::string> RawConnection::reply_until_closed(std::chrono::milliseconds limit) {
    timeval wait{0, static_cast<suseconds_t>(std::chrono::microseconds(limit).count())};
    setsockopt(sock_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::string reply;
    char buffer[4096];
    ssize_t n;
    while ((n = recv(sock_, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, n);
    if (n < 0) return std::nullopt;
    return reply;
}

namespace {

// A number field of /proc/PID/status, -1 if it is missing.
long status_number(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == field) {
            long number = 0;
            status >> number;
            return number;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

}  // namespace

long resident_kib(pid_t pid) { return status_number(pid, "VmRSS:"); }

long thread_count(pid_t pid) { return status_number(pid, "Threads:"); }
