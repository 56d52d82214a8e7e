#pragma once
// The bot's command line.

#include "levels.h"
#include "server_address.h"

#include <optional>
#include <string>
#include <vector>

namespace bot {

struct BotOptions {
    int think_ms = 500;
    unsigned seed = 0;
    bool seed_given = false;
    std::string log_path;
    core::ServerAddress server;
    std::string seat_file;  // empty: none
    bool relay = false;     // play a game without a referee on a server beyond loopback
    Level level = Level::normal;
    // Tell on standard error why each move was chosen.
    bool explain = false;
    bool help = false;
};

extern const char* const bot_usage;

// None, with a reason in `error`, for a command line it cannot follow. The key
// comes from --key, or else from GAME_KEY.
std::optional<BotOptions> parse_options(const std::vector<std::string>& args, std::string& error);

}  // namespace bot
