#pragma once
// The bot's turn, at any level: what it carries from one turn to the next,
// and one turn on a board.

#include "knowledge.h"
#include "levels.h"
#include "rules.h"
#include "search.h"
#include "weighed_move.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace bot {

// Everything the bot carries from one of its turns to the next.
struct BotMind {
    Knowledge knowledge;
    std::optional<core::Move> previous;
    std::mt19937 rng;
    SearchParams params;
    // Kept by the searching levels only.
    PositionsLeft left;
};

// Starts from `board` as dealt or received at set-up, for `player`, playing
// by `params`: the easy rules when they give no iterations, else the search.
BotMind start_mind(const core::Board& board, int player, unsigned seed, const SearchParams& params);
BotMind start_mind(const core::Board& board, int player, unsigned seed, Level level = Level::easy);

struct BotTurn {
    std::optional<core::Move> move;   // none: no piece of ours can move
    core::MoveResult result = core::MoveResult::none;
    // The moves weighed to choose it; none when the choice needed no
    // weighing (a single legal move).
    std::vector<WeighedMove> weighed;
    // The search judged the game all but won and chose the move that brings
    // the win nearest.
    bool converting = false;
};

// One turn on `board`, which holds the board just fetched, for the mind's
// player: learns what the opponent's move revealed, then moves on it.
BotTurn play_bot_turn(BotMind& mind, core::Board& board);

// The two halves of a turn, for a game whose fights are decided elsewhere.
// The first learns what the opponent's move revealed in `seen`, the board at
// the start of the turn (its opposing kinds are not read), and chooses; the
// turn's result is left for the game to tell.
BotTurn choose_bot_move(BotMind& mind, const core::Board& seen);
// The second learns from the player's own view right after its `move`.
void learn_own_move(BotMind& mind, const core::Move& move, const PlayerView& after);

// The turn for a person to read, a line for the chosen move and one for each
// move weighed, the most promising first:
//   chose (2,3)->(2,4) of 3 weighed
//     (2,3)->(2,4) visits 4512 mean 0.612
// with squares as (column,row), and "value" in place of visits and mean for
// the easy rules. A converting move reads "chose (2,3)->(2,4), converting:
// nearest the far row, of 3 weighed".
std::string turn_explanation(const BotTurn& turn);

}  // namespace bot
