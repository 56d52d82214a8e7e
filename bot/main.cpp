// bot: a computer player that plays one game through the game server.

#include "bot_game.h"
#include "game_log.h"
#include "options.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    std::string error;
    auto options = bot::parse_options(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "bot: " << error << "\n";
        return 2;
    }
    if (options->help) {
        std::cout << bot::bot_usage;
        return 0;
    }
    if (options->seat_file.empty()) {
        if (const char* kept = std::getenv("GAME_SEAT_FILE")) options->seat_file = kept;
    }
    if (!bot::GameLog(options->log_path).usable()) {
        std::cerr << "bot: cannot write " << options->log_path << "\n";
        return 2;
    }
    return bot::play_game(*options);
}
