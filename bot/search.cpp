#include "search.h"

#include "beliefs.h"
#include "playout.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// A move tried from a state of the tree, and where it led: the same move
// leads to one state when its piece stands on the target and to another when
// it fell, for the searching player sees those apart.
struct Edge {
    Move move{};
    double reward = 0;   // summed from the mover's side, 1 a win
    int visits = 0;
    int next_sibling = -1;
    std::array<int, 2> after{-1, -1};   // by StepEnd: stands, fell
};

// What the searching player has seen after a line of moves and fights. Every
// board drawn from the beliefs has the same pieces in the same places there,
// so the same legal moves, listed in the same order.
struct State {
    int first_edge = -1;
    int visits = 0;
    std::bitset<max_legal_moves> tried;   // by place in the move list
};

struct Tree {
    std::vector<State> states;
    std::vector<Edge> edges;
    // The line of one iteration: the edges taken and the states they left.
    std::vector<int> path_edges;
    std::vector<int> path_states;
};

// A sure far-row step first, so that even one iteration finds it; otherwise
// any untried move at even odds.
int untried_move(const State& state, const World& world, int side, const MoveList& moves, std::mt19937& rng) {
    int untried = 0;
    for (int i = 0; i < moves.size; ++i) {
        if (state.tried[i]) continue;
        if (is_sure_far_row_step(world, side, moves[i])) return i;
        ++untried;
    }
    int pick = std::uniform_int_distribution<int>(0, untried - 1)(rng);
    for (int i = 0; i < moves.size; ++i) {
        if (!state.tried[i] && pick-- == 0) return i;
    }
    return -1;
}

int add_edge(Tree& tree, int state, const Move& move) {
    int edge = static_cast<int>(tree.edges.size());
    tree.edges.push_back(Edge{.move = move, .next_sibling = tree.states[state].first_edge});
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

// One iteration on one drawn board: down the tree while every legal move has
// been tried, one new state, a playout, and the result back up the line.
void iterate(Tree& tree, World& world, const SearchParams& params, int player, std::mt19937& rng) {
    tree.path_edges.clear();
    tree.path_states.clear();
    MoveList moves;
    int state = 0;
    int side = player;
    int winner = 0;
    for (;;) {
        list_legal_moves(world.board, side, moves);
        if (moves.size == 0) {
            winner = opponent_of(side);
            break;
        }
        int edge;
        if (tree.states[state].tried.count() < static_cast<std::size_t>(moves.size)) {
            int index = untried_move(tree.states[state], world, side, moves, rng);
            tree.states[state].tried.set(index);
            edge = add_edge(tree, state, moves[index]);
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
        side = opponent_of(side);
        int next = tree.edges[edge].after[end == StepEnd::fell];
        if (next < 0) {
            next = static_cast<int>(tree.states.size());
            tree.states.emplace_back();
            tree.edges[edge].after[end == StepEnd::fell] = next;
            break;
        }
        state = next;
    }
    int plies = static_cast<int>(tree.path_edges.size());
    double value = winner != 0 ? discounted(winner == 1 ? 1 : 0, plies, params)
                               : played_out_value_for_1(world, params, side, plies, rng);
    int mover = player;
    for (int i = 0; i < plies; ++i, mover = opponent_of(mover)) {
        ++tree.states[tree.path_states[i]].visits;
        Edge& e = tree.edges[tree.path_edges[i]];
        ++e.visits;
        e.reward += mover == 1 ? value : 1 - value;
    }
}

// The world of one iteration: a board drawn from the beliefs; the bot knows
// of each opposing piece what its knowledge says, and the opponent is taken
// to know nothing of the bot's pieces.
void draw_world(World& world, const Beliefs& beliefs, const Knowledge& knowledge, std::mt19937& rng) {
    draw_board(world.board, beliefs, rng);
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            int owner = world.board[column][row].owner;
            KindMask possible = knowledge.possible[column][row];
            world.known[column][row] = owner == 0                  ? 0
                                       : owner == knowledge.player ? any_kind
                                       : possible != 0             ? possible
                                                                   : any_kind;
        }
    }
}

// Whether the step leaves a position the bot has left before. An attack never
// does: a piece leaves the board, and no earlier position had that few.
bool repeats(const PlayerView& view, const Move& move, const PositionsLeft& left) {
    if (left.empty() || view[move.to_column][move.to_row].owner != 0) return false;
    return left.count(position_key(after_step(view, move))) != 0;
}

// The chance that the opponent steps onto the bot's back row right after the
// move, whichever way a fight in it goes.
double opponent_win_chance_after(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                                 const Move& move) {
    double chance = opponent_win_chance(after_step(view, move), knowledge, params);
    if (view[move.to_column][move.to_row].owner == 0) return chance;
    return std::max(chance, opponent_win_chance(after_lost_attack(view, move), knowledge, params));
}

double mean_reward(const Edge& edge) { return edge.reward / edge.visits; }

// The most visited move at the root, unless it leaves a position the bot has
// left before and another move rates about as well: two sides that only
// answer each other's threats would otherwise repeat the same few positions
// for ever. The longer no piece has been taken, the wider "about as well".
const Edge& chosen_edge(const Tree& tree, const PlayerView& view, const Knowledge& knowledge,
                        const SearchParams& params, const PositionsLeft& left) {
    const std::vector<Edge>& edges = tree.edges;
    int best = -1;
    for (int edge = tree.states[0].first_edge; edge >= 0; edge = edges[edge].next_sibling) {
        if (best < 0 || edges[edge].visits > edges[best].visits) best = edge;
    }
    const Edge& first = edges[best];
    if (!repeats(view, first.move, left)) return first;
    double tolerance = params.repeat_tolerance + params.repeat_tolerance_per_quiet_turn * knowledge.quiet_turns;
    // A stand-in must not let the opponent onto the back row where the
    // repeated move kept it out: when every line loses, the means come close.
    double opening = opponent_win_chance_after(view, knowledge, params, first.move);
    int stand_in = -1;
    for (int edge = tree.states[0].first_edge; edge >= 0; edge = edges[edge].next_sibling) {
        const Edge& e = edges[edge];
        if (e.visits * params.repeat_visit_ratio < first.visits || mean_reward(e) < mean_reward(first) - tolerance ||
            repeats(view, e.move, left) || opponent_win_chance_after(view, knowledge, params, e.move) > opening) {
            continue;
        }
        if (stand_in < 0 || e.visits > edges[stand_in].visits) stand_in = edge;
    }
    return edges[stand_in < 0 ? best : stand_in];
}

}  // namespace

std::string position_key(const PlayerView& view) {
    std::string key;
    for (const auto& column : view) {
        for (const SquareView& square : column) key += static_cast<char>('a' + square.owner * 4 + square.kind + 1);
    }
    return key;
}

std::optional<Move> search_move(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                                std::mt19937& rng, const PositionsLeft& left, std::vector<WeighedMove>* weighed) {
    auto moves = legal_moves(view, knowledge.player);
    if (moves.empty()) return std::nullopt;
    if (moves.size() == 1 || params.iterations < 1) return moves[0];
    auto beliefs = std::make_unique<Beliefs>(beliefs_of(view, knowledge));
    Tree tree;
    tree.states.reserve(static_cast<std::size_t>(params.iterations) + 1);
    tree.edges.reserve(static_cast<std::size_t>(params.iterations));
    tree.path_edges.reserve(256);
    tree.path_states.reserve(256);
    tree.states.emplace_back();
    World world;
    for (int i = 0; i < params.iterations; ++i) {
        draw_world(world, *beliefs, knowledge, rng);
        iterate(tree, world, params, knowledge.player, rng);
    }
    if (weighed) {
        for (int edge = tree.states[0].first_edge; edge >= 0; edge = tree.edges[edge].next_sibling) {
            const Edge& e = tree.edges[edge];
            weighed->push_back({e.move, e.visits, mean_reward(e)});
        }
    }
    return chosen_edge(tree, view, knowledge, params, left).move;
}
