#include "beliefs.h"
#include "board_fixture.h"
#include "knowledge.h"
#include "rules.h"

namespace {

class KnowledgeTest : public BoardTest {
protected:
    PlayerView seen() const { return view_of_board(board, my_player); }
};

TEST_F(KnowledgeTest, ViewShowsOwnKindsAndOnlyThePlacesOfOpposingPieces) {
    std::srand(21);
    deal_board(board, [] { return std::rand() % 5; });
    for (int player : {1, 2}) {
        PlayerView view = view_of_board(board, player);
        for (int column = 0; column < board_columns; ++column) {
            for (int row = 0; row < board_rows; ++row) {
                EXPECT_EQ(view[column][row].owner, board[column][row].owner);
                int expected = board[column][row].owner == player ? board[column][row].kind : unknown_kind;
                EXPECT_EQ(view[column][row].kind, expected);
            }
        }
    }
}

TEST_F(KnowledgeTest, OpposingPiecesStartUnknownAndEvenlyLikely) {
    put(1, 5, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    EXPECT_EQ(knowledge.possible[1][5], any_kind);
    EXPECT_EQ(knowledge.possible[1][4], 0);
    auto odds = kind_odds(knowledge, 1, 5);
    EXPECT_DOUBLE_EQ(odds[Rock], 1.0 / 3);
    EXPECT_DOUBLE_EQ(odds[Scissors], 1.0 / 3);
    EXPECT_DOUBLE_EQ(odds[Paper], 1.0 / 3);
}

TEST_F(KnowledgeTest, KindCycle) {
    EXPECT_EQ(kind_beating(Rock), Paper);
    EXPECT_EQ(kind_beating(Scissors), Rock);
    EXPECT_EQ(kind_beating(Paper), Scissors);
    EXPECT_EQ(kind_beaten_by(Rock), Scissors);
    EXPECT_EQ(kind_beaten_by(Scissors), Paper);
    EXPECT_EQ(kind_beaten_by(Paper), Rock);
}

TEST_F(KnowledgeTest, LostOwnAttackRevealsTheDefender) {
    put(2, 4, Rock, 1);
    put(2, 5, Paper, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    make_move(board, my_player, 2, 4, 2, 5);
    learn_from_own_move(knowledge, Move{2, 4, 2, 5}, seen());
    EXPECT_EQ(knowledge.possible[2][5], mask_of(Paper));
    EXPECT_DOUBLE_EQ(kind_odds(knowledge, 2, 5)[Paper], 1.0);
}

TEST_F(KnowledgeTest, WonOwnAttackOnAKnownPieceCountsItGone) {
    put(2, 4, Scissors, 1);
    put(2, 5, Paper, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    knowledge.possible[2][5] = mask_of(Paper);
    make_move(board, my_player, 2, 4, 2, 5);
    learn_from_own_move(knowledge, Move{2, 4, 2, 5}, seen());
    EXPECT_EQ(knowledge.possible[2][5], 0);
    EXPECT_EQ(knowledge.remaining[Paper], 7);
    EXPECT_EQ(knowledge.remaining[Rock], 8);
}

TEST_F(KnowledgeTest, WonOwnAttackCountsTheOnlyKindTheDefenderCanHaveBeen) {
    put(2, 4, Rock, 1);
    put(2, 5, Scissors, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    knowledge.possible[2][5] = mask_of(Scissors) | mask_of(Paper);
    make_move(board, 1, 2, 4, 2, 5);
    learn_from_own_move(knowledge, Move{2, 4, 2, 5}, seen());
    EXPECT_EQ(knowledge.remaining, (std::array<int, 3>{8, 7, 8}));
}

TEST_F(KnowledgeTest, CountsNeverGoBelowNothing) {
    put(2, 4, Rock, 1);
    put(2, 5, Scissors, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    knowledge.possible[2][5] = mask_of(Scissors);
    knowledge.remaining = {8, 0, 8};
    make_move(board, 1, 2, 4, 2, 5);
    learn_from_own_move(knowledge, Move{2, 4, 2, 5}, seen());
    EXPECT_EQ(knowledge.remaining, (std::array<int, 3>{8, 0, 8}));
}

TEST_F(KnowledgeTest, WhatIsKnownTravelsWithAStepOntoAnEmptySquare) {
    put(2, 4, Rock, 1);
    put(2, 5, Paper, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    make_move(board, my_player, 2, 4, 2, 5);
    learn_from_own_move(knowledge, Move{2, 4, 2, 5}, seen());
    make_move(board, 2, 2, 5, 2, 4);
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.possible[2][4], mask_of(Paper));
    EXPECT_EQ(knowledge.possible[2][5], 0);
}

TEST_F(KnowledgeTest, OpposingCaptureNarrowsTheCaptorToTwoKinds) {
    put(1, 4, Scissors, 1);
    put(1, 5, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    make_move(board, 2, 1, 5, 1, 4);
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.possible[1][4], mask_of(Scissors) | mask_of(Rock));
    EXPECT_EQ(knowledge.quiet_turns, 0);
}

TEST_F(KnowledgeTest, OpposingLostAttackOnOurOnlyNeighbourCountsTheAttackerGone) {
    put(3, 4, Rock, 1);
    put(3, 5, Scissors, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    make_move(board, 2, 3, 5, 3, 4);
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.remaining[Scissors], 7);
    EXPECT_EQ(knowledge.possible[3][5], 0);
}

TEST_F(KnowledgeTest, UnexplainedChangeLeavesPiecesUnknown) {
    put(0, 5, Rock, 2);
    put(4, 5, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    knowledge.possible[0][5] = mask_of(Rock);
    board[0][5] = Cell{0, 0};
    board[4][5] = Cell{0, 0};
    put(2, 7, Rock, 2);
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.possible[0][5], 0);
    EXPECT_EQ(knowledge.possible[2][7], any_kind);
}

TEST_F(KnowledgeTest, QuietTurnsCountUntilAPieceIsTaken) {
    put(0, 0, Rock, 1);
    put(4, 9, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    learn_from_opponent_move(knowledge, seen());
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.quiet_turns, 2);
    board[4][9] = Cell{0, 0};
    learn_from_opponent_move(knowledge, seen());
    EXPECT_EQ(knowledge.quiet_turns, 0);
}

TEST_F(KnowledgeTest, OddsFollowTheKindsStillAtLarge) {
    put(0, 5, Rock, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    knowledge.remaining = {8, 0, 8};
    auto odds = kind_odds(knowledge, 0, 5);
    EXPECT_GT(odds[Rock], odds[Scissors]);
    EXPECT_DOUBLE_EQ(odds[Rock], odds[Paper]);
    EXPECT_NEAR(odds[Rock] + odds[Scissors] + odds[Paper], 1.0, 1e-12);
}

TEST_F(KnowledgeTest, DrawnBoardsKeepWhatIsKnownAndTheCountsAtLarge) {
    put(1, 4, Rock, 1);
    put(1, 5, Paper, 2);
    put(3, 4, Scissors, 1);
    put(3, 5, Scissors, 2);
    put(0, 9, Paper, 2);
    Knowledge knowledge = start_knowledge(1, seen());
    make_move(board, 2, 1, 5, 1, 4);
    learn_from_opponent_move(knowledge, seen());
    knowledge.possible[3][5] = mask_of(Scissors) | mask_of(Paper);
    knowledge.remaining = {8, 8, 1};
    std::mt19937 rng(3);
    Board drawn;
    auto hidden = hidden_pieces(seen(), knowledge);
    for (int draw = 0; draw < 100; ++draw) {
        draw_board(drawn, seen(), hidden, knowledge, rng);
        EXPECT_EQ(drawn[3][4].kind, Scissors);
        EXPECT_EQ(drawn[3][4].owner, 1);
        // The captor of a rock is a rock or a paper, and no board holds more
        // papers than may be left.
        EXPECT_NE(drawn[1][4].kind, Scissors);
        int papers = (drawn[1][4].kind == Paper) + (drawn[3][5].kind == Paper) + (drawn[0][9].kind == Paper);
        EXPECT_LE(papers, 1);
    }
}

}  // namespace
