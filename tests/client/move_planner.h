#pragma once
// Moves for the test's two players, chosen with the whole board in view (the
// test reads the relayed board, kinds included): one player runs a piece to
// the far row, the other keeps out of its way.

#include <optional>
#include <set>
#include <utility>

struct Step {
    int from_column, from_row, to_column, to_row;
};

using Squares = std::set<std::pair<int, int>>;

// The first step of the shortest path of any of `player`'s pieces to the far
// row over squares it can enter and win; fills `path` with the squares ahead.
std::optional<Step> runner_step(int player, Squares& path);

// A step of `player` that attacks nothing and stays off `avoid`; failing that
// a winning attack, then any legal step.
std::optional<Step> quiet_step(int player, const Squares& avoid);
