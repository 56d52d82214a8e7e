#pragma once
// Choosing a move by information-set Monte Carlo tree search. Each iteration
// draws a whole board from the bot's beliefs and walks one shared tree of
// moves on it, so what the tree learns about a move is gathered over the many
// boards the game could be in. The moves themselves are the same on all of
// them: only kinds are hidden, never places.

#include "knowledge.h"
#include "player_view.h"
#include "rules.h"

#include <optional>
#include <random>
#include <set>
#include <string>

// A step onto the far row that cannot fail: onto an empty square of it, or an
// attack on a piece there that the bot knows it beats.
std::optional<Move> certain_win(const PlayerView& view, const Knowledge& knowledge);

// The positions the bot's own moves have left, as it saw them (position_key).
using PositionsLeft = std::set<std::string>;

// Whose piece stands where, and the kinds the view shows.
std::string position_key(const PlayerView& view);

// The move with the most visits after `iterations` iterations; a certain win
// at once, without searching. None when no piece can move. A move that would
// leave a position in `left` again gives way to the most visited other move
// that the search rates about as good: two sides that only answer each
// other's threats would otherwise repeat the same few positions for ever.
// The same view, knowledge, positions, budget and generator state give the
// same move.
std::optional<Move> search_move(const PlayerView& view, const Knowledge& knowledge, int iterations,
                                std::mt19937& rng, const PositionsLeft& left = {});
