// The game server: one game per process, on localhost:8089 unless told
// otherwise. Standard output carries only the game's console lines; failures
// to serve and bad options go to standard error.

#include "game_server.h"
#include "key_check.h"
#include "options.h"

#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

// SO_REUSEADDR lets a restarted server bind at once. The library's default also
// sets SO_REUSEPORT, which would let a second server share the port and split
// the clients between two games; leaving it off makes the second one fail.
void exclusive_socket_options(socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
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
    GameServer server;
    require_key(server, options->key);
    server.set_socket_options(exclusive_socket_options);
    server.set_address_family(first_family_of(options->listen.c_str()));

    errno = 0;
    if (!server.bind_game_port(options->listen.c_str(), options->port)) {
        return fail("cannot listen on", *options, errno);
    }
    if (!server.listen_after_bind()) {
        return fail("stopped serving on", *options, errno);
    }
    return 0;
}
