// Whole games as players play them: two real client windows on a private X
// display against the real server, driven by real clicks and checked by
// captures of the windows.

#include "game_harness.h"
#include "bot_process.h"
#include "move_planner.h"
#include "network_pair.h"
#include "referee_stand_in.h"

#include "board.h"
#include "game_constants.h"
#include "game_view.h"
#include "layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <thread>
#include <unistd.h>

namespace {

const std::string player_one_wins = game_over_line(1);
const std::string player_two_wins = game_over_line(2);

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The selected-square picture shows only as the frame around the piece.
bool shows_selection(const Capture& shot, int column, int row) {
    if (shot.width != board_window_width || shot.height != board_window_height) return false;
    const Capture& frame = picture("xz.png");
    const int x = corner_x(column);
    const int y = corner_y(row);
    for (int dy = 0; dy < 72; ++dy) {
        for (int dx = 0; dx < 72; ++dx) {
            const bool border = dx < 4 || dx >= 68 || dy < 4 || dy >= 68;
            if (border && shot.at(x + dx, y + dy) != frame.at(dx, dy)) return false;
        }
    }
    return true;
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
    GameHarness game;
    ChildProcess* player[3] = {};
    unsigned long window[3] = {};
    // A GET to the game's server.
    std::function<Reply(const std::string&)> ask = get;

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
        })) << "the move was not handed over";
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
                                               {"--server"}, {"--fullscreen"}}) {
        ChildProcess client(CLIENT_PATH, args, "", {{"DISPLAY", ":59"}});
        EXPECT_EQ(client.wait_for_exit(std::chrono::seconds(10)), 2) << args[0];
        const std::string error = client.standard_error();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    }
    ChildProcess help(CLIENT_PATH, {"--help"});
    EXPECT_EQ(help.wait_for_exit(std::chrono::seconds(10)), 0);
    EXPECT_NE(help.standard_output().find("--server HOST[:PORT]"), std::string::npos);
}

// One player's window on a machine of its own and the computer opponent
// beside it; the server on another machine, with a key.
TEST_F(GameTest, WindowPlaysAcrossTwoHostsWithTheKey) {
    NetworkPair net("7F3K-9QX2-MC4D");
    auto server = net.start_server();
    ask = [&](const std::string& path) { return net.get(path); };
    player[1] = &game.start_client(net.on_player_side(), net.server_options());
    ASSERT_TRUE(wait_until([&] { return ask("/start").body == "1"; })) << game.describe(*player[1]);
    // The bot thinks for a second, so the turn shows as its own for a while.
    BotRun bot = start_bot(606, 1000, net.on_player_side(), net.server_options());
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

int front_row(int seat) { return seat == 1 ? 4 : 5; }

// Every piece with its kind: each seat's own pieces from its own view.
Board both_views(const GameView& seat_1, const GameView& seat_2) {
    Board truth = seat_1.board;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            if (seat_2.board[column][row].owner == 2) truth[column][row] = seat_2.board[column][row];
        }
    }
    return truth;
}

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

// A refereed game: the test takes both seats, so it knows every kind, gives
// one to a real client window through a seat file and moves the other with
// plain requests.
class RefereedGameTest : public ::testing::Test {
protected:
    GameHarness game{std::vector<std::string>{"--referee"}};
    TestSeat seats[3];
    int mine = 0;     // the test's seat; the window plays the other
    Move step{}, won{}, lost{};
    Move window_step{};
    unsigned long window = 0;
    std::string folder;

    ~RefereedGameTest() override {
        if (!folder.empty()) run_command("rm -rf '" + folder + "'");
    }

    TestSeat& theirs() { return seats[opponent_of(mine)]; }

    // Deals until one seat has a front piece that wins across the river and
    // one that loses; about one deal in forty has neither.
    bool deal_with_both_fights() {
        for (int deal = 0; deal < 6; ++deal) {
            if (deal > 0) game.restart_server();
            for (int number : {1, 2}) {
                std::optional<TestSeat> taken = take_seat();
                if (!taken || taken->number != number) return false;
                seats[number] = *taken;
            }
            const std::optional<GameView> first = seat_view(seats[1]);
            const std::optional<GameView> second = seat_view(seats[2]);
            if (!first || !second) return false;
            const Board truth = both_views(*first, *second);
            for (int seat : {2, 1}) {
                std::optional<Move> wins = fight(truth, seat, MoveOutcome::won);
                std::optional<Move> loses = fight(truth, seat, MoveOutcome::lost);
                std::optional<Move> quiet = step_behind_front(truth, seat);
                std::optional<Move> other_quiet = step_behind_front(truth, opponent_of(seat));
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

    void start_window() {
        char pattern[] = "/tmp/marks-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        const std::string seat_file = folder + "/seat";
        const int file = open(seat_file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(file, 0);
        const std::string text = std::to_string(theirs().number) + " " + theirs().token + "\n";
        ASSERT_EQ(write(file, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(file);
        ChildProcess& client = game.start_client({}, {"--seat-file", seat_file});
        window = game.board_window(client);
        ASSERT_NE(window, 0u) << game.describe(client);
    }

    // The window's seat steps back and forth behind its front row when its turn comes.
    void let_the_window_move() {
        const std::optional<GameView> view = seat_view(theirs());
        ASSERT_TRUE(view);
        if (view->turn != theirs().number) return;
        ASSERT_EQ(seat_post(theirs(), "/move", move_text(window_step)).body, "ok");
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
        const std::optional<GameView> before = seat_view(theirs());
        ASSERT_TRUE(before);
        ASSERT_EQ(seat_post(seats[mine], "/move", move_text(move)).body, "ok") << name;
        const std::optional<GameView> after = seat_view(theirs());
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
            return defender.owner == theirs().number &&
                   shows_picture(shot, corner_x(move.to_column) + square_size - piece_inset - badge_size,
                                 corner_y(move.to_row) + piece_inset, picture(badges[defender.kind]));
        };
        auto unlike_twin = [&](const Capture& shot, int i) {
            return square_pixels(shot, squares[i][0], squares[i][1]) !=
                   square_pixels(shot, twins[i].first, twins[i].second);
        };
        // The marks are drawn after the board, so the window may show a
        // moment without them.
        Capture shot;
        wait_until([&] {
            shot = game.capture(window);
            return shows_picture(shot, corner_x(move.from_column), corner_y(move.from_row),
                                 picture("from_" + name + ".png")) &&
                   unlike_twin(shot, 0) && unlike_twin(shot, 1) && shows_badge(shot) == (outcome == MoveOutcome::won);
        });
        EXPECT_TRUE(shows_picture(shot, corner_x(move.from_column), corner_y(move.from_row),
                                  picture("from_" + name + ".png")))
            << "the square the " << name << " left does not show its mark alone";
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
TEST_F(RefereedGameTest, TheOtherSeatsLastMoveIsMarkedOnBothSquares) {
    ASSERT_TRUE(deal_with_both_fights()) << "no deal offered both fights";
    start_window();
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
