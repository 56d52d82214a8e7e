#include "options.h"

namespace client {

const char* const client_usage =
    "Usage: client [--server HOST[:PORT]] [--key KEY] [--seat-file PATH] [--relay] [--help]\n"
    "One player's window of rock-scissors-paper chess. It joins the game on the\n"
    "game server and plays it there. Its pictures are looked for in ../thirdparty/\n"
    "from the working folder, then beside the program.\n"
    "  --server HOST[:PORT]  the game server (default localhost:8089); an IPv6\n"
    "                        address goes in brackets before a port: [ADDRESS]:PORT\n"
    "  --key KEY             the game key that server was started with; without\n"
    "                        --key it is taken from the environment variable\n"
    "                        GAME_KEY, which other users cannot read\n"
    "  --seat-file PATH      on a refereed server: take the seat kept in PATH, or\n"
    "                        take a new one and keep it there until the game ends\n"
    "                        (default: $GAME_SEAT_FILE, else none)\n"
    "  --relay               play a server beyond loopback that runs no referee;\n"
    "                        its host sees every piece (without --relay the\n"
    "                        client stops there with status 2)\n"
    "  --help                show this text and exit\n";

std::optional<ClientOptions> parse_client_options(const std::vector<std::string>& args, std::string& error) {
    ClientOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help") {
            options.help = true;
        } else if (name == "--relay") {
            options.relay = true;
        } else if (name != "--server" && name != "--key" && name != "--seat-file") {
            error = "unknown option " + name + " (client --help lists the options)";
            return std::nullopt;
        } else if (i + 1 == args.size()) {
            error = name + " needs a value";
            return std::nullopt;
        } else if (name == "--seat-file") {
            options.seat_file = args[++i];
            if (options.seat_file.empty()) {
                error = "--seat-file needs a path";
                return std::nullopt;
            }
        } else if (error = core::take_address_option(options.server, name, args[++i]); !error.empty()) {
            return std::nullopt;
        }
    }
    if (!options.help && !(error = core::take_key_from_environment(options.server.key)).empty()) return std::nullopt;
    return options;
}

}  // namespace client
