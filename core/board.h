#pragma once
// The game board, its random starting position and its text form on the wire.

#include <cstdint>
#include <string>

enum PieceKind : std::int32_t { Rock = 0, Scissors = 1, Paper = 2 };

// An empty square has owner 0 (and kind 0); otherwise owner is the player, 1 or 2.
struct Cell {
    std::int32_t kind;
    std::int32_t owner;
};

constexpr int board_columns = 5;
constexpr int board_rows = 10;
// Rows 0 to 4 are player 1's half, rows 5 to 9 player 2's; neither side flips it.
constexpr int half_rows = 5;
constexpr int board_text_length = 100;

using Board = Cell[board_columns][board_rows];

// Indexed [column][row]; the one board of the process, all empty at start.
extern Board board;
// This process's player number, 0 until the server gives one.
extern int my_player;

bool on_board(int column, int row);

// Each half: 24 pieces of its player, 8 of each kind, and one empty square,
// all drawn from rand() % 5.
void deal_board();

std::string board_to_text();

// A board text is 100 decimal digits, two per square, column 0 first and
// within a column row 0 to 9: square [c][r] has its kind at 20*c + 2*r and its
// owner right after, each as the digit's value. The all-empty board is "00"
// fifty times. Characters past the hundredth are ignored. A shorter text, or a
// non-digit among the first hundred, is not a board: false, and the board
// stays as it was.
bool text_to_board(const std::string& text);
