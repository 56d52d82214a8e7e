// How the bot fares in whole games played in one process by the real rules:
// against itself and against a player that steps at random.
// Usage: bot_strength [GAMES]   (default 500)

#include "in_process_game.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int move_limit = 5000;

struct Tally {
    int games = 0;
    int wins[3] = {0, 0, 0};
    int forfeits = 0;
    int unfinished = 0;
    long long moves = 0;
};

void count(Tally& tally, const GameEnd& end) {
    ++tally.games;
    ++tally.wins[end.winner];
    tally.forfeits += end.forfeited;
    tally.unfinished += end.winner == 0;
    tally.moves += end.moves;
}

}  // namespace

int main(int argc, char** argv) {
    int games = argc > 1 ? std::atoi(argv[1]) : 500;
    Tally self;
    Tally random_side;
    int bot_beat_random = 0;
    for (int game = 1; game <= games; ++game) {
        count(self, play_in_process(game, 0, move_limit));
        int random_player = game % 2 == 0 ? 1 : 2;
        GameEnd end = play_in_process(game, random_player, move_limit);
        count(random_side, end);
        bot_beat_random += end.winner != 0 && end.winner != random_player;
    }
    std::printf("bot vs bot:    %d games, player 1 wins %d, player 2 wins %d, unfinished %d,"
                " given up %d, %.1f moves a game\n",
                self.games, self.wins[1], self.wins[2], self.unfinished, self.forfeits,
                double(self.moves) / self.games);
    std::printf("bot vs random: %d games, bot wins %d (%.1f%%), %.1f moves a game\n", random_side.games,
                bot_beat_random, 100.0 * bot_beat_random / random_side.games,
                double(random_side.moves) / random_side.games);
    return 0;
}
