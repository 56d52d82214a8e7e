#pragma once
// The game board as a value, its random starting position and its text form
// on the wire.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace core {

enum PieceKind : std::int32_t { Rock = 0, Scissors = 1, Paper = 2 };

// An empty square has owner 0 (and kind 0); otherwise owner is the player, 1 or 2.
struct Cell {
    std::int32_t kind;
    std::int32_t owner;

    bool operator==(const Cell&) const = default;
};

constexpr int board_columns = 5;
constexpr int board_rows = 10;
// Rows 0 to 4 are player 1's half, rows 5 to 9 player 2's; neither side flips it.
constexpr int half_rows = 5;
constexpr int board_text_length = 100;
// The deal gives each side this many pieces of each of the three kinds: a half
// but one square.
constexpr int pieces_of_a_kind = 8;
constexpr int pieces_a_side = 3 * pieces_of_a_kind;

// Indexed [column][row]; a new board is all empty.
struct Board {
    std::array<std::array<Cell, board_rows>, board_columns> columns{};

    std::array<Cell, board_rows>& operator[](int column) { return columns[column]; }
    const std::array<Cell, board_rows>& operator[](int column) const { return columns[column]; }
    auto begin() { return columns.begin(); }
    auto end() { return columns.end(); }
    auto begin() const { return columns.begin(); }
    auto end() const { return columns.end(); }
    bool operator==(const Board&) const = default;
};

constexpr bool on_board(int column, int row) {
    return column >= 0 && column < board_columns && row >= 0 && row < board_rows;
}

// Calls `visit(column, row)` for each orthogonal neighbour of the square that
// is on the board: up the rows, down, right, left.
template <typename Visit>
void for_each_neighbour(int column, int row, Visit&& visit) {
    constexpr int steps[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    for (const auto& step : steps) {
        int next_column = column + step[0];
        int next_row = row + step[1];
        if (on_board(next_column, next_row)) visit(next_column, next_row);
    }
}

// Returns a number from 0 to 4; each call is a new draw.
using RandomIndex = std::function<int()>;

// Fills `into` with a starting position. Each half: pieces_a_side pieces of
// its player, pieces_of_a_kind of each kind, and one empty square, every place
// drawn from `random_index`.
void deal_board(Board& into, const RandomIndex& random_index);

std::string board_text(const Board& board);

// A board text is 100 decimal digits, two per square, column 0 first and
// within a column row 0 to 9: square [c][r] has its kind at 20*c + 2*r and its
// owner right after, each as the digit's value. The all-empty board is "00"
// fifty times. Characters past the hundredth are ignored. A shorter text, or a
// non-digit among the first hundred, is not a board.
std::optional<Board> board_from_text(std::string_view text);
// Exactly the text of a board a game can hold: 100 digits, and on each square
// either "00" or a kind 0 to 2 and an owner 1 or 2.
bool is_board_text(std::string_view text);

}  // namespace core
