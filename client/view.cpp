#include "view.h"

#include "layout.h"
#include "move_marks.h"
#include "relay_game.h"

#include <optional>
#include <string>

namespace client {

namespace {

const IMAGE& picture_of_kind(const Pictures& pictures, std::int32_t kind) {
    if (kind == core::Rock) return pictures.rock;
    if (kind == core::Scissors) return pictures.scissors;
    return pictures.paper;
}

// A short-lived client of its own, so the turn marker never depends on the
// state of the game flow's connection.
// None when the server refuses the key.
std::optional<std::string> ask_whose_turn(const core::ServerAddress& address) {
    core::GameClient client(address);
    while (!client.key_refused()) {
        auto result = client.Get("/who");
        if (result && result->status == 200) return result->body;
    }
    return std::nullopt;
}

const IMAGE& badge_of_kind(const Pictures& pictures, std::int32_t kind) {
    if (kind == core::Rock) return pictures.lost_rock;
    if (kind == core::Scissors) return pictures.lost_scissors;
    return pictures.lost_paper;
}

// An opposing piece always shows face down, whatever its kind: in a refereed
// view it is 9, which no picture stands for.
void draw_square(const Pictures& pictures, const IMAGE& background, const core::Board& on, int player, int column,
                 int row) {
    const int x = square_x(column);
    const int y = square_y(row);
    put_image(x, y, &background, SRCCOPY);
    const core::Cell& cell = on[column][row];
    if (cell.owner == player) {
        put_image(x + piece_inset, y + piece_inset, &picture_of_kind(pictures, cell.kind), SRCCOPY);
    } else if (cell.owner != 0) {
        put_image(x + piece_inset, y + piece_inset, &pictures.hidden, SRCCOPY);
    }
}

void draw_half(const Pictures& pictures, const core::Board& on, int player, int first_row) {
    for (int row = first_row; row < first_row + core::half_rows; ++row) {
        for (int column = 0; column < core::board_columns; ++column) {
            draw_square(pictures, pictures.square, on, player, column, row);
        }
    }
}

void draw_top_left(const Pictures& pictures, int player) {
    put_image(0, 0, &pictures.exit, SRCCOPY);
    put_image(144, 0, player == 1 ? &pictures.own_1 : &pictures.own_2, SRCCOPY);
}

void draw_board(const Pictures& pictures, const core::Board& on, int player) {
    draw_half(pictures, on, player, 0);
    put_image(0, river_y, &pictures.river, SRCCOPY);
    draw_half(pictures, on, player, core::half_rows);
}

}  // namespace

bool draw_view(const RelayGame& game) {
    draw_top_left(game.pictures, game.player);
    const std::optional<std::string> turn = ask_whose_turn(game.address);
    if (!turn) return false;
    put_image(252, 0, *turn == "1" ? &game.pictures.turn_1 : &game.pictures.turn_2, SRCCOPY);
    draw_board(game.pictures, game.board, game.player);
    return true;
}

void draw_view(const Pictures& pictures, const core::GameView& view, int seat) {
    draw_top_left(pictures, seat);
    put_image(252, 0, view.turn == 1 ? &pictures.turn_1 : &pictures.turn_2, SRCCOPY);
    draw_board(pictures, view.board, seat);
}

void draw_highlight(const Pictures& pictures, const IMAGE& background, const core::Board& on, int column, int row) {
    if (!core::on_board(column, row)) return;
    const int x = square_x(column);
    const int y = square_y(row);
    put_image(x, y, &background, SRCCOPY);
    put_image(x + piece_inset, y + piece_inset, &picture_of_kind(pictures, on[column][row].kind), SRCCOPY);
}

const IMAGE& square_background(const Pictures& pictures, const core::GameView& view, int column, int row) {
    const MovePart part = move_part_at(view, column, row);
    if (part == MovePart::none) return pictures.square;
    const bool left = part == MovePart::left;
    switch (view.last_move->outcome) {
    case core::MoveOutcome::step: return left ? pictures.from_step : pictures.to_step;
    case core::MoveOutcome::won: return left ? pictures.from_won : pictures.to_won;
    case core::MoveOutcome::lost: return left ? pictures.from_lost : pictures.to_lost;
    }
    return pictures.square;
}

void draw_last_move(const Pictures& pictures, const core::GameView& view, const core::GameView& previous, int seat) {
    if (!view.last_move) return;
    const core::Move& move = view.last_move->move;
    const int squares[2][2] = {{move.from_column, move.from_row}, {move.to_column, move.to_row}};
    for (const auto& [column, row] : squares) {
        if (!core::on_board(column, row)) continue;
        draw_square(pictures, square_background(pictures, view, column, row), view.board, seat, column, row);
    }
    if (const std::optional<LostPiece> lost = own_piece_lost(view, previous, seat)) {
        put_image(square_x(lost->column) + square_size - piece_inset - badge_size,
                  square_y(lost->row) + piece_inset, &badge_of_kind(pictures, lost->kind), SRCCOPY);
    }
}

}  // namespace client
