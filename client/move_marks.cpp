#include "move_marks.h"

MovePart move_part_at(const GameView& view, int column, int row) {
    if (!view.last_move) return MovePart::none;
    const Move& move = view.last_move->move;
    if (column == move.from_column && row == move.from_row) return MovePart::left;
    if (column == move.to_column && row == move.to_row) return MovePart::reached;
    return MovePart::none;
}

// After a fight the square reached holds the winner: the attacker when it
// won, the defender when it lost. Whose it is tells whose piece fell.
std::optional<LostPiece> own_piece_lost(const GameView& view, const GameView& previous, int seat) {
    if (!view.last_move || view.last_move->outcome == MoveOutcome::step) return std::nullopt;
    const Move& move = view.last_move->move;
    if (!on_board(move.from_column, move.from_row) || !on_board(move.to_column, move.to_row)) {
        return std::nullopt;
    }
    const std::int32_t winner = view.board[move.to_column][move.to_row].owner;
    if (winner == 0 || winner == seat) return std::nullopt;
    const bool attacker_lost = view.last_move->outcome == MoveOutcome::lost;
    const int column = attacker_lost ? move.from_column : move.to_column;
    const int row = attacker_lost ? move.from_row : move.to_row;
    const Cell& before = previous.board[column][row];
    if (before.owner != seat) return std::nullopt;
    return LostPiece{column, row, before.kind};
}
