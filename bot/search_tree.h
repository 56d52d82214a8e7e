#pragma once
// The search's tree. Its states are what the searching player has seen after
// a line of moves: the moves, and whether each attack's piece stood or fell.
// Places are never hidden, so at each state every board drawn from the
// beliefs has the same legal moves, in the same order.

#include "levels.h"
#include "playout.h"
#include "rules.h"

#include <array>
#include <random>
#include <vector>

namespace bot {

// A move tried from a state of the tree, and where it led: the same move
// leads to one state when its piece stands on the target and to another when
// it fell, for the searching player sees those apart.
struct Edge {
    core::Move move{};
    double reward = 0;   // summed from the mover's side, 1 a win
    int visits = 0;
    int next_sibling = -1;
    std::array<int, 2> after{-1, -1};   // by StepEnd: stands, fell
};

// What the searching player has seen after a line of moves and fights.
struct State {
    int first_edge = -1;
    int visits = 0;
    ByDirection tried{};   // the targets of the moves in the tree, by direction
    int tried_count = 0;
};

struct Tree {
    std::vector<State> states;
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
