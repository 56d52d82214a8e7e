// A refereed game through the real server (server --referee, port 8089): the
// server's processor time while a seat waits in a long poll, the hand-off,
// from one seat's POST /move answer to the other seat's GET /view answer, and
// the POST /move round trip, in games played by two threads with no think
// pause. Each seat waits on a connection of its own and moves on another, both
// kept alive, as the players' programs do; the moves' connections are without
// Nagle's algorithm, as a client that keeps them alive needs.
// Usage: referee_bench [GAMES]   (default 10; run where port 8089 is free)

#include "percentile.h"
#include "server_process.h"

#include "game_view.h"
#include "rules.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace core;
using namespace support;

namespace {

using Clock = std::chrono::steady_clock;

// When each version reached the seat that moves next, when the move that made
// it was answered, and how long each move took to be answered.
struct Stamps {
    std::mutex mutex;
    std::map<std::uint64_t, Clock::time_point> seen;
    std::map<std::uint64_t, Clock::time_point> moved;
    std::vector<double> round_trips_us;
};


std::unique_ptr<httplib::Client> seat_connection() {
    auto client = std::make_unique<httplib::Client>(game_host, game_port);
    client->set_keep_alive(true);
    client->set_read_timeout(35, 0);
    client->set_tcp_nodelay(true);
    return client;
}

std::string take_seat() { return post("/seat", "").body.substr(2); }

// A random legal step, forward half the time when one is at hand.
Move pick_move(const Board& board, int seat, std::mt19937& random) {
    std::vector<Move> moves = legal_moves(board, seat);
    std::vector<Move> forward;
    for (const Move& move : moves) {
        if (move.to_row - move.from_row == forward_step(seat)) forward.push_back(move);
    }
    const auto& choice = !forward.empty() && random() % 2 ? forward : moves;
    return choice[random() % choice.size()];
}

// Plays `seat` until there is a winner; false on any failed request.
bool play(int seat, const std::string& token, unsigned seed, Stamps& stamps) {
    auto waits = seat_connection();
    auto moves = seat_connection();
    const httplib::Headers headers{{"Seat", token}};
    std::mt19937 random(seed);
    std::uint64_t version = 0;
    for (;;) {
        auto reply = waits->Get("/view?after=" + std::to_string(version), headers);
        const auto arrived = Clock::now();
        auto view = reply && reply->status == 200 ? view_from_text(reply->body) : std::nullopt;
        if (!view) return false;
        version = view->version;
        if (view->winner != 0) return true;
        if (view->turn != seat) continue;
        const bool give_up = legal_moves(view->board, seat).empty() || version > 4000;
        const auto sent = Clock::now();
        auto answer = give_up ? moves->Post("/resign", headers, "", "text/plain")
                              : moves->Post("/move", headers, move_text(pick_move(view->board, seat, random)),
                                            "text/plain");
        const auto answered = Clock::now();
        if (!answer || answer->body != "ok") return false;
        std::lock_guard lock(stamps.mutex);
        stamps.seen[version] = arrived;
        stamps.moved[version + 1] = answered;
        stamps.round_trips_us.push_back(std::chrono::duration<double, std::micro>(answered - sent).count());
    }
}

// The server's share of a core while seat 2 waits in a long poll for 10 s and
// seat 1, which has just read its view, thinks with its connection kept open.
double waiting_cpu_share() {
    ServerProcess server({"--referee"});
    const std::string one = take_seat();
    const std::string two = take_seat();
    auto thinking = seat_connection();
    thinking->Get("/view", {{"Seat", one}});
    std::thread waiting([&] { seat_connection()->Get("/view?after=2", {{"Seat", two}}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double before = cpu_seconds(server.process().pid());
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double used = cpu_seconds(server.process().pid()) - before;
    thinking->Post("/resign", {{"Seat", one}}, "", "text/plain");
    waiting.join();
    return used / 10;
}

bool play_game(unsigned seed, std::vector<double>& hand_offs_us, std::vector<double>& round_trips_us) {
    ServerProcess server({"--referee"});
    const std::string one = take_seat();
    const std::string two = take_seat();
    Stamps stamps;
    bool first_ok = false;
    bool second_ok = false;
    std::thread first([&] { first_ok = play(1, one, seed, stamps); });
    std::thread second([&] { second_ok = play(2, two, seed + 1, stamps); });
    first.join();
    second.join();
    for (const auto& [version, answered] : stamps.moved) {
        auto seen = stamps.seen.find(version);
        if (seen == stamps.seen.end()) continue;
        hand_offs_us.push_back(std::chrono::duration<double, std::micro>(seen->second - answered).count());
    }
    round_trips_us.insert(round_trips_us.end(), stamps.round_trips_us.begin(), stamps.round_trips_us.end());
    return first_ok && second_ok;
}

}  // namespace

int main(int argc, char** argv) {
    const int games = argc > 1 ? std::atoi(argv[1]) : 10;
    std::printf("server CPU, a seat waiting 10 s:  %.2f %% of a core\n", 100 * waiting_cpu_share());
    std::vector<double> hand_offs;
    std::vector<double> round_trips;
    for (int game = 1; game <= games; ++game) {
        if (!play_game(game * 7919u, hand_offs, round_trips)) {
            std::fprintf(stderr, "referee_bench: game %d did not end cleanly\n", game);
            return 1;
        }
    }
    if (hand_offs.empty()) return 1;
    const auto early = std::count_if(hand_offs.begin(), hand_offs.end(), [](double us) { return us < 0; });
    std::printf("hand-offs:                        %zu in %d games\n", hand_offs.size(), games);
    std::printf("hand-off median:                  %.0f us\n", percentile(hand_offs, 0.5));
    std::printf("hand-off 99th percentile:         %.0f us\n", percentile(hand_offs, 0.99));
    std::printf("view before the move's answer:    %ld (negative hand-offs: the waiter was woken first)\n",
                static_cast<long>(early));
    std::printf("POST /move round trip median:     %.0f us\n", percentile(round_trips, 0.5));
    std::printf("POST /move round trip 99th pct:   %.0f us\n", percentile(round_trips, 0.99));
    return 0;
}
