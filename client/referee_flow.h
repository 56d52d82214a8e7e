#pragma once
// The client's game when the server referees: it shows the seat's view and
// sends the player's moves, and never decides a fight itself.

#include "pictures.h"
#include "referee_requests.h"
#include "server_address.h"

#include <string>

namespace client {

// Plays the game in `seat` from the lobby (already open) to the end, and
// returns the exit status: 0 when the game has ended for this window, 1 when a
// resignation could not be delivered, 2 when the server does not know the
// seat. The seat file (when named) is removed once the game is over.
int play_refereed_game(const core::ServerAddress& address, const core::Seat& seat, const std::string& seat_file,
                       const Pictures& pictures);

}  // namespace client
