#include "kernel_random.h"

#include "random_bytes.h"

#include <cstdint>

namespace server {

std::string random_seat_token() {
    unsigned char secret[16];
    platform::fill_random_bytes(secret, sizeof secret);
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
        platform::fill_random_bytes(&byte, 1);
        if (byte < 250) return byte % 5;
    }
}

}  // namespace server
