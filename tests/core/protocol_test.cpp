// The acceptance rules of every request, against a stand-in server on a port
// of its own that answers from a script: each refused reply must be asked
// again, and only the awaited one ends the wait. And what a hostile server's
// replies may do to a request: nothing beyond failing it.

#include "board_fixture.h"
#include "child_process.h"
#include "protocol.h"
#include "seat_file.h"
#include "stand_in_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <chrono>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

using namespace core;
using namespace support;

namespace {

class ProtocolTest : public BoardTest {
protected:
    ScriptedServer server;
    GameClient client{{"127.0.0.1", server.port(), ""}};
};

TEST_F(ProtocolTest, JoinWaitsForANonzeroNumber) {
    server.script("/join", {{200, "0"}, {200, "x"}, {200, ""}, {500, "1"}, {404, "1"}, {200, "2abc"}});
    EXPECT_EQ(join_game(client), 2);
    EXPECT_EQ(server.bodies("/join").size(), 6u);
}

TEST_F(ProtocolTest, StartWaitsForExactlyTwo) {
    server.script("/start", {{200, "1"}, {200, "2\n"}, {200, " 2"}, {200, "02"}, {500, "2"}, {200, "2"}});
    wait_for_start(client);
    EXPECT_EQ(server.bodies("/start").size(), 6u);
}

TEST_F(ProtocolTest, PostBoardSendsTheBoardUntilExactlyOk) {
    std::srand(1);
    deal_board(board, [] { return std::rand() % 5; });
    server.script("/chess", {{200, "ok\n"}, {500, "ok"}, {200, "OK"}, {200, "ok"}});
    post_board(client, board);
    auto bodies = server.bodies("/chess");
    ASSERT_EQ(bodies.size(), 4u);
    for (const auto& body : bodies) EXPECT_EQ(body, board_text(board));
}

TEST_F(ProtocolTest, FetchBoardTakesOnlyAWholeBoard) {
    std::srand(2);
    deal_board(board, [] { return std::rand() % 5; });
    std::string dealt = board_text(board);
    std::string bad_digit = dealt;
    bad_digit[42] = 'x';
    server.script("/what", {{200, ""}, {200, dealt.substr(0, 99)}, {200, bad_digit}, {500, dealt}, {200, dealt}});
    EXPECT_EQ(board_text(fetch_board(client)), dealt);
    EXPECT_EQ(server.bodies("/what").size(), 5u);
}

TEST_F(ProtocolTest, WhoWinTakesAnyReplyWithStatus200) {
    server.script("/who_win", {{500, "0"}, {404, ""}, {200, ""}});
    EXPECT_EQ(ask_who_win(client), "");
    server.script("/who_win", {{503, "1"}, {200, "2\n"}});
    EXPECT_EQ(ask_who_win(client), "2\n");
}

// The body is compared as text, not read as a number: "1\n" or "01" is not
// player 1's win, and only "0" lets the game go on.
TEST(WinnerPicture, OnlyExactBodiesNameTheGoOnAndPlayerOne) {
    EXPECT_EQ(winner_in_reply("0"), 0);
    EXPECT_EQ(winner_in_reply("1"), 1);
    for (const char* body : {"1\n", " 1", "01", "2", "", "0\n", "x", "-1"}) {
        EXPECT_EQ(winner_in_reply(body), 2) << '"' << body << '"';
    }
}

TEST_F(ProtocolTest, MyTurnOnlyWhenTheNumberIsMine) {
    my_player = 1;
    server.script("/who", {{200, "1"}});
    EXPECT_TRUE(is_turn_of(client, my_player));
    server.script("/who", {{200, " 1\n"}});
    EXPECT_TRUE(is_turn_of(client, my_player));
    server.script("/who", {{200, "2"}});
    EXPECT_FALSE(is_turn_of(client, my_player));
    server.script("/who", {{500, "1"}});
    EXPECT_FALSE(is_turn_of(client, my_player));
    server.script("/who", {{200, "abc"}});
    EXPECT_FALSE(is_turn_of(client, my_player));
    my_player = 2;
    server.script("/who", {{200, "2"}});
    EXPECT_TRUE(is_turn_of(client, my_player));
    EXPECT_EQ(server.bodies("/who").size(), 6u);
}

TEST_F(ProtocolTest, MyTurnIsNoWhenNothingAnswers) {
    int closed_port = 0;
    {
        ScriptedServer gone;
        closed_port = gone.port();
    }
    GameClient nowhere({"127.0.0.1", closed_port, ""});
    my_player = 1;
    EXPECT_FALSE(is_turn_of(nowhere, my_player));
}

TEST_F(ProtocolTest, NextWaitsForExactlyOk) {
    server.script("/next", {{200, "error"}, {200, "ok "}, {500, "ok"}, {200, "ok"}});
    hand_over_turn(client);
    EXPECT_EQ(server.bodies("/next").size(), 4u);
}

// A reply slower than the library's default 5 s must not make the client ask
// again: a second /next would hand the turn straight back.
TEST_F(ProtocolTest, SlowNextIsSentOnceWithTheKey) {
    server.script("/next", {{200, "ok", 6000}, {200, "ok"}});
    GameClient patient({"127.0.0.1", server.port(), "7F3K9QX2MC4D"});
    hand_over_turn(patient);
    EXPECT_EQ(server.bodies("/next").size(), 1u);
    EXPECT_EQ(server.bodies("Authorization"), (std::vector<std::string>{"Bearer 7F3K9QX2MC4D"}));
}

TEST_F(ProtocolTest, WinPostsTheWinnersNumberUntilOk) {
    server.script("/win", {{500, ""}, {200, "no"}, {200, "ok"}});
    post_win(client, 2);
    EXPECT_EQ(server.bodies("/win"), (std::vector<std::string>{"2", "2", "2"}));
}

const std::string token = "0123456789abcdef0123456789abcdef";

TEST(SeatText, TakesOnlyANumberAndThirtyTwoLowerCaseHexDigits) {
    EXPECT_EQ(seat_from_text("2 " + token), (Seat{2, token}));
    EXPECT_EQ(seat_from_text("1 " + token + "\n"), (Seat{1, token}));
    EXPECT_EQ(seat_text(Seat{1, token}), "1 " + token);
    // Each refused by one rule: the number, the space, the length, the digits, what follows.
    for (const std::string& text : {"3 " + token, "1_" + token, "1 " + token.substr(1), "1 " + token + "0",
                                    "1 " + token.substr(1) + "A", "1 " + token.substr(1) + "g",
                                    "1 " + token + "\n\n"}) {
        EXPECT_FALSE(seat_from_text(text)) << '"' << text << '"';
    }
    const std::string id = new_request_id();
    EXPECT_EQ(id.size(), 32u);
    EXPECT_NE(id, new_request_id());
}

// A failed or unreadable answer is asked again with the same request id, so
// the server can give the same seat back.
TEST_F(ProtocolTest, TakeSeatRepeatsItsRequestIdUntilASeatARelayOrAFullGame) {
    server.script("/seat", {{500, ""}, {200, "1 nope"}, {200, "2 " + token}});
    const SeatReply reply = take_seat(client, "request-7");
    EXPECT_EQ(reply.answer, SeatAnswer::taken);
    EXPECT_EQ(reply.seat, (Seat{2, token}));
    EXPECT_EQ(server.bodies("/seat"), (std::vector<std::string>(3, "request-7")));
    server.script("/seat", {{404, ""}});
    EXPECT_EQ(take_seat(client, "x").answer, SeatAnswer::relay);
    server.script("/seat", {{409, "both seats are taken"}});
    EXPECT_EQ(take_seat(client, "x").answer, SeatAnswer::full);
}

TEST_F(ProtocolTest, SeatRequestsNameTheSeatAndReadTheirAnswers) {
    GameView view{board, 1, 0, LastMove{Move{1, 4, 1, 5}, MoveOutcome::lost}, 7};
    server.script("/view", {{200, view_text(view)}});
    ViewReply reply = wait_for_change(client, token, 6);
    EXPECT_EQ(reply.answer, Answer::ok);
    EXPECT_EQ(reply.view, view);
    server.script("/view", {{200, "1\n"}});
    EXPECT_EQ(get_view(client, token).answer, Answer::failed);
    server.script("/view", {{403, "unknown seat"}});
    EXPECT_EQ(get_view(client, token).answer, Answer::seat_unknown);
    server.script("/view", {{404, ""}});
    EXPECT_EQ(get_view(client, token).answer, Answer::seat_unknown) << "a relay knows no seat";
    EXPECT_EQ(server.bodies("after"), (std::vector<std::string>{"6", "", "", ""}));

    server.script("/move", {{200, "ok"}});
    EXPECT_EQ(post_move(client, token, Move{0, 4, 0, 5}), Answer::ok);
    server.script("/move", {{409, "not your turn"}});
    EXPECT_EQ(post_move(client, token, Move{0, 4, 0, 5}), Answer::refused);
    server.script("/move", {{200, "ok\n"}});
    EXPECT_EQ(post_move(client, token, Move{0, 4, 0, 5}), Answer::failed);
    EXPECT_EQ(server.bodies("/move"), (std::vector<std::string>(3, "0 4 0 5")));
    server.script("/resign", {{403, ""}});
    EXPECT_EQ(post_resign(client, token), Answer::seat_unknown);
    for (const std::string& header : server.bodies("Seat")) EXPECT_EQ(header, token);
}

class SeatFileTest : public ProtocolTest {
protected:
    ~SeatFileTest() override { unlink(path.c_str()); }
    // A new file of the owner's alone, as a player stores it.
    static void write_private(const std::string& file, const std::string& text) {
        unlink(file.c_str());
        std::ofstream(file) << text;
        chmod(file.c_str(), 0600);
    }
    // True once another program holds `file`.
    static bool wait_until_held(const std::string& file) {
        for (int look = 0; look < 500; ++look) {
            const int fd = open(file.c_str(), O_RDONLY);
            const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
            close(fd);
            if (held) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    std::string path = "/tmp/game-test-seat-" + std::to_string(getpid());
};

TEST_F(SeatFileTest, ANewSeatIsKeptInAFileOfTheOwnersAlone) {
    server.script("/seat", {{200, "1 " + token}});
    SeatChoice choice = choose_seat(client, path, true);
    EXPECT_EQ(choice.kind, SeatChoice::seated);
    EXPECT_FALSE(choice.resumed);
    EXPECT_EQ(read_file(path), "1 " + token + "\n");
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    platform::HeldFile other;
    EXPECT_NE(store_seat_file(path, Seat{2, token}, other), "") << "an existing file is never written over";

    // Taken back from the file, once the first program lets it go, without
    // asking the server for a seat.
    choice = SeatChoice{};
    choice = choose_seat(client, path, true);
    EXPECT_EQ(choice.kind, SeatChoice::seated);
    EXPECT_TRUE(choice.resumed);
    EXPECT_EQ(choice.seat, (Seat{1, token}));
    EXPECT_EQ(server.bodies("/seat").size(), 1u);
    remove_seat_file(path);
    EXPECT_NE(access(path.c_str(), F_OK), 0);
}

TEST_F(SeatFileTest, AFullGameOrAFileWithoutASeatStopsThePlayer) {
    server.script("/seat", {{409, ""}});
    SeatChoice choice = choose_seat(client, path, true);
    EXPECT_EQ(choice.kind, SeatChoice::stop);
    EXPECT_NE(choice.why.find("both seats"), std::string::npos);
    EXPECT_NE(access(path.c_str(), F_OK), 0);

    write_private(path, "1 " + token.substr(4));
    choice = choose_seat(client, path, true);
    EXPECT_EQ(choice.kind, SeatChoice::stop);
    EXPECT_NE(choice.why.find(path + " holds no seat"), std::string::npos) << choice.why;

    // A seat that cannot be kept is played all the same.
    server.script("/seat", {{200, "2 " + token}});
    choice = choose_seat(client, "/nonexistent-folder/seat", true);
    EXPECT_EQ(choice.kind, SeatChoice::seated);
    EXPECT_NE(choice.why, "");
}

// A seat file the private-file rules refuse (each rule has its case in the
// platform's tests) stops the player, who asks the server nothing and names
// the file and the rule.
TEST_F(SeatFileTest, ARefusedSeatFileStopsThePlayer) {
    const std::string seat = "1 " + token + "\n";
    const auto refused_for = [&](const std::string& rule) {
        SeatChoice choice = choose_seat(client, path, true);
        EXPECT_EQ(choice.kind, SeatChoice::stop) << rule;
        EXPECT_EQ(choice.why.find("the seat file " + path + " " + rule), 0u) << choice.why;
        EXPECT_EQ(choice.why.find('\n'), std::string::npos);
        EXPECT_TRUE(server.bodies("/seat").empty());
        unlink(path.c_str());
    };
    write_private(path, seat);
    chmod(path.c_str(), 0640);
    refused_for("may be used by other users");
    write_private(path, seat + std::string(max_seat_file_bytes - seat.size() + 1, ' '));
    refused_for("is longer than 256 bytes");
}

// One program at a time plays the seat a file keeps; the file is free again
// once that program lets it go, however it ends.
TEST_F(SeatFileTest, ASecondPlayerOnTheSameFileStops) {
    server.script("/seat", {{200, "1 " + token}});
    std::optional<SeatChoice> first = choose_seat(client, path, true);
    ASSERT_EQ(first->kind, SeatChoice::seated);
    SeatChoice second = choose_seat(client, path, true);
    EXPECT_EQ(second.kind, SeatChoice::stop);
    EXPECT_EQ(second.why.find("the seat file " + path + " is in use by another program"), 0u) << second.why;
    first.reset();
    EXPECT_EQ(choose_seat(client, path, true).kind, SeatChoice::seated);

    // Another program holds it, and is killed.
    ChildProcess holder("/bin/sh", {"-c", "exec 9<\"$0\" && flock 9 && exec sleep 30", path});
    ASSERT_TRUE(wait_until_held(path));
    EXPECT_EQ(choose_seat(client, path, true).kind, SeatChoice::stop);
    holder.send_signal(SIGKILL);
    holder.wait_for_exit(std::chrono::seconds(5));
    EXPECT_EQ(choose_seat(client, path, true).kind, SeatChoice::seated) << "a killed holder let go of the file";
    EXPECT_EQ(server.bodies("/seat").size(), 1u);
}

// A relay is taken only where the player allows it.
TEST_F(ProtocolTest, ARelayIsPlayedOnlyWhereAllowed) {
    server.script("/seat", {{404, ""}});
    EXPECT_EQ(choose_seat(client, "", true).kind, SeatChoice::relay);
    const SeatChoice refused = choose_seat(client, "", false);
    EXPECT_EQ(refused.kind, SeatChoice::stop);
    EXPECT_EQ(refused.why.find(unrefereed_game_line), 0u) << refused.why;
}

TEST(GameClientTest, RepliesBeyondTheirSizeOrTimeFailTheRequest) {
    for (Hostility kind : {Hostility::endless_body, Hostility::endless_headers}) {
        HostileServer hostile(kind);
        GameClient client({"127.0.0.1", hostile.port(), ""});
        EXPECT_FALSE(client.Get("/who"));
    }
    HostileServer drip(Hostility::drip);
    GameClient client({"127.0.0.1", drip.port(), ""}, std::chrono::seconds(1));
    EXPECT_FALSE(client.Get("/who"));
}

}  // namespace
