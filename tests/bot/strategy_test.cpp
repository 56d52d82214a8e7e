#include "board_fixture.h"
#include "search.h"
#include "strategy.h"

namespace {

class StrategyTest : public BoardTest {
protected:
    std::optional<Move> choose(unsigned seed = 1) const {
        PlayerView view = view_of_board(board, my_player);
        Knowledge knowledge = start_knowledge(my_player, view);
        std::mt19937 rng(seed);
        return choose_move(view, knowledge, std::nullopt, rng);
    }

    std::optional<Move> search(unsigned seed, int iterations = 300, const PositionsLeft& left = {}) const {
        PlayerView view = view_of_board(board, my_player);
        Knowledge knowledge = start_knowledge(my_player, view);
        std::mt19937 rng(seed);
        return search_move(view, knowledge, iterations, rng, left);
    }

    // The position a step onto an empty square leaves, as the mover sees it.
    std::string position_after(const Move& move) const {
        PlayerView view = view_of_board(board, my_player);
        std::swap(view[move.from_column][move.from_row], view[move.to_column][move.to_row]);
        return position_key(view);
    }
};

TEST_F(StrategyTest, LegalMovesStayOnTheBoardAndOffOwnPieces) {
    std::srand(31);
    deal_board(board, [] { return std::rand() % 5; });
    for (int player : {1, 2}) {
        PlayerView view = view_of_board(board, player);
        auto moves = legal_moves(view, player);
        EXPECT_FALSE(moves.empty());
        for (const Move& move : moves) {
            EXPECT_TRUE(is_legal_move(board, player, move.from_column, move.from_row, move.to_column,
                                      move.to_row));
        }
    }
}

TEST_F(StrategyTest, NoPieceThatCanMoveMeansNoMove) {
    EXPECT_FALSE(choose());
    put(0, 0, Rock, 1);
    put(1, 0, Rock, 1);
    put(0, 1, Rock, 1);
    put(1, 1, Rock, 1);
    for (int column = 2; column < 5; ++column) put(column, 0, Paper, 1);
    for (int column = 2; column < 5; ++column) put(column, 1, Paper, 1);
    for (int column = 0; column < 5; ++column) put(column, 2, Scissors, 1);
    EXPECT_TRUE(choose());
    for (int column = 0; column < 5; ++column) {
        for (int row = 3; row < 10; ++row) put(column, row, Rock, 1);
    }
    EXPECT_FALSE(choose());
}

TEST_F(StrategyTest, TakesAWinOnTheFarRow) {
    my_player = 2;
    put(3, 1, Scissors, 2);
    put(0, 9, Rock, 2);
    put(2, 2, Rock, 1);
    put(0, 5, Paper, 1);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        auto move = choose(seed);
        ASSERT_TRUE(move);
        EXPECT_EQ(move->from_column, 3);
        EXPECT_EQ(move->to_row, 0);
    }
}

TEST_F(StrategyTest, StopsAnOpposingPieceAboutToReachItsBackRow) {
    put(2, 1, Paper, 2);
    put(3, 0, Paper, 1);
    put(4, 4, Rock, 1);
    put(0, 6, Rock, 2);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        auto move = choose(seed);
        ASSERT_TRUE(move);
        PlayerView view = view_of_board(board, 1);
        view[move->to_column][move->to_row] = view[move->from_column][move->from_row];
        view[move->from_column][move->from_row] = SquareView{};
        Knowledge knowledge = start_knowledge(1, view);
        EXPECT_LT(opponent_win_chance(view, knowledge), 1.0) << "seed " << seed;
    }
}

TEST_F(StrategyTest, AttacksWhereItsKnowledgeFavoursIt) {
    put(1, 4, Rock, 1);
    put(3, 4, Rock, 1);
    put(1, 5, Scissors, 2);
    put(3, 5, Paper, 2);
    PlayerView view = view_of_board(board, 1);
    Knowledge knowledge = start_knowledge(1, view);
    knowledge.possible[1][5] = mask_of(Scissors);
    knowledge.possible[3][5] = mask_of(Paper);
    EXPECT_DOUBLE_EQ(attack_chance(knowledge, Rock, 1, 5), 1.0);
    EXPECT_DOUBLE_EQ(attack_chance(knowledge, Rock, 3, 5), 0.0);
    std::mt19937 rng(5);
    auto move = choose_move(view, knowledge, std::nullopt, rng);
    ASSERT_TRUE(move);
    EXPECT_EQ(move->to_column, 1);
    EXPECT_EQ(move->to_row, 5);
}

TEST_F(StrategyTest, OpponentWinChanceCountsOnlySquaresItCanTake) {
    put(2, 1, Rock, 2);
    put(2, 0, Scissors, 1);
    put(1, 0, Paper, 1);
    put(3, 0, Paper, 1);
    PlayerView view = view_of_board(board, 1);
    Knowledge knowledge = start_knowledge(1, view);
    EXPECT_NEAR(opponent_win_chance(view, knowledge), 2.0 / 3, 1e-12);
    knowledge.possible[2][1] = mask_of(Rock);
    EXPECT_DOUBLE_EQ(opponent_win_chance(view, knowledge), 1.0);
    knowledge.possible[2][1] = mask_of(Paper);
    EXPECT_DOUBLE_EQ(opponent_win_chance(view, knowledge), 0.0);
}


bool same_move(const std::optional<Move>& a, const std::optional<Move>& b) {
    return a && b && a->from_column == b->from_column && a->from_row == b->from_row &&
           a->to_column == b->to_column && a->to_row == b->to_row;
}

// The whole turn at the normal level, from the process-wide board: what it
// reads of the opponent's kinds must make no difference.
TEST_F(StrategyTest, ChoosesAlikeOnBoardsThatDifferOnlyInKindsItCannotSee) {
    std::srand(41);
    deal_board(board, [] { return std::rand() % 5; });
    const Board dealt = board;
    BotMind mind = start_mind(board, 2, 7, Level::normal);
    std::optional<Move> first = play_bot_turn(mind, board).move;
    board = dealt;
    for (auto& column : board) {
        for (Cell& cell : column) {
            if (cell.owner == 1) cell.kind = kind_beating(cell.kind);
        }
    }
    mind = start_mind(board, 2, 7, Level::normal);
    EXPECT_TRUE(same_move(first, play_bot_turn(mind, board).move));
}

TEST_F(StrategyTest, SearchTakesAFarRowWinEvenWhileItsOwnBackRowIsThreatened) {
    put(1, 8, Scissors, 1);
    put(3, 1, Rock, 2);
    put(0, 0, Paper, 1);
    put(4, 5, Rock, 2);
    for (unsigned seed = 1; seed <= 5; ++seed) {
        EXPECT_TRUE(same_move(search(seed), Move{1, 8, 1, 9})) << "seed " << seed;
    }
}

TEST_F(StrategyTest, SearchAnswersAPieceAboutToReachItsBackRow) {
    put(2, 1, Paper, 2);
    put(3, 0, Paper, 1);
    put(4, 4, Rock, 1);
    put(0, 6, Rock, 2);
    // Blocking again is no reason to let the piece through.
    PositionsLeft left = {position_after(Move{3, 0, 2, 0})};
    for (unsigned seed = 1; seed <= 5; ++seed) {
        EXPECT_TRUE(same_move(search(seed, 2000), Move{3, 0, 2, 0})) << "seed " << seed;
        EXPECT_TRUE(same_move(search(seed, 2000, left), Move{3, 0, 2, 0})) << "seed " << seed;
    }
}

// Two pieces far apart: many moves are about as good, so the search does not
// go back to a position it has left before.
TEST_F(StrategyTest, SearchLeavesNoPositionTwiceWhileAnotherMoveIsAsGood) {
    put(0, 2, Paper, 1);
    put(4, 3, Rock, 1);
    put(2, 8, Rock, 2);
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::optional<Move> first = search(seed, 2000);
        ASSERT_TRUE(first);
        PositionsLeft left = {position_after(*first)};
        std::optional<Move> second = search(seed, 2000, left);
        ASSERT_TRUE(second);
        EXPECT_FALSE(left.count(position_after(*second))) << "seed " << seed;
    }
}

}  // namespace
