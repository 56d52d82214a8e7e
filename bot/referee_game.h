#pragma once
// The bot's game when the server referees: it sees only its seat's view, sends
// its moves and learns how each fight ended from the views that follow.

#include "game_view.h"
#include "options.h"
#include "player_view.h"
#include "referee_requests.h"

#include <cstdint>

namespace bot {

// Plays the game in `seat` to its end and returns the exit status: 0 when the
// game is over, 2 when the server does not know the seat. The seat file (when
// named) is removed once the game is over.
int play_refereed_game(const BotOptions& options, const core::Seat& seat, unsigned seed);

// The player's view right after its own `move` from `before`, told by `later`,
// a view taken at that point or after the opponent's answer to it. The move's
// own line 4 gives the outcome; once the opponent has moved, the target square
// does, read through the opponent's move.
PlayerView view_after_own_move(const PlayerView& before, const core::Move& move, const core::GameView& later);

// The view on one line for the bot's record: its five lines joined by "/".
std::string view_line(const core::GameView& view);

}  // namespace bot
