#include "server_address.h"

#include <cctype>
#include <charconv>
#include <cstdlib>

std::optional<std::string> normalized_key(std::string_view typed) {
    std::string key;
    for (char c : typed) {
        if (c == '-') continue;
        if (!std::isalnum(static_cast<unsigned char>(c))) return std::nullopt;
        key.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    if (key.size() < min_key_symbols) return std::nullopt;
    return key;
}

std::string take_key(std::string& key, std::string_view typed) {
    auto normalized = normalized_key(typed);
    if (!normalized) return "bad key: give at least 12 letters and digits (dashes and case do not count)";
    key = *normalized;
    return "";
}

std::string take_key_from_environment(std::string& key) {
    const char* typed = std::getenv(key_variable);
    if (!key.empty() || typed == nullptr || *typed == '\0') return "";
    std::string error = take_key(key, typed);
    return error.empty() ? "" : std::string(key_variable) + ": " + error;
}

std::string reachable_host(const std::string& host) {
    std::string lower;
    for (char c : host) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return lower == "localhost" ? "127.0.0.1" : host;
}

std::optional<int> port_number(std::string_view text) {
    int port = 0;
    const char* end = text.data() + text.size();
    auto [stop, fault] = std::from_chars(text.data(), end, port);
    if (fault != std::errc() || stop != end || port < 1 || port > 65535) return std::nullopt;
    return port;
}

namespace {

// "[::1]:8089", "[::1]", "host:8089", "host"; an IPv6 address without
// brackets is all host.
std::string take_server(ServerAddress& address, const std::string& value) {
    std::string host = value;
    std::string port;
    if (value.starts_with('[')) {
        auto close = value.find(']');
        if (close == std::string::npos) return "bad server " + value + ": no closing ]";
        host = value.substr(1, close - 1);
        if (close + 1 < value.size()) {
            if (value[close + 1] != ':') return "bad server " + value + ": give [ADDRESS]:PORT";
            port = value.substr(close + 2);
            if (port.empty()) return "bad server " + value + ": no port after the colon";
        }
    } else if (auto colon = value.find(':'); colon != std::string::npos && value.find(':', colon + 1) == std::string::npos) {
        host = value.substr(0, colon);
        port = value.substr(colon + 1);
        if (port.empty()) return "bad server " + value + ": no port after the colon";
    }
    if (host.empty()) return "bad server '" + value + "': the host name is empty";
    address.host = host;
    if (port.empty()) return "";
    auto number = port_number(port);
    if (!number) return "bad port " + port + ": give a number from 1 to 65535";
    address.port = *number;
    return "";
}

}  // namespace

std::string take_address_option(ServerAddress& address, const std::string& name, const std::string& value) {
    if (name == "--server") return take_server(address, value);
    return take_key(address.key, value);
}
