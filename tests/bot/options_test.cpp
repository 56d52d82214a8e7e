#include "options.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace bot;
using namespace core;

namespace {

std::optional<BotOptions> parse(const std::vector<std::string>& args, std::string* error = nullptr) {
    std::string reason;
    auto options = parse_options(args, reason);
    if (error) *error = reason;
    return options;
}

TEST(BotOptions, DefaultsLetAPersonFollowTheGame) {
    auto options = parse({});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->think_ms, 500);
    EXPECT_FALSE(options->seed_given);
    EXPECT_TRUE(options->log_path.empty());
    EXPECT_FALSE(options->help);
    EXPECT_FALSE(options->explain);
    EXPECT_EQ(options->level, Level::normal);
}

TEST(BotOptions, ReadsEveryOption) {
    auto options = parse({"--think", "0", "--seed", "42", "--log", "/tmp/game.log", "--seat-file", "/tmp/seat"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->seat_file, "/tmp/seat");
    EXPECT_EQ(options->think_ms, 0);
    EXPECT_TRUE(options->seed_given);
    EXPECT_EQ(options->seed, 42u);
    EXPECT_EQ(options->log_path, "/tmp/game.log");
    EXPECT_TRUE(parse({"--help"})->help);
    EXPECT_TRUE(parse({"--explain"})->explain);
    EXPECT_FALSE(parse({})->relay);
    EXPECT_TRUE(parse({"--relay"})->relay);
    EXPECT_EQ(parse({"--level", "easy"})->level, Level::easy);
    EXPECT_EQ(parse({"--level", "hard"})->level, Level::hard);
    EXPECT_EQ(parse({})->server.host, "localhost");
    EXPECT_EQ(parse({})->server.port, 8089);
}

TEST(BotOptions, ReadsTheServerAndTheKeyAsTyped) {
    auto options = parse({"--server", "10.231.0.1:9000", "--key", "7f3k-9qx2-mc4d"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->server.host, "10.231.0.1");
    EXPECT_EQ(options->server.port, 9000);
    EXPECT_EQ(options->server.key, "7F3K9QX2MC4D");
    EXPECT_EQ(parse({"--server", "[::1]:8090"})->server.host, "::1");
    EXPECT_EQ(parse({"--server", "[::1]:8090"})->server.port, 8090);
    for (const char* bare : {"::1", "fe80::1"}) {
        auto ipv6 = parse({"--server", bare});
        ASSERT_TRUE(ipv6) << bare;
        EXPECT_EQ(ipv6->server.host, bare);
        EXPECT_EQ(ipv6->server.port, 8089);
    }
    EXPECT_EQ(parse({"--server", "game-box"})->server.port, 8089);
}

// The key can stay off the command line, where every user of the machine
// reads it: it comes from GAME_KEY unless --key gives one.
TEST(BotOptions, TakesTheKeyFromGameKeyUnlessGiven) {
    setenv("GAME_KEY", "hj4n-p8rt-2wvb", 1);
    EXPECT_EQ(parse({})->server.key, "HJ4NP8RT2WVB");
    EXPECT_EQ(parse({"--key", "7F3K-9QX2-MC4D"})->server.key, "7F3K9QX2MC4D");
    setenv("GAME_KEY", "7F3K-9QX2", 1);
    std::string error;
    EXPECT_FALSE(parse({}, &error));
    EXPECT_NE(error.find("GAME_KEY"), std::string::npos) << error;
    unsetenv("GAME_KEY");
    EXPECT_EQ(parse({})->server.key, "");
}

// A relay beyond loopback is played only on request; a name other than
// localhost counts as beyond, whatever it resolves to.
TEST(ServerAddress, OnlyLoopbackAddressesAndLocalhostAreLoopback) {
    for (const char* host : {"localhost", "LocalHost", "127.0.0.1", "127.255.3.4", "::1", "0:0:0:0:0:0:0:1",
                             "0::1", "::ffff:127.0.0.1", "0:0:0:0:0:ffff:127.1.2.3"}) {
        EXPECT_TRUE(is_loopback_host(host)) << host;
    }
    for (const char* host : {"10.231.0.1", "128.0.0.1", "127.0.0", "127.0.0.1.5", "127.0.0.256", "1127.0.0.1",
                             "0.0.0.0", "::", "::2", "1::1", "::1:1", "::ffff:10.0.0.1", "::fffe:127.0.0.1",
                             "game-box", "localhost.example", "127.0.0.1.example", "::1%lo", ":::1"}) {
        EXPECT_FALSE(is_loopback_host(host)) << host;
    }
}

TEST(BotOptions, RefusesWhatItCannotFollow) {
    std::string error;
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--think"}, {"--think", "-5"}, {"--think", "5ms"},
                                               {"--think", ""}, {"--seed", "x"}, {"--seed", "-1"},
                                               {"--log", ""}, {"--fast"}, {"play"}, {"--level", "Hard"}, {"--level"},
                                               {"--server", ""}, {"--server", ":8089"}, {"--server", "h:0"},
                                               {"--server", "h:65536"}, {"--server", "h:"}, {"--server", "[::1"},
                                               {"--server", "h:80x"}, {"--server", "[::1]x8090"},
                                               {"--key", "7F3K-9QX2"}, {"--key", "7F3K 9QX2 MC4D"},
                                               {"--seat-file"}, {"--seat-file", ""}}) {
        EXPECT_FALSE(parse(args, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
