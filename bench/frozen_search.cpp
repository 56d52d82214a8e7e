#include "frozen_search.h"

#include "board.h"
#include "tactics.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cmath>
#include <vector>

// Copied from bot/beliefs.h, bot/beliefs.cpp and bot/search.cpp as they were
// at commit 402dcac; only the settings' type, the namespaces and odds_params
// differ.
namespace frozen {

namespace {

struct HiddenPiece {
    int column;
    int row;
    KindMask possible;
};

// The opposing pieces in `view`, the most narrowly known first, so that the
// counts still at large go first to the pieces with the fewest choices.
std::vector<HiddenPiece> hidden_pieces(const PlayerView& view, const Knowledge& knowledge) {
    std::vector<HiddenPiece> hidden;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const Cell& square = view[column][row];
            if (square.owner == 0 || square.owner == knowledge.player) continue;
            KindMask possible = knowledge.possible[column][row];
            hidden.push_back({column, row, possible != 0 ? possible : any_kind});
        }
    }
    std::stable_sort(hidden.begin(), hidden.end(), [](const HiddenPiece& a, const HiddenPiece& b) {
        return std::popcount(a.possible) < std::popcount(b.possible);
    });
    return hidden;
}

int draw_kind(KindMask possible, const std::array<int, 3>& at_large, std::mt19937& rng) {
    int weights[3] = {0, 0, 0};
    int total = 0;
    for (int kind = Rock; kind <= Paper; ++kind) {
        if (possible & mask_of(kind)) total += weights[kind] = std::max(at_large[kind], 0);
    }
    if (total == 0) {
        for (int kind = Rock; kind <= Paper; ++kind) total += weights[kind] = (possible & mask_of(kind)) ? 1 : 0;
    }
    int pick = std::uniform_int_distribution<int>(0, total - 1)(rng);
    for (int kind = Rock; kind <= Paper; ++kind) {
        if (pick < weights[kind]) return kind;
        pick -= weights[kind];
    }
    return Paper;
}

// One board drawn from the bot's beliefs. Each piece takes one of the kinds it
// may be, each with a weight of how many of that kind may still be at large
// and not yet given out on this board; a piece whose kinds are all used up
// takes one of them at even odds, since the counts are only inferred.
void draw_board(Board& drawn, const PlayerView& view, const std::vector<HiddenPiece>& hidden,
                const Knowledge& knowledge, std::mt19937& rng) {
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const Cell& square = view[column][row];
            drawn[column][row] = Cell{square.owner == knowledge.player ? square.kind : 0, square.owner};
        }
    }
    std::array<int, 3> at_large = knowledge.remaining;
    for (const HiddenPiece& piece : hidden) {
        int kind = draw_kind(piece.possible, at_large, rng);
        --at_large[kind];
        drawn[piece.column][piece.row].kind = kind;
    }
}

// The bot's fight odds read only this setting then.
SearchParams odds_params(const Params& params) {
    SearchParams odds;
    odds.used_up_kind_weight = params.used_up_kind_weight;
    return odds;
}

// A move as a number below move_codes: its source square and its direction.
constexpr int move_codes = board_columns * board_rows * 4;

int move_code(const Move& move) {
    int direction = move.to_row > move.from_row     ? 0
                    : move.to_row < move.from_row   ? 1
                    : move.to_column > move.from_column ? 2
                                                        : 3;
    return (move.from_column * board_rows + move.from_row) * 4 + direction;
}

struct Node {
    Move move{};
    int mover = 0;
    double reward = 0;   // summed from the mover's side, 1 a win
    int visits = 0;
    int available = 0;   // iterations in which the move was legal at this node
    std::vector<int> children;
    std::bitset<move_codes> expanded;
};


// Weights for the playouts' moves. Both sides play blind here, by what any
// player may see: an attack is worth trying, going forward more than going
// sideways or back, and a piece one step from the own back row is attacked
// before anything else.
double playout_weight(const Board& board, const Params& params, int side, const Move& move) {
    const Cell& target = board[move.to_column][move.to_row];
    if (target.owner != 0) {
        bool near_back_row = move.to_row == back_row(side) + forward_step(side);
        return near_back_row ? params.playout_attack_near_back_row : params.playout_attack;
    }
    int step = (move.to_row - move.from_row) * forward_step(side);
    return step > 0 ? params.playout_forward : step == 0 ? params.playout_sideways : params.playout_backward;
}

// A step onto the far row is taken at once, whatever stands there; any other
// move is drawn by its weight.
Move playout_move(const Board& board, const Params& params, int side, const std::vector<Move>& moves,
                  std::mt19937& rng) {
    double total = 0;
    double weights[move_codes];
    for (std::size_t i = 0; i < moves.size(); ++i) {
        if (moves[i].to_row == far_row(side)) return moves[i];
        total += weights[i] = playout_weight(board, params, side, moves[i]);
    }
    double pick = std::uniform_real_distribution<double>(0, total)(rng);
    for (std::size_t i = 0; i < moves.size(); ++i) {
        if (pick < weights[i]) return moves[i];
        pick -= weights[i];
    }
    return moves.back();
}

// How good the board is for player 1, from 0 to 1: the pieces each side has,
// how far forward they stand, and a piece one step from the far row, which
// all but wins for the side about to move.
double judged_value_for_1(const Board& board, const Params& params, int side_to_move) {
    double score = 0;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            int owner = board[column][row].owner;
            if (owner == 0) continue;
            int forward = progress(owner, row);
            double worth = 1 + params.judge_advance[forward];
            if (forward == board_rows - 2) {
                worth += owner == side_to_move ? params.judge_near_far_row_to_move : params.judge_near_far_row_waiting;
            }
            score += owner == 1 ? worth : -worth;
        }
    }
    return 1 / (1 + std::exp(-score / params.judge_scale));
}

double win_for_1(int winner) { return winner == 1 ? 1 : 0; }

double played_out_value_for_1(Board& board, const Params& params, int side, std::mt19937& rng) {
    for (int ply = 0; ply < params.playout_plies; ++ply) {
        auto moves = legal_moves(board, side);
        if (moves.empty()) return win_for_1(opponent_of(side));
        Move move = playout_move(board, params, side, moves, rng);
        if (make_move(board, side, move.from_column, move.from_row, move.to_column, move.to_row) ==
            MoveResult::far_row_win) {
            return win_for_1(side);
        }
        side = opponent_of(side);
    }
    return judged_value_for_1(board, params, side);
}

struct Tree {
    std::vector<Node> nodes;
    std::vector<int> path;
};

int best_by_bound(const Tree& tree, double exploration, int node, const std::bitset<move_codes>& legal) {
    int best = -1;
    double best_bound = 0;
    for (int child : tree.nodes[node].children) {
        const Node& c = tree.nodes[child];
        if (!legal[move_code(c.move)]) continue;
        double bound = c.reward / c.visits + exploration * std::sqrt(std::log(c.available) / c.visits);
        if (best < 0 || bound > best_bound) {
            best = child;
            best_bound = bound;
        }
    }
    return best;
}

int add_child(Tree& tree, int node, const Move& move, int mover) {
    int child = static_cast<int>(tree.nodes.size());
    tree.nodes.emplace_back();
    tree.nodes.back().move = move;
    tree.nodes.back().mover = mover;
    tree.nodes[node].children.push_back(child);
    tree.nodes[node].expanded.set(move_code(move));
    return child;
}

// One iteration on one drawn board: down the tree while every legal move has
// been tried, one new node, a playout, and the result back up the path.
void iterate(Tree& tree, Board& board, const Params& params, int player, std::mt19937& rng) {
    tree.path.assign(1, 0);
    int node = 0;
    int side = player;
    int winner = 0;
    for (;;) {
        auto moves = legal_moves(board, side);
        if (moves.empty()) {
            winner = opponent_of(side);
            break;
        }
        std::bitset<move_codes> legal;
        std::vector<int> untried;
        for (std::size_t i = 0; i < moves.size(); ++i) {
            int code = move_code(moves[i]);
            legal.set(code);
            if (!tree.nodes[node].expanded[code]) untried.push_back(static_cast<int>(i));
        }
        for (int child : tree.nodes[node].children) {
            if (legal[move_code(tree.nodes[child].move)]) ++tree.nodes[child].available;
        }
        bool expanding = !untried.empty();
        if (expanding) {
            const Move& move = moves[untried[std::uniform_int_distribution<std::size_t>(0, untried.size() - 1)(rng)]];
            node = add_child(tree, node, move, side);
            ++tree.nodes[node].available;
        } else {
            node = best_by_bound(tree, params.exploration, node, legal);
        }
        tree.path.push_back(node);
        const Move& move = tree.nodes[node].move;
        if (make_move(board, side, move.from_column, move.from_row, move.to_column, move.to_row) ==
            MoveResult::far_row_win) {
            winner = side;
            break;
        }
        side = opponent_of(side);
        if (expanding) break;
    }
    double value = winner != 0 ? win_for_1(winner) : played_out_value_for_1(board, params, side, rng);
    for (int on_path : tree.path) {
        Node& n = tree.nodes[on_path];
        ++n.visits;
        n.reward += n.mover == 1 ? value : 1 - value;
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
double opponent_win_chance_after(const PlayerView& view, const Knowledge& knowledge, const Params& params,
                    const Move& move) {
    double chance = opponent_win_chance(after_step(view, move), knowledge, odds_params(params));
    if (view[move.to_column][move.to_row].owner == 0) return chance;
    return std::max(chance, opponent_win_chance(after_lost_attack(view, move), knowledge, odds_params(params)));
}

double mean_reward(const Node& node) { return node.reward / node.visits; }

}  // namespace

std::optional<Move> search_move(const PlayerView& view, const Knowledge& knowledge, const Params& params,
                                std::mt19937& rng, const PositionsLeft& left, std::vector<WeighedMove>* weighed) {
    if (auto win = sure_far_row_step(view, knowledge, odds_params(params))) return win;
    auto moves = legal_moves(view, knowledge.player);
    if (moves.empty()) return std::nullopt;
    if (moves.size() == 1 || params.iterations < 1) return moves[0];
    auto hidden = hidden_pieces(view, knowledge);
    Tree tree;
    tree.nodes.reserve(static_cast<std::size_t>(params.iterations) + 1);
    tree.nodes.emplace_back();
    Board drawn;
    for (int i = 0; i < params.iterations; ++i) {
        draw_board(drawn, view, hidden, knowledge, rng);
        iterate(tree, drawn, params, knowledge.player, rng);
    }
    int best = -1;
    for (int child : tree.nodes[0].children) {
        const Node& c = tree.nodes[child];
        if (weighed) weighed->push_back({c.move, c.visits, mean_reward(c)});
        if (best < 0 || c.visits > tree.nodes[best].visits) best = child;
    }
    const Node& first = tree.nodes[best];
    if (!repeats(view, first.move, left)) return first.move;
    // A stand-in must not let the opponent onto the back row where the
    // repeated move kept it out: when every line loses, the means come close.
    double opening = opponent_win_chance_after(view, knowledge, params, first.move);
    int stand_in = -1;
    for (int child : tree.nodes[0].children) {
        const Node& c = tree.nodes[child];
        if (c.visits * params.repeat_visit_ratio < first.visits ||
            mean_reward(c) < mean_reward(first) - params.repeat_tolerance || repeats(view, c.move, left) ||
            opponent_win_chance_after(view, knowledge, params, c.move) > opening) {
            continue;
        }
        if (stand_in < 0 || c.visits > tree.nodes[stand_in].visits) stand_in = child;
    }
    return tree.nodes[stand_in < 0 ? best : stand_in].move;
}

}  // namespace frozen
