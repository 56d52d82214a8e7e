// The acceptance rules of every request, against a stand-in server on a port
// of its own that answers from a script: each refused reply must be asked
// again, and only the awaited one ends the wait.

#include "board_fixture.h"
#include "protocol.h"

#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace {

struct Scripted {
    int status;
    std::string body;
    int delay_ms = 0;
};

class ScriptedServer {
public:
    ScriptedServer() {
        for (const char* path : {"/join", "/start", "/who", "/next", "/what", "/who_win"}) {
            server_.Get(path, [this, path](const httplib::Request& req, httplib::Response& res) {
                answer(path, req, res);
            });
        }
        for (const char* path : {"/chess", "/win"}) {
            server_.Post(path, [this, path](const httplib::Request& req, httplib::Response& res) {
                answer(path, req, res);
            });
        }
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~ScriptedServer() {
        server_.stop();
        thread_.join();
    }

    // Replies in order; the last one is repeated for ever.
    void script(const std::string& path, std::deque<Scripted> replies) {
        std::lock_guard lock(mutex_);
        replies_[path] = std::move(replies);
    }
    std::vector<std::string> bodies(const std::string& path) {
        std::lock_guard lock(mutex_);
        return received_[path];
    }
    int port() const { return port_; }

private:
    void answer(const std::string& path, const httplib::Request& req, httplib::Response& res) {
        std::unique_lock lock(mutex_);
        received_[path].push_back(req.body);
        received_["Authorization"].push_back(req.get_header_value("Authorization"));
        auto& queue = replies_[path];
        if (queue.empty()) {
            res.status = 404;
            return;
        }
        Scripted reply = queue.front();
        if (queue.size() > 1) queue.pop_front();
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.delay_ms));
        res.status = reply.status;
        res.set_content(reply.body, "text/plain");
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::map<std::string, std::deque<Scripted>> replies_;
    std::map<std::string, std::vector<std::string>> received_;
};

class ProtocolTest : public BoardTest {
protected:
    ScriptedServer server;
    GameClient client{{"127.0.0.1", server.port()}};
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
    deal_board();
    server.script("/chess", {{200, "ok\n"}, {500, "ok"}, {200, "OK"}, {200, "ok"}});
    post_board(client);
    auto bodies = server.bodies("/chess");
    ASSERT_EQ(bodies.size(), 4u);
    for (const auto& body : bodies) EXPECT_EQ(body, board_to_text());
}

TEST_F(ProtocolTest, FetchBoardTakesOnlyAWholeBoard) {
    std::srand(2);
    deal_board();
    std::string dealt = board_to_text();
    clear_whole_board();
    std::string bad_digit = dealt;
    bad_digit[42] = 'x';
    server.script("/what", {{200, ""}, {200, dealt.substr(0, 99)}, {200, bad_digit}, {500, dealt}, {200, dealt}});
    fetch_board(client);
    EXPECT_EQ(board_to_text(), dealt);
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
    EXPECT_EQ(winner_picture("0"), 0);
    EXPECT_EQ(winner_picture("1"), 1);
    for (const char* body : {"1\n", " 1", "01", "2", "", "0\n", "x", "-1"}) {
        EXPECT_EQ(winner_picture(body), 2) << '"' << body << '"';
    }
}

TEST_F(ProtocolTest, MyTurnOnlyWhenTheNumberIsMine) {
    my_player = 1;
    server.script("/who", {{200, "1"}});
    EXPECT_TRUE(is_my_turn(client));
    server.script("/who", {{200, " 1\n"}});
    EXPECT_TRUE(is_my_turn(client));
    server.script("/who", {{200, "2"}});
    EXPECT_FALSE(is_my_turn(client));
    server.script("/who", {{500, "1"}});
    EXPECT_FALSE(is_my_turn(client));
    server.script("/who", {{200, "abc"}});
    EXPECT_FALSE(is_my_turn(client));
    my_player = 2;
    server.script("/who", {{200, "2"}});
    EXPECT_TRUE(is_my_turn(client));
    EXPECT_EQ(server.bodies("/who").size(), 6u);
}

TEST_F(ProtocolTest, MyTurnIsNoWhenNothingAnswers) {
    int closed_port = 0;
    {
        ScriptedServer gone;
        closed_port = gone.port();
    }
    GameClient nowhere({"127.0.0.1", closed_port});
    my_player = 1;
    EXPECT_FALSE(is_my_turn(nowhere));
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

}  // namespace
