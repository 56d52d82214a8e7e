#pragma once
// One game started from the command line: its server with a fresh key, the
// computer player, the windows, or the seats of a game that is still going;
// and, once the windows have ended, the server stopped when the game is over.

#include "options.h"

#include <functional>
#include <string>
#include <vector>

namespace launcher {

// What a game started from the menu tells the menu.
struct GameWatch {
    // Called once a hosted game waits for the other player: the key and
    // this machine's addresses, as they are also printed.
    std::function<void(const std::string& key, const std::vector<std::string>& addresses)> hosting;
    // The line said on standard error when the game could not start.
    std::string refusal;
};

// Plays the game `options` name (not Mode::none). `command` is the command
// line as the player typed it, shown when it is the way back to the game.
// Returns the exit status: 0, a window's own status, or 1 when the game could
// not start, after one line on standard error that says why (also kept in
// `watch`, when given).
int run_game(const Options& options, const std::string& command, GameWatch* watch = nullptr);

}  // namespace launcher
