#pragma once
// The board as one player sees it: a Board with the kinds of its own pieces
// and only the places of the opponent's, each opposing piece showing
// hidden_kind, as a refereed seat's view does. The bot decides from this alone.

#include "board.h"
#include "game_view.h"
#include "rules.h"

namespace frozen {

// The frozen copy predates the core's namespace and reads its names unqualified.
using namespace core;

using PlayerView = Board;

// Copies `board` for `player`, leaving out every opposing kind.
PlayerView view_of_board(const Board& board, int player);

// The view after the piece on `move`'s first square stepped to its second,
// winning whatever fight there was.
PlayerView after_step(const PlayerView& view, const Move& move);
// The view after that piece attacked and lost.
PlayerView after_lost_attack(const PlayerView& view, const Move& move);

}  // namespace frozen
