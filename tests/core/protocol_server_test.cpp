// The requests against the real server on its real port.

#include "board_fixture.h"
#include "game_constants.h"
#include "bot_process.h"
#include "protocol.h"
#include "server_process.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace core;
using namespace support;

namespace {

using namespace std::chrono_literals;

class ProtocolServerTest : public BoardTest {
protected:
    ServerProcess server;
    GameClient client{{default_host, default_port, ""}};
};

TEST_F(ProtocolServerTest, TwoPlayersJoinAndStart) {
    EXPECT_EQ(join_game(client), 1);
    EXPECT_EQ(join_game(client), 2);
    wait_for_start(client);
    EXPECT_EQ(get("/start").body, "2");
}

TEST_F(ProtocolServerTest, PostedBoardIsWhatTheServerRelays) {
    std::srand(4);
    deal_board(board, [] { return std::rand() % 5; });
    post_board(client, board);
    EXPECT_EQ(get("/what").body, board_text(board));
    EXPECT_EQ(fetch_board(client), board);
}

// Before player 1's first post the server holds an empty text; player 2 must
// go on asking instead of taking it.
TEST_F(ProtocolServerTest, SetUpFetchWaitsForAWholeBoard) {
    std::srand(5);
    deal_board(board, [] { return std::rand() % 5; });
    const std::string dealt = board_text(board);
    std::atomic<bool> fetched{false};
    Board received;
    std::thread player_two([&] {
        GameClient own_client({default_host, default_port, ""});
        received = fetch_board(own_client);
        fetched = true;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(fetched);
    ASSERT_EQ(post("/chess", dealt.substr(0, 60)).body, "ok");
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(fetched);
    ASSERT_EQ(post("/chess", dealt).body, "ok");
    player_two.join();
    EXPECT_EQ(received, board);
}

TEST_F(ProtocolServerTest, TurnPassesBackAndForth) {
    my_player = 1;
    EXPECT_TRUE(is_turn_of(client, my_player));
    hand_over_turn(client);
    EXPECT_FALSE(is_turn_of(client, my_player));
    my_player = 2;
    EXPECT_TRUE(is_turn_of(client, my_player));
    hand_over_turn(client);
    EXPECT_FALSE(is_turn_of(client, my_player));
}

TEST_F(ProtocolServerTest, WinIsPostedOnceAndReported) {
    EXPECT_EQ(ask_who_win(client), "0");
    post_win(client, 2);
    EXPECT_EQ(ask_who_win(client), "2");
    EXPECT_EQ(end_of_game_lines(server.console()), 1);
}

}  // namespace
