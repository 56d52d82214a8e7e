// Bot-versus-bot games through the real server with no think pause: games per
// minute, moves per second, and the turn hand-off, the time from one player's
// /next "ok" to the other player's first /what of its turn.
// Usage: bot_games [GAMES] [--veth] [--referee]   (default 20; run where port
// 8089 is free)
// --veth plays across two network namespaces joined by a veth pair, the server
// on one with a key and the bots on the other, as on two machines (needs root).
// --referee plays through `server --referee`; the hand-off is then the time
// from one seat's POST /move answer to the other seat's GET /view answer.

#include "bot_process.h"
#include "network_pair.h"
#include "percentile.h"
#include "referee_record.h"
#include "relay_check.h"
#include "server_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace support;

namespace {

using Clock = std::chrono::steady_clock;

struct Totals {
    int games = 0;
    int moves = 0;
    double seconds = 0;
    std::vector<long long> hand_offs;
};

// The moves and hand-offs of a refereed game, when it ended with a winner and
// every view showed its seat only its own kinds. A bot that resigns sees no
// view after it.
bool count_refereed_game(const BotRun& first, const BotRun& second, Totals& totals) {
    const RefereeRecord records[2] = {read_referee_record(first.log_path), read_referee_record(second.log_path)};
    bool won = false;
    for (const RefereeRecord& record : records) {
        if (record.views.empty() || record.unreadable_views > 0) return false;
        won = won || record.views.back().view.winner != 0;
        for (const StampedView& seen : record.views) {
            if (!view_fault(seen.view, record.seat).empty()) return false;
        }
    }
    if (!won) return false;
    for (int mover : {0, 1}) {
        const auto hand_offs = referee_hand_offs(records[mover], records[1 - mover]);
        totals.moves += static_cast<int>(records[mover].moves.size());
        totals.hand_offs.insert(totals.hand_offs.end(), hand_offs.begin(), hand_offs.end());
    }
    ++totals.games;
    return true;
}

// With `net`, the server listens on its side and the bots play from the other.
bool play_one(unsigned seed, Totals& totals, const NetworkPair* net, bool referee) {
    const std::vector<std::string> server_options = referee ? std::vector<std::string>{"--referee"}
                                                            : std::vector<std::string>{};
    std::unique_ptr<ServerProcess> local = net ? nullptr : std::make_unique<ServerProcess>(server_options);
    std::unique_ptr<ChildProcess> across = net ? net->start_server(server_options) : nullptr;
    const auto launcher = net ? net->on_player_side() : std::vector<std::string>{};
    const auto options = net ? net->server_options() : std::vector<std::string>{};
    auto start = Clock::now();
    BotRun first = start_bot(seed, 0, launcher, options);
    BotRun second = start_bot(seed + 1000, 0, launcher, options);
    bool ended = first.process->wait_for_exit(std::chrono::seconds(60)) == 0 &&
                 second.process->wait_for_exit(std::chrono::seconds(60)) == 0;
    totals.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    if (referee) {
        const bool counted = ended && count_refereed_game(first, second, totals);
        forget_bot_log(first);
        forget_bot_log(second);
        return counted;
    }
    RelayedGame game = check_relayed_game(read_bot_record(first.log_path), read_bot_record(second.log_path));
    forget_bot_log(first);
    forget_bot_log(second);
    if (!ended || !game.faults.empty() || game.winner == 0) return false;
    ++totals.games;
    totals.moves += game.moves;
    totals.hand_offs.insert(totals.hand_offs.end(), game.hand_offs.begin(), game.hand_offs.end());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int games = 20;
    std::unique_ptr<NetworkPair> net;
    bool referee = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--veth") {
            net = std::make_unique<NetworkPair>("BENC-H7VE-THKY");
        } else if (std::string(argv[i]) == "--referee") {
            referee = true;
        } else {
            games = std::atoi(argv[i]);
        }
    }
    Totals totals;
    for (int game = 1; game <= games; ++game) {
        if (!play_one(game * 104729u, totals, net.get(), referee)) {
            std::fprintf(stderr, "bot_games: game %d did not end cleanly\n", game);
            return 1;
        }
    }
    if (totals.hand_offs.empty()) return 1;
    std::printf("games:                  %d (%d moves %s)\n", totals.games, totals.moves,
                referee ? "refereed" : "relayed");
    std::printf("games per minute:       %.1f\n", totals.games / totals.seconds * 60);
    std::printf("moves per second:       %.0f\n", totals.moves / totals.seconds);
    std::printf("turn hand-off median:   %lld us\n", percentile(totals.hand_offs, 0.5));
    std::printf("turn hand-off 90th pct: %lld us\n", percentile(totals.hand_offs, 0.9));
    std::printf("turn hand-off 99th pct: %lld us\n", percentile(totals.hand_offs, 0.99));
    return 0;
}
