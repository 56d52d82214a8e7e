#include "search.h"

#include "beliefs.h"
#include "playout.h"
#include "search_tree.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace frozen {

namespace {

// What each side knows at the root: the bot of each opposing piece, and the
// opponent of each of the bot's, what the fights so far have shown. Each
// iteration draws the kinds into a copy.
World root_world(const Beliefs& beliefs, const Knowledge& knowledge) {
    World world{beliefs.seen, {}};
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            int owner = world.board[column][row].owner;
            KindMask known = owner == knowledge.player ? knowledge.shown[column][row] : knowledge.possible[column][row];
            world.known[column][row] = owner == 0 ? 0 : known != 0 ? known : any_kind;
            note_narrowing(world, column, row);
        }
    }
    return world;
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
    long visit_ratio = params.repeat_visit_ratio + params.repeat_visit_ratio_per_quiet_turn * knowledge.quiet_turns;
    // A stand-in must not let the opponent onto the back row where the
    // repeated move kept it out: when every line loses, the means come close.
    double opening = opponent_win_chance_after(view, knowledge, params, first.move);
    int stand_in = -1;
    for (int edge = tree.states[0].first_edge; edge >= 0; edge = edges[edge].next_sibling) {
        const Edge& e = edges[edge];
        if (e.visits * visit_ratio < first.visits || mean_reward(e) < mean_reward(first) - tolerance ||
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
        for (const Cell& square : column) key += static_cast<char>('a' + square.owner * 4 + square.kind + 1);
    }
    return key;
}

std::optional<Move> search_move(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                                std::mt19937& rng, const PositionsLeft& left, std::vector<WeighedMove>* weighed) {
    auto moves = legal_moves(view, knowledge.player);
    if (moves.empty()) return std::nullopt;
    if (moves.size() == 1 || params.iterations < 1) return moves[0];
    auto beliefs = std::make_unique<Beliefs>(beliefs_of(view, knowledge));
    Tree tree = start_tree(params.iterations);
    const World root = root_world(*beliefs, knowledge);
    World world;
    for (int i = 0; i < params.iterations; ++i) {
        world = root;
        draw_board(world.board, *beliefs, rng);
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

}  // namespace frozen
