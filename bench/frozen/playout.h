#pragma once
// The board one search iteration plays on, and the playouts that finish its
// lines. Each side plays a playout by what it could know there: its own
// kinds, and of the other side's pieces only what fights have shown.

#include "board.h"
#include "knowledge.h"
#include "levels.h"
#include "rules.h"

#include <array>
#include <cstdint>
#include <random>

namespace frozen {

// The frozen copy predates the core's namespace and reads its names unqualified.
using namespace core;

struct World {
    Board board{};
    // For each piece, the kinds its opponent knows it may be.
    std::array<std::array<KindMask, board_rows>, board_columns> known{};
    // The squares, bit column * board_rows + row, whose piece's opponent
    // knows it to be fewer than all three kinds.
    std::uint64_t narrowed = 0;
};

// Brings the narrowed bit of one square in line with its known kinds.
void note_narrowing(World& world, int column, int row);

// How a step ended: the piece stands on its target, it fell attacking, or it
// reached its far row.
enum class StepEnd { stands, fell, won };

// Plays the step by the rules and tells each side what the fight showed.
StepEnd play_step(World& world, int side, const Move& move);

// Whether `side`, stepping `move`, reaches its far row whatever the kinds it
// cannot see: onto an empty square, or onto a piece whose known kinds all lose.
bool is_sure_far_row_step(const World& world, int side, const Move& move);

// The weight a playout gives each of `moves` for `side`, into `weights`. A
// far-row step at good odds is taken at once instead: its index comes back,
// otherwise -1.
int playout_weights(const World& world, const SearchParams& params, int side, const MoveList& moves,
                    double* weights);

// A playout's pick among `moves` for `side`.
Move playout_move(const World& world, const SearchParams& params, int side, const MoveList& moves,
                  std::mt19937& rng);

// A win or loss `plies` ahead counts this much less: from player 1's side,
// 0 to 1, drawn towards an even 0.5.
double discounted(double value_for_1, int plies, const SearchParams& params);

// Plays on from `side` to move, `plies` after the search's root, and returns
// the result for player 1: a win or a loss, discounted, or the judged
// position where the playout stops.
double played_out_value_for_1(World& world, const SearchParams& params, int side, int plies, std::mt19937& rng);

}  // namespace frozen
