// The own turn: clicks select a piece and move it one square. Every click that
// does not complete a move costs half a second, the game's only throttle.

#include "game_flow.h"

#include "clicks.h"
#include "game_state.h"
#include "layout.h"
#include "protocol.h"
#include "rules.h"
#include "view.h"

#include <chrono>
#include <thread>

namespace {

void pause_after_click() { std::this_thread::sleep_for(std::chrono::milliseconds(500)); }

// The piece still stands on the source square while its highlight is taken
// away; the board changes only after that.
void show_selection(const ClickOutcome& outcome) {
    if (outcome.drawing == SquareDrawing::highlight) {
        draw_highlight(image_selected, outcome.column, outcome.row);
    } else if (outcome.drawing == SquareDrawing::unhighlight) {
        draw_highlight(image_square, outcome.column, outcome.row);
    }
}

}  // namespace

void take_turn() {
    TurnSelection selection;
    for (;;) {
        check_winner();
        if (!peek_message(&message_record, MESSAGE_FILTER_MOUSE, true) ||
            message_record.message != WM_LBUTTONDOWN) {
            continue;
        }
        const ClickOutcome outcome =
            click_cell_code(selection, board, my_player, cell_code_at(message_record.x, message_record.y));
        if (outcome.forfeit) forfeit();
        show_selection(outcome);
        if (!outcome.move_due) {
            if (outcome.pause) pause_after_click();
            continue;
        }
        const MoveResult result =
            make_move(board, my_player, outcome.column, outcome.row, outcome.to_column, outcome.to_row);
        if (result == MoveResult::far_row_win) {
            post_win(*http_client, my_player);
            end_with_picture(my_player == 1 ? image_win_1 : image_win_2);
        }
        post_board(*http_client, board);
        hand_over_turn(*http_client);
        return;
    }
}
