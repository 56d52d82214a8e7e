#pragma once
// The client's command line: which game server it plays through, and the
// file that keeps its seat in a refereed game.

#include "server_address.h"

#include <optional>
#include <string>
#include <vector>

namespace client {

struct ClientOptions {
    core::ServerAddress server;
    std::string seat_file;  // empty: none
    bool relay = false;     // play a game without a referee on a server beyond loopback
    bool help = false;
};

extern const char* const client_usage;

// None, with one line in `error`, for a command line the client cannot follow.
// The key comes from --key, or else from GAME_KEY.
std::optional<ClientOptions> parse_client_options(const std::vector<std::string>& args, std::string& error);

}  // namespace client
