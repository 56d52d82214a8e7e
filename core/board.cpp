#include "board.h"

namespace core {

namespace {

// Each try draws the column first, then the row; it counts only on a square
// that is owned and still holds the rock left by the owner pass.
void place_kind(Board& board, PieceKind kind, int first_row, const RandomIndex& random_index) {
    int placed = 0;
    while (placed < pieces_of_a_kind) {
        int column = random_index();
        int row = random_index() + first_row;
        Cell& cell = board[column][row];
        if (cell.owner == 0 || cell.kind != Rock) continue;
        cell.kind = kind;
        ++placed;
    }
}

}  // namespace

void deal_board(Board& into, const RandomIndex& random_index) {
    into = Board{};
    int empty_column_1 = random_index();
    int empty_row_1 = random_index();
    int empty_column_2 = random_index();
    int empty_row_2 = random_index();
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            into[column][row].owner = row < half_rows ? 1 : 2;
        }
    }
    into[empty_column_1][empty_row_1].owner = 0;
    into[empty_column_2][empty_row_2 + half_rows].owner = 0;
    place_kind(into, Scissors, 0, random_index);
    place_kind(into, Scissors, half_rows, random_index);
    place_kind(into, Paper, 0, random_index);
    place_kind(into, Paper, half_rows, random_index);
}

std::string board_text(const Board& board) {
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

std::optional<Board> board_from_text(std::string_view text) {
    if (text.size() < board_text_length) return std::nullopt;
    for (int i = 0; i < board_text_length; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    }
    Board board;
    for (int i = 0; i < board_text_length; ++i) {
        Cell& cell = board[i / 20][(i % 20) / 2];
        std::int32_t value = text[i] - '0';
        if (i % 2 == 0) {
            cell.kind = value;
        } else {
            cell.owner = value;
        }
    }
    return board;
}

bool is_board_text(std::string_view text) {
    if (text.size() != board_text_length) return false;
    const std::optional<Board> board = board_from_text(text);
    if (!board) return false;
    for (const auto& column : *board) {
        for (const Cell& cell : column) {
            const bool piece = (cell.owner == 1 || cell.owner == 2) && cell.kind >= Rock && cell.kind <= Paper;
            if (cell != Cell{0, 0} && !piece) return false;
        }
    }
    return true;
}

}  // namespace core
