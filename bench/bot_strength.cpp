// How strong each level of the bot is, in whole games played in one process by
// the real rules: against the easy level, kept as the yardstick, and against
// a player that steps at random, sides alternating game by game; and the
// processor time each level takes a move. Or how one player fares against
// another, for tuning the search against today's, frozen in the benchmark.
// Usage: bot_strength [GAMES [HARD_GAMES [FIRST_SEED]]] [--only PAIRING]... [--workers W] [--moves]
//   GAMES (default 200) for the cheap pairings, HARD_GAMES (default 50) for
//   those of the hard level; PAIRING is one of the names printed first on
//   each line, e.g. normal-easy.
// Usage: bot_strength --versus A B [--games N] [--target P] [--first-seed S] [--workers W] [--moves]
//   A and B are each easy, normal, hard (the bot as built), frozen-normal or
//   frozen-hard (the search of 10 December 2026, bench/frozen/, at that level's
//   settings and budget), with
//   @ITERATIONS or *FACTOR after the name for another budget a move, e.g.
//   hard@20000 frozen-hard@20000 to weigh the hard settings in reasonable
//   time; the bot as built takes ,SETTING=VALUE... after that to change its
//   search's settings by name, e.g. normal@3000,depth_discount=1; or random
//   (a legal move at random) or greedy (a forward move, attack included, when
//   it has one, else a random one). A is player 1 in the even games from seed S (default 1), player 2
//   in the odd ones. Play stops at N games (default 200), or from 20 games on
//   once the 95 % interval of A's win rate lies wholly above or below P
//   (default 0.75); games are judged in seed order, so a run stops at the
//   same game whatever order they end in.
// Each game's result goes to standard error as it is judged, so a long run
// shows how it is going. With --moves each game's moves follow it on standard
// output, one line a game, to tell whether a change to the bot left its play
// as it was. Games are played in W worker processes (default 2,
// one a core of the development machine); each game is timed in its own
// worker, on processor time.

#include "frozen_search.h"
#include "in_process_game.h"
#include "percentile.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace core;
using namespace bot;
using namespace support;

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
    std::vector<double> lengths;   // each game's moves
};

// The 95 % Wilson interval of a win rate, as fractions.
void interval(int wins, int games, double& low, double& high) {
    double z = 1.96;
    double p = double(wins) / games;
    double centre = (p + z * z / (2 * games)) / (1 + z * z / games);
    double half = z / (1 + z * z / games) * std::sqrt(p * (1 - p) / games + z * z / (4.0 * games * games));
    low = centre - half;
    high = centre + half;
}

void print_think_time(const std::string& name, const std::vector<double>& times, int width = 6) {
    if (times.empty()) return;
    std::printf("think time a move, %-*s  %6zu moves, median %7.1f ms, 99th percentile %7.1f ms (processor time, one core)\n",
                width, name.c_str(), times.size(), 1000 * percentile(times, 0.5), 1000 * percentile(times, 0.99));
}

// The player that `contender` (the first of a pairing) is in game `game`.
int contender_player(int game) { return game % 2 == 0 ? 1 : 2; }

// Both sides of game `game`, player 1 first.
std::array<Contender, 2> sides_of(const Contender& contender, const Contender& opponent, int game) {
    if (contender_player(game) == 1) return {contender, opponent};
    return {opponent, contender};
}

// A game's end through a pipe: its number, winner and moves, then each
// player's count of think times and the times, then the moves played.
void write_all(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written <= 0) _exit(1);
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

bool read_all(int fd, void* data, std::size_t size) {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        ssize_t got = read(fd, bytes, size);
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

void send_end(int fd, int game, const GameEnd& end) {
    std::vector<char> message;
    auto put = [&](const void* data, std::size_t size) {
        message.insert(message.end(), static_cast<const char*>(data), static_cast<const char*>(data) + size);
    };
    std::int32_t head[3] = {game, end.winner, end.moves};
    put(head, sizeof head);
    for (int player : {1, 2}) {
        std::uint32_t count = static_cast<std::uint32_t>(end.think_seconds[player].size());
        put(&count, sizeof count);
        put(end.think_seconds[player].data(), count * sizeof(double));
    }
    std::uint32_t played = static_cast<std::uint32_t>(end.played.size());
    put(&played, sizeof played);
    put(end.played.data(), played * sizeof(Move));
    write_all(fd, message.data(), message.size());
}

bool receive_end(int fd, int& game, GameEnd& end) {
    std::int32_t head[3];
    if (!read_all(fd, head, sizeof head)) return false;
    game = head[0];
    end.winner = head[1];
    end.moves = head[2];
    for (int player : {1, 2}) {
        std::uint32_t count = 0;
        if (!read_all(fd, &count, sizeof count)) return false;
        end.think_seconds[player].resize(count);
        if (!read_all(fd, end.think_seconds[player].data(), count * sizeof(double))) return false;
    }
    std::uint32_t played = 0;
    if (!read_all(fd, &played, sizeof played)) return false;
    end.played.resize(played);
    return read_all(fd, end.played.data(), played * sizeof(Move));
}

struct Worker {
    pid_t pid;
    int tasks;     // the parent writes game numbers here
    int results;   // and reads their ends here
};

// Plays the games it is sent until its task pipe closes. Each game runs in
// its own worker process since the deal draws from std::rand.
[[noreturn]] void work(int tasks, int results, const Contender& contender, const Contender& opponent,
                       unsigned first_seed) {
    std::int32_t game = 0;
    while (read_all(tasks, &game, sizeof game)) {
        GameEnd end = play_in_process(first_seed + static_cast<unsigned>(game),
                                      sides_of(contender, opponent, game), move_limit);
        send_end(results, game, end);
    }
    _exit(0);
}

Worker start_worker(const Contender& contender, const Contender& opponent, unsigned first_seed) {
    int tasks[2];
    int results[2];
    if (pipe(tasks) != 0 || pipe(results) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (pid == 0) {
        close(tasks[1]);
        close(results[0]);
        work(tasks[0], results[1], contender, opponent, first_seed);
    }
    close(tasks[0]);
    close(results[1]);
    return {pid, tasks[1], results[0]};
}

void stop_worker(Worker& worker) {
    close(worker.tasks);
    close(worker.results);
    kill(worker.pid, SIGTERM);
    waitpid(worker.pid, nullptr, 0);
}

// What a run does with each game's end, in game order; true stops the run.
using TakeEnd = std::function<bool(int game, const GameEnd& end)>;

// Plays games 0 to `games` - 1 (seeds from `first_seed`) between `contender`
// and `opponent` in `workers` processes, handing each game to the next idle
// one, and takes their ends in game order.
void play_games(const Contender& contender, const Contender& opponent, int games, unsigned first_seed,
                int workers, const TakeEnd& take) {
    std::vector<Worker> pool;
    for (int i = 0; i < std::min(workers, games); ++i) pool.push_back(start_worker(contender, opponent, first_seed));
    std::int32_t next = 0;
    auto hand_out = [&](const Worker& worker) {
        if (next < games) {
            write_all(worker.tasks, &next, sizeof next);
            ++next;
        }
    };
    for (const Worker& worker : pool) hand_out(worker);
    std::map<int, GameEnd> waiting;
    int taken = 0;
    bool stopped = false;
    while (taken < games && !stopped) {
        std::vector<pollfd> fds;
        for (const Worker& worker : pool) fds.push_back({worker.results, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) continue;
        for (std::size_t i = 0; i < pool.size(); ++i) {
            if (fds[i].revents == 0) continue;
            int game = 0;
            GameEnd end;
            if (!receive_end(pool[i].results, game, end)) {
                std::fprintf(stderr, "a worker stopped before its game ended\n");
                std::exit(1);
            }
            waiting[game] = end;
            hand_out(pool[i]);
        }
        while (!stopped && !waiting.empty() && waiting.begin()->first == taken) {
            stopped = take(taken, waiting.begin()->second);
            waiting.erase(waiting.begin());
            ++taken;
        }
    }
    for (Worker& worker : pool) stop_worker(worker);
}

void add_think_seconds(std::vector<double>& to, const GameEnd& end, int player) {
    to.insert(to.end(), end.think_seconds[player].begin(), end.think_seconds[player].end());
}

void tally_game(Tally& tally, const GameEnd& end, int side) {
    ++tally.games;
    tally.wins += end.winner == side;
    tally.unfinished += end.winner == 0;
    tally.moves += end.moves;
    tally.lengths.push_back(end.moves);
}

const char* outcome(const GameEnd& end, int side) {
    return end.winner == side ? "won" : end.winner == 0 ? "unfinished" : "lost";
}

std::vector<double> level_think_seconds[3];

bool print_moves = false;

// The game's moves as from>to, squares as column and row digits.
void print_played(unsigned seed, const GameEnd& end) {
    if (!print_moves) return;
    std::printf("seed %u moves %d winner %d:", seed, end.moves, end.winner);
    for (const Move& move : end.played) {
        std::printf(" %d%d>%d%d", move.from_column, move.from_row, move.to_column, move.to_row);
    }
    std::printf("\n");
}

void play(const Pairing& pairing, int games, unsigned first_seed, int workers) {
    Tally tally;
    play_games(pairing.contender, pairing.opponent, games, first_seed, workers, [&](int game, const GameEnd& end) {
        int side = contender_player(game);
        tally_game(tally, end, side);
        auto sides = sides_of(pairing.contender, pairing.opponent, game);
        for (int player : {1, 2}) {
            if (sides[player - 1].random || sides[player - 1].greedy) continue;
            add_think_seconds(level_think_seconds[static_cast<int>(sides[player - 1].level)], end, player);
        }
        std::fprintf(stderr, "%s: seed %u, as player %d, %s after %d moves; %d of %d won\n", pairing.name,
                     first_seed + game, side, outcome(end, side), end.moves, tally.wins, tally.games);
        print_played(first_seed + game, end);
        return false;
    });
    double low = 0;
    double high = 0;
    interval(tally.wins, tally.games, low, high);
    std::printf("%-14s %-30s %4d games, won %4d (%5.1f%%, 95%% interval %4.1f-%5.1f%%), unfinished %d, %.0f moves a game\n",
                pairing.name, pairing.title, tally.games, tally.wins, 100.0 * tally.wins / tally.games, 100 * low,
                100 * high, tally.unfinished, double(tally.moves) / tally.games);
    std::fflush(stdout);
}

void play_pairings(const std::vector<std::string>& numbers, const std::vector<std::string>& only, int workers) {
    int games = numbers.size() > 0 ? std::atoi(numbers[0].c_str()) : 200;
    int hard_games = numbers.size() > 1 ? std::atoi(numbers[1].c_str()) : 50;
    unsigned first_seed = numbers.size() > 2 ? static_cast<unsigned>(std::atoi(numbers[2].c_str())) : 1;
    std::printf("levels: easy = rules of thumb; normal = %d search iterations a move; hard = %d\n",
                search_params(Level::normal).iterations, search_params(Level::hard).iterations);
    for (const Pairing& pairing : pairings) {
        if (!only.empty() && std::find(only.begin(), only.end(), pairing.name) == only.end()) continue;
        play(pairing, pairing.hard ? hard_games : games, first_seed, workers);
    }
    for (Level level : {Level::easy, Level::normal, Level::hard}) {
        print_think_time(level_name(level), level_think_seconds[static_cast<int>(level)]);
    }
}

// One side of --versus.
struct Player {
    std::string name;
    Contender contender;
    int iterations = 0;
};

// The frozen search at `level`'s settings of that day and `iterations` a
// move. The bot's own mind still learns for it, and keeps the positions left
// as a searching level does.
Contender frozen_contender(Level level, int iterations) {
    SearchParams learning;
    learning.iterations = iterations;
    frozen::Level frozen_level = level == Level::normal ? frozen::Level::normal : frozen::Level::hard;
    return {.params = learning,
            .chooser = [frozen_level, iterations](BotMind& mind) {
                return frozen::search_move(mind.knowledge, frozen_level, iterations, mind.rng, mind.left);
            }};
}

// The search's settings a --versus player may change by name, for tuning.
const std::map<std::string, double SearchParams::*> tunable_settings = {
    {"exploration", &SearchParams::exploration},
    {"widening_scale", &SearchParams::widening_scale},
    {"playout_far_row_odds", &SearchParams::playout_far_row_odds},
    {"playout_attack_near_back_row", &SearchParams::playout_attack_near_back_row},
    {"playout_blind_block", &SearchParams::playout_blind_block},
    {"playout_sure_capture", &SearchParams::playout_sure_capture},
    {"playout_attack", &SearchParams::playout_attack},
    {"playout_forward", &SearchParams::playout_forward},
    {"playout_sideways", &SearchParams::playout_sideways},
    {"playout_backward", &SearchParams::playout_backward},
    {"playout_into_sure_loss", &SearchParams::playout_into_sure_loss},
    {"depth_discount", &SearchParams::depth_discount},
    {"judge_scale", &SearchParams::judge_scale},
    {"repeat_tolerance", &SearchParams::repeat_tolerance},
    {"repeat_tolerance_per_quiet_turn", &SearchParams::repeat_tolerance_per_quiet_turn},
    {"conversion_mean", &SearchParams::conversion_mean},
    {"conversion_tolerance", &SearchParams::conversion_tolerance},
    {"progress_mean", &SearchParams::progress_mean},
    {"progress_tolerance", &SearchParams::progress_tolerance},
};

// Sets each NAME=VALUE of a comma-separated list; false on an unknown name.
bool change_settings(SearchParams& params, const std::string& changes) {
    std::size_t start = 0;
    while (start < changes.size()) {
        std::size_t end = changes.find(',', start);
        std::string change = changes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::size_t equals = change.find('=');
        if (equals == std::string::npos) return false;
        std::string name = change.substr(0, equals);
        if (name == "playout_plies") {
            params.playout_plies = std::atoi(change.c_str() + equals + 1);
        } else if (auto setting = tunable_settings.find(name); setting != tunable_settings.end()) {
            params.*(setting->second) = std::atof(change.c_str() + equals + 1);
        } else {
            return false;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return true;
}

// NAME, NAME@ITERATIONS or NAME*FACTOR, then for the bot as built
// ,SETTING=VALUE... to change its settings.
std::optional<Player> player_named(const std::string& whole) {
    if (whole == "random") return Player{whole, {.random = true}};
    if (whole == "greedy") return Player{whole, {.greedy = true}};
    std::size_t comma = whole.find(',');
    std::string text = whole.substr(0, comma);
    std::size_t mark = text.find_first_of("@*");
    std::string name = text.substr(0, mark);
    bool frozen = name.rfind("frozen-", 0) == 0;
    std::optional<Level> level = level_named(frozen ? name.substr(7) : name);
    if (!level || (frozen && *level == Level::easy)) return std::nullopt;
    if (comma != std::string::npos && (frozen || *level == Level::easy)) return std::nullopt;
    int iterations = !frozen                   ? search_params(*level).iterations
                     : *level == Level::normal ? frozen::normal_iterations()
                                               : frozen::hard_iterations();
    if (mark != std::string::npos) {
        if (*level == Level::easy) return std::nullopt;
        double number = std::atof(text.c_str() + mark + 1);
        iterations = static_cast<int>(text[mark] == '@' ? number : iterations * number);
        if (iterations < 1) return std::nullopt;
    }
    Player player{whole, {.level = *level}, iterations};
    if (frozen) {
        player.contender = frozen_contender(*level, iterations);
    } else if (mark != std::string::npos || comma != std::string::npos) {
        SearchParams params = search_params(*level);
        params.iterations = iterations;
        if (comma != std::string::npos && !change_settings(params, whole.substr(comma + 1))) return std::nullopt;
        player.contender.params = params;
    }
    return player;
}

void describe(const char* letter, const Player& player) {
    if (player.contender.random) {
        std::printf("%s = random: a legal move at random\n", letter);
    } else if (player.contender.greedy) {
        std::printf("%s = greedy: a forward move when it has one, else a legal move at random\n", letter);
    } else if (player.iterations == 0) {
        std::printf("%s = %s: rules of thumb\n", letter, player.name.c_str());
    } else {
        std::printf("%s = %s: %d search iterations a move\n", letter, player.name.c_str(), player.iterations);
    }
}

void play_versus(const Player& a, const Player& b, int games, double target, unsigned first_seed, int workers) {
    describe("A", a);
    describe("B", b);
    std::printf("up to %d games from seed %u; stops once A's win rate is clearly above or below %.0f%%\n", games,
                first_seed, 100 * target);
    std::fflush(stdout);
    Tally tally;
    std::vector<double> think[2];
    double low = 0;
    double high = 1;
    play_games(a.contender, b.contender, games, first_seed, workers, [&](int game, const GameEnd& end) {
        int side = contender_player(game);
        tally_game(tally, end, side);
        add_think_seconds(think[0], end, side);
        add_think_seconds(think[1], end, opponent_of(side));
        interval(tally.wins, tally.games, low, high);
        std::fprintf(stderr, "%s vs %s: seed %u, A as player %d, %s after %d moves; %d of %d won\n",
                     a.name.c_str(), b.name.c_str(), first_seed + game, side, outcome(end, side), end.moves,
                     tally.wins, tally.games);
        print_played(first_seed + game, end);
        return tally.games >= 20 && (low > target || high < target);
    });
    int losses = tally.games - tally.wins - tally.unfinished;
    const char* verdict = low > target ? "above" : high < target ? "below" : "not clearly above or below";
    std::printf("%s vs %s: %d games, A won %d, lost %d, %d unfinished at %d moves (%.1f%%, 95%% interval "
                "%.1f-%.1f%%, %s %.0f%%), %.0f moves a game, median %.0f, longest %.0f\n",
                a.name.c_str(), b.name.c_str(), tally.games, tally.wins, losses, tally.unfinished, move_limit,
                100.0 * tally.wins / tally.games, 100 * low, 100 * high, verdict, 100 * target,
                double(tally.moves) / tally.games, percentile(tally.lengths, 0.5),
                *std::max_element(tally.lengths.begin(), tally.lengths.end()));
    int width = static_cast<int>(std::max(a.name.size(), b.name.size())) + 2;
    print_think_time("A " + a.name, think[0], width);
    print_think_time("B " + b.name, think[1], width);
}

int usage() {
    std::fprintf(stderr,
                 "usage: bot_strength [GAMES [HARD_GAMES [FIRST_SEED]]] [--only PAIRING]... [--workers W] [--moves]\n"
                 "       bot_strength --versus A B [--games N] [--target P] [--first-seed S] [--workers W] [--moves]\n"
                 "A, B: easy | normal | hard | frozen-normal | frozen-hard, optionally @ITERATIONS or *FACTOR,\n"
                 "  then for normal or hard ,SETTING=VALUE... (e.g. normal@3000,depth_discount=1);\n"
                 "  or random | greedy\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> numbers;
    std::vector<std::string> only;
    std::vector<std::string> versus;
    int games = 200;
    double target = 0.75;
    unsigned first_seed = 1;
    int workers = 2;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--only" && has_value) {
            only.push_back(argv[++i]);
        } else if (arg == "--versus" && i + 2 < argc) {
            versus = {argv[i + 1], argv[i + 2]};
            i += 2;
        } else if (arg == "--games" && has_value) {
            games = std::atoi(argv[++i]);
        } else if (arg == "--target" && has_value) {
            target = std::atof(argv[++i]);
        } else if (arg == "--first-seed" && has_value) {
            first_seed = static_cast<unsigned>(std::atoi(argv[++i]));
        } else if (arg == "--workers" && has_value) {
            workers = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--moves") {
            print_moves = true;
        } else if (arg.rfind("--", 0) == 0) {
            return usage();
        } else {
            numbers.push_back(arg);
        }
    }
    if (versus.empty()) {
        play_pairings(numbers, only, workers);
        return 0;
    }
    auto a = player_named(versus[0]);
    auto b = player_named(versus[1]);
    if (!a || !b || games < 1 || !numbers.empty()) return usage();
    play_versus(*a, *b, games, target, first_seed, workers);
    return 0;
}
