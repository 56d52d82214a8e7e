#include "playout.h"

#include "tactics.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace bot {

namespace {

// core::kind_beating, inline for the playout's every fight.
constexpr int kind_beating(int kind) { return (kind + 2) % 3; }

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

// Each square's neighbours.
std::array<Squares, core::board_columns * core::board_rows> neighbour_table() {
    std::array<Squares, core::board_columns * core::board_rows> table{};
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            core::for_each_neighbour(column, row, [&](int c, int r) { table[square_bit(column, row)] |= square_of(c, r); });
        }
    }
    return table;
}

const std::array<Squares, core::board_columns * core::board_rows> neighbours = neighbour_table();

// For each kind of the mover's pieces, the squares beside an opposing piece
// known to beat it there. Only narrowed pieces can be known to beat
// anything, and they are few, so only they are visited.
using Danger = std::array<Squares, 3>;

Danger danger_to(const World& world, int side) {
    // First by the kinds a piece surely beats, then by kind: one step a piece.
    std::array<Squares, 8> beside_beating{};
    for (Squares left = world.narrowed & world.pieces[core::opponent_of(side)]; left != 0; left &= left - 1) {
        int square = std::countr_zero(left);
        beside_beating[surely_beaten[world.known[places[square].column][places[square].row]]] |= neighbours[square];
    }
    const auto& b = beside_beating;
    return {b[1] | b[3] | b[5] | b[7], b[2] | b[3] | b[6] | b[7], b[4] | b[5] | b[6] | b[7]};
}

// The odds, as the mover knows them, that its piece of `kind` stands on
// `move`'s target after the step.
double step_odds(const World& world, const core::Move& move, int kind) {
    if (world.board[move.to_column][move.to_row].owner == 0) return 1;
    return attack_odds(kind, world.known[move.to_column][move.to_row]);
}

[[gnu::always_inline]] inline double attack_weight(const World& world, const SearchParams& params, int near_back_row,
                                                   const core::Move& move) {
    KindMask mask = world.known[move.to_column][move.to_row];
    double share = attack_odds(world.board[move.from_column][move.from_row].kind, mask);
    if (move.to_row == near_back_row) return params.playout_attack_near_back_row * (share + params.playout_blind_block);
    if (share == 1 && mask != any_kind) return params.playout_sure_capture;
    // An unknown piece is beaten two times in three; narrower odds scale the
    // weight by their square.
    double odds = share * 1.5;
    return params.playout_attack * odds * odds;
}

// The weight of a step onto an empty square in `direction`, before danger.
double direction_weight(const SearchParams& params, int side, int direction) {
    return direction == forward_direction(side)                      ? params.playout_forward
           : direction == forward_direction(core::opponent_of(side)) ? params.playout_backward
                                                                     : params.playout_sideways;
}

core::Move step_onto(int target, int direction) {
    Place from = places[target - bit_offset[direction]];
    Place to = places[target];
    return {from.column, from.row, to.column, to.row};
}

constexpr std::array<Squares, 3> far_row_squares{0, row_squares[core::far_row(1)], row_squares[core::far_row(2)]};

// A position's worth to player 1, from 0 to 1, row by row.
double judged_value_for_1(const World& world, const SearchParams& params, int side_to_move) {
    double score = 0;
    for (int row = 0; row < core::board_rows; ++row) {
        for (int owner = 1; owner <= 2; ++owner) {
            Squares on_row = world.pieces[owner] & row_squares[row];
            if (on_row == 0) continue;
            int count = square_count(on_row);
            int forward = progress(owner, row);
            double worth = 1 + params.judge_advance[forward];
            if (forward == core::board_rows - 2) {
                worth += owner == side_to_move ? params.judge_near_far_row_to_move : params.judge_near_far_row_waiting;
            }
            score += owner == 1 ? count * worth : -count * worth;
        }
    }
    return 1 / (1 + std::exp(-score / params.judge_scale));
}

double win_for_1(int winner) { return winner == 1 ? 1 : 0; }

// Brings the sets of squares in line with the board's square.
void note_square(World& world, int column, int row) {
    Squares bit = square_of(column, row);
    for (Squares& squares : world.pieces) squares &= ~bit;
    for (Squares& squares : world.kinds) squares &= ~bit;
    const core::Cell& cell = world.board[column][row];
    if (cell.owner == 0) return;
    world.pieces[cell.owner] |= bit;
    world.kinds[cell.kind] |= bit;
}

}  // namespace

World world_on(const core::Board& board) {
    World world{board, {}};
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) note_square(world, column, row);
    }
    return world;
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

namespace {

// play_step's body, inlined into the playout's loop. The fight is judged
// here rather than by core::make_move: a playout steps about forty times an
// iteration, and the call and the board's second reading of both squares
// cost more than the fight itself.
[[gnu::always_inline]] inline StepEnd stepped(World& world, int side, const core::Move& move) {
    core::Cell& source = world.board[move.from_column][move.from_row];
    core::Cell& target = world.board[move.to_column][move.to_row];
    const core::Cell mover = source;
    const core::Cell defender = target;
    KindMask& at_target = world.known[move.to_column][move.to_row];
    const KindMask carried = world.known[move.from_column][move.from_row];
    const Squares from = square_of(move.from_column, move.from_row);
    const Squares to = square_of(move.to_column, move.to_row);
    world.known[move.from_column][move.from_row] = 0;
    world.narrowed &= ~from;
    world.pieces[side] &= ~from;
    world.kinds[mover.kind] &= ~from;
    source = core::Cell{0, 0};
    StepEnd end;
    if (defender.owner != 0 && !(beaten_by_attacker[mover.kind] & mask_of(defender.kind))) {
        at_target = narrowed(at_target, mask_of(kind_beating(mover.kind)));
        end = StepEnd::fell;
    } else {
        target = mover;
        if (defender.owner != 0) {
            world.pieces[defender.owner] &= ~to;
            world.kinds[defender.kind] &= ~to;
        }
        world.pieces[side] |= to;
        world.kinds[mover.kind] |= to;
        at_target = defender.owner == 0
                        ? carried
                        : narrowed(carried, mask_of(defender.kind) | mask_of(kind_beating(defender.kind)));
        end = move.to_row == core::far_row(side) ? StepEnd::won : StepEnd::stands;
    }
    note_narrowing(world, move.to_column, move.to_row);
    return end;
}

}  // namespace

StepEnd play_step(World& world, int side, const core::Move& move) { return stepped(world, side, move); }

bool far_row_step(const World& world, int side, double odds, Squares allowed, core::Move& chosen) {
    const int forward = forward_direction(side);
    const Squares own = world.pieces[side];
    Squares ahead = forward == up_the_rows ? shifted<up_the_rows>(own) : shifted<down_the_rows>(own);
    for (Squares onto = ahead & far_row_squares[side] & ~own & allowed; onto != 0; onto &= onto - 1) {
        core::Move move = step_onto(std::countr_zero(onto), forward);
        if (step_odds(world, move, world.board[move.from_column][move.from_row].kind) >= odds) {
            chosen = move;
            return true;
        }
    }
    return false;
}

namespace {

// The bodies of find_choices and draw_choice, inlined into each caller so
// that a playout, which excludes nothing, pays nothing for exclusions.
[[gnu::always_inline]] inline void fill_choices(const World& world, const SearchParams& params, int side,
                                                PlyChoices& choices) {
    const Squares own = world.pieces[side];
    const Squares theirs = world.pieces[core::opponent_of(side)];
    const Squares empty = all_squares & ~own & ~theirs;
    const int near_back_row = core::back_row(side) + core::forward_step(side);
    const Danger danger = danger_to(world, side);
    const bool any_danger = (danger[core::Rock] | danger[core::Scissors] | danger[core::Paper]) != 0;
    choices.attack_count = 0;
    for_each_direction([&](auto direction) __attribute__((always_inline)) {
        Squares onto = shifted<direction>(own);
        Squares steps = onto & empty;
        Squares risky = 0;
        if (any_danger) {
            risky = steps & ((shifted<direction>(own & world.kinds[core::Rock]) & danger[core::Rock]) |
                             (shifted<direction>(own & world.kinds[core::Scissors]) & danger[core::Scissors]) |
                             (shifted<direction>(own & world.kinds[core::Paper]) & danger[core::Paper]));
        }
        const double weight = direction_weight(params, side, direction);
        choices.targets[2 * direction] = steps & ~risky;
        choices.weight[2 * direction] = weight;
        choices.targets[2 * direction + 1] = risky;
        choices.weight[2 * direction + 1] = weight * params.playout_into_sure_loss;
        for (Squares attacked = onto & theirs; attacked != 0; attacked &= attacked - 1) {
            const int target = std::countr_zero(attacked);
            const core::Move move = step_onto(target, direction);
            choices.attacks[choices.attack_count] = {move, direction, square_of(move.to_column, move.to_row),
                                                     attack_weight(world, params, near_back_row, move)};
            ++choices.attack_count;
        }
    });
}

[[gnu::always_inline]] inline bool drawn_choice(const PlyChoices& choices, const ByDirection& excluded, double unit,
                                                core::Move& chosen) {
    constexpr int groups = 2 * direction_count;
    std::array<Squares, groups> open;
    std::array<int, groups> counts{};
    double total = 0;
    int moves = 0;
    // Unrolled, each group's direction is a constant and a playout's empty
    // exclusions fold away.
#pragma GCC unroll 8
    for (int group = 0; group < groups; ++group) {
        open[group] = choices.targets[group] & ~excluded[group / 2];
        if (open[group] == 0) continue;
        counts[group] = square_count(open[group]);
        total += counts[group] * choices.weight[group];
        moves += counts[group];
    }
    for (int i = 0; i < choices.attack_count; ++i) {
        const PlyChoices::Attack& attack = choices.attacks[i];
        if (excluded[attack.direction] & attack.target) continue;
        total += attack.weight;
        ++moves;
    }
    if (moves == 0) return false;
    // Where every move left weighs nothing, each counts alike.
    const bool alike = !(total > 0);
    double pick = unit * (alike ? moves : total);
    int last_group = -1;
#pragma GCC unroll 8
    for (int group = 0; group < groups; ++group) {
        double weight = alike ? 1 : choices.weight[group];
        if (counts[group] == 0 || weight <= 0) continue;
        if (pick < weight * counts[group]) {
            int nth = std::min(static_cast<int>(pick / weight), counts[group] - 1);
            chosen = step_onto(nth_square(open[group], nth), group / 2);
            return true;
        }
        pick -= weight * counts[group];
        last_group = group;
    }
    const core::Move* last_attack = nullptr;
    for (int i = 0; i < choices.attack_count; ++i) {
        const PlyChoices::Attack& attack = choices.attacks[i];
        double weight = alike ? 1 : attack.weight;
        if ((excluded[attack.direction] & attack.target) || weight <= 0) continue;
        if (pick < weight) {
            chosen = attack.move;
            return true;
        }
        pick -= weight;
        last_attack = &attack.move;
    }
    // Rounding can carry the pick past the end of the walk.
    chosen = last_attack ? *last_attack : step_onto(std::countr_zero(open[last_group]), last_group / 2);
    return true;
}

}  // namespace

void find_choices(const World& world, const SearchParams& params, int side, PlyChoices& choices) {
    fill_choices(world, params, side, choices);
}

bool draw_choice(const PlyChoices& choices, const ByDirection& excluded, double unit, core::Move& chosen) {
    return drawn_choice(choices, excluded, unit, chosen);
}

namespace {

[[gnu::always_inline]] inline bool playout_choice(const World& world, const SearchParams& params, int side,
                                                  std::mt19937& rng, core::Move& chosen) {
    if (far_row_step(world, side, params.playout_far_row_odds, all_squares, chosen)) return true;
    PlyChoices choices;
    fill_choices(world, params, side, choices);
    constexpr ByDirection nothing_excluded{};
    return drawn_choice(choices, nothing_excluded, unit_draw(rng), chosen);
}

}  // namespace

bool playout_move(const World& world, const SearchParams& params, int side, std::mt19937& rng, core::Move& chosen) {
    return playout_choice(world, params, side, rng, chosen);
}

double discounted(double value_for_1, int plies, const SearchParams& params) {
    return 0.5 + (value_for_1 - 0.5) * std::pow(params.depth_discount, plies);
}

double played_out_value_for_1(World& world, const SearchParams& params, int side, int plies, std::mt19937& rng) {
    core::Move move;
    for (int ply = 0; ply < params.playout_plies; ++ply) {
        if (!playout_choice(world, params, side, rng, move)) {
            return discounted(win_for_1(core::opponent_of(side)), plies, params);
        }
        StepEnd end = stepped(world, side, move);
        ++plies;
        if (end == StepEnd::won) return discounted(win_for_1(side), plies, params);
        side = core::opponent_of(side);
    }
    // The judged position counts over the playout's own plies alone, the same
    // for every leaf. Counted from the root, it would pull the values of the
    // moves the search likes best, and so explores deepest, towards even.
    return discounted(judged_value_for_1(world, params, side), params.playout_plies, params);
}

}  // namespace bot
