#pragma once
// The system's random source, for secrets and draws that nobody may predict
// and no option fixes: seat tokens, request ids, the deal.

#include <cstddef>

namespace platform {

// Fills `size` bytes at `into`; raises std::system_error when the system
// cannot serve the draw.
void fill_random_bytes(void* into, std::size_t size);

}  // namespace platform
