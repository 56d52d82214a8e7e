// rock-scissors-paper: starts a game of the kind its command line names.

#include "game.h"
#include "options.h"
#include "processes.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    launcher::Options options;
    if (const std::string error = launcher::parse_options(words, options); !error.empty()) {
        std::fprintf(stderr, "%s: %s\n", launcher::own_name().c_str(), error.c_str());
        return 1;
    }
    if (options.help) {
        std::fputs(launcher::usage_text, stdout);
        return 0;
    }
    // Without a game named there is nothing to start yet.
    if (options.mode == launcher::Mode::none) {
        std::fputs(launcher::usage_text, stderr);
        return 2;
    }
    // The command as typed, shown as the way back to a game that goes on.
    std::string command = argv[0];
    for (const std::string& word : words) command += " " + word;
    return launcher::run_game(options, command);
}
