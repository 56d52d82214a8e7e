#include "server_address.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <vector>

namespace core {

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

// A number of 1 to `max_digits` digits in `base`, and nothing else.
std::optional<unsigned> address_part(std::string_view text, int base, std::size_t max_digits) {
    unsigned value = 0;
    if (text.empty() || text.size() > max_digits) return std::nullopt;
    auto [stop, fault] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (fault != std::errc() || stop != text.data() + text.size()) return std::nullopt;
    return value;
}

// `text` cut at each `separator`.
std::vector<std::string_view> parts_of(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

bool is_ipv4_loopback(std::string_view text) {
    std::vector<std::string_view> parts = parts_of(text, '.');
    if (parts.size() != 4) return false;
    for (std::string_view part : parts) {
        auto value = address_part(part, 10, 3);
        if (!value || *value > 255) return false;
    }
    return parts[0] == "127";
}

// The eight groups of an IPv6 address, "::" filled with zeros.
std::optional<std::array<unsigned, 8>> ipv6_groups(std::string_view text) {
    const std::size_t gap = text.find("::");
    std::vector<std::string_view> head = parts_of(text.substr(0, gap), ':');
    std::vector<std::string_view> tail;
    if (gap != std::string_view::npos) {
        if (gap == 0) head.clear();
        if (gap + 2 < text.size()) tail = parts_of(text.substr(gap + 2), ':');
        if (head.size() + tail.size() > 7) return std::nullopt;
    } else if (head.size() != 8) {
        return std::nullopt;
    }
    std::array<unsigned, 8> groups{};
    for (std::size_t i = 0; i < head.size() + tail.size(); ++i) {
        const bool in_head = i < head.size();
        auto value = address_part(in_head ? head[i] : tail[i - head.size()], 16, 4);
        if (!value) return std::nullopt;
        groups[in_head ? i : 8 - tail.size() + (i - head.size())] = *value;
    }
    return groups;
}

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

bool is_loopback_host(const std::string& host) {
    std::string address = reachable_host(host);
    for (char& c : address) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (is_ipv4_loopback(address)) return true;
    const std::size_t last_colon = address.rfind(':');
    if (last_colon == std::string::npos) return false;
    // An IPv4-mapped address: ::ffff:127.0.0.1 and its longer forms.
    if (address.find('.', last_colon) != std::string::npos) {
        auto groups = ipv6_groups(address.substr(0, last_colon + 1) + "0:0");
        return groups && *groups == std::array<unsigned, 8>{0, 0, 0, 0, 0, 0xffff, 0, 0} &&
               is_ipv4_loopback(address.substr(last_colon + 1));
    }
    auto groups = ipv6_groups(address);
    return groups && *groups == std::array<unsigned, 8>{0, 0, 0, 0, 0, 0, 0, 1};
}

std::string take_address_option(ServerAddress& address, const std::string& name, const std::string& value) {
    if (name == "--server") return take_server(address, value);
    return take_key(address.key, value);
}

}  // namespace core
