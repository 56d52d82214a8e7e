// What one full repaint of the board window costs, and how much of it is the
// turn question the repaint sends to the server on a connection of its own.
// Needs an X display (DISPLAY) and the real server on localhost:8089.
// Usage: client_view_bench [CALLS]

#include "game_constants.h"
#include "layout.h"
#include "relay_game.h"
#include "view.h"
#include "window.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <vector>

using namespace core;
using namespace client;

namespace {

using Clock = std::chrono::steady_clock;

struct Summary {
    double median_us, p90_us, max_us, mean_us;
};

Summary summarize(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const double sum = std::accumulate(samples.begin(), samples.end(), 0.0);
    return {samples[samples.size() / 2], samples[samples.size() * 9 / 10], samples.back(), sum / samples.size()};
}

Summary time_calls(int calls, const std::function<void()>& call) {
    std::vector<double> samples;
    samples.reserve(calls);
    for (int i = 0; i < calls; ++i) {
        const auto start = Clock::now();
        call();
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return summarize(samples);
}

// The same request draw_view makes: a fresh client, GET /who until a 200.
void ask_who() {
    httplib::Client client(default_host, default_port);
    for (;;) {
        auto result = client.Get("/who");
        if (result && result->status == 200) return;
    }
}

void print_row(const char* what, const Summary& s) {
    std::printf("%-28s %10.1f %10.1f %10.1f %10.1f\n", what, s.median_us, s.p90_us, s.max_us, s.mean_us);
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    if (init_window(board_window_width, board_window_height, 0) == 0) {
        std::fprintf(stderr, "client_view_bench: no window (is DISPLAY set?)\n");
        return 1;
    }
    Pictures pictures;
    if (load_pictures(pictures).empty()) {
        std::fprintf(stderr, "client_view_bench: no pictures found\n");
        return 1;
    }
    RelayGame game{std::make_unique<GameClient>(ServerAddress{}), ServerAddress{}, pictures, {}, 1};
    std::srand(1);
    deal_board(game.board, [] { return std::rand() % 5; });

    time_calls(calls / 10, [&] { draw_view(game); });
    const Summary whole = time_calls(calls, [&] { draw_view(game); });
    const Summary who = time_calls(calls, ask_who);
    const Summary again = time_calls(calls, [&] { draw_view(game); });

    std::printf("draw_view, %d calls per row (microseconds)\n", calls);
    std::printf("%-28s %10s %10s %10s %10s\n", "", "median", "p90", "max", "mean");
    print_row("draw_view with GET /who", whole);
    print_row("GET /who alone", who);
    print_row("draw_view again", again);
    std::printf("%-28s %10.1f %10s %10s %10.1f\n", "draw_view without /who",
                whole.median_us - who.median_us, "", "", whole.mean_us - who.mean_us);
    close_window();
    return 0;
}
