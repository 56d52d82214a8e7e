#include "socket_addresses.h"

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

// Winsock's look-up fails with its own error numbers, in the system's table.
std::string lookup_failure_text(int failure) { return error_text(failure); }

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
