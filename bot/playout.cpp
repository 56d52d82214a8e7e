#include "playout.h"

#include "tactics.h"

#include <algorithm>
#include <bit>
#include <cmath>

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
        for (int kind = Rock; kind <= Paper; ++kind) {
            if (surely_beats(known, kind)) table[known] |= mask_of(kind);
        }
    }
    return table;
}

const std::array<KindMask, 8> surely_beaten = surely_beaten_table();

// Each square's neighbours.
std::array<Squares, board_columns * board_rows> neighbour_table() {
    std::array<Squares, board_columns * board_rows> table{};
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            for_each_neighbour(column, row, [&](int c, int r) { table[square_bit(column, row)] |= square_of(c, r); });
        }
    }
    return table;
}

const std::array<Squares, board_columns * board_rows> neighbours = neighbour_table();

// For each kind of the mover's pieces, the squares beside an opposing piece
// known to beat it there. Only narrowed pieces can be known to beat
// anything, and they are few, so only they are visited.
using Danger = std::array<Squares, 3>;

Danger danger_to(const World& world, int side) {
    Danger danger{};
    for (Squares left = world.narrowed & world.pieces[opponent_of(side)]; left != 0; left &= left - 1) {
        int square = std::countr_zero(left);
        KindMask beaten = surely_beaten[world.known[places[square].column][places[square].row]];
        for (int kind = Rock; kind <= Paper; ++kind) {
            if (beaten & mask_of(kind)) danger[kind] |= neighbours[square];
        }
    }
    return danger;
}

// The odds, as the mover knows them, that its piece of `kind` stands on
// `move`'s target after the step.
double step_odds(const World& world, const Move& move, int kind) {
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
    return {far_row(side), forward_step(side), back_row(side) + forward_step(side)};
}

double step_weight(const SearchParams& params, const Danger& danger, const SideRows& rows, const Move& move,
                   int kind) {
    int step = (move.to_row - move.from_row) * rows.forward;
    double weight = step > 0 ? params.playout_forward : step == 0 ? params.playout_sideways : params.playout_backward;
    if (danger[kind] & square_of(move.to_column, move.to_row)) weight *= params.playout_into_sure_loss;
    return weight;
}

double attack_weight(const World& world, const SearchParams& params, const SideRows& rows, const Move& move,
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

double judged_value_for_1(const Board& board, const SearchParams& params, int side_to_move) {
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

// Each square's steps, in the order list_legal_moves lists them, and the
// bits of their targets.
struct Steps {
    int count = 0;
    std::array<Move, 4> moves{};
    std::array<Squares, 4> targets{};
};

using StepTable = std::array<Steps, board_columns * board_rows>;

StepTable step_table() {
    StepTable table;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            Steps& at = table[square_bit(column, row)];
            for_each_neighbour(column, row, [&](int c, int r) {
                at.moves[at.count] = {column, row, c, r};
                at.targets[at.count++] = square_of(c, r);
            });
        }
    }
    return table;
}

const StepTable steps = step_table();

// The weight of a step onto an empty square in `direction`, before danger.
double direction_weight(const SearchParams& params, int side, int direction) {
    int forward = side == 1 ? up_the_rows : down_the_rows;
    int backward = side == 1 ? down_the_rows : up_the_rows;
    return direction == forward ? params.playout_forward
           : direction == backward ? params.playout_backward
                                   : params.playout_sideways;
}

Move step_onto(int target, int direction) {
    Place from = places[target - bit_offset[direction]];
    Place to = places[target];
    return {from.column, from.row, to.column, to.row};
}

// A far-row step at good odds, the one a playout takes at once, if `side` has one.
bool far_row_step(const World& world, const SearchParams& params, int side, Move& chosen) {
    int forward = side == 1 ? up_the_rows : down_the_rows;
    Squares ahead = side == 1 ? shifted<up_the_rows>(world.pieces[side]) : shifted<down_the_rows>(world.pieces[side]);
    Squares onto = ahead & row_squares(far_row(side)) & ~world.pieces[side];
    for (; onto != 0; onto &= onto - 1) {
        Move move = step_onto(std::countr_zero(onto), forward);
        if (step_odds(world, move, world.board[move.from_column][move.from_row].kind) >= params.playout_far_row_odds) {
            chosen = move;
            return true;
        }
    }
    return false;
}

// The moves of a playout ply, by classes: for each direction the steps onto
// empty squares, those clear of danger and those into it, each class of one
// weight; then each attack with its own.
struct PlyChoices {
    std::array<Squares, 2 * direction_count> targets{};
    std::array<int, 2 * direction_count> count{};
    std::array<double, 2 * direction_count> weight{};
    std::array<Move, max_legal_moves> attacks;
    std::array<double, max_legal_moves> attack_weight;
    int attack_count = 0;
    double total = 0;
};

void find_choices(const World& world, const SearchParams& params, int side, PlyChoices& choices) {
    const Squares own = world.pieces[side];
    const Squares theirs = world.pieces[opponent_of(side)];
    const Squares empty = all_squares & ~own & ~theirs;
    const SideRows rows = rows_of(side);
    const Danger danger = danger_to(world, side);
    const bool any_danger = (danger[Rock] | danger[Scissors] | danger[Paper]) != 0;
    for_each_direction([&](auto direction) {
        Squares onto = shifted<direction>(own);
        Squares steps = onto & empty;
        Squares risky = 0;
        if (any_danger) {
            for (int kind = Rock; kind <= Paper; ++kind) {
                risky |= shifted<direction>(own & world.kinds[kind]) & danger[kind];
            }
            risky &= steps;
        }
        double weight = direction_weight(params, side, direction);
        const int safe = 2 * direction;
        choices.targets[safe] = steps & ~risky;
        choices.count[safe] = square_count(steps & ~risky);
        choices.weight[safe] = weight;
        choices.total += weight * choices.count[safe];
        if (risky != 0) {
            choices.targets[safe + 1] = risky;
            choices.count[safe + 1] = square_count(risky);
            choices.weight[safe + 1] = weight * params.playout_into_sure_loss;
            choices.total += choices.weight[safe + 1] * choices.count[safe + 1];
        }
        for (Squares attacked = onto & theirs; attacked != 0; attacked &= attacked - 1) {
            Move move = step_onto(std::countr_zero(attacked), direction);
            double weight = attack_weight(world, params, rows, move, world.board[move.from_column][move.from_row].kind);
            choices.attacks[choices.attack_count] = move;
            choices.attack_weight[choices.attack_count++] = weight;
            choices.total += weight;
        }
    });
}

// The first move of the choices, for a draw that found none by weight: every
// weight 0, or rounding at the end of the walk.
bool first_choice(const PlyChoices& choices, Move& chosen) {
    if (choices.attack_count > 0) {
        chosen = choices.attacks[0];
        return true;
    }
    for (int group = 0; group < 2 * direction_count; ++group) {
        if (choices.targets[group] != 0) {
            chosen = step_onto(std::countr_zero(choices.targets[group]), group / 2);
            return true;
        }
    }
    return false;
}

// Brings the sets of squares in line with the board's square.
void note_square(World& world, int column, int row) {
    Squares bit = square_of(column, row);
    for (Squares& squares : world.pieces) squares &= ~bit;
    for (Squares& squares : world.kinds) squares &= ~bit;
    const Cell& cell = world.board[column][row];
    if (cell.owner == 0) return;
    world.pieces[cell.owner] |= bit;
    world.kinds[cell.kind] |= bit;
}

}  // namespace


World world_on(const Board& board) {
    World world{board, {}};
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) note_square(world, column, row);
    }
    return world;
}

void list_moves(const World& world, int side, MoveList& into) {
    const Squares own = world.pieces[side];
    int size = 0;
    for (Squares left = own; left != 0; left &= left - 1) {
        const Steps& from = steps[std::countr_zero(left)];
        for (int i = 0; i < from.count; ++i) {
            if (!(own & from.targets[i])) into.moves[size++] = from.moves[i];
        }
    }
    into.size = size;
}

int count_moves(const World& world, int side) {
    const Squares own = world.pieces[side];
    int count = 0;
    for_each_direction([&](auto direction) { count += square_count(shifted<direction>(own) & ~own); });
    return count;
}

void note_narrowing(World& world, int column, int row) {
    Squares bit = square_of(column, row);
    KindMask known = world.known[column][row];
    if (known != 0 && known != any_kind) {
        world.narrowed |= bit;
    } else {
        world.narrowed &= ~bit;
    }
}

StepEnd play_step(World& world, int side, const Move& move) {
    Board& board = world.board;
    const int attacker = board[move.from_column][move.from_row].kind;
    const Cell defender = board[move.to_column][move.to_row];
    KindMask& at_target = world.known[move.to_column][move.to_row];
    KindMask carried = world.known[move.from_column][move.from_row];
    world.known[move.from_column][move.from_row] = 0;
    note_narrowing(world, move.from_column, move.from_row);
    MoveResult result = make_move(board, side, move.from_column, move.from_row, move.to_column, move.to_row);
    const Squares from = square_of(move.from_column, move.from_row);
    const Squares to = square_of(move.to_column, move.to_row);
    world.pieces[side] &= ~from;
    world.kinds[attacker] &= ~from;
    StepEnd end;
    if (board[move.to_column][move.to_row].owner != side) {
        at_target = narrowed(at_target, mask_of(kind_beating(attacker)));
        end = StepEnd::fell;
    } else {
        if (defender.owner != 0) {
            world.pieces[defender.owner] &= ~to;
            world.kinds[defender.kind] &= ~to;
        }
        world.pieces[side] |= to;
        world.kinds[attacker] |= to;
        at_target = defender.owner == 0
                        ? carried
                        : narrowed(carried, mask_of(defender.kind) | mask_of(kind_beating(defender.kind)));
        end = result == MoveResult::far_row_win ? StepEnd::won : StepEnd::stands;
    }
    note_narrowing(world, move.to_column, move.to_row);
    return end;
}

bool is_sure_far_row_step(const World& world, int side, const Move& move) {
    return move.to_row == far_row(side) &&
           step_odds(world, move, world.board[move.from_column][move.from_row].kind) == 1;
}

int playout_weights(const World& world, const SearchParams& params, int side, const MoveList& moves,
                    double* weights) {
    const SideRows rows = rows_of(side);
    const Danger danger = danger_to(world, side);
    for (int i = 0; i < moves.size; ++i) {
        const Move& move = moves[i];
        int kind = world.board[move.from_column][move.from_row].kind;
        if (move.to_row == rows.far && step_odds(world, move, kind) >= params.playout_far_row_odds) return i;
        bool attack = world.board[move.to_column][move.to_row].owner != 0;
        weights[i] = attack ? attack_weight(world, params, rows, move, kind)
                            : step_weight(params, danger, rows, move, kind);
    }
    return -1;
}

bool playout_move(const World& world, const SearchParams& params, int side, std::mt19937& rng, Move& chosen) {
    if (far_row_step(world, params, side, chosen)) return true;
    PlyChoices choices;
    find_choices(world, params, side, choices);
    double pick = unit_draw(rng) * choices.total;
    for (int group = 0; group < 2 * direction_count; ++group) {
        int count = choices.count[group];
        double weight = choices.weight[group];
        if (count == 0 || weight <= 0) continue;
        if (pick < weight * count) {
            int nth = std::min(static_cast<int>(pick / weight), count - 1);
            chosen = step_onto(nth_square(choices.targets[group], nth), group / 2);
            return true;
        }
        pick -= weight * count;
    }
    for (int i = 0; i < choices.attack_count; ++i) {
        if (pick < choices.attack_weight[i]) {
            chosen = choices.attacks[i];
            return true;
        }
        pick -= choices.attack_weight[i];
    }
    return first_choice(choices, chosen);
}

double discounted(double value_for_1, int plies, const SearchParams& params) {
    return 0.5 + (value_for_1 - 0.5) * std::pow(params.depth_discount, plies);
}

double played_out_value_for_1(World& world, const SearchParams& params, int side, int plies, std::mt19937& rng) {
    Move move;
    for (int ply = 0; ply < params.playout_plies; ++ply) {
        if (!playout_move(world, params, side, rng, move)) return discounted(win_for_1(opponent_of(side)), plies, params);
        StepEnd end = play_step(world, side, move);
        ++plies;
        if (end == StepEnd::won) return discounted(win_for_1(side), plies, params);
        side = opponent_of(side);
    }
    return discounted(judged_value_for_1(world.board, params, side), plies, params);
}
