// Bot-versus-bot games through the real server with no think pause: games per
// minute, moves per second, and the turn hand-off, the time from one player's
// /next "ok" to the other player's first /what of its turn.
// Usage: bot_games [GAMES] [--veth]   (default 20; run where port 8089 is free)
// --veth plays across two network namespaces joined by a veth pair, the server
// on one with a key and the bots on the other, as on two machines (needs root).

#include "bot_process.h"
#include "network_pair.h"
#include "relay_check.h"
#include "server_process.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Totals {
    int games = 0;
    int moves = 0;
    double seconds = 0;
    std::vector<long long> hand_offs;
};

// With `net`, the server listens on its side and the bots play from the other.
bool play_one(unsigned seed, Totals& totals, const NetworkPair* net) {
    std::unique_ptr<ServerProcess> local = net ? nullptr : std::make_unique<ServerProcess>();
    std::unique_ptr<ChildProcess> across = net ? net->start_server() : nullptr;
    const auto launcher = net ? net->on_player_side() : std::vector<std::string>{};
    const auto options = net ? net->server_options() : std::vector<std::string>{};
    auto start = Clock::now();
    BotRun first = start_bot(seed, 0, launcher, options);
    BotRun second = start_bot(seed + 1000, 0, launcher, options);
    bool ended = first.process->wait_for_exit(std::chrono::seconds(60)) == 0 &&
                 second.process->wait_for_exit(std::chrono::seconds(60)) == 0;
    totals.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    RelayedGame game = check_relayed_game(read_bot_record(first.log_path), read_bot_record(second.log_path));
    forget_bot_log(first);
    forget_bot_log(second);
    if (!ended || !game.faults.empty() || game.winner == 0) return false;
    ++totals.games;
    totals.moves += game.moves;
    totals.hand_offs.insert(totals.hand_offs.end(), game.hand_offs.begin(), game.hand_offs.end());
    return true;
}

long long percentile(std::vector<long long> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * (values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    int games = 20;
    std::unique_ptr<NetworkPair> net;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--veth") {
            net = std::make_unique<NetworkPair>("BENC-H7VE-THKY");
        } else {
            games = std::atoi(argv[i]);
        }
    }
    Totals totals;
    for (int game = 1; game <= games; ++game) {
        if (!play_one(game * 104729u, totals, net.get())) {
            std::fprintf(stderr, "bot_games: game %d did not end cleanly\n", game);
            return 1;
        }
    }
    if (totals.hand_offs.empty()) return 1;
    std::printf("games:                  %d (%d moves relayed)\n", totals.games, totals.moves);
    std::printf("games per minute:       %.1f\n", totals.games / totals.seconds * 60);
    std::printf("moves per second:       %.0f\n", totals.moves / totals.seconds);
    std::printf("turn hand-off median:   %lld us\n", percentile(totals.hand_offs, 0.5));
    std::printf("turn hand-off 90th pct: %lld us\n", percentile(totals.hand_offs, 0.9));
    std::printf("turn hand-off 99th pct: %lld us\n", percentile(totals.hand_offs, 0.99));
    return 0;
}
