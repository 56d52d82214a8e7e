// How strong each level of the bot is, in whole games played in one process by
// the real rules: against the easy level, kept as the yardstick, and against
// a player that steps at random, sides alternating game by game; and the
// processor time each level takes a move.
// Usage: bot_strength [GAMES [HARD_GAMES [FIRST_SEED]]] [--only PAIRING]...
//   GAMES (default 200) for the cheap pairings, HARD_GAMES (default 50) for
//   those of the hard level; PAIRING is one of the names printed first on
//   each line, e.g. normal-easy. Each game's result goes to standard error as
//   it ends, so a long run shows how it is going.

#include "in_process_game.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Games between these players last 100 to 200 moves; one still going at 1,000
// has become a stand-off and counts as not won.
constexpr int move_limit = 1000;

struct Pairing {
    Contender contender;
    Contender opponent;
    bool hard;
    const char* name;
    const char* title;
};

const Pairing pairings[] = {
    {{.level = Level::easy}, {.random = true}, false, "easy-random", "easy against random steps"},
    {{.level = Level::normal}, {.random = true}, false, "normal-random", "normal against random steps"},
    {{.level = Level::normal}, {.level = Level::easy}, false, "normal-easy", "normal against easy"},
    {{.level = Level::hard}, {.random = true}, true, "hard-random", "hard against random steps"},
    {{.level = Level::hard}, {.level = Level::easy}, true, "hard-easy", "hard against easy"},
};

struct Tally {
    int games = 0;
    int wins = 0;
    int unfinished = 0;
    long long moves = 0;
};

std::vector<double> think_seconds[3];

// The 95 % Wilson interval of a win rate, in percent.
void interval(int wins, int games, double& low, double& high) {
    double z = 1.96;
    double p = double(wins) / games;
    double centre = (p + z * z / (2 * games)) / (1 + z * z / games);
    double half = z / (1 + z * z / games) * std::sqrt(p * (1 - p) / games + z * z / (4.0 * games * games));
    low = 100 * (centre - half);
    high = 100 * (centre + half);
}

void play(const Pairing& pairing, int games, unsigned first_seed) {
    Tally tally;
    for (int game = 0; game < games; ++game) {
        unsigned seed = first_seed + game;
        int side = game % 2 == 0 ? 1 : 2;
        std::array<Contender, 2> sides = {pairing.contender, pairing.opponent};
        if (side == 2) std::swap(sides[0], sides[1]);
        GameEnd end = play_in_process(seed, sides, move_limit);
        ++tally.games;
        tally.wins += end.winner == side;
        tally.unfinished += end.winner == 0;
        tally.moves += end.moves;
        for (int player : {1, 2}) {
            if (sides[player - 1].random) continue;
            auto& times = think_seconds[static_cast<int>(sides[player - 1].level)];
            times.insert(times.end(), end.think_seconds[player].begin(), end.think_seconds[player].end());
        }
        std::fprintf(stderr, "%s: seed %u, as player %d, %s after %d moves; %d of %d won\n", pairing.name, seed,
                     side, end.winner == side ? "won" : end.winner == 0 ? "unfinished" : "lost", end.moves,
                     tally.wins, tally.games);
    }
    double low = 0;
    double high = 0;
    interval(tally.wins, tally.games, low, high);
    std::printf("%-14s %-30s %4d games, won %4d (%5.1f%%, 95%% interval %4.1f-%5.1f%%), unfinished %d, %.0f moves a game\n",
                pairing.name, pairing.title, tally.games, tally.wins, 100.0 * tally.wins / tally.games, low, high,
                tally.unfinished, double(tally.moves) / tally.games);
    std::fflush(stdout);
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * double(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> numbers;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--only" && i + 1 < argc) {
            only.push_back(argv[++i]);
        } else {
            numbers.push_back(arg);
        }
    }
    int games = numbers.size() > 0 ? std::atoi(numbers[0].c_str()) : 200;
    int hard_games = numbers.size() > 1 ? std::atoi(numbers[1].c_str()) : 50;
    unsigned first_seed = numbers.size() > 2 ? static_cast<unsigned>(std::atoi(numbers[2].c_str())) : 1;
    std::printf("levels: easy = rules of thumb; normal = %d search iterations a move; hard = %d\n",
                search_params(Level::normal).iterations, search_params(Level::hard).iterations);
    for (const Pairing& pairing : pairings) {
        if (!only.empty() && std::find(only.begin(), only.end(), pairing.name) == only.end()) continue;
        play(pairing, pairing.hard ? hard_games : games, first_seed);
    }
    for (Level level : {Level::easy, Level::normal, Level::hard}) {
        const auto& times = think_seconds[static_cast<int>(level)];
        if (times.empty()) continue;
        std::printf("think time a move, %-6s  %6zu moves, median %7.1f ms, 99th percentile %7.1f ms (processor time, one core)\n",
                    level_name(level), times.size(), 1000 * percentile(times, 0.5), 1000 * percentile(times, 0.99));
    }
    return 0;
}
