#include "search.h"

#include "beliefs.h"
#include "playout.h"
#include "search_tree.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace bot {

namespace {

// What each side knows at the root: the bot of each opposing piece, and the
// opponent of each of the bot's, what the fights so far have shown. Each
// iteration draws the kinds into a copy.
World root_world(const Beliefs& beliefs, const Knowledge& knowledge) {
    World world = world_on(beliefs.seen);
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            int owner = world.board[column][row].owner;
            KindMask known = owner == knowledge.player ? knowledge.shown[column][row] : knowledge.possible[column][row];
            world.known[column][row] = owner == 0 ? 0 : known != 0 ? known : any_kind;
            note_narrowing(world, column, row);
        }
    }
    // The opposing pieces' kinds are drawn anew for each iteration.
    for (Squares& squares : world.kinds) squares &= ~world.pieces[core::opponent_of(knowledge.player)];
    return world;
}

// How often the bot has left the position the step leaves. An attack never
// leaves one it has left: a piece leaves the board, and no earlier position
// had that few.
int times_left(const PlayerView& view, const core::Move& move, const PositionsLeft& left) {
    if (left.empty() || view[move.to_column][move.to_row].owner != 0) return 0;
    return static_cast<int>(left.count(position_key(after_step(view, move))));
}

bool undoes(const core::Move& move, const std::optional<core::Move>& previous) {
    return previous && move.from_column == previous->to_column && move.from_row == previous->to_row &&
           move.to_column == previous->from_column && move.to_row == previous->from_row;
}

// The chance that the opponent steps onto the bot's back row right after the
// move, whichever way a fight in it goes.
double opponent_win_chance_after(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                                 const core::Move& move) {
    double chance = opponent_win_chance(after_step(view, move), knowledge, params);
    if (view[move.to_column][move.to_row].owner == 0) return chance;
    return std::max(chance, opponent_win_chance(after_lost_attack(view, move), knowledge, params));
}

double mean_reward(const Edge& edge) { return edge.reward / edge.visits; }

// The bot's history as the choice at the root reads it.
struct History {
    const PositionsLeft& left;
    const std::optional<core::Move>& previous;
};

struct RootChoice {
    int edge;
    bool converting;
};

// With the win all but sure, the move among those rated nearly the best that
// leaves the fewest steps to the far row: the search alone would wander
// among moves that all rate a win. None that repeats or undoes the last move.
int converting_edge(const Tree& tree, const PlayerView& view, const Knowledge& knowledge,
                    const SearchParams& params, const History& history, int best) {
    const std::vector<Edge>& edges = tree.edges;
    double floor = std::max(params.conversion_mean, mean_reward(edges[best]) - params.conversion_tolerance);
    int chosen = -1;
    int fewest = 0;
    for (int edge = tree.states[0].first_edge; edge >= 0; edge = edges[edge].next_sibling) {
        const Edge& e = edges[edge];
        if (e.visits * params.repeat_visit_ratio < edges[best].visits || mean_reward(e) < floor ||
            times_left(view, e.move, history.left) > 0 || undoes(e.move, history.previous) ||
            is_known_losing_attack(view, knowledge, e.move)) {
            continue;
        }
        int steps = steps_to_far_row(after_step(view, e.move), knowledge);
        if (steps < 0) continue;
        if (chosen < 0 || steps < fewest || (steps == fewest && e.visits > edges[chosen].visits)) {
            chosen = edge;
            fewest = steps;
        }
    }
    return chosen;
}

// The most visited move, unless it leaves a position the bot has left before
// or undoes its last move and another move rates about as well: two sides
// that only answer each other's threats would otherwise repeat the same few
// positions for ever. The longer no piece has been taken, the wider "about
// as well".
int stand_in_edge(const Tree& tree, const PlayerView& view, const Knowledge& knowledge,
                  const SearchParams& params, const History& history, int best) {
    const std::vector<Edge>& edges = tree.edges;
    const Edge& first = edges[best];
    auto circles = [&](const core::Move& move) {
        return times_left(view, move, history.left) > 0 || undoes(move, history.previous);
    };
    if (!circles(first.move)) return best;
    double tolerance = params.repeat_tolerance + params.repeat_tolerance_per_quiet_turn * knowledge.quiet_turns;
    long visit_ratio = params.repeat_visit_ratio + params.repeat_visit_ratio_per_quiet_turn * knowledge.quiet_turns;
    // A stand-in must not walk into a fight known to be lost, nor let the
    // opponent onto the back row where the repeated move kept it out: when
    // every line loses, the means come close.
    double opening = opponent_win_chance_after(view, knowledge, params, first.move);
    int stand_in = -1;
    for (int edge = tree.states[0].first_edge; edge >= 0; edge = edges[edge].next_sibling) {
        const Edge& e = edges[edge];
        if (e.visits * visit_ratio < first.visits || mean_reward(e) < mean_reward(first) - tolerance ||
            circles(e.move) || is_known_losing_attack(view, knowledge, e.move) ||
            opponent_win_chance_after(view, knowledge, params, e.move) > opening) {
            continue;
        }
        if (stand_in < 0 || e.visits > edges[stand_in].visits) stand_in = edge;
    }
    return stand_in < 0 ? best : stand_in;
}

// A move that brings a position back the third time gives way to the most
// visited one that does not and does not lose at once: one that walks into a
// fight known to be lost, or opens the back row to the opponent more than
// the repeating move does. Where each such move loses, repeating is right.
int unrepeated_edge(const Tree& tree, const PlayerView& view, const Knowledge& knowledge,
                    const SearchParams& params, const History& history, int chosen) {
    const std::vector<Edge>& edges = tree.edges;
    if (times_left(view, edges[chosen].move, history.left) < 2) return chosen;
    double opening = opponent_win_chance_after(view, knowledge, params, edges[chosen].move);
    int other = -1;
    for (int edge = tree.states[0].first_edge; edge >= 0; edge = edges[edge].next_sibling) {
        const Edge& e = edges[edge];
        if (times_left(view, e.move, history.left) >= 2 || is_known_losing_attack(view, knowledge, e.move) ||
            opponent_win_chance_after(view, knowledge, params, e.move) > opening) {
            continue;
        }
        if (other < 0 || e.visits > edges[other].visits) other = edge;
    }
    return other < 0 ? chosen : other;
}

// Among the moves the search cannot tell apart from the one chosen, the
// forward step that brings a piece furthest up the board: where every move
// rates about the same, as in a game long since won, the search alone would
// wander. Only steps that leave no position the bot has left before, walk
// into no fight known to be lost and open the back row no more than the
// chosen move qualify.
int progressing_edge(const Tree& tree, const PlayerView& view, const Knowledge& knowledge,
                     const SearchParams& params, const History& history, int chosen) {
    const std::vector<Edge>& edges = tree.edges;
    const Edge& first = edges[chosen];
    if (mean_reward(first) < params.progress_mean) return chosen;
    const int player = knowledge.player;
    auto reach = [&](const core::Move& move) {
        return move.to_row != move.from_row && progress(player, move.to_row) > progress(player, move.from_row)
                   ? progress(player, move.to_row)
                   : -1;
    };
    double opening = -1;
    int progressing = chosen;
    for (int edge = tree.states[0].first_edge; edge >= 0; edge = edges[edge].next_sibling) {
        const Edge& e = edges[edge];
        if (reach(e.move) <= reach(edges[progressing].move) || e.visits * params.repeat_visit_ratio < first.visits ||
            mean_reward(e) < mean_reward(first) - params.progress_tolerance ||
            times_left(view, e.move, history.left) > 0 || is_known_losing_attack(view, knowledge, e.move)) {
            continue;
        }
        if (opening < 0) opening = opponent_win_chance_after(view, knowledge, params, first.move);
        if (opponent_win_chance_after(view, knowledge, params, e.move) > opening) continue;
        progressing = edge;
    }
    return progressing;
}

RootChoice root_choice(const Tree& tree, const PlayerView& view, const Knowledge& knowledge,
                       const SearchParams& params, const History& history) {
    const std::vector<Edge>& edges = tree.edges;
    int best = -1;
    for (int edge = tree.states[0].first_edge; edge >= 0; edge = edges[edge].next_sibling) {
        if (best < 0 || edges[edge].visits > edges[best].visits) best = edge;
    }
    if (mean_reward(edges[best]) >= params.conversion_mean) {
        int converting = converting_edge(tree, view, knowledge, params, history, best);
        if (converting >= 0) return {converting, true};
    }
    int chosen = unrepeated_edge(tree, view, knowledge, params, history,
                                 stand_in_edge(tree, view, knowledge, params, history, best));
    return {progressing_edge(tree, view, knowledge, params, history, chosen), false};
}

}  // namespace

std::string position_key(const PlayerView& view) {
    std::string key;
    for (const auto& column : view) {
        for (const core::Cell& square : column) key += static_cast<char>('a' + square.owner * 4 + square.kind + 1);
    }
    return key;
}

std::optional<core::Move> search_move(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                                std::mt19937& rng, const PositionsLeft& left, const std::optional<core::Move>& previous,
                                SearchReport* report) {
    auto moves = core::legal_moves(view, knowledge.player);
    if (moves.empty()) return std::nullopt;
    if (moves.size() == 1 || params.iterations < 1) return moves[0];
    auto beliefs = std::make_unique<Beliefs>(beliefs_of(view, knowledge));
    Tree tree = start_tree(params.iterations);
    const World root = root_world(*beliefs, knowledge);
    World world;
    int kinds[max_drawn_pieces];
    for (int i = 0; i < params.iterations; ++i) {
        // The root's board is the one seen, so only the drawn kinds change.
        world = root;
        draw_kinds(beliefs->sampler, rng, kinds, beliefs->on_board);
        for (int piece = 0; piece < beliefs->on_board; ++piece) {
            auto [column, row] = beliefs->squares[piece];
            world.board[column][row].kind = kinds[piece];
            world.kinds[kinds[piece]] |= square_of(column, row);
        }
        iterate(tree, world, params, knowledge.player, rng);
    }
    RootChoice choice = root_choice(tree, view, knowledge, params, History{left, previous});
    if (report) {
        for (int edge = tree.states[0].first_edge; edge >= 0; edge = tree.edges[edge].next_sibling) {
            const Edge& e = tree.edges[edge];
            report->weighed.push_back({e.move, e.visits, mean_reward(e)});
        }
        report->converting = choice.converting;
    }
    return tree.edges[choice.edge].move;
}

}  // namespace bot
