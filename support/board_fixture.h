#pragma once
// Tests that set up positions by hand start from an empty board of their own,
// as player 1.

#include "board.h"

#include <gtest/gtest.h>

#include <string>

namespace support {

inline void put(core::Board& on, int column, int row, std::int32_t kind, std::int32_t owner) {
    on[column][row] = core::Cell{kind, owner};
}

// A piece of a position written out as a table.
struct Placed {
    int column;
    int row;
    int kind;
    int owner;
};

class BoardTest : public ::testing::Test {
protected:
    void put(int column, int row, std::int32_t kind, std::int32_t owner) {
        support::put(board, column, row, kind, owner);
    }

    core::Board board;
    int my_player = 1;
};

inline const std::string empty_board_text = [] {
    std::string text;
    for (int i = 0; i < 50; ++i) text += "00";
    return text;
}();

}  // namespace support
