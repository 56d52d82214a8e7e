#pragma once
// Two machines on one network, for tests and benchmarks that play across it:
// two network namespaces joined by a veth pair, the server's side at
// 10.231.0.1 and the players' side at 10.231.0.2, with a second address,
// 10.231.0.3, for a second host there, and up to 10.231.0.6 for more. Needs root. The namespaces are named
// with the process id and torn down with the object; those of a process that
// died without tearing them down go when the next pair is made.

#include "server_process.h"
#include "server_address.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace support {

constexpr const char* second_player_side_address = "10.231.0.3";
// Every address of the players' side, the first two above among them.
constexpr const char* player_side_addresses[] = {"10.231.0.2", "10.231.0.3", "10.231.0.4", "10.231.0.5",
                                                 "10.231.0.6"};

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
    const core::ServerAddress& server() const { return server_; }
    // The options that point a client or a bot at that server.
    std::vector<std::string> server_options() const;

    // The real server, listening on the server's side with the key and
    // `options` (such as --referee); waits until the players' side reaches it
    // and throws if it does not.
    std::unique_ptr<ChildProcess> start_server(const std::vector<std::string>& options = {}) const;
    // A GET from the players' side, with the key (and `headers`), given
    // `reply_wait` to complete.
    Reply get(const std::string& path, std::chrono::seconds reply_wait = std::chrono::seconds(30)) const;
    Reply get(const std::string& path, const httplib::Headers& headers,
              std::chrono::seconds reply_wait = std::chrono::seconds(30)) const;

    // Runs `work` on a thread of its own in that side's network namespace:
    // the sockets it makes belong to that side.
    void run_on_server_side(const std::function<void()>& work) const;
    void run_on_player_side(const std::function<void()>& work) const;
    // The /etc/hosts that programs started with on_server_side() see.
    void set_server_side_hosts(const std::string& text) const;
    // A listening socket on [::1]:`port` of the server side, as another
    // user's program there could hold: an impostor the game must not reach.
    int listen_on_server_side_ipv6_loopback(int port) const;

private:
    static std::vector<std::string> launcher(const std::string& side);
    static void run_on(const std::string& side, const std::function<void()>& work);
    void tear_down() const;

    std::string server_side_;
    std::string player_side_;
    core::ServerAddress server_;
};

}  // namespace support
