#pragma once
// Moves for two scripted players that drive the real clients in tests and
// benchmarks. They see the whole board given, kinds included (their driver reads the
// relayed board): one player runs a piece to the far row, the other keeps out
// of its way.

#include "rules.h"

#include <optional>
#include <set>
#include <utility>

namespace support {

using Squares = std::set<std::pair<int, int>>;

// The first step of the shortest path of any of `player`'s pieces to the far
// row over squares it can enter and win; fills `path` with the squares ahead.
std::optional<core::Move> runner_step(const core::Board& board, int player, Squares& path);

// A step of `player` that attacks nothing and stays off `avoid`; failing that
// a winning attack, then any legal step.
std::optional<core::Move> quiet_step(const core::Board& board, int player, const Squares& avoid);

// The next step of `mover` in a game where `runner` runs for the far row and
// the other player keeps off its way; when the way is shut, the runner takes
// what it can and the other player gives pieces away until it opens.
std::optional<core::Move> planned_step(const core::Board& board, int mover, int runner);

}  // namespace support
