#pragma once
// One game started from the command line: its server with a fresh key, the
// computer player, the windows, or the seats of a game that is still going;
// and, once the windows have ended, the server stopped when the game is over.

#include "options.h"

#include <string>

namespace launcher {

// Plays the game `options` name (not Mode::none). `command` is the command
// line as the player typed it, shown when it is the way back to the game.
// Returns the exit status: 0, a window's own status, or 1 when the game could
// not start, after one line on standard error that says why.
int run_game(const Options& options, const std::string& command);

}  // namespace launcher
