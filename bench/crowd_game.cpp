// A refereed game of two easy bots across two network namespaces, alone and
// under a crowd of keyed watchers and strangers, and the server's memory under
// oversized requests.
//   game:   the game's time and the longest time from one seat's move being
//           taken to the other seat's view of it, alone and under the crowd:
//           WATCHERS seat-less keyed long polls (each back a second after a
//           503, as Retry-After asks), 16 connections dripping 16 MiB bodies
//           with the key and IDLE idle connections without it, spread over
//           the five addresses of the players' side
//   memory: the server's peak resident memory while 16 connections send
//           16 MiB bodies as fast as they can and 200 send requests of 12,000
//           headers, all with the key: the referee's, and the relay's, whose
//           /chess takes bodies of 16 MiB
// Usage: crowd_game [WATCHERS IDLE]   (default 320 300; needs root)

#include "bot_process.h"
#include "network_pair.h"
#include "referee_record.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace support;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string key = "CROW-D7BE-NCHK";
const std::string key_line = "Authorization: Bearer " + key + "\r\n";

enum class Kind { watcher, dripper, idle, fast_body, many_headers };

struct Crowder {
    Kind kind;
    const char* source;
    int fd = -1;
    Clock::time_point next{};  // when to connect again, or to send the next drip
    std::size_t body_sent = 0;
    long connections = 0;  // made in all
};

int connect_from(const char* source, const std::string& server) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, source, &address.sin_addr);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    address.sin_port = htons(8089);
    inet_pton(AF_INET, server.c_str(), &address.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}

void send_some(int fd, const std::string& bytes) { send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

// Bodies go to the referee's POST /seat, or to the relay's POST /chess, which
// takes 16 MiB.
std::string body_path = "/seat";

std::string head_of(Kind kind) {
    switch (kind) {
    case Kind::watcher: return "GET /view?after=999 HTTP/1.1\r\n" + key_line + "\r\n";
    case Kind::dripper:
    case Kind::fast_body:
        return "POST " + body_path + " HTTP/1.1\r\n" + key_line + "Transfer-Encoding: chunked\r\n\r\n";
    case Kind::many_headers: {
        std::string head = "GET /view?after=999 HTTP/1.1\r\n" + key_line;
        for (int i = 0; i < 12000; ++i) head += "a:b\r\n";
        return head + "\r\n";
    }
    case Kind::idle: break;
    }
    return "";
}

// Half the drippers announce the whole 16 MiB, half send it chunked.
std::string dripper_head(std::size_t index) {
    if (index % 2 == 0) return head_of(Kind::dripper);
    return "POST " + body_path + " HTTP/1.1\r\n" + key_line + "Content-Length: 16777216\r\n\r\n";
}

// Runs the crowd until `stop`, reconnecting each connection the server
// closes: watchers after the second a 503 asks, idle ones after a second too
// (so that two shared cores are not spent on the churn alone), the others
// after a short rest.
void run_crowd(std::vector<Crowder>& crowd, const std::string& server, const std::atomic<bool>& stop) {
    const std::string chunk = "4000\r\n" + std::string(0x4000, 'b') + "\r\n";
    std::vector<pollfd> polled;
    char buffer[65536];
    while (!stop) {
        const auto now = Clock::now();
        polled.clear();
        for (std::size_t i = 0; i < crowd.size(); ++i) {
            Crowder& one = crowd[i];
            if (one.fd < 0 && now >= one.next) {
                one.fd = connect_from(one.source, server);
                one.body_sent = 0;
                ++one.connections;
                one.next = now + 100ms;
                if (one.fd >= 0) send_some(one.fd, one.kind == Kind::dripper ? dripper_head(i) : head_of(one.kind));
            }
            if (one.fd < 0) {
                polled.push_back({-1, 0, 0});
                continue;
            }
            if (one.kind == Kind::dripper && now >= one.next) {
                send_some(one.fd, "1\r\nb\r\n");
                one.next = now + 100ms;
            }
            if (one.kind == Kind::fast_body && one.body_sent < 16u << 20) {
                ssize_t sent = send(one.fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
                if (sent > 0) one.body_sent += static_cast<std::size_t>(sent);
            }
            polled.push_back({one.fd, POLLIN, 0});
        }
        if (poll(polled.data(), polled.size(), 20) <= 0) continue;
        for (std::size_t i = 0; i < crowd.size(); ++i) {
            if (polled[i].fd < 0 || polled[i].revents == 0) continue;
            Crowder& one = crowd[i];
            ssize_t got = recv(one.fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EAGAIN) continue;
            close(one.fd);
            one.fd = -1;
            one.next = Clock::now() + (one.kind == Kind::watcher || one.kind == Kind::idle ? 1000ms : 100ms);
        }
    }
    for (Crowder& one : crowd) {
        if (one.fd >= 0) close(one.fd);
        one.fd = -1;
    }
}

std::vector<Crowder> crowd_of(const std::vector<std::pair<Kind, int>>& parts) {
    std::vector<Crowder> crowd;
    for (const auto& [kind, count] : parts) {
        for (int i = 0; i < count; ++i) {
            crowd.push_back({kind, player_side_addresses[crowd.size() % std::size(player_side_addresses)]});
        }
    }
    return crowd;
}

long status_kib(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word) {
        if (word == field) {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

struct GameTimes {
    bool ended = false;
    double seconds = 0;
    long long longest_hand_off_us = 0;
    std::size_t moves = 0;
};

GameTimes play_game(const NetworkPair& net, unsigned seed) {
    GameTimes times;
    const auto start = Clock::now();
    BotRun first = start_bot(seed, 0, net.on_player_side(), net.server_options());
    BotRun second = start_bot(seed + 1000, 0, net.on_player_side(), net.server_options());
    times.ended = first.process->wait_for_exit(120s) == 0 && second.process->wait_for_exit(120s) == 0;
    times.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const RefereeRecord records[2] = {read_referee_record(first.log_path), read_referee_record(second.log_path)};
    for (int mover : {0, 1}) {
        times.moves += records[mover].moves.size();
        for (long long hand_off : referee_hand_offs(records[mover], records[1 - mover])) {
            times.longest_hand_off_us = std::max(times.longest_hand_off_us, hand_off);
        }
    }
    forget_bot_log(first);
    forget_bot_log(second);
    return times;
}

void print_game(const char* name, const GameTimes& times) {
    std::printf("%-26s %s, %zu moves in %.2f s, longest move-to-view %.1f ms\n", name,
                times.ended ? "ended" : "DID NOT END", times.moves, times.seconds,
                times.longest_hand_off_us / 1000.0);
}

// The crowd runs on the players' side on a thread of its own while `during` runs.
template <typename During>
void with_crowd(const NetworkPair& net, std::vector<Crowder> crowd, During during) {
    std::atomic<bool> stop{false};
    std::thread crowd_thread([&] { net.run_on_player_side([&] { run_crowd(crowd, net.server().host, stop); }); });
    during();
    stop = true;
    crowd_thread.join();
    long connections = 0;
    for (const Crowder& one : crowd) connections += one.connections;
    std::printf("the crowd of %zu made %ld connections\n", crowd.size(), connections);
}

// `games` games, each on a server of its own (a server plays one game), with
// `settle` for the crowd to come back after each start; the totals.
GameTimes play_games(const NetworkPair& net, int games, std::chrono::seconds settle, long& peak_kib) {
    GameTimes totals{true};
    for (int game = 0; game < games; ++game) {
        auto server = net.start_server({"--referee"});
        std::this_thread::sleep_for(settle);
        GameTimes times = play_game(net, 7 + 104729u * game);
        totals.ended = totals.ended && times.ended;
        totals.seconds += times.seconds;
        totals.moves += times.moves;
        totals.longest_hand_off_us = std::max(totals.longest_hand_off_us, times.longest_hand_off_us);
        peak_kib = std::max(peak_kib, status_kib(server->pid(), "VmHWM:"));
    }
    return totals;
}

}  // namespace

int main(int argc, char** argv) {
    const int watchers = argc > 2 ? std::atoi(argv[1]) : 320;
    const int idle = argc > 2 ? std::atoi(argv[2]) : 300;
    constexpr int games = 5;
    NetworkPair net(key);

    long peak_kib = 0;
    print_game("5 alone:", play_games(net, games, 0s, peak_kib));
    peak_kib = 0;
    GameTimes crowded;
    with_crowd(net, crowd_of({{Kind::watcher, watchers}, {Kind::dripper, 16}, {Kind::idle, idle}}),
               [&] { crowded = play_games(net, games, 3s, peak_kib); });
    char name[64];
    std::snprintf(name, sizeof name, "5 in a crowd %d/16/%d:", watchers, idle);
    print_game(name, crowded);
    std::printf("server peak memory under the crowd: %ld KiB\n", peak_kib);

    for (bool referee : {true, false}) {
        body_path = referee ? "/seat" : "/chess";
        auto server = net.start_server(referee ? std::vector<std::string>{"--referee"} : std::vector<std::string>{});
        const long before = status_kib(server->pid(), "VmRSS:");
        with_crowd(net, crowd_of({{Kind::fast_body, 16}, {Kind::many_headers, 200}}),
                   [] { std::this_thread::sleep_for(10s); });
        std::printf("memory of the %s: resident at start %ld KiB, peak under 16 bodies of 16 MiB to %s and 200 "
                    "heads of 12,000 headers %ld KiB\n",
                    referee ? "referee" : "relay", before, body_path.c_str(), status_kib(server->pid(), "VmHWM:"));
    }
    return 0;
}
