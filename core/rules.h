#pragma once
// The rules of a turn: one orthogonal step, combat by the rock-scissors-paper
// cycle and the far-row win, on any board for either player. They need neither
// a window nor a server: the client, the bot and the tests play by them.

#include "board.h"

#include <array>
#include <cstdint>
#include <vector>

namespace core {

// One step of a piece, from [from_column][from_row] to [to_column][to_row].
struct Move {
    int from_column;
    int from_row;
    int to_column;
    int to_row;

    bool operator==(const Move&) const = default;
};

enum class MoveResult { none, ordinary, far_row_win };

// The other player: 2 for player 1, 1 for anyone else.
constexpr int opponent_of(int player) { return player == 1 ? 2 : 1; }

// The cycle: rock beats scissors, scissors beats paper, paper beats rock.
// kind_beating(Rock) is Paper; kind_beaten_by(Rock) is Scissors.
int kind_beating(int kind);
int kind_beaten_by(int kind);
// The fight: the cycle, and between equal kinds the attacker.
bool attacker_wins(std::int32_t attacker_kind, std::int32_t defender_kind);
bool orthogonally_adjacent(int column_a, int row_a, int column_b, int row_b);
// The row `player` wins on, the opponent's back row: 9 for player 1, 0 for
// anyone else.
constexpr int far_row(int player) { return player == 1 ? board_rows - 1 : 0; }
// The row `player` defends, its own back row: 0 for player 1, 9 for anyone else.
constexpr int back_row(int player) { return far_row(opponent_of(player)); }
// The row step that brings a piece of `player` nearer its far row: +1 or -1.
constexpr int forward_step(int player) { return player == 1 ? 1 : -1; }

// Why a step is not legal for `player`, the first reason that applies: the
// square it leaves holds no own piece (or is off the board), the square it
// reaches is not an orthogonal neighbour on the board, or it holds an own
// piece. None for a legal step.
enum class MoveFault { none, not_own_piece, not_one_step, onto_own_piece };
MoveFault move_fault(const Board& on, int player, const Move& move);
// A step with no fault.
bool is_legal_move(const Board& on, int player, int from_column, int from_row, int to_column,
                   int to_row);
// No board has more legal steps for one side than four for each square.
constexpr int max_legal_moves = board_columns * board_rows * 4;

// Every legal step of a side, in a list that never allocates, for the bot's
// search, which lists moves at every ply of many thousand playouts.
struct MoveList {
    std::array<Move, max_legal_moves> moves;
    int size = 0;

    const Move& operator[](int index) const { return moves[index]; }
    const Move* begin() const { return moves.data(); }
    const Move* end() const { return moves.data() + size; }
};

// Every legal step of `player`, piece by piece in column then row order.
void list_legal_moves(const Board& on, int player, MoveList& into);
std::vector<Move> legal_moves(const Board& on, int player);
// Moves the piece, fights if the target holds an opposing piece, and leaves
// the source empty. The far-row win counts only when the piece now stands on
// the target.
MoveResult make_move(Board& on, int player, int from_column, int from_row, int to_column,
                     int to_row);

}  // namespace core
