#include "search_tree.h"

#include <cmath>

namespace bot {

namespace {

// A sure far-row step first, so that even one iteration finds it; then a
// step a playout would take at once; otherwise an untried move drawn by its
// playout weight, so that the likelier moves enter the tree first.
core::Move untried_move(const ByDirection& tried, const World& world, const SearchParams& params, int side,
                        std::mt19937& rng) {
    const Squares untried_ahead = ~tried[forward_direction(side)];
    core::Move move;
    if (far_row_step(world, side, 1, untried_ahead, move)) return move;
    if (far_row_step(world, side, params.playout_far_row_odds, untried_ahead, move)) return move;
    PlyChoices choices;
    find_choices(world, params, side, choices);
    draw_choice(choices, tried, unit_draw(rng), move);
    return move;
}

// How many of its moves a state visited `visits` times may have in the tree:
// a few at first, more as it is visited, so that the tree grows deep along
// the lines worth playing.
int moves_allowed(const SearchParams& params, int visits) {
    if (params.widening_scale <= 0) return core::max_legal_moves;
    return params.widening_base + static_cast<int>(params.widening_scale * std::sqrt(visits));
}

// A state's edges are laid side by side, edge_block at a time, so that
// choosing among them reads a line or two of memory rather than one for
// each: a state gains its edges over many iterations, and laid one after
// another in the order they came the edges of one state would lie far apart.
// The blocks all start at a multiple of edge_block, so the slot after a
// state's newest edge is free unless it starts a block of its own.
constexpr int edge_block = 4;

int add_edge(Tree& tree, int state, const core::Move& move) {
    const int newest = tree.states[state].first_edge;
    int edge = newest + 1;
    if (newest < 0 || edge % edge_block == 0) {
        edge = static_cast<int>(tree.edges.size());
        tree.edges.resize(tree.edges.size() + edge_block);
    }
    tree.edges[edge] = Edge{.next_sibling = newest, .move = packed(move)};
    tree.states[state].first_edge = edge;
    return edge;
}

int best_by_bound(const Tree& tree, int state, double exploration) {
    double log_visits = std::log(tree.states[state].visits);
    int best = -1;
    double best_bound = 0;
    for (int edge = tree.states[state].first_edge; edge >= 0; edge = tree.edges[edge].next_sibling) {
        const Edge& e = tree.edges[edge];
        double bound = e.reward / e.visits + exploration * std::sqrt(log_visits / e.visits);
        if (best < 0 || bound > best_bound) {
            best = edge;
            best_bound = bound;
        }
    }
    return best;
}

}  // namespace

Tree start_tree(int iterations) {
    Tree tree;
    tree.states.reserve(static_cast<std::size_t>(iterations) + 1);
    tree.tried.reserve(static_cast<std::size_t>(iterations) + 1);
    // An iteration adds at most one edge, and a block holds at least one.
    tree.edges.reserve(static_cast<std::size_t>(iterations) * edge_block);
    tree.path_edges.reserve(256);
    tree.path_states.reserve(256);
    tree.states.emplace_back();
    tree.tried.emplace_back();
    return tree;
}

void iterate(Tree& tree, World& world, const SearchParams& params, int player, std::mt19937& rng) {
    tree.path_edges.clear();
    tree.path_states.clear();
    int state = 0;
    int side = player;
    int winner = 0;
    for (;;) {
        int legal = count_moves(world, side);
        if (legal == 0) {
            winner = core::opponent_of(side);
            break;
        }
        int edge;
        State& here = tree.states[state];
        if (here.tried_count < legal && here.tried_count < moves_allowed(params, here.visits)) {
            ByDirection& tried = tree.tried[state];
            core::Move move = untried_move(tried, world, params, side, rng);
            tried[direction_of(move)] |= square_of(move.to_column, move.to_row);
            ++here.tried_count;
            edge = add_edge(tree, state, move);
        } else {
            edge = best_by_bound(tree, state, params.exploration);
        }
        tree.path_states.push_back(state);
        tree.path_edges.push_back(edge);
        StepEnd end = play_step(world, side, tree.edges[edge].move);
        if (end == StepEnd::won) {
            winner = side;
            break;
        }
        side = core::opponent_of(side);
        int next = tree.edges[edge].after[end == StepEnd::fell];
        if (next < 0) {
            next = static_cast<int>(tree.states.size());
            tree.states.emplace_back();
            tree.tried.emplace_back();
            tree.edges[edge].after[end == StepEnd::fell] = next;
            break;
        }
        state = next;
    }
    int plies = static_cast<int>(tree.path_edges.size());
    double value = winner != 0 ? discounted(winner == 1 ? 1 : 0, plies, params)
                               : played_out_value_for_1(world, params, side, plies, rng);
    int mover = player;
    for (int i = 0; i < plies; ++i, mover = core::opponent_of(mover)) {
        ++tree.states[tree.path_states[i]].visits;
        Edge& e = tree.edges[tree.path_edges[i]];
        ++e.visits;
        e.reward += mover == 1 ? value : 1 - value;
    }
}

}  // namespace bot
