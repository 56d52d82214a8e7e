// Whole games played in one process by the real rules, with no server: the
// bot against itself and against a player that moves at random.

#include "board_fixture.h"
#include "strategy.h"

#include <random>

namespace {

constexpr int move_limit = 3000;

struct GameEnd {
    int winner = 0;
    int moves = 0;
    bool forfeited = false;
};

// Every kind the bot still thinks an opposing piece may be must include its
// true kind, or the bot has fooled itself.
void expect_knowledge_true(const Knowledge& knowledge, unsigned seed) {
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const Cell& cell = board[column][row];
            if (cell.owner == 0 || cell.owner == knowledge.player) continue;
            ASSERT_TRUE(knowledge.possible[column][row] & mask_of(cell.kind))
                << "seed " << seed << " square " << column << row;
        }
    }
}

std::optional<MoveResult> random_turn(std::mt19937& rng) {
    auto moves = legal_moves(view_of_board(my_player), my_player);
    if (moves.empty()) return std::nullopt;
    const Move& move = moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(rng)];
    return make_move(move.from_column, move.from_row, move.to_column, move.to_row);
}

// `random_player` 0: both players are the bot.
GameEnd play_in_process(unsigned seed, int random_player) {
    std::srand(seed);
    deal_board();
    my_player = 1;
    BotMind mind_1 = start_mind(seed);
    my_player = 2;
    BotMind mind_2 = start_mind(seed + 1);
    std::mt19937 random_rng(seed);
    GameEnd end;
    for (int mover = 1; end.moves < move_limit; mover = opponent_of(mover)) {
        my_player = mover;
        ++end.moves;
        std::optional<MoveResult> result;
        if (mover == random_player) {
            result = random_turn(random_rng);
        } else {
            BotMind& mind = mover == 1 ? mind_1 : mind_2;
            BotTurn turn = play_bot_turn(mind);
            if (turn.move) result = turn.result;
            expect_knowledge_true(mind.knowledge, seed);
        }
        if (!result) {
            end.winner = opponent_of(mover);
            end.forfeited = true;
            return end;
        }
        if (*result == MoveResult::far_row_win) {
            end.winner = mover;
            return end;
        }
    }
    return end;
}

TEST(SelfPlay, BotAgainstItselfAlwaysFinishes) {
    int wins[3] = {0, 0, 0};
    for (unsigned seed = 1; seed <= 200; ++seed) {
        GameEnd end = play_in_process(seed, 0);
        ASSERT_NE(end.winner, 0) << "seed " << seed << " still going after " << end.moves << " moves";
        ++wins[end.winner];
    }
    EXPECT_GT(wins[1], 0);
    EXPECT_GT(wins[2], 0);
}

TEST(SelfPlay, BotBeatsARandomPlayerFromEitherSide) {
    int bot_wins = 0;
    int games = 0;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        int random_player = seed % 2 == 0 ? 1 : 2;
        GameEnd end = play_in_process(seed, random_player);
        ASSERT_NE(end.winner, 0) << "seed " << seed;
        ++games;
        if (end.winner != random_player) ++bot_wins;
    }
    EXPECT_GE(bot_wins, games * 9 / 10);
}

}  // namespace
