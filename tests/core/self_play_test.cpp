// Whole games played in one process by the real rules, with no server: the
// bot against itself and against a player that moves at random.

#include "board_fixture.h"
#include "in_process_game.h"
#include "knowledge.h"
#include "move_planner.h"
#include "rules.h"

namespace {

constexpr int move_limit = 3000;

// Every kind the bot still thinks an opposing piece may be must include its
// true kind, or the bot has fooled itself.
void expect_knowledge_true(const Knowledge& knowledge) {
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const Cell& cell = board[column][row];
            if (cell.owner == 0 || cell.owner == knowledge.player) continue;
            EXPECT_TRUE(knowledge.possible[column][row] & mask_of(cell.kind))
                << "player " << knowledge.player << " square " << column << row;
        }
    }
}

TEST(SelfPlay, BotAgainstItselfAlwaysFinishesKnowingOnlyTheTruth) {
    int wins[3] = {0, 0, 0};
    for (unsigned seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        GameEnd end = play_in_process(seed, 0, move_limit, expect_knowledge_true);
        ASSERT_NE(end.winner, 0) << "still going after " << end.moves << " moves";
        ++wins[end.winner];
        if (HasFailure()) return;
    }
    EXPECT_GT(wins[1], 0);
    EXPECT_GT(wins[2], 0);
}

TEST(SelfPlay, BotBeatsARandomPlayerFromEitherSide) {
    int bot_wins = 0;
    int games = 0;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        int random_player = seed % 2 == 0 ? 1 : 2;
        GameEnd end = play_in_process(seed, random_player, move_limit);
        ASSERT_NE(end.winner, 0) << "seed " << seed;
        ++games;
        if (end.winner != random_player) ++bot_wins;
    }
    EXPECT_GE(bot_wins, games * 9 / 10);
}

}  // namespace

// The windowed end-to-end games follow this planner; a deal it cannot finish
// would fail them on correct code.
TEST(SelfPlay, PlannedGamesReachTheRunnersWinInEveryDeal) {
    for (int runner : {1, 2}) {
        for (unsigned seed = 1; seed <= 2000; ++seed) {
            std::srand(seed);
            clear_whole_board();
            deal_board();
            int winner = 0;
            for (int moves = 0, mover = 1; moves < 150 && winner == 0; ++moves, mover = opponent_of(mover)) {
                std::optional<Move> step = planned_step(mover, runner);
                ASSERT_TRUE(step) << "seed " << seed;
                if (make_move(board, mover, step->from_column, step->from_row, step->to_column,
                              step->to_row) == MoveResult::far_row_win) {
                    winner = mover;
                }
            }
            ASSERT_EQ(winner, runner) << "seed " << seed;
        }
    }
}
