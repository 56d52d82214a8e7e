#include "view.h"

#include "game_state.h"
#include "layout.h"
#include "move_marks.h"
#include "protocol.h"

IMAGE image_exit, image_own_1, image_own_2, image_turn_1, image_turn_2;
IMAGE image_square, image_selected, image_river;
IMAGE image_rock, image_scissors, image_paper, image_hidden;
IMAGE image_lobby, image_win_1, image_win_2;
IMAGE image_from_step, image_to_step, image_from_won, image_to_won, image_from_lost, image_to_lost;
IMAGE image_lost_rock, image_lost_scissors, image_lost_paper;

namespace {

const IMAGE& picture_of_kind(std::int32_t kind) {
    if (kind == Rock) return image_rock;
    if (kind == Scissors) return image_scissors;
    return image_paper;
}

// A short-lived client of its own, so the turn marker never depends on the
// state of the game flow's connection.
std::string ask_whose_turn() {
    GameClient client(server_address);
    for (;;) {
        auto result = client.Get("/who");
        if (result && result->status == 200) return result->body;
    }
}

const IMAGE& badge_of_kind(std::int32_t kind) {
    if (kind == Rock) return image_lost_rock;
    if (kind == Scissors) return image_lost_scissors;
    return image_lost_paper;
}

// An opposing piece always shows face down, whatever its kind: in a refereed
// view it is 9, which no picture stands for.
void draw_square(const IMAGE& background, const Board& on, int player, int column, int row) {
    const int x = square_x(column);
    const int y = square_y(row);
    put_image(x, y, &background, SRCCOPY);
    const Cell& cell = on[column][row];
    if (cell.owner == player) {
        put_image(x + piece_inset, y + piece_inset, &picture_of_kind(cell.kind), SRCCOPY);
    } else if (cell.owner != 0) {
        put_image(x + piece_inset, y + piece_inset, &image_hidden, SRCCOPY);
    }
}

void draw_half(const Board& on, int player, int first_row) {
    for (int row = first_row; row < first_row + half_rows; ++row) {
        for (int column = 0; column < board_columns; ++column) draw_square(image_square, on, player, column, row);
    }
}

void draw_top_left(int player) {
    put_image(0, 0, &image_exit, SRCCOPY);
    put_image(144, 0, player == 1 ? &image_own_1 : &image_own_2, SRCCOPY);
}

void draw_board(const Board& on, int player) {
    draw_half(on, player, 0);
    put_image(0, river_y, &image_river, SRCCOPY);
    draw_half(on, player, half_rows);
}

}  // namespace

void load_view_images() {
    load_image(&image_win_1, "..//thirdparty//1.png", 0, 0, false);
    load_image(&image_win_2, "..//thirdparty//2.png", 0, 0, false);
    load_image(&image_paper, "..//thirdparty//b.png", 0, 0, false);
    load_image(&image_square, "..//thirdparty//gz.png", 0, 0, false);
    load_image(&image_river, "..//thirdparty//hj.png", 0, 0, false);
    load_image(&image_scissors, "..//thirdparty//jd.png", 0, 0, false);
    load_image(&image_rock, "..//thirdparty//st.png", 0, 0, false);
    load_image(&image_hidden, "..//thirdparty//wh.png", 0, 0, false);
    load_image(&image_lobby, "..//thirdparty//jz.png", 0, 0, false);
    load_image(&image_exit, "..//thirdparty//exit.png", 0, 0, false);
    load_image(&image_turn_1, "..//thirdparty//w1.png", 0, 0, false);
    load_image(&image_turn_2, "..//thirdparty//w2.png", 0, 0, false);
    load_image(&image_own_1, "..//thirdparty//y1.png", 0, 0, false);
    load_image(&image_own_2, "..//thirdparty//y2.png", 0, 0, false);
    load_image(&image_selected, "..//thirdparty//xz.png", 0, 0, false);
    load_image(&image_from_step, "..//thirdparty//from_step.png", 0, 0, false);
    load_image(&image_to_step, "..//thirdparty//to_step.png", 0, 0, false);
    load_image(&image_from_won, "..//thirdparty//from_won.png", 0, 0, false);
    load_image(&image_to_won, "..//thirdparty//to_won.png", 0, 0, false);
    load_image(&image_from_lost, "..//thirdparty//from_lost.png", 0, 0, false);
    load_image(&image_to_lost, "..//thirdparty//to_lost.png", 0, 0, false);
    load_image(&image_lost_rock, "..//thirdparty//lost_st.png", 0, 0, false);
    load_image(&image_lost_scissors, "..//thirdparty//lost_jd.png", 0, 0, false);
    load_image(&image_lost_paper, "..//thirdparty//lost_b.png", 0, 0, false);
}

void draw_view() {
    draw_top_left(my_player);
    put_image(252, 0, ask_whose_turn() == "1" ? &image_turn_1 : &image_turn_2, SRCCOPY);
    draw_board(board, my_player);
}

void draw_view(const GameView& view, int seat) {
    draw_top_left(seat);
    put_image(252, 0, view.turn == 1 ? &image_turn_1 : &image_turn_2, SRCCOPY);
    draw_board(view.board, seat);
}

void draw_highlight(const IMAGE& background, int column, int row) { draw_highlight(background, board, column, row); }

void draw_highlight(const IMAGE& background, const Board& on, int column, int row) {
    if (!on_board(column, row)) return;
    const int x = square_x(column);
    const int y = square_y(row);
    put_image(x, y, &background, SRCCOPY);
    put_image(x + piece_inset, y + piece_inset, &picture_of_kind(on[column][row].kind), SRCCOPY);
}

const IMAGE& square_background(const GameView& view, int column, int row) {
    const MovePart part = move_part_at(view, column, row);
    if (part == MovePart::none) return image_square;
    const bool left = part == MovePart::left;
    switch (view.last_move->outcome) {
    case MoveOutcome::step: return left ? image_from_step : image_to_step;
    case MoveOutcome::won: return left ? image_from_won : image_to_won;
    case MoveOutcome::lost: return left ? image_from_lost : image_to_lost;
    }
    return image_square;
}

void draw_last_move(const GameView& view, const GameView& previous, int seat) {
    if (!view.last_move) return;
    const Move& move = view.last_move->move;
    const int squares[2][2] = {{move.from_column, move.from_row}, {move.to_column, move.to_row}};
    for (const auto& [column, row] : squares) {
        if (!on_board(column, row)) continue;
        draw_square(square_background(view, column, row), view.board, seat, column, row);
    }
    if (const std::optional<LostPiece> lost = own_piece_lost(view, previous, seat)) {
        put_image(square_x(lost->column) + square_size - piece_inset - badge_size,
                  square_y(lost->row) + piece_inset, &badge_of_kind(lost->kind), SRCCOPY);
    }
}
