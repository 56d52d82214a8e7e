#pragma once
// Whole boards the game could be in, as far as the bot can tell: its own
// pieces as it sees them and each opposing piece given a kind drawn from what
// the bot has learned.

#include "board.h"
#include "knowledge.h"
#include "player_view.h"

#include <random>
#include <vector>

struct HiddenPiece {
    int column;
    int row;
    KindMask possible;
};

// The opposing pieces in `view`, the most narrowly known first, so that the
// counts still at large go first to the pieces with the fewest choices.
std::vector<HiddenPiece> hidden_pieces(const PlayerView& view, const Knowledge& knowledge);

// One board drawn from the bot's beliefs. Each piece takes one of the kinds it
// may be, each with a weight of how many of that kind may still be at large
// and not yet given out on this board; a piece whose kinds are all used up
// takes one of them at even odds, since the counts are only inferred.
void draw_board(Board& drawn, const PlayerView& view, const std::vector<HiddenPiece>& hidden,
                const Knowledge& knowledge, std::mt19937& rng);
