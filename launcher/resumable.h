#pragma once
// The game of this machine a window can come back to, for the menu to offer.

#include "options.h"

#include <optional>
#include <string>

namespace launcher {

// The kind of game whose seat file is in the state folder `state` while the
// server the launcher started on this machine still runs and answers GET
// /view for that seat with a game that has no winner yet; none otherwise.
// Asks the server, a few seconds at most.
std::optional<Mode> resumable_game(const std::string& state);

}  // namespace launcher
