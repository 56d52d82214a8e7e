#pragma once
// Where a program finds the game server and the key that server asks for, as
// people type them on a command line. Keys are read aloud in groups of letters
// and digits such as 7F3K-9QX2-MC4D, the same key with or without the dashes
// and in either case.

#include "game_constants.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace core {

struct ServerAddress {
    std::string host = default_host;
    int port = default_port;
    std::string key;  // as normalized_key gives it; empty: the server asks for none
};

// Twelve symbols of a 32-symbol alphabet: 60 bits.
constexpr std::size_t min_key_symbols = 12;

// The key as it is compared: dashes dropped, letters in upper case. None when
// anything but letters, digits and dashes is in it, or fewer than
// min_key_symbols letters and digits.
std::optional<std::string> normalized_key(std::string_view typed);

// Takes a typed key into `key` in its compared form. Returns what is wrong
// with it in one line, or an empty text when it was taken.
std::string take_key(std::string& key, std::string_view typed);

// A port from 1 to 65535, written in decimal and nothing else.
std::optional<int> port_number(std::string_view text);

// The environment variable that carries the game key, so that it need not be
// on a command line, where every user of the machine can read it.
inline constexpr const char* key_variable = "GAME_KEY";

// When `key` is still empty and GAME_KEY is set and not empty, takes that key
// into `key`. Returns what is wrong with it in one line, or an empty text.
std::string take_key_from_environment(std::string& key);

// The address to reach or bind for `host`: 127.0.0.1 for the name localhost,
// in any case, and `host` itself for any other. Where /etc/hosts names ::1
// first, any local user could otherwise listen on [::1] beside a server on
// 127.0.0.1 or 0.0.0.0 and be asked first, key and all.
std::string reachable_host(const std::string& host);

// True when `host` is written as an address of this machine's loopback:
// 127.0.0.0/8, ::1 or an IPv4-mapped 127 address, or is the name localhost.
// Any other name is taken to lead elsewhere, whatever it resolves to.
bool is_loopback_host(const std::string& host);

// Takes "--server HOST[:PORT]" (an IPv6 address in brackets when a port
// follows) or "--key KEY" into `address`. Returns what is wrong with the value
// in one line, or an empty text when it was taken.
std::string take_address_option(ServerAddress& address, const std::string& name, const std::string& value);

}  // namespace core
