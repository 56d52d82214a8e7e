#include "key_check.h"

#include "server_address.h"

#include <cctype>
#include <string_view>

namespace server {

namespace {

constexpr std::string_view bearer = "Bearer ";

bool starts_with_bearer(std::string_view value) {
    if (value.size() < bearer.size()) return false;
    for (std::size_t i = 0; i < bearer.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(value[i])) !=
            std::tolower(static_cast<unsigned char>(bearer[i]))) {
            return false;
        }
    }
    return true;
}

// Every byte of the key is looked at whatever the others hold, so the time
// taken does not tell how much of a guess was right.
bool same_key(const std::string& key, const std::string& presented) {
    unsigned difference = key.size() ^ presented.size();
    for (std::size_t i = 0; i < key.size(); ++i) {
        difference |= static_cast<unsigned char>(key[i]) ^
                      static_cast<unsigned char>(i < presented.size() ? presented[i] : 0);
    }
    return difference == 0;
}

}  // namespace

bool carries_key(const httplib::Request& req, const std::string& key) {
    const std::string value = req.get_header_value("Authorization");
    if (!starts_with_bearer(value)) return false;
    auto presented = core::normalized_key(std::string_view(value).substr(bearer.size()));
    return presented && same_key(key, *presented);
}

}  // namespace server
