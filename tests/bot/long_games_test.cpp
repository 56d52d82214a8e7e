// Games that take many minutes: the hard level against the normal one, in
// one process by the real rules. Labelled "long"; run them with
// `ctest -L long`.

#include "in_process_game.h"
#include "rules.h"

#include <gtest/gtest.h>

using namespace core;
using namespace bot;
using namespace support;

namespace {

// Hard searches ten times as long as normal a move; over a few fixed-seed
// games, sides alternating, that must show.
TEST(LongGames, HardComesOutAheadOfNormal) {
    int hard_wins = 0;
    int normal_wins = 0;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        int hard_player = seed % 2 == 1 ? 1 : 2;
        std::array<Contender, 2> sides{Contender{.level = Level::normal}, Contender{.level = Level::normal}};
        sides[hard_player - 1].level = Level::hard;
        GameEnd end = play_in_process(seed, sides, 1000);
        hard_wins += end.winner == hard_player;
        normal_wins += end.winner == opponent_of(hard_player);
    }
    EXPECT_GE(hard_wins, 3) << "normal won " << normal_wins;
}

}  // namespace
