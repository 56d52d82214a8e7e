#include "move_marks.h"

namespace client {

MovePart move_part_at(const core::GameView& view, int column, int row) {
    if (!view.last_move) return MovePart::none;
    const core::Move& move = view.last_move->move;
    if (column == move.from_column && row == move.from_row) return MovePart::left;
    if (column == move.to_column && row == move.to_row) return MovePart::reached;
    return MovePart::none;
}

// After a fight the square reached holds the winner: the attacker when it
// won, the defender when it lost. Whose it is tells whose piece fell.
std::optional<LostPiece> own_piece_lost(const core::GameView& view, const core::GameView& previous, int seat) {
    if (!view.last_move || view.last_move->outcome == core::MoveOutcome::step) return std::nullopt;
    const core::Move& move = view.last_move->move;
    if (!core::on_board(move.from_column, move.from_row) || !core::on_board(move.to_column, move.to_row)) {
        return std::nullopt;
    }
    const std::int32_t winner = view.board[move.to_column][move.to_row].owner;
    if (winner == 0 || winner == seat) return std::nullopt;
    const bool attacker_lost = view.last_move->outcome == core::MoveOutcome::lost;
    const int column = attacker_lost ? move.from_column : move.to_column;
    const int row = attacker_lost ? move.from_row : move.to_row;
    const core::Cell& before = previous.board[column][row];
    if (before.owner != seat) return std::nullopt;
    return LostPiece{column, row, before.kind};
}

}  // namespace client
