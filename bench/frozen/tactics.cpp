#include "tactics.h"

#include "board.h"

#include <algorithm>

namespace frozen {

int progress(int player, int row) { return (row - back_row(player)) * forward_step(player); }

double attack_chance(const Knowledge& knowledge, const SearchParams& params, int attacker_kind, int column,
                     int row) {
    auto odds = kind_odds(knowledge, column, row, params.used_up_kind_weight);
    double chance = 0;
    for (int kind = Rock; kind <= Paper; ++kind) {
        if (attacker_wins(attacker_kind, kind)) chance += odds[kind];
    }
    return chance;
}

double defence_loss_chance(const Knowledge& knowledge, const SearchParams& params, int column, int row,
                           int defender_kind) {
    auto odds = kind_odds(knowledge, column, row, params.used_up_kind_weight);
    double chance = 0;
    for (int kind = Rock; kind <= Paper; ++kind) {
        if (attacker_wins(kind, defender_kind)) chance += odds[kind];
    }
    return chance;
}

double far_row_step_chance(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                           const Move& move) {
    const Cell& mover = view[move.from_column][move.from_row];
    const Cell& target = view[move.to_column][move.to_row];
    if (move.to_row != far_row(mover.owner)) return 0;
    if (target.owner == 0) return 1;
    if (mover.owner == knowledge.player) {
        return attack_chance(knowledge, params, mover.kind, move.to_column, move.to_row);
    }
    return defence_loss_chance(knowledge, params, move.from_column, move.from_row, target.kind);
}

std::optional<Move> sure_far_row_step(const PlayerView& view, const Knowledge& knowledge,
                                      const SearchParams& params) {
    for (const Move& move : legal_moves(view, knowledge.player)) {
        if (far_row_step_chance(view, knowledge, params, move) == 1) return move;
    }
    return std::nullopt;
}

double opponent_win_chance(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params) {
    double best = 0;
    for (const Move& move : legal_moves(view, opponent_of(knowledge.player))) {
        best = std::max(best, far_row_step_chance(view, knowledge, params, move));
    }
    return best;
}

}  // namespace frozen
