#pragma once
// The server's command line: where it listens, the game key it asks for, and
// whether it referees the game or relays it.

#include "game_constants.h"

#include <optional>
#include <string>
#include <vector>

struct ServerOptions {
    std::string listen = default_host;
    int port = default_port;
    std::string key;  // in its compared form (see normalized_key); empty: none
    bool referee = false;
    bool help = false;
};

extern const char* const server_usage;

// None, with one line in `error`, for a command line the server cannot follow,
// a listen address beyond loopback without a key among them.
std::optional<ServerOptions> parse_server_options(const std::vector<std::string>& args,
                                                  std::string& error);
