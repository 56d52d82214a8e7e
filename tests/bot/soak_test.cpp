// Fifty whole bot-versus-bot games, each on a fresh server. Every board the
// server relays is checked against the rules, and every game must end with
// exactly one /win and both bots gone with status 0. The games come in five
// shards of ten, so that the shards run side by side, each in a network of its
// own.

#include "bot_process.h"
#include "relay_check.h"
#include "server_process.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace support;

namespace {

using namespace std::chrono_literals;

constexpr unsigned shards = 5;
constexpr unsigned games_a_shard = 10;
constexpr int think_ms = 1;

void play_checked_game(unsigned seed) {
    ServerProcess server;
    BotRun first = start_bot(seed, think_ms);
    BotRun second = start_bot(seed + 1000, think_ms);
    ASSERT_EQ(first.process->wait_for_exit(30s), 0) << first.process->standard_output();
    ASSERT_EQ(second.process->wait_for_exit(30s), 0) << second.process->standard_output();
    RelayedGame game = check_relayed_game(read_bot_record(first.log_path), read_bot_record(second.log_path));
    for (const auto& fault : game.faults) ADD_FAILURE() << fault;
    EXPECT_NE(game.winner, 0);
    EXPECT_EQ(end_of_game_lines(server.console()), 1);
    EXPECT_EQ(get("/who_win").body, std::to_string(game.winner));
    EXPECT_EQ(get("/what").body, game.last_board);
    forget_bot_log(first);
    forget_bot_log(second);
}

class FiftyGames : public testing::TestWithParam<unsigned> {};

TEST_P(FiftyGames, RelayEveryMoveByTheRules) {
    const unsigned first = GetParam() * games_a_shard + 1;
    for (unsigned game = first; game < first + games_a_shard; ++game) {
        SCOPED_TRACE("game " + std::to_string(game));
        play_checked_game(game * 7919);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(BotSoak, FiftyGames, testing::Range(0u, shards));

}  // namespace
