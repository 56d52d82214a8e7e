#pragma once
// What a single step can do, judged from the bot's view and its knowledge:
// the odds of a fight, a step that wins on the far row, and the opponent's
// chance to reach the bot's back row next. The easy rules and the search
// both weigh moves by these.

#include "knowledge.h"
#include "levels.h"
#include "player_view.h"
#include "rules.h"

#include <optional>
#include <vector>

namespace frozen {

// The frozen copy predates the core's namespace and reads its names unqualified.
using namespace core;

// Rows a piece of `player` on `row` has come forward from its back row, 0 to 9.
int progress(int player, int row);

// The chance that the player's piece of `attacker_kind` wins an attack on the
// opposing piece at [column][row].
double attack_chance(const Knowledge& knowledge, const SearchParams& params, int attacker_kind, int column,
                     int row);

// The chance that the opposing piece at [column][row] wins an attack on the
// player's piece of `defender_kind`.
double defence_loss_chance(const Knowledge& knowledge, const SearchParams& params, int column, int row,
                           int defender_kind);

// The chance that `move`, by whichever side's piece stands on its first
// square, ends the game on that side's far row: 0 for a step onto any other
// row, 1 onto an empty square of it, else the odds of the fight. A step
// whose fight cannot be lost comes out at exactly 1, for the kinds a piece
// may still be are then all ones it beats and their odds add up to 1.
double far_row_step_chance(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                           const Move& move);

// The first of the player's steps onto the far row that cannot fail, if any.
std::optional<Move> sure_far_row_step(const PlayerView& view, const Knowledge& knowledge,
                                      const SearchParams& params);

// The chance that the opponent wins with its next move by stepping onto the
// player's back row: the best of its steps there.
double opponent_win_chance(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params);

// A move as its chooser weighed it, for a person to read: the search's visits
// and mean result (0 to 1, for the bot), or the easy rules' value in points
// with no visits.
struct WeighedMove {
    Move move;
    int visits = 0;
    double value = 0;
};

}  // namespace frozen
