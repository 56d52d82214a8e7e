#include "player_view.h"

namespace bot {

PlayerView view_of_board(const core::Board& board, int player) { return core::board_seen_by(board, player); }

PlayerView after_step(const PlayerView& view, const core::Move& move) {
    PlayerView next = view;
    next[move.to_column][move.to_row] = view[move.from_column][move.from_row];
    next[move.from_column][move.from_row] = core::Cell{};
    return next;
}

PlayerView after_lost_attack(const PlayerView& view, const core::Move& move) {
    PlayerView next = view;
    next[move.from_column][move.from_row] = core::Cell{};
    return next;
}

}  // namespace bot
