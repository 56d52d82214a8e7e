// Whole games played in one process by the real rules, with no server: the
// bot against itself and against a player that moves at random.

#include "board_fixture.h"
#include "in_process_game.h"
#include "knowledge.h"
#include "move_planner.h"
#include "movers.h"
#include "rules.h"

#include <algorithm>
#include <array>
#include <random>
#include <set>

using namespace core;
using namespace bot;
using namespace support;

namespace {

constexpr int move_limit = 3000;

// Every kind the bot still thinks an opposing piece may be must include its
// true kind, or the bot has fooled itself.
void expect_knowledge_true(const Knowledge& knowledge, const Board& board) {
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

// The same seed plays the same game: the boards after every bot move hash to
// what this code has always played.
TEST(SelfPlay, SeededGamesReplayMoveForMove) {
    struct Replay {
        unsigned seed;
        int random_player;
        int winner;
        int moves;
        std::uint64_t hash;
    };
    const Replay replays[] = {{1, 0, 2, 94, 0xbaf3d662c0c16333}, {2, 0, 1, 143, 0xe901ac3fa1ff23d5},
                              {3, 0, 1, 115, 0x4da0c9f789e4051f}, {1, 2, 1, 113, 0x1480a999b54c85c1},
                              {2, 2, 1, 83, 0x17df8cda0ae9fc38},  {3, 2, 1, 65, 0xf7379b2a94cf8569}};
    for (const Replay& replay : replays) {
        std::uint64_t hash = 1469598103934665603u;
        GameEnd end = play_in_process(replay.seed, replay.random_player, 1000,
                                      [&](const Knowledge&, const Board& board) {
                                          for (char c : board_text(board)) {
                                              hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
                                          }
                                      });
        EXPECT_EQ(end.winner, replay.winner) << "seed " << replay.seed;
        EXPECT_EQ(end.moves, replay.moves) << "seed " << replay.seed;
        EXPECT_EQ(hash, replay.hash) << "seed " << replay.seed;
    }
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

// A won game is finished, not wandered through: the searching levels beat
// the random mover quickly from either side. Once far ahead, a search that
// took the most visited of moves rating all alike wandered for 175 plies on
// seed 11.
TEST(SelfPlay, NormalFinishesItsWinsAgainstARandomPlayer) {
    for (unsigned seed = 9; seed <= 12; ++seed) {
        int random_player = seed % 2 == 0 ? 1 : 2;
        std::array<Contender, 2> sides{Contender{.level = Level::normal}, Contender{.level = Level::normal}};
        sides[random_player - 1] = Contender{.random = true};
        GameEnd end = play_in_process(seed, sides, 150);
        EXPECT_EQ(end.winner, opponent_of(random_player)) << "seed " << seed << ", " << end.moves << " moves";
    }
}

// The movers the bot is measured against. The greedy one takes the one step
// toward its far row there is, attack included, for either player, and
// moves at random when there is none; the random one tries every legal move
// and nothing else.
class Movers : public BoardTest {};

TEST_F(Movers, GreedyStepsForwardWhenItCanAndAtRandomWhenItCannot) {
    put(2, 3, Rock, 1);
    put(2, 4, Paper, 1);  // blocks the rock; steps forward only by its attack
    put(2, 5, Scissors, 2);
    Board two;
    support::put(two, 0, 8, Scissors, 2);
    support::put(two, 0, 7, Paper, 2);  // blocks the scissors; its own step forward is free
    Board stuck;
    support::put(stuck, 2, 9, Rock, 1);
    std::set<std::array<int, 4>> without_forward;
    for (unsigned seed = 0; seed < 50; ++seed) {
        std::mt19937 rng(seed);
        EXPECT_EQ(greedy_move(board, 1, rng), (Move{2, 4, 2, 5}));
        EXPECT_EQ(greedy_move(two, 2, rng), (Move{0, 7, 0, 6}));
        const std::optional<Move> sideways = greedy_move(stuck, 1, rng);
        ASSERT_TRUE(sideways);
        without_forward.insert({sideways->from_column, sideways->from_row, sideways->to_column, sideways->to_row});
    }
    EXPECT_EQ(without_forward, (std::set<std::array<int, 4>>{{2, 9, 2, 8}, {2, 9, 1, 9}, {2, 9, 3, 9}}));
}

TEST_F(Movers, RandomMakesEveryLegalMoveAndNoOther) {
    std::srand(7);
    deal_board(board, [] { return std::rand() % 5; });
    for (int player : {1, 2}) {
        const std::vector<Move> legal = legal_moves(board, player);
        std::set<std::array<int, 4>> made;
        std::mt19937 rng(11);
        for (int draw = 0; draw < 2000; ++draw) {
            const std::optional<Move> move = random_move(board, player, rng);
            ASSERT_TRUE(move);
            ASSERT_NE(std::find(legal.begin(), legal.end(), *move), legal.end()) << "player " << player;
            made.insert({move->from_column, move->from_row, move->to_column, move->to_row});
        }
        EXPECT_EQ(made.size(), legal.size()) << "player " << player;
    }
    std::mt19937 rng;
    EXPECT_EQ(random_move(Board{}, 1, rng), std::nullopt);
}

// A side played by a chooser learns as the bot does: one that searches by
// given settings plays the very game the bot plays by them.
TEST(SelfPlay, ChooserThatSearchesLikeTheBotPlaysTheBotsGame) {
    SearchParams params;
    params.iterations = 300;
    Contender chooser{.params = params,
                      .chooser = [&](BotMind& mind) {
                          return search_move(mind.knowledge.last_seen, mind.knowledge, params, mind.rng, mind.left,
                                             mind.previous);
                      }};
    for (unsigned seed : {1u, 2u}) {
        std::vector<std::string> boards[2];
        GameEnd ends[2];
        int played = 0;
        for (const Contender& side : {Contender{.params = params}, chooser}) {
            ends[played] = play_in_process(seed, {side, Contender{}}, move_limit,
                                           [&](const Knowledge&, const Board& board) {
                                               boards[played].push_back(board_text(board));
                                           });
            ++played;
        }
        EXPECT_NE(ends[0].winner, 0) << "seed " << seed;
        EXPECT_EQ(ends[0].winner, ends[1].winner) << "seed " << seed;
        EXPECT_EQ(boards[0], boards[1]) << "seed " << seed;
    }
}

}  // namespace

// The windowed end-to-end games follow this planner; a deal it cannot finish
// would fail them on correct code.
TEST(SelfPlay, PlannedGamesReachTheRunnersWinInEveryDeal) {
    for (int runner : {1, 2}) {
        for (unsigned seed = 1; seed <= 2000; ++seed) {
            std::srand(seed);
            Board board;
            deal_board(board, [] { return std::rand() % 5; });
            int winner = 0;
            for (int moves = 0, mover = 1; moves < 150 && winner == 0; ++moves, mover = opponent_of(mover)) {
                std::optional<Move> step = planned_step(board, mover, runner);
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
