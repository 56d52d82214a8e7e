// The real bot against the real server: whole games, and the bot facing an
// opponent that sends the windowed client's requests.

#include "board_fixture.h"
#include "game_constants.h"
#include "bot_process.h"
#include "protocol.h"
#include "game_view.h"
#include "network_pair.h"
#include "referee_game.h"
#include "referee_record.h"
#include "referee_stand_in.h"
#include "relay_check.h"
#include "rules.h"
#include "server_process.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

using namespace core;
using namespace bot;
using namespace support;

namespace {

using namespace std::chrono_literals;

constexpr auto game_limit = 60s;

std::string bot_says(const BotRun& run) { return run.process->standard_output(); }

TEST(BotProgram, HelpExplainsTheOptions) {
    ChildProcess bot(BOT_PATH, {"--help"});
    EXPECT_EQ(bot.wait_for_exit(5s), 0);
    std::string help = bot.standard_output();
    for (const char* option : {"--level", "--think", "--seed", "--log", "--explain", "--relay", "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(BotProgram, RefusesAnUnknownOption) {
    ChildProcess bot(BOT_PATH, {"--fast"});
    EXPECT_EQ(bot.wait_for_exit(5s), 2);
    EXPECT_NE(bot.standard_error().find("--fast"), std::string::npos);
}

// Asking again would only be refused again: the bot stops and says why.
TEST(BotProgram, ARefusedKeyEndsItWithStatus2AndTheReason) {
    ServerProcess server({"--key", "7F3K-9QX2-MC4D"});
    ChildProcess wrong(BOT_PATH, {"--key", "HJ4N-P8RT-2WVB"});
    EXPECT_EQ(wrong.wait_for_exit(5s), 2);
    EXPECT_EQ(wrong.standard_error(), "bot: the game server at localhost:8089 refused the game key: "
                                      "check it with the player who hosts the game\n");
    ChildProcess none(BOT_PATH);
    EXPECT_EQ(none.wait_for_exit(5s), 2);
    EXPECT_NE(none.standard_error().find("asks for the game key"), std::string::npos) << none.standard_error();
    EXPECT_EQ(server.console(), "");
}

// Both bots end with status 0 after a whole game the server relayed
// faithfully; `ask` sends a GET to that server.
void expect_whole_game(BotRun& first, BotRun& second, ChildProcess& server,
                       const std::function<Reply(const std::string&)>& ask) {
    ASSERT_EQ(first.process->wait_for_exit(game_limit), 0) << bot_says(first) << first.process->standard_error();
    ASSERT_EQ(second.process->wait_for_exit(game_limit), 0) << bot_says(second);
    RelayedGame game = check_relayed_game(read_bot_record(first.log_path), read_bot_record(second.log_path));
    for (const auto& fault : game.faults) ADD_FAILURE() << fault;
    ASSERT_NE(game.winner, 0);
    EXPECT_GT(game.moves, 0);
    EXPECT_EQ(end_of_game_lines(server.standard_output()), 1);
    EXPECT_TRUE(server.standard_output().ends_with(game_over_line(game.winner)));
    EXPECT_EQ(ask("/who_win").body, std::to_string(game.winner));
    EXPECT_EQ(ask("/what").body, game.last_board);
    std::string told = "names player " + std::to_string(game.winner);
    EXPECT_TRUE(bot_says(first).find(told) != std::string::npos ||
                bot_says(second).find(told) != std::string::npos);
    forget_bot_log(first);
    forget_bot_log(second);
}

TEST(BotGame, TwoBotsPlayAWholeGameThroughTheServer) {
    ServerProcess server;
    BotRun first = start_bot(101, 5);
    BotRun second = start_bot(202, 5);
    expect_whole_game(first, second, server.process(), [](const std::string& path) { return get(path); });
}

// The server on one machine, listening on its network address with a key
// and no referee; both bots on another, told that they play a relay.
TEST(BotGame, TwoBotsPlayAcrossTwoHostsWithTheKey) {
    NetworkPair net("7F3K-9QX2-MC4D");
    auto server = net.start_server();
    std::vector<std::string> options = net.server_options();
    options.push_back("--relay");
    BotRun first = start_bot(111, 0, net.on_player_side(), options);
    BotRun second = start_bot(222, 0, net.on_player_side(), options);
    expect_whole_game(first, second, *server, [&](const std::string& path) { return net.get(path); });
}

// A relay shows its host every piece: beyond loopback, a bot not told to play
// one stops before it joins, and says why.
TEST(BotGame, ARelayOnAnotherHostIsPlayedOnlyWithRelay) {
    NetworkPair net("7F3K-9QX2-MC4D");
    auto server = net.start_server();
    BotRun bot = start_bot(333, 0, net.on_player_side(), net.server_options());
    EXPECT_EQ(bot.process->wait_for_exit(game_limit), 2);
    EXPECT_EQ(bot.process->standard_error(),
              "bot: the host runs a game without a referee, which shows the host every piece; "
              "--relay plays it all the same\n");
    EXPECT_EQ(net.get("/start").body, "0");
    forget_bot_log(bot);
}

// Where /etc/hosts names ::1 first, a program of another user listening on
// [::1]:8089 beside a server on every IPv4 interface gets not one connection
// from a bot that uses the default server; the key reaches it by GAME_KEY.
TEST(BotGame, AnImpostorOnTheOtherLoopbackGetsNothing) {
    NetworkPair net("7F3K-9QX2-MC4D");
    net.set_server_side_hosts("::1 localhost\n127.0.0.1 localhost\n");
    const int impostor = net.listen_on_server_side_ipv6_loopback(default_port);
    auto words = net.on_server_side();
    words.insert(words.end(), {SERVER_PATH, "--listen", "0.0.0.0"});
    const std::map<std::string, std::string> keyed{{"GAME_KEY", net.server().key}};
    ChildProcess server(words[0], {words.begin() + 1, words.end()}, "", keyed);
    for (int look = 0; look < 500 && net.get("/who").status != 200; ++look) std::this_thread::sleep_for(10ms);
    BotRun bot = start_bot(707, 0, net.on_server_side(), {}, keyed);
    for (int look = 0; look < 500 && net.get("/start").body != "1"; ++look) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(net.get("/start").body, "1") << bot.process->standard_error();
    pollfd waiting{impostor, POLLIN, 0};
    EXPECT_EQ(poll(&waiting, 1, 0), 0) << "the impostor was reached";
    close(impostor);
    forget_bot_log(bot);
}

// The test plays player 1 with the requests the windowed client sends.
class AgainstClientRequests : public BoardTest {
protected:
    // Joins first, then lets the bot join as player 2.
    BotRun join_with_bot(unsigned seed, const std::string& level = "easy") {
        my_player = join_game(client);
        EXPECT_EQ(my_player, 1);
        BotRun bot = start_bot(seed, 0, {}, {"--level", level, "--explain"});
        wait_for_start(client);
        return bot;
    }
    void wait_for_my_turn() {
        auto deadline = std::chrono::steady_clock::now() + game_limit;
        while (std::chrono::steady_clock::now() < deadline) {
            ASSERT_EQ(ask_who_win(client), "0");
            if (is_turn_of(client, my_player)) return;
        }
        FAIL() << "the bot never handed the turn back";
    }
    // False once somebody has won.
    bool wait_for_turn_or_end() {
        auto deadline = std::chrono::steady_clock::now() + game_limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (ask_who_win(client) != "0") return false;
            if (is_turn_of(client, my_player)) return true;
        }
        ADD_FAILURE() << "the bot neither moved nor ended the game";
        return false;
    }
    // A plain step of one of our pieces onto an empty square short of the far row.
    void make_quiet_move(std::mt19937& rng) {
        std::vector<std::array<int, 4>> steps;
        for (int column = 0; column < board_columns; ++column) {
            for (int row = 0; row < board_rows; ++row) {
                if (board[column][row].owner != 1) continue;
                for (auto [c, r] : {std::pair{column, row + 1}, {column, row - 1}, {column + 1, row},
                                    {column - 1, row}}) {
                    if (on_board(c, r) && board[c][r].owner == 0 && r != far_row(1)) {
                        steps.push_back({column, row, c, r});
                    }
                }
            }
        }
        ASSERT_FALSE(steps.empty());
        auto step = steps[std::uniform_int_distribution<std::size_t>(0, steps.size() - 1)(rng)];
        ASSERT_EQ(make_move(board, 1, step[0], step[1], step[2], step[3]), MoveResult::ordinary);
    }
    GameClient client{{default_host, default_port, ""}};
};

TEST_F(AgainstClientRequests, BotAnswersEachMoveWithOneLegalStepAndTakesTheForfeit) {
    ServerProcess server;
    BotRun bot = join_with_bot(303);
    std::srand(303);
    deal_board(board, [] { return std::rand() % 5; });
    post_board(client, board);
    std::mt19937 rng(303);
    for (int round = 0; round < 3; ++round) {
        make_quiet_move(rng);
        post_board(client, board);
        std::string ours = board_text(board);
        hand_over_turn(client);
        wait_for_my_turn();
        board = fetch_board(client);
        EXPECT_EQ(step_fault(ours, board_text(board), 2), "") << "round " << round;
    }
    post_win(client, 2);
    ASSERT_EQ(bot.process->wait_for_exit(game_limit), 0);
    EXPECT_NE(bot_says(bot).find("names player 2 as the winner"), std::string::npos) << bot_says(bot);
    EXPECT_EQ(end_of_game_lines(server.console()), 1);
    forget_bot_log(bot);
}

TEST_F(AgainstClientRequests, BotWaitsForAWholeStartingBoard) {
    ServerProcess server;
    BotRun bot = join_with_bot(404);
    ASSERT_EQ(post("/chess", "1111").body, "ok");
    std::this_thread::sleep_for(200ms);
    put(2, 2, Rock, 1);
    put(2, 7, Paper, 2);
    post_board(client, board);
    std::string starting = board_text(board);
    hand_over_turn(client);
    wait_for_my_turn();
    post_win(client, 2);
    ASSERT_EQ(bot.process->wait_for_exit(game_limit), 0);
    EXPECT_EQ(read_bot_record(bot.log_path).starting_board, starting);
    forget_bot_log(bot);
}

TEST_F(AgainstClientRequests, BotWithNoPieceThatCanMoveGivesTheGameUp) {
    ServerProcess server;
    BotRun bot = join_with_bot(505);
    put(0, 0, Rock, 1);
    post_board(client, board);
    hand_over_turn(client);
    ASSERT_EQ(bot.process->wait_for_exit(game_limit), 0);
    EXPECT_NE(bot_says(bot).find("give the game up"), std::string::npos) << bot_says(bot);
    EXPECT_EQ(ask_who_win(client), "1");
    EXPECT_EQ(end_of_game_lines(server.console()), 1);
    forget_bot_log(bot);
}

// A runner of the bot's two steps from our back row and one piece of ours far
// away: at every level the bot walks in, and the server hears of one end. It
// tells why it took each step: easy weighs them all, the search takes the
// last, a sure win, without weighing.
TEST_F(AgainstClientRequests, BotAtEachLevelPlaysAGameThroughToOneEnd) {
    for (const char* level : {"easy", "normal", "hard"}) {
        SCOPED_TRACE(level);
        ServerProcess server;
        board = Board{};
        BotRun bot = join_with_bot(606, level);
        put(0, 2, Rock, 2);
        put(4, 6, Paper, 1);
        post_board(client, board);
        std::mt19937 rng(606);
        for (int round = 0; round < 10; ++round) {
            make_quiet_move(rng);
            post_board(client, board);
            hand_over_turn(client);
            if (!wait_for_turn_or_end()) break;
            board = fetch_board(client);
        }
        ASSERT_EQ(bot.process->wait_for_exit(game_limit), 0) << bot_says(bot);
        std::string told = bot.process->standard_error();
        bool easy = std::string(level) == "easy";
        EXPECT_NE(told.find(easy ? " value " : " visits "), std::string::npos) << told;
        EXPECT_EQ(ask_who_win(client), "2");
        EXPECT_EQ(end_of_game_lines(server.console()), 1);
        forget_bot_log(bot);
    }
}

// Calls `condition` until it holds, for at most `limit`.
bool holds_within(const std::function<bool()>& condition, std::chrono::seconds limit = 30s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
    return condition();
}

// Seat 2 against a stand-in referee that counts requests: waiting through the
// other seat's turn costs a handful of requests, the long poll wakes on the
// other seat's move, and the answer is one legal move sent with the seat.
TEST(RefereedBot, WaitsQuietlyAndAnswersTheOtherSeatsMove) {
    RefereeStandIn referee(2);
    Board truth;
    std::srand(23);
    deal_board(truth, [] { return std::rand() % 5; });
    referee.set_view({board_seen_by(truth, 2), 1, 0, std::nullopt, 0});
    BotRun bot = start_bot(707, 0, {}, referee.server_options());
    ASSERT_TRUE(holds_within([&] { return referee.requests("/view") >= 2; })) << bot.process->standard_error();
    const int before_wait = referee.all_requests();
    std::this_thread::sleep_for(2s);
    EXPECT_LE(referee.all_requests() - before_wait, 5) << "requests while the other seat thinks";

    const Move opening = legal_moves(truth, 1).front();
    const MoveOutcome outcome = outcome_of(truth, opening);
    make_move(truth, 1, opening.from_column, opening.from_row, opening.to_column, opening.to_row);
    referee.set_view({board_seen_by(truth, 2), 2, 0, LastMove{opening, outcome}, 0});
    ASSERT_TRUE(holds_within([&] { return referee.moves().size() == 1; })) << "the bot did not wake";
    const std::optional<Move> answer = move_from_text(referee.moves()[0]);
    ASSERT_TRUE(answer) << referee.moves()[0];
    EXPECT_TRUE(is_legal_move(truth, 2, answer->from_column, answer->from_row, answer->to_column, answer->to_row));
    EXPECT_TRUE(referee.seat_named_on_every_view_and_move());

    referee.set_view({board_seen_by(truth, 2), 0, 1, LastMove{*answer, MoveOutcome::step}, 0});
    ASSERT_EQ(bot.process->wait_for_exit(game_limit), 0);
    EXPECT_NE(bot_says(bot).find("names player 1"), std::string::npos) << bot_says(bot);
    forget_bot_log(bot);
}

// A whole game through the referee: every view either bot received shows it
// its own kinds and a 9 on every opposing piece, and so does the public view.
TEST(RefereedBot, TwoBotsPlayAWholeGameAndNeitherIsShownAnOpposingKind) {
    ServerProcess server({"--referee"});
    BotRun first = start_bot(121, 0);
    BotRun second = start_bot(212, 0);
    ASSERT_EQ(first.process->wait_for_exit(game_limit), 0) << first.process->standard_error();
    ASSERT_EQ(second.process->wait_for_exit(game_limit), 0) << second.process->standard_error();
    int winner = 0;
    for (const BotRun* bot : {&first, &second}) {
        struct stat status {};
        ASSERT_EQ(stat(bot->log_path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u) << "the record shows the bot's kinds to other users";
        const RefereeRecord record = read_referee_record(bot->log_path);
        EXPECT_EQ(record.unreadable_views, 0);
        ASSERT_FALSE(record.views.empty());
        EXPECT_FALSE(record.moves.empty());
        for (const StampedView& seen : record.views) {
            const std::string fault = view_fault(seen.view, record.seat);
            ASSERT_EQ(fault, "") << "seat " << record.seat;
        }
        // A bot that resigns, having no piece that can move, sees no view after.
        winner = std::max(winner, record.views.back().view.winner);
    }
    ASSERT_NE(winner, 0);
    const std::string told = "names player " + std::to_string(winner);
    EXPECT_TRUE(bot_says(first).find(told) != std::string::npos || bot_says(second).find(told) != std::string::npos);
    const std::optional<GameView> public_view = view_from_text(get("/view").body);
    ASSERT_TRUE(public_view);
    EXPECT_EQ(view_fault(*public_view, 0), "");
    EXPECT_EQ(end_of_game_lines(server.console()), 1);
    EXPECT_TRUE(server.console().ends_with(game_over_line(winner)));
    forget_bot_log(first);
    forget_bot_log(second);
}

TEST(RefereedBot, AFullGameOrASeatTheServerDoesNotKnowEndsTheBotWithTwo) {
    ServerProcess server({"--referee"});
    ASSERT_EQ(post("/seat", "a").status, 200);
    ASSERT_EQ(post("/seat", "b").status, 200);
    const std::string seat_file = "/tmp/game-test-bot-seat-" + std::to_string(getpid());
    std::ofstream(seat_file) << "2 0123456789abcdef0123456789abcdef\n";
    chmod(seat_file.c_str(), 0600);
    for (const auto& [options, reason] :
         {std::pair{std::vector<std::string>{}, "both seats"},
          std::pair{std::vector<std::string>{"--seat-file", seat_file}, "does not know seat 2"}}) {
        BotRun bot = start_bot(1, 0, {}, options);
        EXPECT_EQ(bot.process->wait_for_exit(game_limit), 2) << reason;
        const std::string error = bot.process->standard_error();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        forget_bot_log(bot);
    }
    unlink(seat_file.c_str());
}

// The bot reads how its attack ended from the view after it, or, once the
// opponent has answered, from the attacked square through the answer.
TEST(RefereedBot, LearnsItsAttacksOutcomeEvenAfterTheOpponentsAnswer) {
    PlayerView before{};
    before[2][4] = {Rock, 1};
    before[2][5] = {hidden_kind, 2};
    const Move attack{2, 4, 2, 5};
    const PlayerView took = after_step(before, attack);
    const PlayerView lost = after_lost_attack(before, attack);
    struct Case {
        LastMove last;
        int owner_on_target;
        const PlayerView* expected;
    };
    const Case cases[] = {
        {{attack, MoveOutcome::won}, 1, &took},
        {{attack, MoveOutcome::lost}, 2, &lost},
        {{Move{2, 6, 2, 5}, MoveOutcome::won}, 2, &took},   // the taken square attacked back
        {{Move{2, 5, 3, 5}, MoveOutcome::step}, 0, &lost},  // the defender stayed and stepped on
        {{Move{0, 9, 0, 8}, MoveOutcome::step}, 1, &took},
        {{Move{0, 9, 0, 8}, MoveOutcome::step}, 2, &lost},
    };
    for (const Case& c : cases) {
        GameView later;
        later.board[2][5] = Cell{c.owner_on_target == 2 ? hidden_kind : 0, c.owner_on_target};
        later.last_move = c.last;
        const PlayerView after = view_after_own_move(before, attack, later);
        for (int column = 0; column < board_columns; ++column) {
            for (int row = 0; row < board_rows; ++row) {
                const Cell& got = after[column][row];
                const Cell& want = (*c.expected)[column][row];
                EXPECT_TRUE(got.owner == want.owner && got.kind == want.kind)
                    << last_move_text(c.last) << " at " << column << row;
            }
        }
    }
}

}  // namespace