// The game server: one game per process, on localhost:8089 unless told
// otherwise, relayed or, with --referee, refereed. Standard output carries
// only the game's console lines; failures to serve and bad options go to
// standard error.

#include "console_lines.h"
#include "game_server.h"
#include "key_check.h"
#include "line_ends.h"
#include "options.h"
#include "referee_routes.h"
#include "routes.h"
#include "stop_signals.h"

#include <cctype>
#include <iostream>
#include <memory>

namespace {

int fail(const char* what, const server::ServerOptions& options, int error) {
    const bool ipv6 = options.listen.find(':') != std::string::npos;
    std::cerr << "server: " << what << " " << (ipv6 ? "[" : "") << options.listen
              << (ipv6 ? "]" : "") << ":" << options.port;
    if (error != 0) {
        std::string reason = platform::error_text(error);
        for (char& c : reason) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::cerr << ": " << reason;
    }
    std::cerr << std::endl;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    platform::keep_line_ends();
    std::string error;
    auto options = server::parse_server_options(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "server: " << error << std::endl;
        return 2;
    }
    if (options->help) {
        std::cout << server::server_usage;
        return 0;
    }
    server::Relay relay(platform::console_lines());
    server::Referee referee(platform::console_lines());
    std::function<void(httplib::Server&)> routes = [&relay](httplib::Server& server) { server::register_routes(server, relay); };
    if (options->referee) {
        routes = [&referee](httplib::Server& server) { server::register_referee_routes(server, referee); };
    }
    server::GameServer server(routes);
    if (!options->key.empty()) {
        server.refuse_requests([key = options->key](const httplib::Request& req) { return !server::carries_key(req, key); });
    }
    // A loopback server with a key is guarded as one on the network, so that
    // other users of the machine cannot lock its players out either.
    if (!options->key.empty()) server.guard_against_other_hosts();
    if (options->referee) server.set_body_limit(server::max_referee_body_bytes);

    // The relay is ended by these signals where it stands; a referee first
    // answers the long polls that wait on it.
    std::unique_ptr<platform::StopOnSignals> signals;
    if (options->referee) {
        server.on_stop([&referee] { server::end_waits(referee); });
        signals = std::make_unique<platform::StopOnSignals>([&server] { server.stop(); });
    }

    if (int error = server.bind_game_address(options->address)) return fail("cannot listen on", *options, error);
    if (int error = server.listen_after_bind()) return fail("stopped serving on", *options, error);
    return 0;
}
