#include "board.h"

#include <cstdlib>

Board board{};
int my_player = 0;

namespace {

int random_index() { return std::rand() % 5; }

void clear_board() {
    for (auto& column : board) {
        for (auto& cell : column) cell = Cell{0, 0};
    }
}

// Each try draws the column first, then the row; it counts only on a square
// that is owned and still holds the rock left by the owner pass.
void place_kind(PieceKind kind, int first_row) {
    int placed = 0;
    while (placed < 8) {
        int column = random_index();
        int row = random_index() + first_row;
        Cell& cell = board[column][row];
        if (cell.owner == 0 || cell.kind != Rock) continue;
        cell.kind = kind;
        ++placed;
    }
}

}  // namespace

bool on_board(int column, int row) {
    return column >= 0 && column < board_columns && row >= 0 && row < board_rows;
}

void deal_board() {
    clear_board();
    int empty_column_1 = random_index();
    int empty_row_1 = random_index();
    int empty_column_2 = random_index();
    int empty_row_2 = random_index();
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            board[column][row].owner = row < half_rows ? 1 : 2;
        }
    }
    board[empty_column_1][empty_row_1].owner = 0;
    board[empty_column_2][empty_row_2 + half_rows].owner = 0;
    place_kind(Scissors, 0);
    place_kind(Scissors, half_rows);
    place_kind(Paper, 0);
    place_kind(Paper, half_rows);
}

std::string board_to_text() {
    std::string text;
    text.reserve(board_text_length);
    for (const auto& column : board) {
        for (const auto& cell : column) {
            text += std::to_string(cell.kind);
            text += std::to_string(cell.owner);
        }
    }
    return text;
}

bool text_to_board(const std::string& text) {
    if (text.size() < board_text_length) return false;
    for (int i = 0; i < board_text_length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    for (int i = 0; i < board_text_length; ++i) {
        Cell& cell = board[i / 20][(i % 20) / 2];
        std::int32_t value = text[i] - '0';
        if (i % 2 == 0) {
            cell.kind = value;
        } else {
            cell.owner = value;
        }
    }
    return true;
}
