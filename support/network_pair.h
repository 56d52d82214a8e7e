#pragma once
// Two machines on one network, for tests and benchmarks that play across it:
// two network namespaces joined by a veth pair, the server's side at
// 10.231.0.1 and the players' side at 10.231.0.2. Needs root. The namespaces
// are named with the process id and torn down with the object; those of a
// process that died without tearing them down go when the next pair is made.

#include "server_process.h"
#include "server_address.h"

#include <functional>
#include <string>
#include <vector>

class NetworkPair {
public:
    // Throws std::runtime_error saying why when the pair cannot be made.
    explicit NetworkPair(const std::string& key);
    ~NetworkPair();
    NetworkPair(const NetworkPair&) = delete;
    NetworkPair& operator=(const NetworkPair&) = delete;

    // The words that run a program on the server's or the players' side.
    std::vector<std::string> on_server_side() const { return launcher(server_side_); }
    std::vector<std::string> on_player_side() const { return launcher(player_side_); }
    // The server as the players' side reaches it, with the key.
    const ServerAddress& server() const { return server_; }
    // The options that point a client or a bot at that server.
    std::vector<std::string> server_options() const;

    // The real server, listening on the server's side with the key and
    // `options` (such as --referee); waits until the players' side reaches it
    // and throws if it does not.
    std::unique_ptr<ChildProcess> start_server(const std::vector<std::string>& options = {}) const;
    // A GET from the players' side, with the key and `headers`.
    Reply get(const std::string& path, const httplib::Headers& headers = {}) const;

private:
    static std::vector<std::string> launcher(const std::string& side);
    void tear_down() const;
    void run_on_player_side(const std::function<void()>& work) const;

    std::string server_side_;
    std::string player_side_;
    ServerAddress server_;
};
