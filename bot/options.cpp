#include "options.h"

#include <charconv>

namespace bot {

const char* const bot_usage =
    "Usage: bot [--level LEVEL] [--think MS] [--seed N] [--log FILE] [--server HOST[:PORT]] [--key KEY]\n"
    "           [--seat-file PATH] [--relay] [--explain] [--help]\n"
    "Plays one game of rock-scissors-paper chess through the game server, as\n"
    "whichever player the server makes it, and exits 0 when the game is over.\n"
    "  --level LEVEL         easy, normal or hard (default normal): easy plays by\n"
    "                        a few rules of thumb, normal searches about a fifth\n"
    "                        of a second a move, hard about two seconds\n"
    "  --think MS            least time from the start of its turn to its move,\n"
    "                        in milliseconds, its search included (default 500)\n"
    "  --seed N              seed for its starting board and its choices\n"
    "                        (default: the time)\n"
    "  --log FILE            write a time-stamped record of the game to FILE,\n"
    "                        which holds its kinds and is made yours alone\n"
    "  --server HOST[:PORT]  the game server (default localhost:8089)\n"
    "  --key KEY             the game key that server was started with; without\n"
    "                        --key it is taken from the environment variable\n"
    "                        GAME_KEY, which other users cannot read\n"
    "  --seat-file PATH      on a refereed server: take the seat kept in PATH, or\n"
    "                        take a new one and keep it there until the game ends\n"
    "                        (default: $GAME_SEAT_FILE, else none); a seat taken\n"
    "                        back starts its beliefs over from the current view\n"
    "  --relay               play a server beyond loopback that runs no referee;\n"
    "                        its host sees every piece (without --relay the bot\n"
    "                        stops there with status 2)\n"
    "  --explain             on standard error, for each of its moves, the move\n"
    "                        and every move it weighed: visits and mean result\n"
    "                        (0 to 1) of the search, or the easy level's value\n"
    "  --help                show this text and exit\n"
    "It sees what a player sees: the kinds of its own pieces and the places of\n"
    "the opponent's, and it remembers what its fights and the opponent's\n"
    "captures reveal. When none of its pieces can move it gives the game up.\n"
    "To play against it, start the server, then your client and the bot in\n"
    "either order; until the server answers, the bot keeps asking. When the\n"
    "server refuses its key, it says so and exits with status 2.\n";

namespace {

template <typename Number>
bool read_number(const std::string& text, Number& value) {
    const char* end = text.data() + text.size();
    auto [stop, fault] = std::from_chars(text.data(), end, value);
    return fault == std::errc() && stop == end;
}

}  // namespace

std::optional<BotOptions> parse_options(const std::vector<std::string>& args, std::string& error) {
    BotOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help") {
            options.help = true;
            continue;
        }
        if (name == "--explain") {
            options.explain = true;
            continue;
        }
        if (name == "--relay") {
            options.relay = true;
            continue;
        }
        if (name != "--think" && name != "--seed" && name != "--log" && name != "--server" &&
            name != "--key" && name != "--level" && name != "--seat-file") {
            error = "unknown option " + name + " (bot --help lists the options)";
            return std::nullopt;
        }
        if (i + 1 == args.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (name == "--server" || name == "--key") {
            error = core::take_address_option(options.server, name, value);
            if (!error.empty()) return std::nullopt;
            continue;
        }
        bool good = true;
        if (name == "--think") {
            good = read_number(value, options.think_ms) && options.think_ms >= 0;
        } else if (name == "--seed") {
            good = read_number(value, options.seed);
            options.seed_given = true;
        } else if (name == "--level") {
            auto level = level_named(value);
            good = level.has_value();
            if (level) options.level = *level;
        } else if (name == "--seat-file") {
            options.seat_file = value;
            good = !value.empty();
        } else {
            options.log_path = value;
            good = !value.empty();
        }
        if (!good) {
            error = "bad value for " + name + ": " + value;
            return std::nullopt;
        }
    }
    if (!options.help && !(error = core::take_key_from_environment(options.server.key)).empty()) return std::nullopt;
    return options;
}

}  // namespace bot
