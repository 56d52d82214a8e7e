#pragma once
// The window the launcher opens when no game is named: a game of each kind
// is started from it, and it comes back when that game ends.

#include <string>

namespace launcher {

// Runs the menu until the player quits. `program` is the launcher's name as
// the player started it, the first word of each game's command. Returns the
// exit status: 0, or 1 when the menu could not open, after one line on
// standard error that says why.
int run_menu(const std::string& program);

}  // namespace launcher
