#pragma once
// The board as one player sees it: the kinds of its own pieces and only the
// places of the opponent's. The bot decides from this alone.

#include "board.h"
#include "rules.h"

#include <array>

constexpr int unknown_kind = -1;

struct SquareView {
    int owner = 0;             // 0 empty, else the player whose piece stands here
    int kind = unknown_kind;   // known for the viewer's own pieces only
};

using PlayerView = std::array<std::array<SquareView, 10>, 5>;

// Copies `board` for `player`, leaving out every opposing kind.
PlayerView view_of_board(const Board& board, int player);

// The view's owners on an otherwise empty board, for the rules that only look
// at whose pieces stand where.
void owners_of(const PlayerView& view, Board& out);
// The view after the piece on `move`'s first square stepped to its second,
// winning whatever fight there was.
PlayerView after_step(const PlayerView& view, const Move& move);
// The view after that piece attacked and lost.
PlayerView after_lost_attack(const PlayerView& view, const Move& move);
