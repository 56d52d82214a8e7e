#include "playout.h"

#include "tactics.h"

#include <bit>
#include <cmath>

namespace bot {

namespace {

KindMask narrowed(KindMask known, KindMask allowed) {
    KindMask both = known & allowed;
    return both != 0 ? both : allowed;
}

// For each mask of kinds a piece is known to be among, the kinds it beats
// for sure when it attacks them.
std::array<KindMask, 8> surely_beaten_table() {
    std::array<KindMask, 8> table{};
    for (KindMask known = 1; known < 8; ++known) {
        for (int kind = core::Rock; kind <= core::Paper; ++kind) {
            if (surely_beats(known, kind)) table[known] |= mask_of(kind);
        }
    }
    return table;
}

const std::array<KindMask, 8> surely_beaten = surely_beaten_table();

// For each square, the kinds of the mover's pieces that an opposing
// neighbour is known to beat there. Only narrowed pieces can be known to
// beat anything, and they are few, so only they are visited.
using Danger = std::array<std::array<KindMask, core::board_rows>, core::board_columns>;

void mark_danger(const World& world, int side, Danger& danger) {
    danger = {};
    for (std::uint64_t left = world.narrowed; left != 0; left &= left - 1) {
        int square = std::countr_zero(left);
        int column = square / core::board_rows;
        int row = square % core::board_rows;
        if (world.board[column][row].owner == side) continue;
        KindMask beaten = surely_beaten[world.known[column][row]];
        if (beaten == 0) continue;
        core::for_each_neighbour(column, row, [&](int c, int r) { danger[c][r] |= beaten; });
    }
}

// The odds, as the mover knows them, that its piece of `kind` stands on
// `move`'s target after the step.
double step_odds(const World& world, const core::Move& move, int kind) {
    if (world.board[move.to_column][move.to_row].owner == 0) return 1;
    return attack_odds(kind, world.known[move.to_column][move.to_row]);
}

// The rows that matter to the side a playout move is drawn for.
struct SideRows {
    int far;
    int forward;
    int near_back;   // one step in front of its own back row
};

SideRows rows_of(int side) {
    return {core::far_row(side), core::forward_step(side), core::back_row(side) + core::forward_step(side)};
}

double step_weight(const SearchParams& params, const Danger& danger, const SideRows& rows, const core::Move& move,
                   int kind) {
    int step = (move.to_row - move.from_row) * rows.forward;
    double weight = step > 0 ? params.playout_forward : step == 0 ? params.playout_sideways : params.playout_backward;
    if (danger[move.to_column][move.to_row] & mask_of(kind)) weight *= params.playout_into_sure_loss;
    return weight;
}

double attack_weight(const World& world, const SearchParams& params, const SideRows& rows, const core::Move& move,
                     int kind) {
    KindMask mask = world.known[move.to_column][move.to_row];
    double share = attack_odds(kind, mask);
    if (move.to_row == rows.near_back) return params.playout_attack_near_back_row * (share + params.playout_blind_block);
    if (share == 1 && mask != any_kind) return params.playout_sure_capture;
    // An unknown piece is beaten two times in three; narrower odds scale the
    // weight by their square.
    double odds = share * 1.5;
    return params.playout_attack * odds * odds;
}

double judged_value_for_1(const core::Board& board, const SearchParams& params, int side_to_move) {
    double score = 0;
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            int owner = board[column][row].owner;
            if (owner == 0) continue;
            int forward = progress(owner, row);
            double worth = 1 + params.judge_advance[forward];
            if (forward == core::board_rows - 2) {
                worth += owner == side_to_move ? params.judge_near_far_row_to_move : params.judge_near_far_row_waiting;
            }
            score += owner == 1 ? worth : -worth;
        }
    }
    return 1 / (1 + std::exp(-score / params.judge_scale));
}

double win_for_1(int winner) { return winner == 1 ? 1 : 0; }

// Each square's steps, in the order list_legal_moves lists them, and the
// bits of their targets.
struct Steps {
    int count = 0;
    std::array<core::Move, 4> moves{};
    std::array<std::uint64_t, 4> targets{};
};

int square_bit(int column, int row) { return column * core::board_rows + row; }

using StepTable = std::array<Steps, core::board_columns * core::board_rows>;

StepTable step_table() {
    StepTable table;
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            Steps& at = table[square_bit(column, row)];
            core::for_each_neighbour(column, row, [&](int c, int r) {
                at.moves[at.count] = {column, row, c, r};
                at.targets[at.count++] = std::uint64_t{1} << square_bit(c, r);
            });
        }
    }
    return table;
}

const StepTable steps = step_table();

void note_owner(World& world, int column, int row) {
    std::uint64_t bit = std::uint64_t{1} << square_bit(column, row);
    world.pieces[1] &= ~bit;
    world.pieces[2] &= ~bit;
    int owner = world.board[column][row].owner;
    if (owner != 0) world.pieces[owner] |= bit;
}

}  // namespace

World world_on(const core::Board& board) {
    World world{board, {}};
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) note_owner(world, column, row);
    }
    return world;
}

void list_moves(const World& world, int side, core::MoveList& into) {
    const std::uint64_t own = world.pieces[side];
    int size = 0;
    for (std::uint64_t left = own; left != 0; left &= left - 1) {
        const Steps& from = steps[std::countr_zero(left)];
        for (int i = 0; i < from.count; ++i) {
            if (!(own & from.targets[i])) into.moves[size++] = from.moves[i];
        }
    }
    into.size = size;
}

void note_narrowing(World& world, int column, int row) {
    std::uint64_t bit = std::uint64_t{1} << (column * core::board_rows + row);
    KindMask known = world.known[column][row];
    if (known != 0 && known != any_kind) {
        world.narrowed |= bit;
    } else {
        world.narrowed &= ~bit;
    }
}

StepEnd play_step(World& world, int side, const core::Move& move) {
    core::Board& board = world.board;
    const int attacker = board[move.from_column][move.from_row].kind;
    const core::Cell defender = board[move.to_column][move.to_row];
    KindMask& at_target = world.known[move.to_column][move.to_row];
    KindMask carried = world.known[move.from_column][move.from_row];
    world.known[move.from_column][move.from_row] = 0;
    note_narrowing(world, move.from_column, move.from_row);
    core::MoveResult result = core::make_move(board, side, move.from_column, move.from_row, move.to_column, move.to_row);
    note_owner(world, move.from_column, move.from_row);
    note_owner(world, move.to_column, move.to_row);
    StepEnd end;
    if (board[move.to_column][move.to_row].owner != side) {
        at_target = narrowed(at_target, mask_of(core::kind_beating(attacker)));
        end = StepEnd::fell;
    } else {
        at_target = defender.owner == 0
                        ? carried
                        : narrowed(carried, mask_of(defender.kind) | mask_of(core::kind_beating(defender.kind)));
        end = result == core::MoveResult::far_row_win ? StepEnd::won : StepEnd::stands;
    }
    note_narrowing(world, move.to_column, move.to_row);
    return end;
}

bool is_sure_far_row_step(const World& world, int side, const core::Move& move) {
    return move.to_row == core::far_row(side) &&
           step_odds(world, move, world.board[move.from_column][move.from_row].kind) == 1;
}

int playout_weights(const World& world, const SearchParams& params, int side, const core::MoveList& moves,
                    double* weights) {
    const SideRows rows = rows_of(side);
    Danger danger;
    mark_danger(world, side, danger);
    for (int i = 0; i < moves.size; ++i) {
        const core::Move& move = moves[i];
        int kind = world.board[move.from_column][move.from_row].kind;
        if (move.to_row == rows.far && step_odds(world, move, kind) >= params.playout_far_row_odds) return i;
        bool attack = world.board[move.to_column][move.to_row].owner != 0;
        weights[i] = attack ? attack_weight(world, params, rows, move, kind)
                            : step_weight(params, danger, rows, move, kind);
    }
    return -1;
}

core::Move playout_move(const World& world, const SearchParams& params, int side, const core::MoveList& moves,
                  std::mt19937& rng) {
    double weights[core::max_legal_moves];
    int at_once = playout_weights(world, params, side, moves, weights);
    if (at_once >= 0) return moves[at_once];
    double total = 0;
    for (int i = 0; i < moves.size; ++i) total += weights[i];
    double pick = unit_draw(rng) * total;
    for (int i = 0; i < moves.size; ++i) {
        if (pick < weights[i]) return moves[i];
        pick -= weights[i];
    }
    return moves[moves.size - 1];
}

double discounted(double value_for_1, int plies, const SearchParams& params) {
    return 0.5 + (value_for_1 - 0.5) * std::pow(params.depth_discount, plies);
}

double played_out_value_for_1(World& world, const SearchParams& params, int side, int plies, std::mt19937& rng) {
    core::MoveList moves;
    for (int ply = 0; ply < params.playout_plies; ++ply) {
        list_moves(world, side, moves);
        if (moves.size == 0) return discounted(win_for_1(core::opponent_of(side)), plies, params);
        StepEnd end = play_step(world, side, playout_move(world, params, side, moves, rng));
        ++plies;
        if (end == StepEnd::won) return discounted(win_for_1(side), plies, params);
        side = core::opponent_of(side);
    }
    return discounted(judged_value_for_1(world.board, params, side), plies, params);
}

}  // namespace bot
