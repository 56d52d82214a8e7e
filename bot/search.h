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

// A step onto the far row that cannot fail: onto an empty square of it, or an
// attack on a piece there that the bot knows it beats.
std::optional<Move> certain_win(const PlayerView& view, const Knowledge& knowledge);

// The move with the most visits after `iterations` iterations; a certain win
// at once, without searching. None when no piece can move. The same view,
// knowledge, budget and generator state give the same move.
std::optional<Move> search_move(const PlayerView& view, const Knowledge& knowledge, int iterations,
                                std::mt19937& rng);
