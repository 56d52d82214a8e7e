#pragma once
// A whole game in one process by the real rules, with no server: the bot at
// any level on either side, or a player that picks a legal step at random.

#include "board.h"
#include "levels.h"

#include <array>
#include <functional>
#include <vector>

struct Knowledge;

struct GameEnd {
    int winner = 0;       // 0: still going at the move limit
    int moves = 0;
    bool forfeited = false;
    // Processor time of each of the bots' moves in seconds, by player.
    std::array<std::vector<double>, 3> think_seconds;
};

// Who plays one side.
struct Contender {
    bool random = false;   // a legal step at random
    Level level = Level::easy;
};

// What a bot knows after its move, and the whole board, every kind shown.
using AfterBotTurn = std::function<void(const Knowledge&, const Board&)>;

// Player 1 is sides[0], player 2 sides[1]. `after_bot_turn` sees each bot's
// knowledge and the board after its move.
GameEnd play_in_process(unsigned seed, const std::array<Contender, 2>& sides, int move_limit,
                        const AfterBotTurn& after_bot_turn = {});

// The easy level on both sides, or against the random player `random_player`
// (0: none).
GameEnd play_in_process(unsigned seed, int random_player, int move_limit,
                        const AfterBotTurn& after_bot_turn = {});
