// The real server with --referee on its real port: seats, refused moves, what
// each seat is shown, the record, and the long poll.

#include "game_constants.h"
#include "game_view.h"
#include "raw_connection.h"
#include "referee.h"
#include "server_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <future>
#include <random>
#include <sstream>
#include <thread>

using namespace core;
using namespace server;
using namespace support;

namespace {

httplib::Headers seat(const std::string& token) { return {{"Seat", token}}; }

GameView view_from(const Reply& reply) {
    EXPECT_EQ(reply.status, 200) << reply.body;
    return view_from_text(reply.body).value_or(GameView{});
}

GameView view_of(const std::string& token) { return view_from(get("/view", seat(token))); }

// No piece but the seat's own shows its kind; seat 0 owns none.
void expect_hidden(const Board& board, int seat) {
    for (const auto& column : board) {
        for (const Cell& cell : column) {
            ASSERT_TRUE(cell.owner == 0 || (cell.kind == hidden_kind) == (cell.owner != seat));
        }
    }
}

class RefereeTest : public ::testing::Test {
protected:
    // "N TOKEN"; the token alone.
    static std::string take(const std::string& request_id = "") {
        Reply reply = post("/seat", request_id);
        EXPECT_EQ(reply.status, 200);
        return reply.body.substr(reply.body.find(' ') + 1);
    }
    // Refused with `status` and `reason`, and the game exactly as it was.
    void expect_refused(const std::string& path, const std::string& body, const httplib::Headers& headers,
                        int status, const std::string& reason = "") {
        const std::string before = get("/view").body;
        const bool posted = path == "/move" || path == "/resign" || path == "/chess" || path == "/win";
        Reply reply = posted ? post(path, body, headers) : get(path, headers);
        EXPECT_EQ(reply.status, status) << path << " '" << body << "'";
        EXPECT_TRUE(reason.empty() || reply.body == reason) << path << " '" << body << "': " << reply.body;
        EXPECT_EQ(get("/view").body, before);
    }

public:
    void deal() {
        one = take();
        two = take();
    }

    ServerProcess server{{"--referee"}};
    std::string one;
    std::string two;
};

const std::string joined = std::string(player_one_joined) + "\n" + std::string(player_two_joined) + "\n";

TEST_F(RefereeTest, SeatsGoOnceEachAndARetryKeepsItsSeat) {
    one = take("first try");
    EXPECT_EQ(view_from(get("/view")).version, 1u);
    EXPECT_EQ(post("/seat", "first try").body, "1 " + one);
    EXPECT_EQ(post("/seat", std::string(65, 'x')).status, 413);
    EXPECT_EQ(get("/start").body, "1");
    two = take(std::string(64, 'x'));
    EXPECT_EQ(post("/seat", "").status, 409);
    EXPECT_EQ(post("/seat", "third").status, 409);
    EXPECT_EQ(post("/seat", std::string(64, 'x')).body, "2 " + two);
    EXPECT_EQ(post("/seat", "first try").body, "1 " + one) << "the first seat's id, after both are taken";
    EXPECT_EQ(one.size(), 32u);
    EXPECT_EQ(one.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(one, two);
    EXPECT_EQ(view_from(get("/view")).version, 2u) << "a retry is not a change";
    EXPECT_EQ(server.console(), joined);
}

TEST_F(RefereeTest, RefusedMovesChangeNothing) {
    one = take();
    expect_refused("/move", "0 4 0 5", seat(one), 409, "the game has not started\n");
    expect_refused("/resign", "", seat(one), 409, "the game has not started\n");
    two = take();
    const Board mine = view_of(one).board;
    std::string forged = one;
    forged[31] = forged[31] == '0' ? '1' : '0';
    for (const auto& headers : {seat(forged), seat(one.substr(0, 31)), seat(one + "0")}) {
        expect_refused("/move", move_text(legal_moves(mine, 1)[0]), headers, 403, "no seat has this token\n");
        expect_refused("/view", "", headers, 403);
        expect_refused("/record", "", headers, 403);
    }
    expect_refused("/move", move_text(legal_moves(mine, 1)[0]), {}, 403);
    expect_refused("/resign", "", {}, 403);
    expect_refused("/move", move_text(legal_moves(mine, 2)[0]), seat(two), 409, "not your turn\n");
    expect_refused("/move", move_text(legal_moves(mine, 2)[0]), seat(one), 409, "not your piece\n");
    expect_refused("/move", "5 0 4 0", seat(one), 409, "not your piece\n");
    for (int column = 0; column < board_columns; ++column) {
        if (mine[column][0].owner != 1) continue;
        expect_refused("/move", move_text({column, 0, column, 2}), seat(one), 409, "not one step\n");
        if (mine[column][1].owner == 1) {
            expect_refused("/move", move_text({column, 0, column, 1}), seat(one), 409, "onto your own piece\n");
        }
    }
    for (int row = 0; row < half_rows; ++row) {
        if (mine[4][row].owner == 1) {
            expect_refused("/move", move_text({4, row, 5, row}), seat(one), 409, "not one step\n");
        }
    }
    for (const char* body : {"", "0 4 0 5\n", "0 4 0 5 ", "0,4,0,5", "04 0 5"}) {
        expect_refused("/move", body, seat(one), 400);
    }
    expect_refused("/move", std::string(65, ' '), seat(one), 413);
    expect_refused("/resign", std::string(65, ' '), seat(two), 413);

    EXPECT_EQ(post("/resign", "", seat(two)).body, "ok");
    EXPECT_EQ(server.console(), joined + game_over_line(1));
    expect_refused("/move", move_text(legal_moves(mine, 1)[0]), seat(one), 409, "the game is over\n");
    expect_refused("/resign", "", seat(one), 409, "the game is over\n");
    EXPECT_EQ(server.console(), joined + game_over_line(1));
}

TEST_F(RefereeTest, RelayRoutesNeitherShowNorChangeTheBoard) {
    deal();
    for (const char* path : {"/join", "/what", "/next"}) {
        expect_refused(path, "", {}, 403);
        const std::string reason = get(path).body;
        EXPECT_EQ(reason.find('\n'), reason.size() - 1) << "one line: " << reason;
    }
    expect_refused("/chess", std::string(64, '0'), {}, 403);
    expect_refused("/chess", std::string(100, '0'), {}, 413);
    expect_refused("/win", "2", {}, 403);
    EXPECT_EQ(get("/start").body, "2");
    EXPECT_EQ(get("/who").body, "1");
    EXPECT_EQ(get("/who_win").body, "0");
    EXPECT_EQ(server.console(), joined);
}

// Both seats play random legal steps from their own views, forward when they
// can, and every view is checked against the record replayed. The game ends
// at the far row, or with a resign after `resign_after` moves or when the
// mover is hemmed in; either way the turn is 0 after. The deal comes from the
// server's own random source, so a game meant to reach the far row may now
// and then end with a seat hemmed in instead.
void play_and_check_record(RefereeTest& test, const ServerProcess& server, std::uint32_t seed,
                           std::size_t resign_after, bool expect_resign);

TEST_F(RefereeTest, AWholeGameShowsNoOpposingKindAndTheRecordAgrees) {
    play_and_check_record(*this, server, 17, 3000, false);
}

TEST_F(RefereeTest, AResignedGameShowsNoOpposingKindAndTheRecordAgrees) {
    play_and_check_record(*this, server, 5, 9, true);
}

void play_and_check_record(RefereeTest& test, const ServerProcess& server, std::uint32_t seed,
                           std::size_t resign_after, bool expect_resign) {
    EXPECT_EQ(get("/record").status, 403);
    test.deal();
    const std::string one = test.one;
    const std::string two = test.two;
    const std::array<Board, 2> first_views{view_of(one).board, view_of(two).board};
    std::vector<GameView> public_views{view_from(get("/view"))};
    std::mt19937 random(seed);
    bool resigned = false;
    bool hemmed_in = false;
    while (public_views.back().winner == 0 && public_views.size() < 3000) {
        const int mover = public_views.back().turn;
        const std::string& token = mover == 1 ? one : two;
        GameView mine = view_of(token);
        expect_hidden(mine.board, mover);
        expect_hidden(view_of(mover == 1 ? two : one).board, opponent_of(mover));
        std::vector<Move> moves = legal_moves(mine.board, mover);
        if (moves.empty() || public_views.size() > resign_after) {
            // Every piece hemmed in: the player gives the game up, as the bot does.
            ASSERT_EQ(post("/resign", "", seat(token)).body, "ok");
            public_views.push_back(view_from(get("/view")));
            expect_hidden(public_views.back().board, 0);
            expect_hidden(view_of(token).board, mover);
            expect_hidden(view_of(mover == 1 ? two : one).board, opponent_of(mover));
            resigned = true;
            hemmed_in = moves.empty();
            break;
        }
        std::vector<Move> forward;
        for (const Move& m : moves) {
            if (m.to_row - m.from_row == forward_step(mover)) forward.push_back(m);
        }
        const auto& choice = !forward.empty() && random() % 2 ? forward : moves;
        ASSERT_EQ(post("/move", move_text(choice[random() % choice.size()]), seat(token)).body, "ok");
        public_views.push_back(view_from(get("/view")));
        expect_hidden(public_views.back().board, 0);
        EXPECT_TRUE(public_views.size() != 2 || get("/record").status == 403);
    }
    const int winner = public_views.back().winner;
    ASSERT_NE(winner, 0);
    EXPECT_EQ(resigned && !hemmed_in, expect_resign);
    EXPECT_EQ(public_views.back().turn, 0);
    EXPECT_EQ(view_of(one).turn, 0);
    EXPECT_EQ(get("/who").body, "0");

    Reply record = get("/record", seat(one));
    ASSERT_EQ(record.status, 200);
    std::istringstream lines(record.body);
    std::string line;
    std::getline(lines, line);
    Board board = board_from_text(line).value_or(Board{});
    EXPECT_EQ(board_seen_by(board, 1), first_views[0]);
    EXPECT_EQ(board_seen_by(board, 2), first_views[1]);
    const std::size_t moved_views = public_views.size() - (resigned ? 1 : 0);
    for (std::size_t played = 1; played < moved_views; ++played) {
        ASSERT_TRUE(std::getline(lines, line));
        const GameView& after = public_views[played];
        ASSERT_EQ(last_move_from_text(line), after.last_move);
        const Move& move = after.last_move->move;
        EXPECT_EQ(outcome_of(board, move), after.last_move->outcome);
        make_move(board, public_views[played - 1].turn, move.from_column, move.from_row, move.to_column,
                  move.to_row);
        ASSERT_EQ(board_seen_by(board, 0), after.board) << "after move " << played;
    }
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "winner " + std::to_string(winner));
    EXPECT_FALSE(std::getline(lines, line));
    EXPECT_EQ(server.console(), joined + game_over_line(winner));
}

// How long a wait that something answers may take, well under the 25 s it is
// held when nothing does.
constexpr auto answer_bound = std::chrono::seconds(5);

// The reply, if it comes within answer_bound.
Reply answered(std::future<Reply>& waiting) {
    if (waiting.wait_for(answer_bound) != std::future_status::ready) {
        ADD_FAILURE() << "a wait was not answered at once";
        return {};
    }
    return waiting.get();
}

// Of two waits of one seat, the first to arrive is answered as the second
// comes; only then is the second surely waiting.
std::future<Reply> wait_given_way_to(const std::string& token, std::uint64_t after, std::uint64_t version) {
    const std::string path = "/view?after=" + std::to_string(after);
    auto first = std::async(std::launch::async, [=] { return get(path, seat(token)); });
    auto second = std::async(std::launch::async, [=] { return get(path, seat(token)); });
    // Well under the 25 s a wait is held when nothing answers it.
    const auto give_up = std::chrono::steady_clock::now() + answer_bound;
    while (first.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready &&
           second.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready &&
           std::chrono::steady_clock::now() < give_up) {
    }
    bool first_answered = first.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    EXPECT_EQ(view_from((first_answered ? first : second).get()).version, version);
    return std::move(first_answered ? second : first);
}

TEST_F(RefereeTest, LongPollAnswersWhenBehindAndWakesOnTheOtherSeatsMove) {
    deal();
    EXPECT_EQ(view_from(get("/view?after=1", seat(two))).version, 2u);
    EXPECT_EQ(view_from(get("/view?after=0")).version, 2u);
    auto waiting = wait_given_way_to(two, 2, 2);
    const Move move = legal_moves(view_of(one).board, 1)[0];
    ASSERT_EQ(post("/move", move_text(move), seat(one)).body, "ok");
    GameView woken = view_from(answered(waiting));
    EXPECT_EQ(woken.version, 3u);
    EXPECT_EQ(woken.turn, 2);
    ASSERT_TRUE(woken.last_move);
    EXPECT_EQ(woken.last_move->move, move);
}

TEST_F(RefereeTest, VersionsOutOfRangeAre400) {
    deal();
    for (const char* after : {"", "-1", "+1", "1x", " 1", "9223372036854775808", "18446744073709551616"}) {
        expect_refused(std::string("/view?after=") + after, "", seat(one), 400);
    }
    auto waiting = wait_given_way_to(one, 9223372036854775807u, 2);
    EXPECT_EQ(view_from(get("/view?after=0", seat(one))).version, 2u);
    EXPECT_EQ(view_from(answered(waiting)).version, 2u);
}

TEST_F(RefereeTest, AResignWakesTheWaitingSeatAtOnce) {
    deal();
    auto waiting = wait_given_way_to(two, 2, 2);
    ASSERT_EQ(post("/resign", "", seat(one)).body, "ok");
    GameView woken = view_from(answered(waiting));
    EXPECT_EQ(woken.version, 3u);
    EXPECT_EQ(woken.winner, 2);
    EXPECT_EQ(woken.turn, 0);
}

// Only a seat's own token names it: with one seat taken, the second's token
// is still empty, and an empty one (which the HTTP library drops as a header,
// so it is tried on the referee itself) must not match it.
TEST(RefereeSeatTest, AnEmptyTokenNamesNoSeat) {
    std::ostringstream console;
    Referee referee(console);
    ASSERT_EQ(take_seat(referee, "a").status, 200);
    const SeatToken empty = std::string();
    EXPECT_EQ(show_view(referee, empty, std::nullopt).status, 403);
    EXPECT_EQ(show_view(referee, empty, std::string("0")).status, 403);
    EXPECT_EQ(play_move(referee, empty, "0 4 0 5").status, 403);
    EXPECT_EQ(resign(referee, empty).status, 403);
    EXPECT_EQ(show_record(referee, empty).status, 403);
}

TEST_F(RefereeTest, AnEmptySeatHeaderIsNoSeat) {
    one = take();
    expect_refused("/move", "0 4 0 5", seat(""), 403);
    expect_refused("/resign", "", seat(""), 403);
    Reply view = get("/view", seat(""));
    EXPECT_EQ(view.status, 200);
    EXPECT_EQ(view.body, get("/view").body) << "the public view";
}

// Sends `request` on a connection of its own: the reply, if the server sends
// it and closes within a second.
std::optional<std::string> raw_reply(const std::string& request) {
    RawConnection connection;
    if (!connection.send_all(request)) return std::nullopt;
    return connection.reply_until_closed(std::chrono::milliseconds(900));
}

// The length alone refuses a body over the referee's 64 bytes, before any of
// it comes; a chunked body is cut off past the limit without waiting for the
// rest.
TEST_F(RefereeTest, BodiesOverTheLimitAreRefusedBeforeTheyArrive) {
    auto reply = raw_reply("POST /seat HTTP/1.1\r\nContent-Length: 65\r\n\r\n");
    ASSERT_TRUE(reply) << "answered and closed without the body";
    EXPECT_TRUE(reply->starts_with("HTTP/1.1 413")) << *reply;
    std::string chunks;
    for (int i = 0; i < 3; ++i) chunks += "40\r\n" + std::string(64, 'x') + "\r\n";
    reply = raw_reply("POST /seat HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks);
    ASSERT_TRUE(reply) << "cut off and closed without the rest";
    EXPECT_TRUE(reply->empty() || reply->starts_with("HTTP/1.1 4")) << *reply;
    EXPECT_EQ(get("/start").body, "0");
    reply = raw_reply("POST /seat HTTP/1.1\r\nContent-Length: 64\r\nConnection: close\r\n\r\n" +
                      std::string(64, 'x'));
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->starts_with("HTTP/1.1 200")) << *reply;
}

// Eight waits without a seat are held; the ninth is told to come back in a
// second and closed, while a seat's own wait and the public view are served
// as ever. A change answers the eight, and their places are free again.
TEST_F(RefereeTest, ANinthWatcherWaitIs503) {
    deal();
    const std::string watch = "GET /view?after=2 HTTP/1.1\r\nConnection: close\r\n\r\n";
    std::vector<std::unique_ptr<RawConnection>> held;
    std::optional<std::string> turned_away;
    while (!turned_away && held.size() < 10) {
        held.push_back(std::make_unique<RawConnection>());
        ASSERT_TRUE(held.back()->send_all(watch));
        turned_away = held.back()->reply_until_closed(std::chrono::milliseconds(300));
    }
    ASSERT_TRUE(turned_away);
    EXPECT_EQ(held.size(), 9u) << "held before one was turned away";
    EXPECT_TRUE(turned_away->starts_with("HTTP/1.1 503")) << *turned_away;
    EXPECT_NE(turned_away->find("\r\nRetry-After: 1\r\n"), std::string::npos) << *turned_away;
    held.pop_back();

    EXPECT_EQ(view_from(get("/view")).version, 2u);
    auto seat_wait = wait_given_way_to(two, 2, 2);
    ASSERT_EQ(post("/move", move_text(legal_moves(view_of(one).board, 1)[0]), seat(one)).body, "ok");
    EXPECT_EQ(view_from(answered(seat_wait)).version, 3u);
    for (auto& watcher : held) {
        auto reply = watcher->reply_until_closed(std::chrono::milliseconds(900));
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->starts_with("HTTP/1.1 200")) << *reply;
    }
    RawConnection again;
    ASSERT_TRUE(again.send_all("GET /view?after=3 HTTP/1.1\r\n\r\n"));
    EXPECT_FALSE(again.reply_until_closed(std::chrono::milliseconds(300))) << "held again";
}

TEST(RefereeStopTest, SignalsAnswerAWaitingLongPollAndEndTheServer) {
    for (int signal : {SIGTERM, SIGINT}) {
        ServerProcess server({"--referee"});
        const std::string token = post("/seat", "").body.substr(2);
        auto waiting = wait_given_way_to(token, 1, 1);
        server.process().send_signal(signal);
        // Well within the 25 s the wait would otherwise take.
        EXPECT_EQ(server.process().wait_for_exit(std::chrono::seconds(10)), 0);
        EXPECT_EQ(view_from(answered(waiting)).version, 1u);
    }
}

// A body dripped a byte at a time, each within the read time-out, would keep
// a connection, and the process, alive for as long as the drip goes on.
TEST(RefereeStopTest, SignalsEndTheServerWhateverClientsDo) {
    ServerProcess server({"--referee"});
    RawConnection drip;
    ASSERT_TRUE(drip.send_all("POST /seat HTTP/1.1\r\nContent-Length: 60\r\n\r\n"));
    std::atomic<bool> stopped{false};
    std::thread dripping([&] {
        for (int i = 0; i < 60 && !stopped && drip.send_all("x"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    server.process().send_signal(SIGTERM);
    // The drip would last 15 s.
    EXPECT_EQ(server.process().wait_for_exit(std::chrono::seconds(3)), 0);
    stopped = true;
    dripping.join();
}

TEST(RefereeStopTest, TheKeyIsCheckedBeforeTheSeat) {
    ServerProcess server({"--referee", "--key", "7F3K-9QX2-MC4D"});
    EXPECT_EQ(post("/seat", "").status, 401);
    EXPECT_EQ(post("/seat", "", {{"Authorization", "Bearer 7F3K9QX2MC4D"}}).status, 200);
    EXPECT_EQ(get("/start", {{"Authorization", "Bearer 7F3K9QX2MC4D"}}).body, "1");
}

}  // namespace
