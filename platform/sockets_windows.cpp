#include "sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace platform {

namespace {

static_assert(sizeof(Socket) == sizeof(SOCKET));
static_assert(no_socket == INVALID_SOCKET);
static_assert(sizeof(Address::bytes) >= sizeof(sockaddr_storage));
static_assert(alignof(Address) >= alignof(sockaddr_storage));

// Winsock serves a process only between WSAStartup and WSACleanup; the
// programs use sockets from start to end, so it is taken once for good.
struct WinsockStarted {
    WinsockStarted() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};
const WinsockStarted winsock_started;

SOCKET handle(Socket sock) { return static_cast<SOCKET>(sock); }

const sockaddr_storage& storage(const Address& address) {
    return *reinterpret_cast<const sockaddr_storage*>(address.bytes);
}

bool wait_for(Socket sock, short events, int timeout_ms) {
    WSAPOLLFD entry{handle(sock), events, 0};
    return WSAPoll(&entry, 1, timeout_ms) > 0;
}

// Winsock has no MSG_DONTWAIT: the socket itself is made non-blocking, so a
// call that finds nothing to do returns WSAEWOULDBLOCK instead of waiting.
void make_non_blocking(Socket sock) {
    u_long yes = 1;
    ioctlsocket(handle(sock), FIONBIO, &yes);
}

// Programs this one starts must not keep the game's sockets open.
void keep_from_children(Socket sock) {
    SetHandleInformation(reinterpret_cast<HANDLE>(handle(sock)), HANDLE_FLAG_INHERIT, 0);
}

std::optional<Address> named_address(Socket sock, int(WSAAPI* name)(SOCKET, sockaddr*, int*)) {
    Address address;
    int length = sizeof address.bytes;
    if (name(handle(sock), reinterpret_cast<sockaddr*>(address.bytes), &length) != 0) return std::nullopt;
    address.length = static_cast<std::uint32_t>(length);
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

std::optional<Address> first_address(const std::string& host, int port, std::string& reason) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port_text = std::to_string(port);
    int failure = getaddrinfo(host.c_str(), port_text.c_str(), &hints, &found);
    if (failure != 0 || found == nullptr) {
        reason = error_text(failure);
        for (char& c : reason) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return std::nullopt;
    }
    Address address;
    std::memcpy(address.bytes, found->ai_addr, found->ai_addrlen);
    address.length = static_cast<std::uint32_t>(found->ai_addrlen);
    freeaddrinfo(found);
    return address;
}

std::optional<Address> local_address(Socket sock) { return named_address(sock, getsockname); }

std::optional<Address> peer_address(Socket sock) { return named_address(sock, getpeername); }

int last_error() { return WSAGetLastError(); }

// The system's own words, in English whatever the user's language, as the
// POSIX side gives them; without the line break Windows ends them with.
std::string error_text(int error) {
    char text[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  static_cast<DWORD>(error), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  text, sizeof text, nullptr);
    std::string words(text, length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) words.pop_back();
    return words.empty() ? "socket error " + std::to_string(error) : words;
}

int milliseconds_until(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

bool wait_readable(Socket sock, int timeout_ms) { return wait_for(sock, POLLRDNORM, timeout_ms); }

bool wait_writable(Socket sock, int timeout_ms) { return wait_for(sock, POLLWRNORM, timeout_ms); }

std::ptrdiff_t receive_within(Socket sock, char* buffer, std::size_t size, int timeout_ms) {
    make_non_blocking(sock);
    const int asked = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
    for (bool waited = false;; waited = true) {
        int got = recv(handle(sock), buffer, asked, 0);
        if (got >= 0) return got;
        // Winsock fails a read after shutdown(SD_RECEIVE) where POSIX reads
        // the end of the stream; the callers take either as the end.
        const int error = WSAGetLastError();
        if (error == WSAESHUTDOWN) return 0;
        if (error != WSAEWOULDBLOCK || waited) return -1;
        if (!wait_readable(sock, timeout_ms)) return -1;
    }
}

// Winsock raises no signal on a closed peer, so there is nothing to turn off.
bool send_all_within(Socket sock, const char* data, std::size_t size, int timeout_ms) {
    make_non_blocking(sock);
    while (size > 0) {
        int sent = send(handle(sock), data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
        } else if (sent < 0 && WSAGetLastError() == WSAEWOULDBLOCK) {
            if (!wait_writable(sock, timeout_ms)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// SO_REUSEADDR on Windows would let another program bind the same port and
// take connections meant for this one; SO_EXCLUSIVEADDRUSE keeps it ours, and
// Windows lets a new server bind past connections in TIME_WAIT without it.
// An IPv6 socket takes IPv4 connections too, as on Linux.
Socket listen_on(const Address& address) {
    const int family = storage(address).ss_family;
    SOCKET sock = WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                             WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (sock == INVALID_SOCKET) return no_socket;
    BOOL yes = TRUE;
    setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
    if (family == AF_INET6) {
        DWORD only_v6 = 0;
        setsockopt(sock, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&only_v6), sizeof only_v6);
    }
    if (::bind(sock, reinterpret_cast<const sockaddr*>(address.bytes), static_cast<int>(address.length)) != 0 ||
        ::listen(sock, SOMAXCONN) != 0) {
        int error = WSAGetLastError();
        closesocket(sock);
        WSASetLastError(error);
        return no_socket;
    }
    return static_cast<Socket>(sock);
}

Socket connect_to(const Address& address) {
    SOCKET sock = WSASocketW(storage(address).ss_family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                             WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (sock == INVALID_SOCKET) return no_socket;
    if (::connect(sock, reinterpret_cast<const sockaddr*>(address.bytes), static_cast<int>(address.length)) != 0) {
        int error = WSAGetLastError();
        closesocket(sock);
        WSASetLastError(error);
        return no_socket;
    }
    return static_cast<Socket>(sock);
}

Socket accept_connection(Socket listening, Address& peer, AcceptFailure& failure) {
    int length = sizeof peer.bytes;
    SOCKET sock = accept(handle(listening), reinterpret_cast<sockaddr*>(peer.bytes), &length);
    if (sock != INVALID_SOCKET) {
        keep_from_children(static_cast<Socket>(sock));
        peer.length = static_cast<std::uint32_t>(length);
        failure = AcceptFailure::none;
        return static_cast<Socket>(sock);
    }
    const int error = WSAGetLastError();
    failure = error == WSAEMFILE || error == WSAENOBUFS ? AcceptFailure::short_wait
              : error == WSAECONNRESET || error == WSAEWOULDBLOCK ? AcceptFailure::again
                                                                   : AcceptFailure::fatal;
    return no_socket;
}

// On Winsock only closesocket() wakes a thread blocked in accept(); shutdown()
// on a listening socket does nothing.
void stop_listening(Socket listening) { closesocket(handle(listening)); }

void stop_reading(Socket sock) { shutdown(handle(sock), SD_RECEIVE); }

void cut_off(Socket sock) { shutdown(handle(sock), SD_BOTH); }

void close_socket(Socket sock) { closesocket(handle(sock)); }

}  // namespace platform
