#include "kernel_random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <system_error>

namespace server {

namespace {

void fill_from_kernel(void* into, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t filled = 0;
    while (filled < size) {
        ssize_t got = getrandom(bytes + filled, size - filled, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw std::system_error(errno, std::generic_category(), "getrandom");
        filled += static_cast<std::size_t>(got);
    }
}

}  // namespace

std::string random_seat_token() {
    unsigned char secret[16];
    fill_from_kernel(secret, sizeof secret);
    static constexpr char digits[] = "0123456789abcdef";
    std::string token;
    for (unsigned char byte : secret) {
        token += digits[byte >> 4];
        token += digits[byte & 0xF];
    }
    return token;
}

// A byte of 250 or more is drawn again: 250 is the largest multiple of 5 a
// byte holds, so each remainder comes from exactly 50 values.
int random_index_below_five() {
    for (;;) {
        std::uint8_t byte;
        fill_from_kernel(&byte, 1);
        if (byte < 250) return byte % 5;
    }
}

}  // namespace server
