#include "options.h"

namespace launcher {

const char* const usage_text =
    "Usage: rock-scissors-paper [--pair | --solo [--level LEVEL] | --host | --join HOST [--key KEY]]\n"
    "Starts a game of rock-scissors-paper on this display; with no options, opens\n"
    "a menu to choose one in:\n"
    "  --pair                two players, a window each, side by side\n"
    "  --solo                you against the computer player\n"
    "  --level LEVEL         with --solo: easy, normal (the default) or hard\n"
    "  --host                this machine holds a game for two machines: your\n"
    "                        window, and what the other player types\n"
    "  --join HOST           your window in the game HOST holds; the key comes\n"
    "  --key KEY             from GAME_KEY, or --key KEY, or is asked for\n"
    "  --help                show this text and exit\n"
    "The server referees the game, and only its players' programs get in: each\n"
    "game started here has a key of its own. A window that ends without a winner\n"
    "leaves the game going; the same command again takes its seat back. What a\n"
    "game leaves for that is kept in $XDG_STATE_HOME/rock-scissors-paper\n"
    "(~/.local/state/rock-scissors-paper by default).\n";

namespace {

std::string choose(Options& options, Mode mode) {
    if (options.mode != Mode::none) return "--pair, --solo, --host and --join do not go together: choose one";
    options.mode = mode;
    return "";
}

}  // namespace

std::string parse_options(const std::vector<std::string>& words, Options& options) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool has_value = i + 1 < words.size() && !words[i + 1].empty();
        std::string error;
        if (word == "--pair") {
            error = choose(options, Mode::pair);
        } else if (word == "--solo") {
            error = choose(options, Mode::solo);
        } else if (word == "--host") {
            error = choose(options, Mode::host);
        } else if (word == "--join") {
            if (!has_value) return "--join needs the other machine's name or address";
            error = choose(options, Mode::join);
            options.join_host = words[++i];
        } else if (word == "--key") {
            if (!has_value) return "--key needs the key the other machine's terminal shows";
            options.key = words[++i];
        } else if (word == "--level") {
            const std::string level = i + 1 < words.size() ? words[i + 1] : "";
            if (level != "easy" && level != "normal" && level != "hard") return "--level needs easy, normal or hard";
            options.level = level;
            ++i;
        } else if (word == "-h" || word == "--help") {
            options.help = true;
            return "";
        } else {
            return "unknown option " + word + " (try --help)";
        }
        if (!error.empty()) return error;
    }
    if (options.mode != Mode::join && !options.key.empty()) {
        return "--key goes with --join; --host draws a fresh key itself";
    }
    if (options.mode != Mode::solo && !options.level.empty()) {
        return "--level goes with --solo: it is how well the computer plays";
    }
    return "";
}

}  // namespace launcher
