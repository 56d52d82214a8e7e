#pragma once
// Choosing the bot's move: every legal step is weighed by what it may lead
// to, using only the bot's view and what it has learned.

#include "knowledge.h"
#include "levels.h"
#include "player_view.h"
#include "rules.h"
#include "search.h"

#include <optional>
#include <random>
#include <vector>

// Every step of one of the player's pieces to an orthogonal neighbour that
// does not hold another of its own.
std::vector<Move> legal_moves(const PlayerView& view, int player);

// The chance that the player's piece of `attacker_kind` wins an attack on the
// opposing piece at [column][row].
double attack_chance(const Knowledge& knowledge, int attacker_kind, int column, int row);

// The chance that the opponent wins with its next move: one of its pieces
// steps onto the player's back row.
double opponent_win_chance(const PlayerView& view, const Knowledge& knowledge);

// The best move, or none when no piece can move. `previous` is the bot's last
// move, which it is loath to undo; `rng` breaks near ties.
std::optional<Move> choose_move(const PlayerView& view, const Knowledge& knowledge,
                                const std::optional<Move>& previous, std::mt19937& rng);

// Everything the bot carries from one of its turns to the next.
struct BotMind {
    Knowledge knowledge;
    std::optional<Move> previous;
    std::mt19937 rng;
    Level level = Level::easy;
    // Kept by the searching levels only.
    PositionsLeft left;
};

// Starts from `board` as dealt or received at set-up, for `player`. Easy is
// the level of the rules above; the others search.
BotMind start_mind(const Board& board, int player, unsigned seed, Level level = Level::easy);

struct BotTurn {
    std::optional<Move> move;   // none: no piece of ours can move
    MoveResult result = MoveResult::none;
};

// One turn on `board`, which holds the board just fetched, for the mind's
// player: learns what the opponent's move revealed, then moves on it.
BotTurn play_bot_turn(BotMind& mind, Board& board);

// The two halves of a turn, for a game whose fights are decided elsewhere.
// The first learns what the opponent's move revealed in `seen`, the board at
// the start of the turn (its opposing kinds are not read), and chooses; none
// when no piece of the player can move.
std::optional<Move> choose_bot_move(BotMind& mind, const Board& seen);
// The second learns from the player's own view right after its `move`.
void learn_own_move(BotMind& mind, const Move& move, const PlayerView& after);
