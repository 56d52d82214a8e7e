#include "board_fixture.h"
#include "rules.h"

#include <optional>
#include <utility>
#include <vector>

using namespace core;
using namespace support;

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
    EXPECT_EQ(back_row(1), 0);
    EXPECT_EQ(back_row(2), 9);
    EXPECT_EQ(forward_step(1), 1);
    EXPECT_EQ(forward_step(2), -1);
}

TEST(Adjacency, NeighboursAreVisitedOnTheBoardOnly) {
    auto neighbours = [](int column, int row) {
        std::vector<std::pair<int, int>> seen;
        for_each_neighbour(column, row, [&](int c, int r) { seen.push_back({c, r}); });
        return seen;
    };
    using Squares = std::vector<std::pair<int, int>>;
    EXPECT_EQ(neighbours(2, 4), (Squares{{2, 5}, {2, 3}, {3, 4}, {1, 4}}));
    EXPECT_EQ(neighbours(0, 0), (Squares{{0, 1}, {1, 0}}));
    EXPECT_EQ(neighbours(4, 9), (Squares{{4, 8}, {3, 9}}));
}

// One move each: the mover's piece, what stands on the target, and how it
// ends. After it the source is empty and the target holds the fight's winner.
struct MoveCase {
    const char* what;
    int mover;
    int from_column, from_row, kind;
    int to_column, to_row;
    std::optional<Cell> defender;
    MoveResult result;
    bool attacker_stands;
};

const MoveCase move_cases[] = {
    {"step onto an empty square", 1, 1, 2, Paper, 1, 3, std::nullopt, MoveResult::ordinary, true},
    {"step across the river", 1, 3, 4, Scissors, 3, 5, std::nullopt, MoveResult::ordinary, true},
    {"won attack", 1, 2, 4, Rock, 2, 5, Cell{Scissors, 2}, MoveResult::ordinary, true},
    {"equal kinds: the attacker", 2, 0, 5, Paper, 0, 4, Cell{Paper, 1}, MoveResult::ordinary, true},
    {"lost attack", 1, 2, 4, Rock, 2, 5, Cell{Paper, 2}, MoveResult::ordinary, false},
    {"player 1 steps onto row 9", 1, 1, 8, Rock, 1, 9, std::nullopt, MoveResult::far_row_win, true},
    {"player 1 wins an attack on row 9", 1, 4, 8, Scissors, 4, 9, Cell{Paper, 2}, MoveResult::far_row_win, true},
    {"player 1 steps along row 9", 1, 2, 9, Rock, 3, 9, std::nullopt, MoveResult::far_row_win, true},
    {"player 2 steps onto row 0", 2, 0, 1, Paper, 0, 0, std::nullopt, MoveResult::far_row_win, true},
    {"player 2 wins an attack on row 0", 2, 3, 1, Rock, 3, 0, Cell{Rock, 1}, MoveResult::far_row_win, true},
    {"player 1 loses an attack on row 9", 1, 2, 8, Scissors, 2, 9, Cell{Rock, 2}, MoveResult::ordinary, false},
    {"player 2 loses an attack on row 0", 2, 1, 1, Paper, 1, 0, Cell{Scissors, 1}, MoveResult::ordinary, false},
    {"player 1 onto its own back row", 1, 0, 1, Rock, 0, 0, std::nullopt, MoveResult::ordinary, true},
    {"player 2 onto its own back row", 2, 4, 8, Rock, 4, 9, std::nullopt, MoveResult::ordinary, true},
};

TEST(Move, EachMoveEndsByTheFightAndTheFarRow) {
    for (const MoveCase& c : move_cases) {
        SCOPED_TRACE(c.what);
        Board board;
        const Cell piece{c.kind, c.mover};
        board[c.from_column][c.from_row] = piece;
        if (c.defender) board[c.to_column][c.to_row] = *c.defender;
        ASSERT_TRUE(is_legal_move(board, c.mover, c.from_column, c.from_row, c.to_column, c.to_row));
        EXPECT_EQ(make_move(board, c.mover, c.from_column, c.from_row, c.to_column, c.to_row), c.result);
        EXPECT_EQ(board[c.from_column][c.from_row], (Cell{0, 0}));
        EXPECT_EQ(board[c.to_column][c.to_row], c.attacker_stands ? piece : *c.defender);
    }
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

// The reason given is the first that applies, so a step with several faults
// gets the one the referee names first.
TEST_F(MoveTest, AnIllegalStepSaysWhy) {
    put(2, 2, Rock, 1);
    put(2, 3, Paper, 1);
    put(4, 4, Rock, 2);
    EXPECT_EQ(move_fault(board, my_player, {2, 2, 2, 1}), MoveFault::none);
    EXPECT_EQ(move_fault(board, my_player, {4, 4, 4, 3}), MoveFault::not_own_piece);
    EXPECT_EQ(move_fault(board, my_player, {-1, 2, 0, 2}), MoveFault::not_own_piece);
    EXPECT_EQ(move_fault(board, my_player, {0, 0, 3, 3}), MoveFault::not_own_piece);
    EXPECT_EQ(move_fault(board, my_player, {2, 2, 3, 3}), MoveFault::not_one_step);
    EXPECT_EQ(move_fault(board, my_player, {2, 2, 2, 2}), MoveFault::not_one_step);
    EXPECT_EQ(move_fault(board, my_player, {2, 3, 2, 2}), MoveFault::onto_own_piece);
}

}  // namespace
