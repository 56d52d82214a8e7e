// What a stand-in server's replies may do to the real bot: a hostile one
// cannot swell or kill it, and a waiting bot rests between its questions.

#include "child_process.h"
#include "stand_in_servers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

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

}  // namespace
