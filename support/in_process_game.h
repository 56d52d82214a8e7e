#pragma once
// A whole game in one process by the real rules, with no server: the bot at
// any level or with any settings on either side, a chooser of moves of the
// caller's own that learns as the bot does, a player that picks a legal
// step at random, or one that advances greedily.

#include "board.h"
#include "bot_turn.h"
#include "knowledge.h"
#include "levels.h"
#include "search.h"

#include <array>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace support {

struct GameEnd {
    int winner = 0;       // 0: still going at the move limit
    int moves = 0;
    bool forfeited = false;
    // Every move of the game in order, both sides', so that two builds'
    // games can be compared move for move.
    std::vector<core::Move> played;
    // Processor time of each of the bots' moves in seconds, by player.
    std::array<std::vector<double>, 3> think_seconds;
};

// A move for the bot's side from its mind at the start of its turn (its view
// is knowledge.last_seen): what it knows, its generator, the positions its
// own moves have left and its last move; none when no piece can move.
using MoveChooser = std::function<std::optional<core::Move>(bot::BotMind&)>;

// Who plays one side.
struct Contender {
    bool random = false;   // a legal step at random
    // A forward step, an attack included, at random when it has one, else a
    // legal step at random.
    bool greedy = false;
    bot::Level level = bot::Level::easy;
    // The bot plays by these instead of the level's settings.
    std::optional<bot::SearchParams> params{};
    // Chooses in place of the bot, which still learns from every move as
    // it would; the positions left are kept when the settings (`params` or
    // the level's) give iterations.
    MoveChooser chooser{};
};

// What a bot knows after its move, and the whole board, every kind shown.
using AfterBotTurn = std::function<void(const bot::Knowledge&, const core::Board&)>;

// Player 1 is sides[0], player 2 sides[1]. `after_bot_turn` sees each bot's
// knowledge and the board after its move.
GameEnd play_in_process(unsigned seed, const std::array<Contender, 2>& sides, int move_limit,
                        const AfterBotTurn& after_bot_turn = {});

// The easy level on both sides, or against the random player `random_player`
// (0: none).
GameEnd play_in_process(unsigned seed, int random_player, int move_limit,
                        const AfterBotTurn& after_bot_turn = {});

}  // namespace support
