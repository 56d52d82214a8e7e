// bot: a computer player that plays one game through the game server.

#include "bot_game.h"
#include "command_line.h"
#include "game_log.h"
#include "options.h"

#include <iostream>

int main(int argc, char** argv) {
    std::string error;
    const std::vector<std::string> arguments = platform::program_arguments(argc, argv);
    auto options = bot::parse_options({arguments.begin() + 1, arguments.end()}, error);
    if (!options) {
        std::cerr << "bot: " << error << "\n";
        return 2;
    }
    if (options->help) {
        std::cout << bot::bot_usage;
        return 0;
    }
    if (options->seat_file.empty()) {
        options->seat_file = platform::environment_value("GAME_SEAT_FILE").value_or("");
    }
    if (!bot::GameLog(options->log_path).usable()) {
        std::cerr << "bot: cannot write " << options->log_path << "\n";
        return 2;
    }
    return bot::play_game(*options);
}
