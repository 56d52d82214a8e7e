#pragma once
// The server's command line: where it listens, the game key it asks for, and
// whether it referees the game or relays it.

#include "game_constants.h"

#include "sockets.h"

#include <optional>
#include <string>
#include <vector>

namespace server {

struct ServerOptions {
    std::string listen = core::default_host;
    int port = core::default_port;
    std::string key;  // in its compared form (see normalized_key); empty: none
    bool referee = false;
    bool help = false;
    // What --listen and --port name, looked up once: the one address that was
    // checked is the one the server binds.
    platform::Address address;
    bool beyond_loopback = false;
};

extern const char* const server_usage;

// None, with one line in `error`, for a command line the server cannot follow:
// a bad option, a name that is not found, or a listen address beyond loopback
// without a key. The key comes from --key, or else from GAME_KEY.
std::optional<ServerOptions> parse_server_options(const std::vector<std::string>& args,
                                                  std::string& error);

}  // namespace server
