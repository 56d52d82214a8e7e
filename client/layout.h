#pragma once
// The board window's pixel layout, 360 x 904: a 144-pixel top strip (exit
// button, own colour, turn marker), player 1's half (rows 0 to 4), a 40-pixel
// river, player 2's half (rows 5 to 9). Both players see this one orientation.

#include <string>

namespace client {

constexpr int board_window_width = 360;
constexpr int board_window_height = 904;
constexpr int square_size = 72;
constexpr int piece_inset = 4;
constexpr int river_y = 504;
// A lost piece's badge, in the top-right corner of its square's piece place.
constexpr int badge_size = 26;

// Top-left corner of square [column][row].
int square_x(int column);
int square_y(int row);

// A click position as the turn reads it: "exit", "no", or the column digit
// followed by the row digit. Positions the window never delivers (outside
// 360 x 904, such as lobby clicks taken later) give "no", never a square off
// the board.
std::string cell_code_at(int x, int y);

}  // namespace client
