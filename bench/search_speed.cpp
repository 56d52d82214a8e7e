// How fast the search runs: iterations a second and processor time a move of
// search_move at the normal and hard levels as built, and of the search of
// 10 December 2026 frozen in bench/frozen/ at the same budgets, on the same
// positions: the boards after moves 10, 40 and 80 of the in-process games of
// the easy level against itself with seeds 1 to 5, as the side to move sees
// them at the start of its turn. A position a search answers without
// searching (a single legal move) is left out of that search's figures.
// Usage: search_speed [LEVEL [ITERATIONS [--weighed]]]
// With a level, only the bot as built at that level runs, at its own budget
// or the one given: a profiler then sees that search alone. --weighed prints
// each position's moves with their visits and mean results to the last bit,
// to tell whether a change to the search left its results as they were.

#include "frozen_search.h"
#include "in_process_game.h"
#include "knowledge.h"
#include "player_view.h"
#include "search.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace core;
using namespace bot;
using namespace support;

namespace {

// What the side to move knows, its view being last_seen.
std::vector<Knowledge> positions() {
    const int wanted[] = {10, 40, 80};
    std::vector<Knowledge> found;
    for (unsigned seed = 1; seed <= 5; ++seed) {
        int moves = 0;
        Knowledge latest[3];
        play_in_process(seed, 0, 81, [&](const Knowledge& knowledge, const Board& board) {
            ++moves;
            latest[knowledge.player] = knowledge;
            Knowledge next = latest[opponent_of(knowledge.player)];
            if (next.player == 0 || std::find(std::begin(wanted), std::end(wanted), moves) == std::end(wanted)) return;
            learn_from_opponent_move(next, view_of_board(board, next.player));
            found.push_back(next);
        });
    }
    return found;
}

double process_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Searches the position known by `knowledge` with `rng`, filling `weighed`.
using Search = std::function<void(const Knowledge&, std::mt19937&, std::vector<WeighedMove>&)>;

void measure(const char* name, int iterations, const Search& search, const std::vector<Knowledge>& all) {
    double seconds = 0;
    int searched = 0;
    for (const Knowledge& knowledge : all) {
        std::mt19937 rng(1);
        std::vector<WeighedMove> weighed;
        double started = process_seconds();
        search(knowledge, rng, weighed);
        double spent = process_seconds() - started;
        if (weighed.empty()) continue;
        seconds += spent;
        ++searched;
    }
    std::printf("%-14s %7d iterations a move, %2d positions: %8.0f iterations/s, %7.1f ms a move\n", name,
                iterations, searched, searched * double(iterations) / seconds, 1000 * seconds / searched);
    std::fflush(stdout);
}

void print_weighed(const std::vector<WeighedMove>& weighed) {
    std::printf("position:");
    for (const WeighedMove& move : weighed) {
        std::printf(" %d%d>%d%d %d %a", move.move.from_column, move.move.from_row, move.move.to_column,
                    move.move.to_row, move.visits, move.value);
    }
    std::printf("\n");
}

void measure_level(Level level, const std::vector<Knowledge>& all, int iterations = 0, bool weighed_too = false) {
    SearchParams params = search_params(level);
    if (iterations > 0) params.iterations = iterations;
    std::vector<std::vector<WeighedMove>> each;
    measure(level_name(level), params.iterations,
            [&](const Knowledge& knowledge, std::mt19937& rng, std::vector<WeighedMove>& weighed) {
                SearchReport report;
                search_move(knowledge.last_seen, knowledge, params, rng, {}, std::nullopt, &report);
                weighed = std::move(report.weighed);
                if (weighed_too) each.push_back(weighed);
            },
            all);
    if (weighed_too) {
        for (const std::vector<WeighedMove>& weighed : each) print_weighed(weighed);
    }
}

void measure_frozen(const char* name, frozen::Level level, int iterations, const std::vector<Knowledge>& all) {
    measure(name, iterations,
            [&](const Knowledge& knowledge, std::mt19937& rng, std::vector<WeighedMove>& weighed) {
                std::vector<frozen::WeighedMove> frozen_weighed;
                frozen::search_move(knowledge, level, iterations, rng, {}, &frozen_weighed);
                weighed.resize(frozen_weighed.size());
            },
            all);
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Level> named = argc > 1 ? level_named(argv[1]) : std::nullopt;
    const Level only = named.value_or(Level::easy);
    int iterations = argc > 2 ? std::atoi(argv[2]) : 0;
    const bool weighed_too = argc > 3 && std::string(argv[3]) == "--weighed";
    if ((argc > 1 && only == Level::easy) || (argc > 3 && !weighed_too) || argc > 4 || iterations < 0) {
        std::fprintf(stderr, "usage: search_speed [normal|hard [ITERATIONS [--weighed]]]\n");
        return 2;
    }
    std::vector<Knowledge> all = positions();
    std::printf("%zu positions from easy-against-easy games (processor time, one core)\n", all.size());
    if (argc > 1) {
        measure_level(only, all, iterations, weighed_too);
        return 0;
    }
    measure_level(Level::normal, all);
    measure_frozen("frozen-normal", frozen::Level::normal, frozen::normal_iterations(), all);
    measure_level(Level::hard, all);
    measure_frozen("frozen-hard", frozen::Level::hard, frozen::hard_iterations(), all);
    return 0;
}
