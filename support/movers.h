#pragma once
// The two weak players the bot is measured against, in games played in one
// process and through the real server alike. Neither reads an opposing
// piece's kind, so either plays from a seat's view as well as from the whole
// board.

#include "board.h"
#include "rules.h"

#include <optional>
#include <random>

namespace support {

// One of `player`'s legal moves, each as likely, attacks included; none when
// no piece can move.
std::optional<core::Move> random_move(const core::Board& board, int player, std::mt19937& rng);

// A step toward the far row, an attack included, at random when `player` has
// one; else a random move.
std::optional<core::Move> greedy_move(const core::Board& board, int player, std::mt19937& rng);

}  // namespace support
