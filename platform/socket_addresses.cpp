// The address code is the same on every system: each speaks the same socket
// address structures, from its own headers.
#include "socket_addresses.h"

#include <cctype>
#include <cstring>

namespace platform {

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
        reason = lookup_failure_text(failure);
        for (char& c : reason) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return std::nullopt;
    }
    Address address;
    std::memcpy(address.bytes, found->ai_addr, found->ai_addrlen);
    address.length = found->ai_addrlen;
    freeaddrinfo(found);
    return address;
}

}  // namespace platform
