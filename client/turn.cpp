// The own turn: clicks select a piece and move it one square. Every click that
// does not complete a move costs half a second, the game's only throttle.

#include "relay_game.h"

#include "clicks.h"
#include "input.h"
#include "layout.h"
#include "protocol.h"
#include "rules.h"
#include "view.h"

#include <chrono>
#include <thread>

namespace client {

namespace {

void pause_after_click() { std::this_thread::sleep_for(std::chrono::milliseconds(500)); }

// The piece still stands on the source square while its highlight is taken
// away; the board changes only after that.
void show_selection(const RelayGame& game, const ClickOutcome& outcome) {
    if (outcome.drawing == SquareDrawing::highlight) {
        draw_highlight(game.pictures, game.pictures.selected, game.board, outcome.column, outcome.row);
    } else if (outcome.drawing == SquareDrawing::unhighlight) {
        draw_highlight(game.pictures, game.pictures.square, game.board, outcome.column, outcome.row);
    }
}

}  // namespace

GameEnd take_turn(RelayGame& game) {
    TurnSelection selection;
    InputMessage message;
    for (;;) {
        if (GameEnd end = check_winner(game)) return end;
        if (!peek_message(&message, MESSAGE_FILTER_MOUSE, true) || message.message != WM_LBUTTONDOWN) {
            continue;
        }
        const ClickOutcome outcome =
            click_cell_code(selection, game.board, game.player, cell_code_at(message.x, message.y));
        if (outcome.forfeit) return forfeit(game);
        show_selection(game, outcome);
        if (!outcome.move_due) {
            if (outcome.pause) pause_after_click();
            continue;
        }
        const core::MoveResult result =
            core::make_move(game.board, game.player, outcome.column, outcome.row, outcome.to_column, outcome.to_row);
        if (result == core::MoveResult::far_row_win) {
            core::post_win(*game.client, game.player);
            if (game.client->key_refused()) return stop_refused(game);
            return end_with_picture(game.player == 1 ? game.pictures.win_1 : game.pictures.win_2);
        }
        core::post_board(*game.client, game.board);
        core::hand_over_turn(*game.client);
        if (game.client->key_refused()) return stop_refused(game);
        return std::nullopt;
    }
}

}  // namespace client
