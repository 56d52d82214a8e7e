#include "random_bytes.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <system_error>

namespace platform {

// The system's preferred generator, the one Windows seeds from its own
// entropy; no algorithm handle to open or keep.
void fill_random_bytes(void* into, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(into);
    while (size > 0) {
        const ULONG part = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 30));
        NTSTATUS status = BCryptGenRandom(nullptr, bytes, part, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
        if (status < 0) throw std::system_error(static_cast<int>(status), std::system_category(), "BCryptGenRandom");
        bytes += part;
        size -= part;
    }
}

}  // namespace platform
