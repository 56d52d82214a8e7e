// rock-scissors-paper: starts a game of the kind its command line names.

#include "game.h"
#include "menu.h"
#include "options.h"
#include "processes.h"

#include "command_line.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = platform::program_arguments(argc, argv);
    const std::vector<std::string> words(arguments.begin() + 1, arguments.end());
    launcher::Options options;
    if (const std::string error = launcher::parse_options(words, options); !error.empty()) {
        std::fprintf(stderr, "%s: %s\n", launcher::own_name().c_str(), error.c_str());
        return 1;
    }
    if (options.help) {
        std::fputs(launcher::usage_text, stdout);
        return 0;
    }
    // Without a game named, the player picks one in a window.
    if (options.mode == launcher::Mode::none) return launcher::run_menu(arguments[0]);
    // The command as typed, shown as the way back to a game that goes on.
    std::string command = arguments[0];
    for (const std::string& word : words) command += " " + word;
    return launcher::run_game(options, command);
}
