#include "board_fixture.h"
#include "rules.h"

namespace {

using MoveTest = BoardTest;

TEST(Combat, FullTableAttackerByDefender) {
    // Rows: attacker Rock, Scissors, Paper; columns: defender in the same order.
    const bool wins[3][3] = {
        {true, true, false},
        {false, true, true},
        {true, false, true},
    };
    for (int attacker = 0; attacker < 3; ++attacker) {
        for (int defender = 0; defender < 3; ++defender) {
            EXPECT_EQ(attacker_wins(attacker, defender), wins[attacker][defender])
                << "attacker " << attacker << " defender " << defender;
        }
    }
}

TEST(Combat, EachKindBeatsTheSameKindWhicheverSideAttacks) {
    EXPECT_TRUE(attacker_wins(Rock, Scissors));
    EXPECT_FALSE(attacker_wins(Scissors, Rock));
    EXPECT_TRUE(attacker_wins(Scissors, Paper));
    EXPECT_FALSE(attacker_wins(Paper, Scissors));
    EXPECT_TRUE(attacker_wins(Paper, Rock));
    EXPECT_FALSE(attacker_wins(Rock, Paper));
}

TEST(Combat, EqualKindsGoToTheAttacker) {
    for (int kind = 0; kind < 3; ++kind) EXPECT_TRUE(attacker_wins(kind, kind));
}

// The computer player reasons with the cycle; the client fights with
// attacker_wins. They must never disagree.
TEST(Combat, TheCycleAgreesWithTheFight) {
    for (int kind = Rock; kind <= Paper; ++kind) {
        EXPECT_TRUE(attacker_wins(kind, kind_beaten_by(kind)));
        EXPECT_FALSE(attacker_wins(kind, kind_beating(kind)));
        EXPECT_EQ(kind_beating(kind_beaten_by(kind)), kind);
        EXPECT_NE(kind_beating(kind), kind);
    }
}

TEST(Adjacency, OnlyTheFourOrthogonalNeighbours) {
    EXPECT_TRUE(orthogonally_adjacent(2, 4, 2, 5));
    EXPECT_TRUE(orthogonally_adjacent(2, 4, 2, 3));
    EXPECT_TRUE(orthogonally_adjacent(2, 4, 1, 4));
    EXPECT_TRUE(orthogonally_adjacent(2, 4, 3, 4));
    EXPECT_FALSE(orthogonally_adjacent(2, 4, 2, 4));
    EXPECT_FALSE(orthogonally_adjacent(2, 4, 3, 5));
    EXPECT_FALSE(orthogonally_adjacent(2, 4, 1, 3));
    EXPECT_FALSE(orthogonally_adjacent(2, 4, 2, 6));
    EXPECT_FALSE(orthogonally_adjacent(2, 4, 0, 4));
}

TEST(FarRow, IsTheOpponentsBackRow) {
    EXPECT_EQ(far_row(1), 9);
    EXPECT_EQ(far_row(2), 0);
}

TEST_F(MoveTest, StepOntoAnEmptySquareMovesThePiece) {
    put(1, 2, Paper, 1);
    EXPECT_EQ(make_move(board, my_player, 1, 2, 1, 3), MoveResult::ordinary);
    EXPECT_EQ(board[1][3].kind, Paper);
    EXPECT_EQ(board[1][3].owner, 1);
    EXPECT_EQ(board[1][2].kind, 0);
    EXPECT_EQ(board[1][2].owner, 0);
}

TEST_F(MoveTest, StepAcrossTheRiverIsOrdinary) {
    put(3, 4, Scissors, 1);
    EXPECT_TRUE(is_legal_move(board, my_player, 3, 4, 3, 5));
    EXPECT_EQ(make_move(board, my_player, 3, 4, 3, 5), MoveResult::ordinary);
    EXPECT_EQ(board[3][5].owner, 1);
}

TEST_F(MoveTest, WonAttackReplacesTheDefender) {
    put(2, 4, Rock, 1);
    put(2, 5, Scissors, 2);
    EXPECT_EQ(make_move(board, my_player, 2, 4, 2, 5), MoveResult::ordinary);
    EXPECT_EQ(board[2][5].kind, Rock);
    EXPECT_EQ(board[2][5].owner, 1);
    EXPECT_EQ(board[2][4].owner, 0);
}

TEST_F(MoveTest, AttackOnTheSameKindGoesToTheAttacker) {
    my_player = 2;
    put(0, 5, Paper, 2);
    put(0, 4, Paper, 1);
    EXPECT_EQ(make_move(board, my_player, 0, 5, 0, 4), MoveResult::ordinary);
    EXPECT_EQ(board[0][4].owner, 2);
    EXPECT_EQ(board[0][5].owner, 0);
}

TEST_F(MoveTest, LostAttackRemovesTheAttackerAndEndsTheTurn) {
    put(2, 4, Rock, 1);
    put(2, 5, Paper, 2);
    EXPECT_EQ(make_move(board, my_player, 2, 4, 2, 5), MoveResult::ordinary);
    EXPECT_EQ(board[2][4].owner, 0);
    EXPECT_EQ(board[2][4].kind, 0);
    EXPECT_EQ(board[2][5].kind, Paper);
    EXPECT_EQ(board[2][5].owner, 2);
}

TEST_F(MoveTest, PlayerOneWinsByStepOntoRowNine) {
    put(1, 8, Rock, 1);
    EXPECT_EQ(make_move(board, my_player, 1, 8, 1, 9), MoveResult::far_row_win);
}

TEST_F(MoveTest, PlayerOneWinsByWonAttackOnRowNine) {
    put(4, 8, Scissors, 1);
    put(4, 9, Paper, 2);
    EXPECT_EQ(make_move(board, my_player, 4, 8, 4, 9), MoveResult::far_row_win);
}

TEST_F(MoveTest, PlayerOneWinsBySidewaysStepAlongRowNine) {
    put(2, 9, Rock, 1);
    EXPECT_EQ(make_move(board, my_player, 2, 9, 3, 9), MoveResult::far_row_win);
}

TEST_F(MoveTest, PlayerTwoWinsByStepOntoRowZero) {
    my_player = 2;
    put(0, 1, Paper, 2);
    EXPECT_EQ(make_move(board, my_player, 0, 1, 0, 0), MoveResult::far_row_win);
}

// The form for any player leaves my_player alone and judges the far row by
// the mover it is given.
TEST_F(MoveTest, TheOtherSidesMoveNeedsNoChangeOfPlayer) {
    put(2, 1, Scissors, 2);
    put(2, 0, Paper, 1);
    EXPECT_FALSE(is_legal_move(board, my_player, 2, 1, 2, 0));
    ASSERT_TRUE(is_legal_move(board, 2, 2, 1, 2, 0));
    EXPECT_EQ(make_move(board, 2, 2, 1, 2, 0), MoveResult::far_row_win);
    EXPECT_EQ(my_player, 1);
    EXPECT_EQ(board[2][0].owner, 2);
}

TEST_F(MoveTest, PlayerTwoWinsByWonAttackOnRowZero) {
    my_player = 2;
    put(3, 1, Rock, 2);
    put(3, 0, Rock, 1);
    EXPECT_EQ(make_move(board, my_player, 3, 1, 3, 0), MoveResult::far_row_win);
}

TEST_F(MoveTest, LostAttackOnTheFarRowWinsNothing) {
    put(2, 8, Scissors, 1);
    put(2, 9, Rock, 2);
    EXPECT_EQ(make_move(board, my_player, 2, 8, 2, 9), MoveResult::ordinary);
    EXPECT_EQ(board[2][9].owner, 2);
    my_player = 2;
    put(1, 1, Paper, 2);
    put(1, 0, Scissors, 1);
    EXPECT_EQ(make_move(board, my_player, 1, 1, 1, 0), MoveResult::ordinary);
    EXPECT_EQ(board[1][0].owner, 1);
}

TEST_F(MoveTest, OwnBackRowWinsNothing) {
    put(0, 1, Rock, 1);
    EXPECT_EQ(make_move(board, my_player, 0, 1, 0, 0), MoveResult::ordinary);
    my_player = 2;
    put(4, 8, Rock, 2);
    EXPECT_EQ(make_move(board, my_player, 4, 8, 4, 9), MoveResult::ordinary);
}

TEST_F(MoveTest, LegalMoveNeedsOwnPieceAndANonOwnOrthogonalNeighbour) {
    put(2, 2, Rock, 1);
    put(2, 3, Paper, 1);
    put(1, 2, Paper, 2);
    put(4, 4, Rock, 2);
    EXPECT_TRUE(is_legal_move(board, my_player, 2, 2, 1, 2));
    EXPECT_TRUE(is_legal_move(board, my_player, 2, 2, 3, 2));
    EXPECT_TRUE(is_legal_move(board, my_player, 2, 2, 2, 1));
    EXPECT_FALSE(is_legal_move(board, my_player, 2, 2, 2, 3));
    EXPECT_FALSE(is_legal_move(board, my_player, 2, 2, 3, 3));
    EXPECT_FALSE(is_legal_move(board, my_player, 2, 2, 2, 4));
    EXPECT_FALSE(is_legal_move(board, my_player, 4, 4, 4, 5));
    EXPECT_FALSE(is_legal_move(board, my_player, 0, 0, 0, 1));
    put(0, 0, Rock, 1);
    EXPECT_FALSE(is_legal_move(board, my_player, 0, 0, -1, 0));
    EXPECT_FALSE(is_legal_move(board, my_player, 0, 0, 0, -1));
    put(4, 9, Rock, 1);
    EXPECT_FALSE(is_legal_move(board, my_player, 4, 9, 5, 9));
    EXPECT_FALSE(is_legal_move(board, my_player, 4, 9, 4, 10));
}

}  // namespace
