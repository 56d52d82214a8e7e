#pragma once
// The game a window can come back to, for the menu to offer.

#include "options.h"

#include <optional>
#include <string>

namespace launcher {

// The game to start again to come back to one still going: one of this
// machine's, whose seat file is in the state folder `state` while the server
// the launcher started here still runs and answers GET /view for that seat
// with no winner yet; else the game last joined on another machine, whose
// host answers so for its seat with the key it was joined with. None
// otherwise. Asks each server a few seconds at most.
std::optional<Options> resumable_game(const std::string& state);

}  // namespace launcher
