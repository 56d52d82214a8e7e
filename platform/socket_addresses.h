#pragma once
// Between the address code every system shares and each system's own sockets
// file: the socket structures, from the system's headers, and what only the
// system can say.

#include "sockets.h"
#include "socket_system.h"

#include <string>

namespace platform {

static_assert(sizeof(Address::bytes) >= sizeof(sockaddr_storage));
static_assert(alignof(Address) >= alignof(sockaddr_storage));

inline const sockaddr_storage& storage(const Address& address) {
    return *reinterpret_cast<const sockaddr_storage*>(address.bytes);
}

// A failed name look-up in words: each system has its own table of them.
std::string lookup_failure_text(int failure);

}  // namespace platform
