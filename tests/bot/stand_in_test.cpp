// What a stand-in server's replies may do to the real bot: a hostile one
// cannot swell or kill it, and a waiting bot rests between its questions.

#include "child_process.h"
#include "game_view.h"
#include "stand_in_servers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>

using namespace core;
using namespace support;

namespace {

// The most resident memory the process has had, in KiB.
long peak_resident_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string field; status >> field;) {
        if (field == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

TEST(BotAgainstAHostileServer, StaysSmallAndIsNotKilled) {
    for (Hostility kind : {Hostility::endless_body, Hostility::endless_headers, Hostility::drip}) {
        HostileServer hostile(kind);
        ChildProcess bot(BOT_PATH, {"--server", "127.0.0.1:" + std::to_string(hostile.port()), "--think", "0"});
        const int replies = kind == Hostility::drip ? 1 : 4;
        for (int look = 0; look < 500 && hostile.connections() < replies && bot.running(); ++look) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_GE(hostile.connections(), replies);
        EXPECT_TRUE(bot.running()) << bot.standard_error();
        EXPECT_LT(peak_resident_kib(bot.pid()), 64 * 1024);
    }
}

// While the other player thinks, the bot rests between its rounds of
// questions: a few dozen requests a second, not thousands.
TEST(BotAgainstAStandIn, AWaitingBotRestsBetweenItsQuestions) {
    ScriptedServer server;
    server.script("/join", {{200, "1"}});
    server.script("/start", {{200, "2"}});
    server.script("/chess", {{200, "ok"}});
    server.script("/who_win", {{200, "0"}});
    server.script("/who", {{200, "2"}});
    ChildProcess bot(BOT_PATH, {"--server", "127.0.0.1:" + std::to_string(server.port()), "--level", "easy"});
    for (int look = 0; look < 500 && server.bodies("/who").empty(); ++look) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const std::size_t before = server.bodies("/who").size();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LT(server.bodies("/who").size() - before, 100u);
    EXPECT_TRUE(bot.running());
}

// A refereed server that answers a wait for a new version at once, with the
// same version, or with a view whose digits the bot has no table for: the bot
// rests between its questions, and is not harmed.
TEST(BotAgainstAStandIn, AWaitAnsweredAtOnceWithNothingNewIsAskedAgainAfterARest) {
    const std::string token = "0123456789abcdef0123456789abcdef";
    GameView view;
    std::mt19937 random(7);
    deal_board(view.board, [&] { return static_cast<int>(random() % 5); });
    view.board = board_seen_by(view.board, 2);
    view.turn = 2;
    view.version = 5;
    // In its own turn: a bot that took it would search on a kind 4.
    std::string own_kind_four = view_text(view);
    own_kind_four.replace(2 * half_rows, 2, "42");  // column 0, row 5
    view.turn = 1;
    ScriptedServer server;
    server.script("/seat", {{200, "2 " + token}});
    server.script("/view", {{200, own_kind_four}});
    ChildProcess bot(BOT_PATH, {"--server", "127.0.0.1:" + std::to_string(server.port()), "--think", "0"});
    const auto views_in_a_second = [&] {
        const std::size_t before = server.bodies("/view").size();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return server.bodies("/view").size() - before;
    };
    for (int look = 0; look < 500 && server.bodies("/view").empty(); ++look) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_LE(views_in_a_second(), 5u) << "a malformed view";
    EXPECT_TRUE(server.bodies("/move").empty()) << "a move on a malformed view";
    server.script("/view", {{200, view_text(view)}});
    EXPECT_LE(views_in_a_second(), 5u) << "the same version at once";
    EXPECT_TRUE(bot.running()) << bot.standard_error();
    const std::vector<std::string> after = server.bodies("after");
    EXPECT_EQ(after.back(), "5");
}

}  // namespace
