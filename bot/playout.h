#pragma once
// The board one search iteration plays on, and the playouts that finish its
// lines. Each side plays a playout by what it could know there: its own
// kinds, and of the other side's pieces only what fights have shown.

#include "board.h"
#include "knowledge.h"
#include "levels.h"
#include "rules.h"
#include "squares.h"
#include "unit_draw.h"

#include <array>
#include <cstdint>
#include <random>

namespace bot {

struct World {
    core::Board board{};
    // For each piece, the kinds its opponent knows it may be.
    std::array<std::array<KindMask, core::board_rows>, core::board_columns> known{};
    // The squares whose piece's opponent knows it to be fewer than all
    // three kinds.
    Squares narrowed = 0;
    // The squares of each player's pieces, by owner, and of the pieces of
    // each kind, either player's: moves are found from these rather than
    // from every square.
    std::array<Squares, 3> pieces{};
    std::array<Squares, 3> kinds{};
};

// A world on `board`: its pieces noted, nothing known of their kinds.
World world_on(const core::Board& board);

// How many legal moves `side` has.
int count_moves(const World& world, int side);

// Brings the narrowed bit of one square in line with its known kinds.
void note_narrowing(World& world, int column, int row);

// How a step ended: the piece stands on its target, it fell attacking, or it
// reached its far row.
enum class StepEnd { stands, fell, won };

// Plays the step by the rules and tells each side what the fight showed.
StepEnd play_step(World& world, int side, const core::Move& move);

// The direction of a step towards `side`'s far row.
constexpr int forward_direction(int side) { return side == 1 ? up_the_rows : down_the_rows; }

constexpr int direction_of(const core::Move& move) {
    return move.to_row > move.from_row   ? up_the_rows
           : move.to_row < move.from_row ? down_the_rows
           : move.to_column > move.from_column ? right_a_column
                                               : left_a_column;
}

// Squares by direction of a step onto them.
using ByDirection = std::array<Squares, direction_count>;

// The first step of `side` onto its far row, onto a square in `allowed`,
// whose odds as far as `side` knows reach `odds`: onto an empty square, or
// onto a piece whose known kinds it beats often enough.
bool far_row_step(const World& world, int side, double odds, Squares allowed, core::Move& chosen);

// The legal moves of one side, each with its weight in a playout, by classes
// that share one weight: for each direction the steps onto empty squares
// that are clear of danger and those beside an opposing piece known to beat
// the stepping one; then each attack with its own weight. A step's class
// gives its target squares, the direction its first squares.
struct PlyChoices {
    struct Attack {
        core::Move move;
        int direction;
        Squares target;
        double weight;
    };
    std::array<Squares, 2 * direction_count> targets;   // safe and risky, by direction
    std::array<double, 2 * direction_count> weight;
    std::array<Attack, core::max_legal_moves> attacks;
    int attack_count = 0;
};

void find_choices(const World& world, const SearchParams& params, int side, PlyChoices& choices);

// One of the choices whose target, by its direction, is not in `excluded`,
// at the odds of its weight, from `unit`, a draw from 0 up to 1; every one
// alike where they all weigh nothing. False when none is left. The moves are
// never listed one by one: listing and weighing every move of every playout
// ply took most of an iteration's time.
bool draw_choice(const PlyChoices& choices, const ByDirection& excluded, double unit, core::Move& chosen);

// A playout's move for `side`: a far-row step at good odds at once,
// otherwise one drawn by weight. False when no piece can move.
bool playout_move(const World& world, const SearchParams& params, int side, std::mt19937& rng, core::Move& chosen);

// A win or loss `plies` ahead counts this much less: from player 1's side,
// 0 to 1, drawn towards an even 0.5.
double discounted(double value_for_1, int plies, const SearchParams& params);

// Plays on from `side` to move, `plies` after the search's root, and returns
// the result for player 1: a win or a loss discounted by the plies from the
// root, or the judged position where the playout stops, discounted by the
// playout's plies.
double played_out_value_for_1(World& world, const SearchParams& params, int side, int plies, std::mt19937& rng);

}  // namespace bot
