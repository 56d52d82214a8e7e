#pragma once
// The search's tree. Its states are what the searching player has seen after
// a line of moves: the moves, and whether each attack's piece stood or fell.
// Places are never hidden, so at each state every board drawn from the
// beliefs has the same legal moves, in the same order.

#include "levels.h"
#include "playout.h"
#include "rules.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace bot {

// A move in four bytes: hard's tree outgrows the processor's caches, and a
// smaller edge is fewer misses.
struct PackedMove {
    std::int8_t from_column;
    std::int8_t from_row;
    std::int8_t to_column;
    std::int8_t to_row;

    operator core::Move() const { return {from_column, from_row, to_column, to_row}; }
};

constexpr PackedMove packed(const core::Move& move) {
    return {static_cast<std::int8_t>(move.from_column), static_cast<std::int8_t>(move.from_row),
            static_cast<std::int8_t>(move.to_column), static_cast<std::int8_t>(move.to_row)};
}

// A move tried from a state of the tree, and where it led: the same move
// leads to one state when its piece stands on the target and to another when
// it fell, for the searching player sees those apart.
struct Edge {
    double reward = 0;   // summed from the mover's side, 1 a win
    int visits = 0;
    int next_sibling = -1;
    std::array<int, 2> after{-1, -1};   // by StepEnd: stands, fell
    PackedMove move{};
};

// What the searching player has seen after a line of moves and fights. The
// targets of its moves in the tree are kept apart, in Tree::tried, so that
// the way down the tree reads these three numbers only.
struct State {
    int first_edge = -1;
    int visits = 0;
    int tried_count = 0;
};

struct Tree {
    std::vector<State> states;
    // By state, the targets of the moves in the tree, by direction.
    std::vector<ByDirection> tried;
    std::vector<Edge> edges;
    // The line of one iteration: the edges taken and the states they left.
    std::vector<int> path_edges;
    std::vector<int> path_states;
};

// A tree with room for `iterations` iterations and its root state, so that
// iterating allocates nothing.
Tree start_tree(int iterations);

// One iteration on one drawn world, `player` to move at the root: down the
// tree while every legal move has been tried, one new state, a playout, and
// the result back up the line.
void iterate(Tree& tree, World& world, const SearchParams& params, int player, std::mt19937& rng);

}  // namespace bot
