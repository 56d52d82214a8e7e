#include "player_view.h"

#include "board.h"

PlayerView view_of_board(const Board& board, int player) {
    PlayerView view;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const Cell& cell = board[column][row];
            view[column][row].owner = cell.owner;
            if (cell.owner == player) view[column][row].kind = cell.kind;
        }
    }
    return view;
}

void owners_of(const PlayerView& view, Board& out) {
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) out[column][row] = Cell{0, view[column][row].owner};
    }
}

PlayerView after_step(const PlayerView& view, const Move& move) {
    PlayerView next = view;
    next[move.to_column][move.to_row] = view[move.from_column][move.from_row];
    next[move.from_column][move.from_row] = SquareView{};
    return next;
}

PlayerView after_lost_attack(const PlayerView& view, const Move& move) {
    PlayerView next = view;
    next[move.from_column][move.from_row] = SquareView{};
    return next;
}
