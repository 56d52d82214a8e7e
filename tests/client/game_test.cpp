// Whole games as players play them: two real client windows on a private X
// display against the real server, driven by real clicks and checked by
// captures of the windows.

#include "game_harness.h"
#include "bot_process.h"
#include "move_planner.h"
#include "network_pair.h"
#include "referee_requests.h"
#include "referee_stand_in.h"

#include "board.h"
#include "game_constants.h"
#include "game_view.h"
#include "layout.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using namespace core;
using namespace client;
using namespace support;

namespace {

const std::string player_one_wins = game_over_line(1);
const std::string player_two_wins = game_over_line(2);

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool shows_plain_square(const Capture& shot, int column, int row) {
    if (shot.width != board_window_width || shot.height != board_window_height) return false;
    const Capture& plain = picture("gz.png");
    return shot.at(corner_x(column), corner_y(row)) == plain.at(0, 0) &&
           shot.at(corner_x(column) + 71, corner_y(row) + 71) == plain.at(71, 71);
}

void expect_exit_zero(ChildProcess& client, int limit_seconds) {
    EXPECT_EQ(client.wait_for_exit(std::chrono::seconds(limit_seconds)), 0) << client.standard_error();
}

class GameTest : public ::testing::Test {
protected:
    explicit GameTest(const std::vector<std::string>& server_options = {}) : game(server_options) {}

    GameHarness game;
    ChildProcess* player[3] = {};
    unsigned long window[3] = {};
    // A GET to the game's server, without and with headers of its own.
    std::function<Reply(const std::string&)> ask = [](const std::string& path) { return get(path); };
    std::function<Reply(const std::string&, const httplib::Headers&)> ask_with = get;

    // Both players joined, both board windows open side by side and drawn.
    void start_game() {
        player[1] = &game.start_player(1);
        player[2] = &game.start_player(2);
        for (int p : {1, 2}) {
            window[p] = game.board_window(*player[p]);
            ASSERT_NE(window[p], 0u) << "no board window for player " << p << "; " << game.describe(*player[p]);
            game.move_window(window[p], p == 1 ? 0 : 400, 0);
        }
        ASSERT_TRUE(wait_until([&] { return game.load_server_board(); }));
        for (int p : {1, 2}) {
            EXPECT_TRUE(wait_until([&] { return shows_board_for(game.capture(window[p]), game.board, p); }))
                << "player " << p << "'s screen does not show the dealt board";
        }
    }

    bool marker_shows(int p, int mover) {
        return shows_picture(game.capture(window[p]), 252, 0, picture(mover == 1 ? "w1.png" : "w2.png"));
    }

    // Selects the piece, clicking again if the click reached the client
    // before its turn had begun (the waiting loop takes and drops clicks).
    void select(int p, int column, int row) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            game.click_square(window[p], column, row);
            if (wait_until([&] { return shows_selection(game.capture(window[p]), column, row); }, 5)) return;
        }
        FAIL() << "player " << p << " could not select " << column << row << "; " << game.describe(*player[p]);
    }

    // One whole move by clicks; returns when the turn has passed or the game
    // has ended.
    void play(int p, const Move& step) {
        ASSERT_TRUE(wait_until([&] { return marker_shows(p, p); })) << "player " << p << "'s turn never showed";
        select(p, step.from_column, step.from_row);
        game.click_square(window[p], step.to_column, step.to_row);
        ASSERT_TRUE(wait_until([&] {
            return ask("/who").body != std::to_string(p) || ask("/who_win").body != "0";
        })) << "the move was not handed over; " << game.describe(*player[p]);
    }

    // `runner` runs a piece for the far row, the other player keeps off its
    // way; the planner reaches the runner's win in every deal.
    void play_until_far_row_win(int runner) {
        for (int moves = 0; moves < 150 && get("/who_win").body == "0"; ++moves) {
            const int mover = get("/who").body == "1" ? 1 : 2;
            ASSERT_TRUE(game.load_server_board());
            std::optional<Move> step = planned_step(game.board, mover, runner);
            ASSERT_TRUE(step) << "player " << mover << " has no legal move";
            play(mover, *step);
            if (HasFatalFailure()) return;
        }
        ASSERT_NE(get("/who_win").body, "0") << "no winner after 150 moves";
    }

    void expect_end(int winner) {
        const char* end_picture = winner == 1 ? "1.png" : "2.png";
        for (int p : {1, 2}) {
            EXPECT_TRUE(wait_until([&] { return shows_picture(game.capture(window[p]), 0, 0, picture(end_picture)); }))
                << "player " << p << " does not show " << end_picture;
        }
        for (int p : {1, 2}) {
            expect_exit_zero(*player[p], 30);
        }
        EXPECT_TRUE(ends_with(game.server().console(), winner == 1 ? player_one_wins : player_two_wins));
    }
};

TEST_F(GameTest, LobbyShowsItsPictureAndAThirdClientStaysThere) {
    ChildProcess& first = game.start_player(1);
    const unsigned long lobby = game.lobby_window(first);
    ASSERT_NE(lobby, 0u);
    EXPECT_TRUE(wait_until([&] { return shows_picture(game.capture(lobby), 0, 0, picture("jz.png")); }));

    game.start_player(2);
    ChildProcess& third = game.start_client();
    const unsigned long third_lobby = game.lobby_window(third);
    ASSERT_NE(third_lobby, 0u);
    EXPECT_NE(game.board_window(first), 0u) << game.describe(first);
    EXPECT_EQ(get("/start").body, "2");
    EXPECT_TRUE(third.running());
    EXPECT_TRUE(window_geometry(game.display(), third_lobby).viewable);

    // A request from the system to end the program ends it with status 0.
    third.send_signal(SIGTERM);
    expect_exit_zero(third, 10);
}

// Started from a folder with no ../thirdparty, the client finds the pictures
// beside itself, in the build tree.
TEST_F(GameTest, AClientStartedElsewhereFindsItsPictures) {
    player[1] = &game.start_client({}, {}, "/");
    const unsigned long lobby = game.lobby_window(*player[1]);
    ASSERT_NE(lobby, 0u) << game.describe(*player[1]);
    EXPECT_TRUE(wait_until([&] { return shows_picture(game.capture(lobby), 0, 0, picture("jz.png")); }));
    ASSERT_TRUE(wait_until([&] { return get("/start").body == "1"; }));
    player[2] = &game.start_player(2);
    for (int p : {1, 2}) {
        window[p] = game.board_window(*player[p]);
        ASSERT_NE(window[p], 0u) << game.describe(*player[p]);
        game.move_window(window[p], p == 1 ? 0 : 400, 0);
    }
    ASSERT_TRUE(wait_until([&] { return game.load_server_board(); }));
    EXPECT_TRUE(wait_until([&] { return shows_board_for(game.capture(window[1]), game.board, 1); }));
}

TEST_F(GameTest, BothScreensShowTheDealFromTheirOwnSide) {
    start_game();
    for (int p : {1, 2}) {
        const Capture shot = game.capture(window[p]);
        EXPECT_TRUE(shows_picture(shot, 144, 0, picture(p == 1 ? "y1.png" : "y2.png")));
        EXPECT_TRUE(shows_picture(shot, 252, 0, picture("w1.png"))) << "player 1 moves first";
    }
}

TEST_F(GameTest, SelectionFrameComesAndGoes) {
    start_game();
    Squares path;
    std::optional<Move> step = runner_step(game.board, 1, path);
    if (!step) step = quiet_step(game.board, 1, {});
    ASSERT_TRUE(step);
    select(1, step->from_column, step->from_row);

    // A click in the river keeps the selection.
    game.click(window[1], 180, 520);
    EXPECT_FALSE(wait_until([&] { return !shows_selection(game.capture(window[1]), step->from_column, step->from_row); }, 2));

    // Clicking the selected piece again clears it; no move is made.
    game.click_square(window[1], step->from_column, step->from_row);
    EXPECT_TRUE(wait_until([&] { return shows_plain_square(game.capture(window[1]), step->from_column, step->from_row); }));
    EXPECT_EQ(get("/who").body, "1");

    // The opponent's screen never shows the selection.
    EXPECT_TRUE(shows_board_for(game.capture(window[2]), game.board, 2));
}

TEST_F(GameTest, WholeGameToAFarRowWinByPlayerOne) {
    start_game();
    play_until_far_row_win(1);
    if (HasFatalFailure()) return;
    expect_end(1);
}

// Both screens show the winner's picture, not the picture of the screen's own
// player or of player 1.
TEST_F(GameTest, WholeGameToAFarRowWinByPlayerTwo) {
    start_game();
    play_until_far_row_win(2);
    if (HasFatalFailure()) return;
    expect_end(2);
}

TEST_F(GameTest, ExitButtonInTheOpponentsTurnForfeits) {
    start_game();
    ASSERT_TRUE(marker_shows(2, 1));
    game.click(window[2], 72, 72);
    // The forfeiting window closes at once.
    expect_exit_zero(*player[2], 10);
    EXPECT_TRUE(wait_until([&] { return shows_picture(game.capture(window[1]), 0, 0, picture("1.png")); }));
    expect_exit_zero(*player[1], 30);
    EXPECT_TRUE(ends_with(game.server().console(), player_one_wins));
}

// Player 2's first /what comes before player 1 has posted (the test plays
// player 1 and posts late): the client waits for the whole board.
TEST_F(GameTest, PlayerTwoWaitsForTheBoardPostedLate) {
    ASSERT_EQ(get("/join").body, "1");
    player[2] = &game.start_player(2);
    window[2] = game.board_window(*player[2]);
    ASSERT_NE(window[2], 0u) << game.describe(*player[2]);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::srand(5);
    deal_board(game.board, [] { return std::rand() % 5; });
    ASSERT_EQ(post("/chess", board_text(game.board)).body, "ok");
    EXPECT_TRUE(wait_until([&] { return shows_board_for(game.capture(window[2]), game.board, 2); }))
        << "player 2's screen does not show the board posted late";
    ASSERT_EQ(post("/win", "2").body, "ok");
    EXPECT_TRUE(wait_until([&] { return shows_picture(game.capture(window[2]), 0, 0, picture("2.png")); }));
    expect_exit_zero(*player[2], 30);
}

// Clicks on the lobby stay queued and are read with the board's layout, so a
// click in the lobby's top-left corner forfeits once the board opens.
TEST_F(GameTest, LobbyClickInTheExitCornerForfeitsWhenTheBoardOpens) {
    player[1] = &game.start_player(1);
    const unsigned long lobby = game.lobby_window(*player[1]);
    ASSERT_NE(lobby, 0u);
    game.click(lobby, 40, 40);
    player[2] = &game.start_player(2);
    window[2] = game.board_window(*player[2]);
    ASSERT_NE(window[2], 0u);
    expect_exit_zero(*player[1], 20);
    EXPECT_TRUE(wait_until([&] { return shows_picture(game.capture(window[2]), 0, 0, picture("2.png")); }));
    expect_exit_zero(*player[2], 30);
    EXPECT_TRUE(ends_with(game.server().console(), player_two_wins));
}

TEST(ClientOptions, BadOptionsGetOneLineAndStatus2WithoutAWindow) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--server", ""}, {"--server", "host:0"}, {"--key", "short"},
                                               {"--server"}, {"--fullscreen"}, {"--seat-file"}, {"--seat-file", ""}}) {
        ChildProcess client(CLIENT_PATH, args, "", {{"DISPLAY", ":59"}});
        EXPECT_EQ(client.wait_for_exit(std::chrono::seconds(10)), 2) << args[0];
        const std::string error = client.standard_error();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    }
    ChildProcess help(CLIENT_PATH, {"--help"});
    EXPECT_EQ(help.wait_for_exit(std::chrono::seconds(10)), 0);
    EXPECT_NE(help.standard_output().find("--server HOST[:PORT]"), std::string::npos);
    EXPECT_NE(help.standard_output().find("--seat-file PATH"), std::string::npos);
    EXPECT_NE(help.standard_output().find("--relay"), std::string::npos);
}

// One player's window on a machine of its own and the computer opponent
// beside it, both told they play a relay; the server on another machine,
// with a key and no referee.
TEST_F(GameTest, WindowPlaysAcrossTwoHostsWithTheKey) {
    NetworkPair net("7F3K-9QX2-MC4D");
    auto server = net.start_server();
    ask = [&](const std::string& path) { return net.get(path); };
    std::vector<std::string> options = net.server_options();
    options.push_back("--relay");
    player[1] = &game.start_client(net.on_player_side(), options);
    ASSERT_TRUE(wait_until([&] { return ask("/start").body == "1"; })) << game.describe(*player[1]);
    // The bot thinks for a second, so the turn shows as its own for a while.
    BotRun bot = start_bot(606, 1000, net.on_player_side(), options);
    window[1] = game.board_window(*player[1]);
    ASSERT_NE(window[1], 0u) << game.describe(*player[1]);
    for (int moves = 0; moves < 3; ++moves) {
        ASSERT_TRUE(wait_until([&] { return ask("/who").body == "1" && game.load_board(ask("/what").body); }));
        EXPECT_TRUE(wait_until([&] { return shows_board_for(game.capture(window[1]), game.board, 1); }))
            << "move " << moves << ": the window does not show the relayed board";
        std::optional<Move> step = quiet_step(game.board, 1, {});
        ASSERT_TRUE(step);
        play(1, *step);
        if (HasFatalFailure()) return;
    }
    game.click(window[1], 72, 72);
    expect_exit_zero(*player[1], 10);
    EXPECT_EQ(bot.process->wait_for_exit(std::chrono::seconds(30)), 0);
    EXPECT_NE(bot.process->standard_output().find("names player 2"), std::string::npos);
    EXPECT_TRUE(ends_with(server->standard_output(), player_two_wins));
}

// Seat 2's window against a stand-in referee that counts requests: the wait
// through the other seat's turn costs a handful of requests, the window wakes
// on the other seat's move, a click made out of turn is dropped, and the own
// attack goes out as a request while the window shows only what the referee
// says came of it.
TEST_F(GameTest, RefereedWindowWaitsQuietlyAndLeavesTheFightToTheReferee) {
    RefereeStandIn referee(2);
    Board truth;
    std::srand(17);
    deal_board(truth, [] { return std::rand() % 5; });
    GameView view{board_seen_by(truth, 2), 1, 0, std::nullopt, 0};
    referee.set_view(view);
    player[2] = &game.start_client({}, referee.server_options());
    window[2] = game.board_window(*player[2]);
    ASSERT_NE(window[2], 0u) << game.describe(*player[2]);
    ASSERT_TRUE(wait_until([&] { return shows_board_for(game.capture(window[2]), view.board, 2, view.last_move) && marker_shows(2, 1); }));

    int column = 0;
    while (column < board_columns && !(truth[column][5].owner == 2 && truth[column][4].owner == 1)) ++column;
    ASSERT_LT(column, board_columns) << "the deal leaves no piece facing another across the river";
    game.click_square(window[2], column, 5);
    const int before_wait = referee.all_requests();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_LE(referee.all_requests() - before_wait, 5) << "requests while the other seat thinks";

    std::optional<Move> answer;
    for (const Move& step : legal_moves(truth, 1)) {
        if (!(step.from_column == column && step.from_row == 4) && truth[step.to_column][step.to_row].owner == 0) answer = step;
    }
    ASSERT_TRUE(answer);
    make_move(truth, 1, answer->from_column, answer->from_row, answer->to_column, answer->to_row);
    view = {board_seen_by(truth, 2), 2, 0, LastMove{*answer, MoveOutcome::step}, 0};
    referee.set_view(view);
    ASSERT_TRUE(wait_until([&] { return shows_board_for(game.capture(window[2]), view.board, 2, view.last_move) && marker_shows(2, 2); }))
        << "the window did not wake on the other seat's move";
    EXPECT_FALSE(shows_selection(game.capture(window[2]), column, 5)) << "a click out of turn was kept";

    const Move attack{column, 5, column, 4};
    select(2, column, 5);
    game.click_square(window[2], column, 4);
    ASSERT_TRUE(wait_until([&] { return referee.moves().size() == 1; }));
    EXPECT_EQ(referee.moves()[0], move_text(attack));
    EXPECT_FALSE(wait_until([&] { return !shows_board_for(game.capture(window[2]), view.board, 2, view.last_move); }, 2))
        << "the window decided the fight itself";

    const MoveOutcome outcome = outcome_of(truth, attack);
    make_move(truth, 2, attack.from_column, attack.from_row, attack.to_column, attack.to_row);
    view = {board_seen_by(truth, 2), 1, 0, LastMove{attack, outcome}, 0};
    referee.set_view(view);
    EXPECT_TRUE(wait_until([&] { return shows_board_for(game.capture(window[2]), view.board, 2, view.last_move) && marker_shows(2, 1); }));
    EXPECT_TRUE(referee.seat_named_on_every_view_and_move());

    game.click(window[2], 72, 72);
    expect_exit_zero(*player[2], 10);
    EXPECT_EQ(referee.requests("/resign"), 1);
}

// A refereed game on the real server: the test plays the other seat, or
// watches the bot play it, and follows the true board through the two seats'
// views, read with the tokens in their seat files.
class RefereedGameTest : public GameTest {
protected:
    RefereedGameTest() : GameTest({"--referee"}) {}
    ~RefereedGameTest() override {
        for (int n : {1, 2}) unlink(seat_file(n).c_str());
    }

    static std::string seat_file(int n) {
        return "/tmp/game-test-seat-" + std::to_string(getpid()) + "-" + std::to_string(n);
    }
    // A seat file as a player keeps it: the owner's alone.
    static void keep_seat(const std::string& path, const std::string& seat) {
        std::ofstream(path) << seat << "\n";
        chmod(path.c_str(), 0600);
    }
    // The seat kept in file `n`, once the program there has taken it.
    std::optional<Seat> kept_seat(int n) { return seat_from_text(read_file(seat_file(n))); }

    std::optional<GameView> view_of(const Seat& seat) {
        return view_from_text(ask_with("/view", {{"Seat", seat.token}}).body);
    }
    std::optional<Board> true_board() {
        auto first = view_of(*kept_seat(1));
        auto second = view_of(other);
        if (!first || !second) return std::nullopt;
        return true_board_of(*first, *second);
    }

    // The window's seat 1 with seat file 1.
    void start_window(const std::vector<std::string>& launcher = {}, std::vector<std::string> options = {}) {
        options.insert(options.end(), {"--seat-file", seat_file(1)});
        player[1] = &game.start_client(launcher, options);
        ASSERT_TRUE(wait_until([&] { return kept_seat(1).has_value(); })) << game.describe(*player[1]);
    }
    void find_window() {
        window[1] = game.board_window(*player[1]);
        ASSERT_NE(window[1], 0u) << game.describe(*player[1]);
        game.move_window(window[1], 0, 0);
    }

    // The window runs for the far row by clicks; `other_moves` moves seat 2,
    // or waits for it, in its turn; `before_move` runs before each of the
    // window's moves with the number of moves it has made.
    void play_to_the_end(const std::function<void(const Board&)>& other_moves,
                         const std::function<void(int)>& before_move = {}) {
        int window_moves = 0;
        while (ask("/who_win").body == "0") {
            ASSERT_LT(window_moves, 150) << "no winner after 150 moves of the window";
            const std::string turn = ask("/who").body;
            std::optional<Board> truth = true_board();
            ASSERT_TRUE(truth);
            if (turn == "2") other_moves(*truth);
            if (HasFatalFailure()) return;
            if (turn != "1") continue;
            if (before_move) before_move(window_moves);
            if (HasFatalFailure()) return;
            const std::optional<Move> step = planned_step(*truth, 1, 1);
            ASSERT_TRUE(step) << "player 1 has no legal move";
            // The bot may answer before a look at the turn would see it pass.
            const std::uint64_t version = view_from_text(ask("/view").body).value().version;
            ASSERT_TRUE(wait_until([&] { return marker_shows(1, 1); })) << "the window's turn never showed";
            select(1, step->from_column, step->from_row);
            game.click_square(window[1], step->to_column, step->to_row);
            ASSERT_TRUE(wait_until([&] { return view_from_text(ask("/view").body).value().version > version; }))
                << "the move was not taken; " << game.describe(*player[1]);
            ++window_moves;
        }
    }

    Seat other;
};

TEST_F(RefereedGameTest, AWindowKilledMidGameTakesItsSeatBackAndWinsByClicks) {
    start_window();
    const Reply taken = post("/seat", "the test's seat");
    ASSERT_TRUE(seat_from_text(taken.body)) << taken.body;
    other = *seat_from_text(taken.body);
    ASSERT_EQ(other.number, 2);
    find_window();
    const Seat first_seat = *kept_seat(1);
    GameClient client({game_host, game_port, ""});
    play_to_the_end(
        [&](const Board& truth) {
            const std::optional<Move> step = planned_step(truth, 2, 1);
            ASSERT_TRUE(step);
            ASSERT_EQ(post_move(client, other.token, *step), Answer::ok);
        },
        [&](int window_moves) {
            if (window_moves != 3) return;
            player[1]->send_signal(SIGKILL);
            ASSERT_TRUE(player[1]->wait_for_exit(std::chrono::seconds(10)));
            ASSERT_EQ(kept_seat(1), first_seat) << "the seat file did not outlive the window";
            start_window();
            find_window();
            const std::optional<GameView> view = view_of(first_seat);
            ASSERT_TRUE(view);
            EXPECT_TRUE(wait_until([&] {
                return shows_board_for(game.capture(window[1]), view->board, 1, view->last_move);
            }))
                << "the window that came back does not show the game as it stands";
        });
    if (HasFatalFailure()) return;
    EXPECT_EQ(ask("/who_win").body, "1");
    EXPECT_TRUE(wait_until([&] { return shows_picture(game.capture(window[1]), 0, 0, picture("1.png")); }));
    expect_exit_zero(*player[1], 30);
    EXPECT_NE(access(seat_file(1).c_str(), F_OK), 0) << "the seat file outlived the game";
    EXPECT_TRUE(ends_with(game.server().console(), player_one_wins));
}

TEST_F(RefereedGameTest, AFullGameOrASeatTheServerDoesNotKnowEndsTheWindowWithTwo) {
    ASSERT_EQ(post("/seat", "a").status, 200);
    ASSERT_EQ(post("/seat", "b").status, 200);
    keep_seat(seat_file(2), "1 0123456789abcdef0123456789abcdef");
    for (const auto& [options, reason] :
         {std::pair{std::vector<std::string>{}, "both seats"},
          std::pair{std::vector<std::string>{"--seat-file", seat_file(2)}, "does not know seat 1"}}) {
        ChildProcess& refused = game.start_client({}, options);
        EXPECT_EQ(refused.wait_for_exit(std::chrono::seconds(20)), 2) << reason;
        const std::string error = refused.standard_error();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

// The window on a machine of its own and the computer opponent beside it; the
// referee on another machine, with the key.
TEST_F(RefereedGameTest, AWholeGameAcrossTwoHostsBetweenTheWindowAndTheBot) {
    NetworkPair net("7F3K-9QX2-MC4D");
    auto server = net.start_server({"--referee"});
    ask = [&](const std::string& path) { return net.get(path); };
    ask_with = [&](const std::string& path, const httplib::Headers& headers) { return net.get(path, headers); };
    start_window(net.on_player_side(), net.server_options());
    std::vector<std::string> bot_options = net.server_options();
    bot_options.insert(bot_options.end(), {"--seat-file", seat_file(2)});
    BotRun bot = start_bot(909, 0, net.on_player_side(), bot_options);
    ASSERT_TRUE(wait_until([&] { return kept_seat(2).has_value(); })) << bot.process->standard_error();
    other = *kept_seat(2);
    find_window();
    play_to_the_end([&](const Board&) {
        ASSERT_TRUE(wait_until([&] { return ask("/who").body != "2"; })) << "the bot did not move";
    });
    if (HasFatalFailure()) return;
    const std::string winner = ask("/who_win").body;
    EXPECT_TRUE(wait_until([&] { return shows_picture(game.capture(window[1]), 0, 0, picture(winner + ".png")); }));
    expect_exit_zero(*player[1], 30);
    EXPECT_EQ(bot.process->wait_for_exit(std::chrono::seconds(30)), 0);
    EXPECT_NE(bot.process->standard_output().find("names player " + winner), std::string::npos);
    for (int n : {1, 2}) EXPECT_NE(access(seat_file(n).c_str(), F_OK), 0) << "seat file " << n;
    EXPECT_TRUE(ends_with(server->standard_output(), game_over_line(winner == "1" ? 1 : 2)));
    forget_bot_log(bot);
}

// A relay shows its host every piece: beyond loopback, a window not told to
// play one closes before it joins, and says why.
TEST_F(GameTest, AWindowOnAnotherHostPlaysARelayOnlyWithRelay) {
    NetworkPair net("7F3K-9QX2-MC4D");
    auto server = net.start_server();
    ChildProcess& client = game.start_client(net.on_player_side(), net.server_options());
    EXPECT_EQ(client.wait_for_exit(std::chrono::seconds(30)), 2);
    EXPECT_EQ(client.standard_error(), "client: the host runs a game without a referee, which shows the host "
                                       "every piece; --relay plays it all the same\n");
    EXPECT_EQ(net.get("/start").body, "0");
}

// Asking again would only be refused again: the window closes and says why.
TEST_F(GameTest, ARefusedKeyEndsTheClientWithStatus2AndTheReason) {
    NetworkPair net("7F3K-9QX2-MC4D");
    auto server = net.start_server();
    ChildProcess& client = game.start_client(net.on_player_side(), {"--server", net.server().host, "--key", "HJ4N-P8RT-2WVB"});
    EXPECT_EQ(client.wait_for_exit(std::chrono::seconds(30)), 2);
    EXPECT_NE(client.standard_error().find("refused the game key"), std::string::npos) << client.standard_error();
    EXPECT_EQ(server->standard_output(), "");
}

int front_row(int seat) { return seat == 1 ? 4 : 5; }

// An attack of `attacker`'s front piece straight across the river that ends in `wanted`.
std::optional<Move> fight(const Board& truth, int attacker, MoveOutcome wanted) {
    for (int column = 0; column < board_columns; ++column) {
        const Move move{column, front_row(attacker), column, front_row(opponent_of(attacker))};
        if (truth[column][move.from_row].owner == attacker &&
            truth[column][move.to_row].owner == opponent_of(attacker) && outcome_of(truth, move) == wanted) {
            return move;
        }
    }
    return std::nullopt;
}

// A step of `seat` onto the empty square of its half from behind its front
// row, so the pieces on the front rows stay where they are.
std::optional<Move> step_behind_front(const Board& truth, int seat) {
    const int first_row = seat == 1 ? 0 : half_rows;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = first_row; row < first_row + half_rows; ++row) {
            if (truth[column][row].owner != 0) continue;
            std::optional<Move> step;
            for_each_neighbour(column, row, [&](int from_column, int from_row) {
                const bool own_half = (from_row < half_rows) == (seat == 1);
                if (!step && own_half && from_row != front_row(seat) &&
                    truth[from_column][from_row].owner == seat) {
                    step = Move{from_column, from_row, column, row};
                }
            });
            return step;
        }
    }
    return std::nullopt;
}

Move reversed(const Move& move) { return Move{move.to_column, move.to_row, move.from_column, move.from_row}; }

// Another square that shows what square [column][row] shows, outside the last move.
std::optional<std::pair<int, int>> unmarked_twin(const GameView& view, int column, int row) {
    const Move& move = view.last_move->move;
    for (int c = 0; c < board_columns; ++c) {
        for (int r = 0; r < board_rows; ++r) {
            const bool in_move =
                (c == move.from_column && r == move.from_row) || (c == move.to_column && r == move.to_row);
            if (!in_move && view.board[c][r] == view.board[column][row]) return std::pair{c, r};
        }
    }
    return std::nullopt;
}

// The test takes both seats, so it knows every kind, and gives one to the
// window through its seat file. It moves both with plain requests: its own
// seat steps and attacks, the window's steps back and forth behind its front.
class MarkedMoveTest : public RefereedGameTest {
protected:
    Seat seats[3];
    int mine = 0;  // the test's seat
    Move step{}, won{}, lost{}, window_step{};
    GameClient client{{game_host, game_port, ""}};

    int theirs() const { return opponent_of(mine); }

    // Deals until one seat has a front piece that wins across the river and
    // one that loses; about one deal in forty has neither.
    bool deal_with_both_fights() {
        for (int deal = 0; deal < 6; ++deal) {
            if (deal > 0) game.restart_server();
            for (int number : {1, 2}) {
                const std::optional<Seat> taken = seat_from_text(post("/seat", "").body);
                if (!taken || taken->number != number) return false;
                seats[number] = *taken;
            }
            const std::optional<GameView> first = view_of(seats[1]);
            const std::optional<GameView> second = view_of(seats[2]);
            if (!first || !second) return false;
            const Board truth = true_board_of(*first, *second);
            for (int seat : {2, 1}) {
                const std::optional<Move> wins = fight(truth, seat, MoveOutcome::won);
                const std::optional<Move> loses = fight(truth, seat, MoveOutcome::lost);
                const std::optional<Move> quiet = step_behind_front(truth, seat);
                const std::optional<Move> other_quiet = step_behind_front(truth, opponent_of(seat));
                if (!wins || !loses || !quiet || !other_quiet) continue;
                mine = seat;
                step = *quiet;
                won = *wins;
                lost = *loses;
                window_step = *other_quiet;
                return true;
            }
        }
        return false;
    }

    void start_marked_window() {
        keep_seat(seat_file(theirs()), seat_text(seats[theirs()]));
        player[theirs()] = &game.start_client({}, {"--seat-file", seat_file(theirs())});
        window[theirs()] = game.board_window(*player[theirs()]);
        ASSERT_NE(window[theirs()], 0u) << game.describe(*player[theirs()]);
    }

    void let_the_window_move() {
        const std::optional<GameView> view = view_of(seats[theirs()]);
        ASSERT_TRUE(view);
        if (view->turn != theirs()) return;
        ASSERT_EQ(post_move(client, seats[theirs()].token, window_step), Answer::ok);
        window_step = reversed(window_step);
    }

    struct Marks {
        std::vector<std::uint32_t> left;
        std::vector<std::uint32_t> reached;
    };

    // Makes the test's move, checks the window's marks and keeps them in `marks`.
    void move_and_look(const Move& move, MoveOutcome outcome, const std::string& name, Marks& marks) {
        let_the_window_move();
        if (HasFatalFailure()) return;
        const std::optional<GameView> before = view_of(seats[theirs()]);
        ASSERT_TRUE(before);
        ASSERT_EQ(post_move(client, seats[mine].token, move), Answer::ok) << name;
        const std::optional<GameView> after = view_of(seats[theirs()]);
        ASSERT_TRUE(after);
        ASSERT_EQ(after->last_move, (LastMove{move, outcome})) << name;
        const int squares[2][2] = {{move.from_column, move.from_row}, {move.to_column, move.to_row}};
        std::pair<int, int> twins[2];
        for (int i = 0; i < 2; ++i) {
            const auto twin = unmarked_twin(*after, squares[i][0], squares[i][1]);
            ASSERT_TRUE(twin) << name;
            twins[i] = *twin;
        }
        const char* badges[] = {"lost_st.png", "lost_jd.png", "lost_b.png"};
        const Cell defender = before->board[move.to_column][move.to_row];
        auto shows_badge = [&](const Capture& shot) {
            return defender.owner == theirs() &&
                   shows_picture(shot, corner_x(move.to_column) + square_size - piece_inset - badge_size,
                                 corner_y(move.to_row) + piece_inset, picture(badges[defender.kind]));
        };
        auto unlike_twin = [&](const Capture& shot, int i) {
            return square_pixels(shot, squares[i][0], squares[i][1]) !=
                   square_pixels(shot, twins[i].first, twins[i].second);
        };
        auto left_mark_alone = [&](const Capture& shot) {
            return shows_picture(shot, corner_x(move.from_column), corner_y(move.from_row),
                                 picture("from_" + name + ".png"));
        };
        // The marks are drawn after the board, so the window may show a
        // moment without them.
        Capture shot;
        wait_until([&] {
            shot = game.capture(window[theirs()]);
            return left_mark_alone(shot) && unlike_twin(shot, 0) && unlike_twin(shot, 1) &&
                   shows_badge(shot) == (outcome == MoveOutcome::won);
        });
        EXPECT_TRUE(left_mark_alone(shot)) << "the square the " << name << " left does not show its mark alone";
        for (int i = 0; i < 2; ++i) {
            EXPECT_TRUE(unlike_twin(shot, i)) << name << ": square " << squares[i][0] << squares[i][1]
                                              << " looks like the unmarked " << twins[i].first << twins[i].second;
        }
        EXPECT_EQ(shows_badge(shot), outcome == MoveOutcome::won) << name << ": the lost defender's badge";
        marks = Marks{square_pixels(shot, move.from_column, move.from_row),
                      square_margin(shot, move.to_column, move.to_row)};
    }
};

// The window's player sees what the other seat just did: on the square it
// left and the square it reached, a mark of its own for a step, a won attack
// and a lost attack, and the kind of an own piece it cost.
TEST_F(MarkedMoveTest, TheOtherSeatsLastMoveIsMarkedOnBothSquares) {
    ASSERT_TRUE(deal_with_both_fights()) << "no deal offered both fights";
    start_marked_window();
    if (HasFatalFailure()) return;
    Marks step_marks, won_marks, lost_marks;
    move_and_look(step, MoveOutcome::step, "step", step_marks);
    move_and_look(won, MoveOutcome::won, "won", won_marks);
    move_and_look(lost, MoveOutcome::lost, "lost", lost_marks);
    if (HasFailure()) return;
    EXPECT_NE(step_marks.left, won_marks.left);
    EXPECT_NE(step_marks.left, lost_marks.left);
    EXPECT_NE(won_marks.left, lost_marks.left);
    EXPECT_NE(step_marks.reached, won_marks.reached);
    EXPECT_NE(step_marks.reached, lost_marks.reached);
    EXPECT_NE(won_marks.reached, lost_marks.reached);
}

}  // namespace
