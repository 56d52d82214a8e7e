#include "random_bytes.h"

#include <sys/random.h>

#include <cerrno>
#include <system_error>

namespace platform {

void fill_random_bytes(void* into, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t filled = 0;
    while (filled < size) {
        ssize_t got = getrandom(bytes + filled, size - filled, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw std::system_error(errno, std::generic_category(), "getrandom");
        filled += static_cast<std::size_t>(got);
    }
}

}  // namespace platform
