// A long soak: bot-versus-bot games back to back, each through a server of
// its own, with every relayed board checked by the rules as in the core soak
// test. A game whose board has not changed for 60 s, with no winner posted,
// counts as stuck and is stopped. Prints games, moves, protocol faults, stuck
// games, exits other than 0, and the turn hand-off (slowest included).
// Usage: soak [GAMES [THINK_MS]]   (default 500 games, 1 ms; run where port
// 8089 is free). Exits 0 only when every game ended cleanly.

#include "bot_process.h"
#include "percentile.h"
#include "relay_check.h"
#include "server_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace support;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto stuck_after = std::chrono::seconds(60);

struct Totals {
    int games = 0;
    int clean_games = 0;
    long moves = 0;
    int faults = 0;
    int stuck = 0;
    int bad_exits = 0;
    std::vector<long long> hand_offs;
};

// Watches the server until both bots have ended; false if the board stood
// still for stuck_after while nobody had won.
bool wait_while_moving(BotRun& first, BotRun& second) {
    std::string last_board = get("/what").body;
    auto last_change = Clock::now();
    while (first.process->running() || second.process->running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::string board = get("/what").body;
        if (board != last_board) {
            last_board = board;
            last_change = Clock::now();
        } else if (Clock::now() - last_change > stuck_after && get("/who_win").body == "0") {
            return false;
        }
    }
    return true;
}

void report_faults(int game, const std::vector<std::string>& faults) {
    for (const auto& fault : faults) std::fprintf(stderr, "soak: game %d: %s\n", game, fault.c_str());
}

void play_one(int game, int think_ms, Totals& totals) {
    ServerProcess server;
    unsigned seed = static_cast<unsigned>(game) * 7919u;
    BotRun first = start_bot(seed, think_ms);
    BotRun second = start_bot(seed + 1000, think_ms);
    ++totals.games;
    bool moving = wait_while_moving(first, second);
    if (!moving) {
        ++totals.stuck;
        std::fprintf(stderr, "soak: game %d stuck: no move for 60 s\n", game);
        first.process->stop();
        second.process->stop();
    }
    auto first_status = first.process->wait_for_exit(std::chrono::seconds(10));
    auto second_status = second.process->wait_for_exit(std::chrono::seconds(10));
    bool exits_clean = first_status == 0 && second_status == 0;
    if (!exits_clean) {
        ++totals.bad_exits;
        std::fprintf(stderr, "soak: game %d: bot exits %d and %d\n", game, first_status.value_or(-1),
                     second_status.value_or(-1));
    }
    RelayedGame relayed = check_relayed_game(read_bot_record(first.log_path), read_bot_record(second.log_path));
    std::vector<std::string> faults = relayed.faults;
    if (relayed.winner == 0) faults.push_back("no winner");
    if (end_of_game_lines(server.console()) != 1) faults.push_back("not exactly one end-of-game line");
    if (get("/who_win").body != std::to_string(relayed.winner)) faults.push_back("/who_win is not the winner");
    if (get("/what").body != relayed.last_board) faults.push_back("/what is not the last relayed board");
    report_faults(game, faults);
    totals.faults += static_cast<int>(faults.size());
    totals.moves += relayed.moves;
    totals.hand_offs.insert(totals.hand_offs.end(), relayed.hand_offs.begin(), relayed.hand_offs.end());
    if (moving && exits_clean && faults.empty()) ++totals.clean_games;
    forget_bot_log(first);
    forget_bot_log(second);
}

}  // namespace

int main(int argc, char** argv) {
    int games = argc > 1 ? std::atoi(argv[1]) : 500;
    int think_ms = argc > 2 ? std::atoi(argv[2]) : 1;
    Totals totals;
    auto start = Clock::now();
    for (int game = 1; game <= games; ++game) {
        play_one(game, think_ms, totals);
        if (game % 50 == 0) std::fprintf(stderr, "soak: %d games played\n", game);
    }
    double minutes = std::chrono::duration<double>(Clock::now() - start).count() / 60;
    std::printf("games:                 %d (%d clean) in %.1f min\n", totals.games, totals.clean_games, minutes);
    std::printf("moves relayed:         %ld\n", totals.moves);
    std::printf("protocol faults:       %d\n", totals.faults);
    std::printf("stuck games:           %d\n", totals.stuck);
    std::printf("games with a bot exit other than 0: %d\n", totals.bad_exits);
    std::printf("turn hand-off median:  %lld us\n", percentile(totals.hand_offs, 0.5));
    std::printf("turn hand-off 99th:    %lld us\n", percentile(totals.hand_offs, 0.99));
    std::printf("turn hand-off slowest: %lld us\n", percentile(totals.hand_offs, 1.0));
    return totals.clean_games == totals.games ? 0 : 1;
}
