#include "options.h"

#include "server_address.h"

#include <cctype>
#include <cstring>

namespace server {

const char* const server_usage =
    "Usage: server [--listen ADDRESS] [--port N] [--key KEY] [--referee] [--help]\n"
    "Keeps the one game of rock-scissors-paper chess of its lifetime and relays\n"
    "it between the two players' programs over HTTP.\n"
    "  --listen ADDRESS  the name or address to listen on (default localhost, this\n"
    "                    machine only, taken as 127.0.0.1); 0.0.0.0 or :: for every\n"
    "                    interface\n"
    "  --port N          the port, 1 to 65535 (default 8089)\n"
    "  --key KEY         the game key: every request must carry it as\n"
    "                    \"Authorization: Bearer KEY\" or gets 401. At least 12\n"
    "                    letters and digits; dashes and case do not count.\n"
    "                    Needed unless ADDRESS is a loopback address. Without\n"
    "                    --key, the key is taken from the environment variable\n"
    "                    GAME_KEY, which other users cannot read.\n"
    "  --referee         hold the true board and apply the rules: each player\n"
    "                    takes a seat and sees only their own pieces' kinds\n"
    "  --help            show this text and exit\n";

namespace {

// The first address the name gives, the one clients try first. Empty when
// the name is not found, with the reason.
std::string look_up(ServerOptions& options) {
    std::string reason;
    auto found = platform::first_address(core::reachable_host(options.listen), options.port, reason);
    if (!found) return "cannot find " + options.listen + ": " + reason;
    options.address = *found;
    options.beyond_loopback = !platform::is_loopback(options.address);
    return "";
}

// The one line that says what is wrong with an option's value; empty if nothing.
std::string take_value(ServerOptions& options, const std::string& name, const std::string& value) {
    if (name == "--listen") {
        options.listen = value;
        return value.empty() ? "--listen needs a name or address" : "";
    }
    if (name == "--port") {
        auto port = core::port_number(value);
        options.port = port.value_or(0);
        return port ? "" : "bad port " + value + ": give a number from 1 to 65535";
    }
    return core::take_key(options.key, value);
}

}  // namespace

std::optional<ServerOptions> parse_server_options(const std::vector<std::string>& args,
                                                  std::string& error) {
    ServerOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help") {
            options.help = true;
            continue;
        }
        if (name == "--referee") {
            options.referee = true;
            continue;
        }
        if (name != "--listen" && name != "--port" && name != "--key") {
            error = "unknown option " + name + " (server --help lists the options)";
            return std::nullopt;
        }
        if (i + 1 == args.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        error = take_value(options, name, args[++i]);
        if (!error.empty()) return std::nullopt;
    }
    if (options.help) return options;
    error = core::take_key_from_environment(options.key);
    if (error.empty()) error = look_up(options);
    if (error.empty() && options.beyond_loopback && options.key.empty()) {
        error = "listening on " + options.listen +
                " lets other machines in: give the game a key with --key or GAME_KEY";
    }
    if (!error.empty()) return std::nullopt;
    return options;
}

}  // namespace server
