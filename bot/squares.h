#pragma once
// Sets of squares as the bits of one word, bit column * board_rows + row, so
// that a playout finds all of a side's steps in one direction with a shift.

#include "board.h"

#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>

namespace bot {

using Squares = std::uint64_t;

constexpr int square_bit(int column, int row) { return column * core::board_rows + row; }
constexpr Squares square_of(int column, int row) { return Squares{1} << square_bit(column, row); }
constexpr Squares all_squares = (Squares{1} << (core::board_columns * core::board_rows)) - 1;

// The squares of each row.
constexpr std::array<Squares, core::board_rows> row_squares = [] {
    std::array<Squares, core::board_rows> rows{};
    for (int row = 0; row < core::board_rows; ++row) {
        for (int column = 0; column < core::board_columns; ++column) rows[row] |= square_of(column, row);
    }
    return rows;
}();

// The directions of a step, in the order for_each_neighbour visits them.
enum Direction { up_the_rows, down_the_rows, right_a_column, left_a_column };
constexpr int direction_count = 4;
// How far a step in each direction moves a square's bit.
constexpr int bit_offset[direction_count] = {1, -1, core::board_rows, -core::board_rows};

// The squares one step in `direction` from those in `from`, on the board: a
// shift, less what it carries over the edge of a column or the board.
template <int direction>
constexpr Squares shifted(Squares from) {
    constexpr int offset = bit_offset[direction];
    constexpr Squares kept = direction == up_the_rows     ? all_squares & ~row_squares[0]
                             : direction == down_the_rows ? all_squares & ~row_squares[core::board_rows - 1]
                                                          : all_squares;
    return (offset > 0 ? from << offset : from >> -offset) & kept;
}

// Calls `visit` with each direction as a constant, std::integral_constant,
// so that each shift is compiled for its own direction.
template <typename Visit>
[[gnu::always_inline]] constexpr void for_each_direction(Visit&& visit) {
    visit(std::integral_constant<int, up_the_rows>{});
    visit(std::integral_constant<int, down_the_rows>{});
    visit(std::integral_constant<int, right_a_column>{});
    visit(std::integral_constant<int, left_a_column>{});
}

// The column and row of each square's bit.
struct Place {
    std::int8_t column;
    std::int8_t row;
};

constexpr std::array<Place, core::board_columns * core::board_rows> places = [] {
    std::array<Place, core::board_columns * core::board_rows> table{};
    for (int square = 0; square < core::board_columns * core::board_rows; ++square) {
        table[square] = {static_cast<std::int8_t>(square / core::board_rows), static_cast<std::int8_t>(square % core::board_rows)};
    }
    return table;
}();

// How many squares `squares` holds. std::popcount calls the runtime library
// on processors the build cannot assume to count bits in one instruction;
// this takes a dozen.
constexpr int square_count(Squares squares) {
    squares -= (squares >> 1) & 0x5555555555555555;
    squares = (squares & 0x3333333333333333) + ((squares >> 2) & 0x3333333333333333);
    squares = (squares + (squares >> 4)) & 0x0f0f0f0f0f0f0f0f;
    return static_cast<int>((squares * 0x0101010101010101) >> 56);
}

// The square of the n-th lowest bit of `squares`, counting from 0.
inline int nth_square(Squares squares, int n) {
    for (; n > 0; --n) squares &= squares - 1;
    return std::countr_zero(squares);
}

}  // namespace bot
