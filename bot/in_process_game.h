#pragma once
// A whole game in one process by the real rules, with no server: the bot on
// one or both sides, or a player that picks a legal step at random.

#include <functional>

struct Knowledge;

struct GameEnd {
    int winner = 0;       // 0: still going at the move limit
    int moves = 0;
    bool forfeited = false;
};

// `random_player`: 0 when both sides are the bot. `after_bot_turn` sees each
// bot's knowledge after its move, while the board still shows every kind.
GameEnd play_in_process(unsigned seed, int random_player, int move_limit,
                        const std::function<void(const Knowledge&)>& after_bot_turn = {});
