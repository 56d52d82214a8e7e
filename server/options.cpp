#include "options.h"

#include "server_address.h"

#include <netdb.h>
#include <netinet/in.h>


const char* const server_usage =
    "Usage: server [--listen ADDRESS] [--port N] [--key KEY] [--referee] [--help]\n"
    "Keeps the one game of rock-scissors-paper chess of its lifetime and relays\n"
    "it between the two players' programs over HTTP.\n"
    "  --listen ADDRESS  the name or address to listen on (default localhost, this\n"
    "                    machine only); 0.0.0.0 or :: for every interface\n"
    "  --port N          the port, 1 to 65535 (default 8089)\n"
    "  --key KEY         the game key: every request must carry it as\n"
    "                    \"Authorization: Bearer KEY\" or gets 401. At least 12\n"
    "                    letters and digits; dashes and case do not count.\n"
    "                    Needed unless ADDRESS is a loopback address.\n"
    "  --referee         hold the true board and apply the rules: each player\n"
    "                    takes a seat and sees only their own pieces' kinds\n"
    "  --help            show this text and exit\n";

namespace {

bool is_loopback(const sockaddr* address) {
    if (address->sa_family == AF_INET) {
        auto ip = ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
        return (ip >> 24) == 127;
    }
    if (address->sa_family == AF_INET6) {
        return IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
    }
    return false;
}

// A name that does not resolve is left to the bind, which fails and says so.
bool reaches_beyond_loopback(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) return false;
    bool beyond = false;
    for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        beyond = beyond || !is_loopback(entry->ai_addr);
    }
    freeaddrinfo(found);
    return beyond;
}

// The one line that says what is wrong with an option's value; empty if nothing.
std::string take_value(ServerOptions& options, const std::string& name, const std::string& value) {
    if (name == "--listen") {
        options.listen = value;
        return value.empty() ? "--listen needs a name or address" : "";
    }
    if (name == "--port") {
        auto port = port_number(value);
        options.port = port.value_or(0);
        return port ? "" : "bad port " + value + ": give a number from 1 to 65535";
    }
    return take_key(options.key, value);
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
    if (!options.help && options.key.empty() && reaches_beyond_loopback(options.listen)) {
        error = "listening on " + options.listen +
                " lets other machines in: give the game a key with --key";
        return std::nullopt;
    }
    return options;
}
