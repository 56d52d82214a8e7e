// The game server: one game per process, on localhost:8089 unless told
// otherwise, relayed or, with --referee, refereed. Standard output carries
// only the game's console lines; failures to serve and bad options go to
// standard error.

#include "game_server.h"
#include "key_check.h"
#include "options.h"
#include "referee_routes.h"
#include "routes.h"
#include "stop_signals.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>

namespace {

// SO_REUSEADDR lets a restarted server bind at once. The library's default also
// sets SO_REUSEPORT, which would let a second server share the port and split
// the clients between two games; leaving it off makes the second one fail.
void exclusive_socket_options(socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// The library writes a reply's head and body in two sends. On a kept-alive
// connection Nagle's algorithm holds the body back until the head is
// acknowledged, and the waiting peer delays that acknowledgement by up to
// 40 ms: every long poll answer and move would wait that long. Accepted
// connections inherit the option from the listening socket.
void referee_socket_options(socket_t sock) {
    exclusive_socket_options(sock);
    int yes = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

// The library tries each address of the name in turn. Pinning the family of the
// first one, the address clients try first, stops a second server from quietly
// binding the other family when the first is taken.
int first_family_of(const char* name) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
        return AF_UNSPEC;
    }
    int family = found->ai_family;
    freeaddrinfo(found);
    return family;
}

int fail(const char* what, const ServerOptions& options, int error) {
    const bool ipv6 = options.listen.find(':') != std::string::npos;
    std::cerr << "server: " << what << " " << (ipv6 ? "[" : "") << options.listen
              << (ipv6 ? "]" : "") << ":" << options.port;
    if (error != 0) {
        std::string reason = std::strerror(error);
        for (char& c : reason) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::cerr << ": " << reason;
    }
    std::cerr << std::endl;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    auto options = parse_server_options(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "server: " << error << std::endl;
        return 2;
    }
    if (options->help) {
        std::cout << server_usage;
        return 0;
    }
    Referee referee(std::cout);
    std::function<void(httplib::Server&)> routes = register_routes;
    if (options->referee) {
        routes = [&referee](httplib::Server& server) { register_referee_routes(server, referee); };
    }
    GameServer server(routes);
    require_key(server, options->key);
    server.set_socket_options(options->referee ? referee_socket_options : exclusive_socket_options);
    server.set_address_family(first_family_of(options->listen.c_str()));

    // The relay is ended by these signals where it stands; a referee first
    // answers the long polls that wait on it.
    std::unique_ptr<StopOnSignals> signals;
    if (options->referee) {
        server.on_stop([&referee] { end_waits(referee); });
        signals = std::make_unique<StopOnSignals>([&server] { server.stop(); });
    }

    errno = 0;
    if (!server.bind_game_port(options->listen.c_str(), options->port)) {
        return fail("cannot listen on", *options, errno);
    }
    if (!server.listen_after_bind()) {
        return fail("stopped serving on", *options, errno);
    }
    return 0;
}
