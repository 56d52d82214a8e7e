#include "layout.h"

namespace client {

int square_x(int column) { return square_size * column; }

int square_y(int row) { return row < 5 ? 144 + square_size * row : 184 + square_size * row; }

namespace {

std::string square_code(int column, int row) {
    return std::string{static_cast<char>('0' + column), static_cast<char>('0' + row)};
}

}  // namespace

// The exit zone includes x 144 and y 144, and the top pixel line of rows 0 and
// 5 maps to no square; players rely on these bands staying as they are.
std::string cell_code_at(int x, int y) {
    if (x >= 0 && x <= 144 && y >= 0 && y <= 144) return "exit";
    if (x < 0 || x >= board_window_width) return "no";
    if (y > 144 && y < 504) return square_code(x / square_size, (y - 144) / square_size);
    if (y >= 545 && y <= 903) return square_code(x / square_size, (y - 184) / square_size);
    return "no";
}

}  // namespace client
