#pragma once
// What a single step can do, judged from the bot's view and its knowledge:
// the odds of a fight, a step that wins on the far row, and the opponent's
// chance to reach the bot's back row next. The easy rules and the search
// both weigh moves by these.

#include "knowledge.h"
#include "levels.h"
#include "player_view.h"
#include "rules.h"

#include <array>
#include <optional>
#include <vector>

namespace bot {

// Rows a piece of `player` on `row` has come forward from its back row, 0 to 9.
constexpr int progress(int player, int row) { return (row - core::back_row(player)) * core::forward_step(player); }

// For each kind, the kinds a piece of it beats when it attacks (ties go to
// the attacker).
constexpr std::array<KindMask, 3> beaten_by_attacker{mask_of(core::Rock) | mask_of(core::Scissors),
                                                     mask_of(core::Scissors) | mask_of(core::Paper),
                                                     mask_of(core::Paper) | mask_of(core::Rock)};

// The share of the kinds in `known` that a piece of `attacker` beats: its
// odds of standing on a square after attacking a piece known only to be one
// of them, each as likely. A piece nothing is known of may be any kind.
// Worked out once for every attacker and mask: the playouts ask for each
// attack they weigh.
constexpr std::array<std::array<double, 8>, 3> attack_odds_table = [] {
    constexpr int counts[8] = {0, 1, 1, 2, 1, 2, 2, 3};
    std::array<std::array<double, 8>, 3> table{};
    for (int attacker = 0; attacker < 3; ++attacker) {
        for (int mask = 0; mask < 8; ++mask) {
            const int known = mask == 0 ? any_kind : mask;
            table[attacker][mask] = double(counts[known & beaten_by_attacker[attacker]]) / counts[known];
        }
    }
    return table;
}();

inline double attack_odds(int attacker, KindMask known) { return attack_odds_table[attacker][known & any_kind]; }

// Whether a piece known to be one of `attacker_kinds` surely beats a piece of
// `defender_kind` when it attacks it.
constexpr bool surely_beats(KindMask attacker_kinds, int defender_kind) {
    for (int kind = core::Rock; kind <= core::Paper; ++kind) {
        if ((attacker_kinds & mask_of(kind)) && !(beaten_by_attacker[kind] & mask_of(defender_kind))) return false;
    }
    return attacker_kinds != 0;
}

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
                           const core::Move& move);

// The first of the player's steps onto the far row that cannot fail, if any.
std::optional<core::Move> sure_far_row_step(const PlayerView& view, const Knowledge& knowledge,
                                      const SearchParams& params);

// The chance that the opponent wins with its next move by stepping onto the
// player's back row: the best of its steps there.
double opponent_win_chance(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params);

// Whether the player's `move` walks into a fight it knows it loses: an
// attack on a piece whose possible kinds all beat the attacker.
bool is_known_losing_attack(const PlayerView& view, const Knowledge& knowledge, const core::Move& move);

// The fewest steps any of the player's pieces needs to reach its far row,
// going only through empty squares where no opposing neighbour is known to
// beat it, or onto opposing pieces it surely beats; -1 when none can.
int steps_to_far_row(const PlayerView& view, const Knowledge& knowledge);

}  // namespace bot
