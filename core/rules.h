#pragma once
// The rules of a turn: selecting a piece with clicks, one orthogonal step,
// combat by the rock-scissors-paper cycle and the far-row win. They need
// neither a window nor a server. Each rule that moves pieces has a form for any
// board and player, which the computer player and the tests use to play both
// sides, and the client's form on the process-wide board for my_player.

#include "board.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The four orthogonal neighbours of a square, as column and row offsets.
inline constexpr std::pair<int, int> orthogonal_steps[] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};

// One step of a piece, from [from_column][from_row] to [to_column][to_row].
struct Move {
    int from_column;
    int from_row;
    int to_column;
    int to_row;
};

// A turn starts with nothing selected; the position is only read while
// `selected` is true.
struct TurnSelection {
    bool selected = false;
    int selected_column = -1;
    int selected_row = -1;
};

enum class MoveResult { none, ordinary, far_row_win };

enum class SquareDrawing { none, highlight, unhighlight };

// What the window has to do after one click of the turn, in this order:
// forfeit; redraw square [column][row]; then either pause 500 ms, or, when a
// move is due, make it with make_move from [column][row] to
// [to_column][to_row]. The board is left untouched until then, so the
// un-highlighted square still shows the piece that is about to move.
struct ClickOutcome {
    bool forfeit = false;
    SquareDrawing drawing = SquareDrawing::none;
    int column = -1;
    int row = -1;
    bool pause = false;
    bool move_due = false;
    int to_column = -1;
    int to_row = -1;
};

// The other player: 2 for player 1, 1 for anyone else.
int opponent_of(int player);

// The cycle: rock beats scissors, scissors beats paper, paper beats rock.
// kind_beating(Rock) is Paper; kind_beaten_by(Rock) is Scissors.
int kind_beating(int kind);
int kind_beaten_by(int kind);
// The fight: the cycle, and between equal kinds the attacker.
bool attacker_wins(std::int32_t attacker_kind, std::int32_t defender_kind);
bool orthogonally_adjacent(int column_a, int row_a, int column_b, int row_b);
// The opponent's back row: 9 for player 1, 0 for anyone else.
int far_row(int player);

// A legal step for `player`: an own piece on the board, an orthogonal
// neighbour that is not its own.
bool is_legal_move(const Board& on, int player, int from_column, int from_row, int to_column,
                   int to_row);
// Every legal step of `player`, piece by piece in column then row order.
std::vector<Move> legal_moves(const Board& on, int player);
// Moves the piece, fights if the target holds an opposing piece, and leaves
// the source empty. The far-row win counts only when the piece now stands on
// the target.
MoveResult make_move(Board& on, int player, int from_column, int from_row, int to_column,
                     int to_row);

// The same two rules on the process-wide board for my_player.
bool is_legal_move(int from_column, int from_row, int to_column, int to_row);
MoveResult make_move(int from_column, int from_row, int to_column, int to_row);

// A click on square [column][row] (anything off the board counts as a click
// outside the squares). Changes only the selection, never the board.
ClickOutcome click_square(TurnSelection& selection, int column, int row);
// A click given by its cell code: "exit", "no" or column digit then row digit.
ClickOutcome click_cell_code(TurnSelection& selection, const std::string& code);
