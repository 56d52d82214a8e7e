// The number in a /join, /who or /win body: the clients' reader must take
// exactly the number that the server's std::stoi takes from the same body, and
// refuse exactly the bodies that make the server answer 500.

#include "protocol.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

using namespace core;

namespace {

std::optional<int> server_reading(const std::string& body) {
    try {
        return std::stoi(body);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string body(reinterpret_cast<const char*>(data), size);
    if (number_in_body(body) != server_reading(body)) std::abort();
    return 0;
}
