#pragma once
// Tests that work on the process-wide board start from an empty one.

#include "board.h"

#include <gtest/gtest.h>

#include <string>

inline void clear_whole_board() {
    for (auto& column : board) {
        for (auto& cell : column) cell = Cell{0, 0};
    }
}

inline void put(int column, int row, std::int32_t kind, std::int32_t owner) {
    board[column][row] = Cell{kind, owner};
}

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        clear_whole_board();
        my_player = 1;
    }
};

inline const std::string empty_board_text = [] {
    std::string text;
    for (int i = 0; i < 50; ++i) text += "00";
    return text;
}();
