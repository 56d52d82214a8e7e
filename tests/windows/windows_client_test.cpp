// client.exe under Wine on a private X display against the Linux referee:
// the lobby and the board compared with the game's pictures as the Linux
// client's tests do, and a move made by clicks, checked through both seats.

#include "game_harness.h"
#include "move_planner.h"

#include "game_view.h"
#include "layout.h"
#include "referee_requests.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace core;
using namespace client;
using namespace support;

namespace {

// The harness's SDL_VIDEODRIVER=x11 names a Linux driver; the Windows
// program must not see it. The prefix comes from the test's environment.
const std::vector<std::string> under_wine{"/usr/bin/env", "-u", "SDL_VIDEODRIVER", "WINEDEBUG=-all", "wine"};

GameView view_of(const Seat& seat) {
    return view_from_text(get("/view", {{"Seat", seat.token}}).body).value_or(GameView{});
}

TEST(WindowsClient, ShowsTheLobbyThenTheBoardAndMovesByClicks) {
    GameHarness game({"--referee"});
    const std::string seat_path = "/tmp/game-test-windows-seat-" + std::to_string(getpid());
    ChildProcess& client = game.start_client(under_wine, {"--seat-file", seat_path});

    const unsigned long lobby = game.lobby_window(client);
    ASSERT_NE(lobby, 0u) << game.describe(client);
    ASSERT_TRUE(wait_until([&] { return shows_picture(game.capture(lobby), 0, 0, picture("jz.png")); }))
        << "the lobby does not show its picture";
    // The lobby shows while the seat is taken.
    ASSERT_TRUE(wait_until([&] { return seat_from_text(read_file(seat_path)).has_value(); })) << game.describe(client);
    const std::optional<Seat> mine = seat_from_text(read_file(seat_path));
    ASSERT_EQ(mine->number, 1);

    const std::optional<Seat> other = seat_from_text(post("/seat", "the test's seat").body);
    ASSERT_TRUE(other && other->number == 2);
    const unsigned long board = game.board_window(client);
    ASSERT_NE(board, 0u) << game.describe(client);
    const GameView before = view_of(*mine);
    ASSERT_TRUE(wait_until([&] { return shows_board_for(game.capture(board), before.board, 1); }))
        << "the board window does not show seat 1's view; " << game.describe(client);

    const std::optional<Move> step = planned_step(true_board_of(before, view_of(*other)), 1, 1);
    ASSERT_TRUE(step);
    game.click_square(board, step->from_column, step->from_row);
    ASSERT_TRUE(wait_until([&] { return shows_selection(game.capture(board), step->from_column, step->from_row); }))
        << "the click did not select the piece";
    game.click_square(board, step->to_column, step->to_row);
    ASSERT_TRUE(wait_until([&] { return view_of(*mine).version > before.version; })) << game.describe(client);
    const GameView after = view_of(*mine);
    const GameView theirs = view_of(*other);
    ASSERT_TRUE(after.last_move && theirs.last_move);
    EXPECT_EQ(after.last_move->move, *step);
    EXPECT_EQ(theirs.last_move->move, *step) << "the other seat was told another move";
    EXPECT_EQ(view_from_text(get("/view").body).value_or(GameView{}).turn, 2);
    EXPECT_TRUE(wait_until([&] { return shows_board_for(game.capture(board), after.board, 1, after.last_move); }))
        << "the window does not show the move it made";
    unlink(seat_path.c_str());
}

}  // namespace
