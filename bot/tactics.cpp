#include "tactics.h"

#include "board.h"

#include <algorithm>
#include <array>

namespace bot {

namespace {

KindMask possible_at(const Knowledge& knowledge, int column, int row) {
    KindMask possible = knowledge.possible[column][row];
    return possible != 0 ? possible : any_kind;
}

// Whether the player's piece of `kind` may stand on [column][row] on its way:
// an empty square beside no opposing piece known to beat it, or an opposing
// piece it surely beats.
bool open_to(const PlayerView& view, const Knowledge& knowledge, int kind, int column, int row) {
    const core::Cell& square = view[column][row];
    if (square.owner == knowledge.player) return false;
    if (square.owner != 0) return attack_odds(kind, possible_at(knowledge, column, row)) == 1;
    bool threatened = false;
    core::for_each_neighbour(column, row, [&](int c, int r) {
        if (view[c][r].owner != 0 && view[c][r].owner != knowledge.player &&
            surely_beats(possible_at(knowledge, c, r), kind)) {
            threatened = true;
        }
    });
    return !threatened;
}

// The fewest steps from the player's pieces of `kind` to the far row, or -1.
int steps_for_kind(const PlayerView& view, const Knowledge& knowledge, int kind) {
    std::array<std::array<int, 2>, core::board_columns * core::board_rows> queue;
    std::array<std::array<int, core::board_rows>, core::board_columns> steps;
    for (auto& column : steps) column.fill(-1);
    int head = 0;
    int tail = 0;
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            if (view[column][row].owner != knowledge.player || view[column][row].kind != kind) continue;
            if (row == core::far_row(knowledge.player)) return 0;
            steps[column][row] = 0;
            queue[tail++] = {column, row};
        }
    }
    while (head < tail) {
        auto [column, row] = queue[head++];
        int found = -1;
        core::for_each_neighbour(column, row, [&](int c, int r) {
            if (found >= 0 || steps[c][r] >= 0 || !open_to(view, knowledge, kind, c, r)) return;
            steps[c][r] = steps[column][row] + 1;
            if (r == core::far_row(knowledge.player)) found = steps[c][r];
            queue[tail++] = {c, r};
        });
        if (found >= 0) return found;
    }
    return -1;
}

}  // namespace

double attack_chance(const Knowledge& knowledge, const SearchParams& params, int attacker_kind, int column,
                     int row) {
    auto odds = kind_odds(knowledge, column, row, params.used_up_kind_weight);
    double chance = 0;
    for (int kind = core::Rock; kind <= core::Paper; ++kind) {
        if (core::attacker_wins(attacker_kind, kind)) chance += odds[kind];
    }
    return chance;
}

double defence_loss_chance(const Knowledge& knowledge, const SearchParams& params, int column, int row,
                           int defender_kind) {
    auto odds = kind_odds(knowledge, column, row, params.used_up_kind_weight);
    double chance = 0;
    for (int kind = core::Rock; kind <= core::Paper; ++kind) {
        if (core::attacker_wins(kind, defender_kind)) chance += odds[kind];
    }
    return chance;
}

double far_row_step_chance(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                           const core::Move& move) {
    const core::Cell& mover = view[move.from_column][move.from_row];
    const core::Cell& target = view[move.to_column][move.to_row];
    if (move.to_row != core::far_row(mover.owner)) return 0;
    if (target.owner == 0) return 1;
    if (mover.owner == knowledge.player) {
        return attack_chance(knowledge, params, mover.kind, move.to_column, move.to_row);
    }
    return defence_loss_chance(knowledge, params, move.from_column, move.from_row, target.kind);
}

std::optional<core::Move> sure_far_row_step(const PlayerView& view, const Knowledge& knowledge,
                                      const SearchParams& params) {
    for (const core::Move& move : core::legal_moves(view, knowledge.player)) {
        if (far_row_step_chance(view, knowledge, params, move) == 1) return move;
    }
    return std::nullopt;
}

double opponent_win_chance(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params) {
    double best = 0;
    for (const core::Move& move : core::legal_moves(view, core::opponent_of(knowledge.player))) {
        best = std::max(best, far_row_step_chance(view, knowledge, params, move));
    }
    return best;
}

bool is_known_losing_attack(const PlayerView& view, const Knowledge& knowledge, const core::Move& move) {
    const core::Cell& target = view[move.to_column][move.to_row];
    if (target.owner == 0 || target.owner == knowledge.player) return false;
    return attack_odds(view[move.from_column][move.from_row].kind, possible_at(knowledge, move.to_column, move.to_row)) == 0;
}

int steps_to_far_row(const PlayerView& view, const Knowledge& knowledge) {
    int fewest = -1;
    for (int kind = core::Rock; kind <= core::Paper; ++kind) {
        int steps = steps_for_kind(view, knowledge, kind);
        if (steps >= 0 && (fewest < 0 || steps < fewest)) fewest = steps;
    }
    return fewest;
}

}  // namespace bot
