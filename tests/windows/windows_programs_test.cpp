// The Windows programs, cross-built, run under Wine against the Linux ones:
// the same game on the wire, the same record, the same console bytes.

#include "bot_process.h"
#include "game_constants.h"
#include "game_view.h"
#include "referee_record.h"
#include "server_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace core;
using namespace support;

namespace {

using namespace std::chrono_literals;

// Wine's first start of a program in the prefix takes seconds, not the
// milliseconds of a Linux one.
constexpr auto start_limit = 30s;
constexpr auto game_limit = 90s;

// The harness's SDL_VIDEODRIVER=x11 names a Linux driver; the Windows
// programs must not see it. The prefix comes from the test's environment.
std::unique_ptr<ChildProcess> start_under_wine(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> words{"-u", "SDL_VIDEODRIVER", "WINEDEBUG=-all", "wine",
                                   std::string(WINDOWS_BUILD) + "/" + program};
    words.insert(words.end(), args.begin(), args.end());
    return std::make_unique<ChildProcess>("/usr/bin/env", words);
}

void wait_for_port(ChildProcess& server) {
    const auto deadline = std::chrono::steady_clock::now() + start_limit;
    while (!port_is_open() && server.running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(port_is_open()) << server.standard_error();
}

std::string bot_says(const BotRun& run) { return run.process->standard_output(); }

// Each seat's record: every view it got hid the other seat's kinds; the
// winner it last saw, the same from both.
int checked_winner(const std::vector<const BotRun*>& bots) {
    int winner = 0;
    for (const BotRun* bot : bots) {
        const std::string text = read_file(bot->log_path);
        EXPECT_EQ(text.find('\r'), std::string::npos) << "the record has Windows line ends";
        const RefereeRecord record = read_referee_record(bot->log_path);
        EXPECT_EQ(record.unreadable_views, 0);
        EXPECT_FALSE(record.views.empty());
        EXPECT_FALSE(record.moves.empty());
        for (const StampedView& seen : record.views) EXPECT_EQ(view_fault(seen.view, record.seat), "");
        if (!record.views.empty()) winner = std::max(winner, record.views.back().view.winner);
    }
    return winner;
}

const std::string joined = std::string(player_one_joined) + "\n" + std::string(player_two_joined) + "\n";

TEST(WindowsServer, RefereesAWholeGameBetweenTwoLinuxBotsWithTheExactConsoleBytes) {
    ASSERT_FALSE(port_is_open());
    auto server = start_under_wine("server/server.exe", {"--referee"});
    wait_for_port(*server);
    BotRun first = start_bot(121, 0);
    BotRun second = start_bot(212, 0);
    ASSERT_EQ(first.process->wait_for_exit(game_limit), 0) << first.process->standard_error();
    ASSERT_EQ(second.process->wait_for_exit(game_limit), 0) << second.process->standard_error();
    const int winner = checked_winner({&first, &second});
    ASSERT_NE(winner, 0);
    const std::string told = "names player " + std::to_string(winner);
    EXPECT_TRUE(bot_says(first).find(told) != std::string::npos || bot_says(second).find(told) != std::string::npos);
    const std::optional<GameView> public_view = view_from_text(get("/view").body);
    ASSERT_TRUE(public_view);
    EXPECT_EQ(public_view->winner, winner);
    EXPECT_EQ(view_fault(*public_view, 0), "");
    EXPECT_EQ(server->standard_output(), joined + game_over_line(winner)) << "GBK bytes and '\\n' line ends, as sent";
    forget_bot_log(first);
    forget_bot_log(second);
}

TEST(WindowsBot, PlaysAWholeGameAgainstALinuxBotThroughALinuxReferee) {
    ServerProcess server({"--referee"});
    BotRun windows;
    windows.log_path = "/tmp/game-test-windows-bot-" + std::to_string(getpid()) + ".log";
    windows.process = start_under_wine("bot/bot.exe", {"--level", "easy", "--think", "0", "--seed", "5",
                                                       "--log", windows.log_path});
    BotRun linux_bot = start_bot(6, 0);
    ASSERT_EQ(windows.process->wait_for_exit(game_limit), 0) << windows.process->standard_error();
    ASSERT_EQ(linux_bot.process->wait_for_exit(game_limit), 0) << linux_bot.process->standard_error();
    const int winner = checked_winner({&windows, &linux_bot});
    ASSERT_NE(winner, 0);
    EXPECT_EQ(view_from_text(get("/view").body).value_or(GameView{}).winner, winner);
    EXPECT_TRUE(server.console().ends_with(game_over_line(winner)));
    forget_bot_log(windows);
    forget_bot_log(linux_bot);
}

}  // namespace
