#include "options.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(parse({"--server", "::1"})->server.host, "::1");
    EXPECT_EQ(parse({"--server", "game-box"})->server.port, 8089);
}

TEST(BotOptions, RefusesWhatItCannotFollow) {
    std::string error;
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--think"}, {"--think", "-5"}, {"--think", "5ms"},
                                               {"--think", ""}, {"--seed", "x"}, {"--seed", "-1"},
                                               {"--log", ""}, {"--fast"}, {"play"}, {"--level", "Hard"}, {"--level"},
                                               {"--server", ""}, {"--server", ":8089"}, {"--server", "h:0"},
                                               {"--server", "h:65536"}, {"--server", "h:"}, {"--server", "[::1"},
                                               {"--key", "7F3K-9QX2"}, {"--key", "7F3K 9QX2 MC4D"},
                                               {"--seat-file"}, {"--seat-file", ""}}) {
        EXPECT_FALSE(parse(args, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
