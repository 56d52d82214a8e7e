// The relay checks of the soak test must catch broken moves, or the soak
// proves nothing.

#include "board_fixture.h"
#include "game_record.h"
#include "rules.h"

using namespace core;
using namespace support;

namespace {

class StepCheckTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        put(2, 4, Rock, 1);
        put(2, 5, Scissors, 2);
        put(3, 5, Paper, 2);
        put(0, 0, Paper, 1);
        before = board_text(board);
    }
    std::string before;
};

TEST_F(StepCheckTest, AcceptsPlainStepWonAttackAndLostAttack) {
    make_move(board, my_player, 2, 4, 1, 4);
    EXPECT_EQ(step_fault(before, board_text(board), 1), "");
    board = *board_from_text(before);
    make_move(board, my_player, 2, 4, 2, 5);
    EXPECT_EQ(step_fault(before, board_text(board), 1), "");
    board = *board_from_text(before);
    put(3, 4, Rock, 1);
    std::string with_second = board_text(board);
    make_move(board, my_player, 3, 4, 3, 5);
    EXPECT_EQ(step_fault(with_second, board_text(board), 1), "");
}

TEST_F(StepCheckTest, CatchesBrokenMoves) {
    std::string text = before;
    EXPECT_NE(step_fault(before, before, 1), "");
    make_move(board, my_player, 2, 4, 1, 4);
    EXPECT_NE(step_fault(before, board_text(board), 2), "") << "wrong mover";
    board = *board_from_text(before);
    board[2][4] = Cell{0, 0};
    put(2, 2, Rock, 1);
    EXPECT_NE(step_fault(before, board_text(board), 1), "") << "two squares away";
    board = *board_from_text(before);
    put(4, 9, Rock, 1);
    EXPECT_NE(step_fault(before, board_text(board), 1), "") << "a piece appeared";
    board = *board_from_text(before);
    board[2][4] = Cell{0, 0};
    board[3][5] = Cell{Rock, 1};
    EXPECT_NE(step_fault(before, board_text(board), 1), "") << "rock took paper";
    board = *board_from_text(before);
    board[0][0] = Cell{0, 0};
    EXPECT_NE(step_fault(before, board_text(board), 1), "") << "vanished with no neighbour";
    EXPECT_NE(step_fault(before, before.substr(0, 99), 1), "");
}

}  // namespace
