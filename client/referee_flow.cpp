// The refereed game on the window's thread. The view comes from the watch's
// thread; this thread only draws, takes clicks and sends the player's own
// requests, so the window answers at once in every phase. A completed move
// goes to the server as it is: the view shows the fight's outcome only once
// the server has decided it.

#include "referee_flow.h"

#include "clicks.h"
#include "input.h"
#include "layout.h"
#include "seat_file.h"
#include "view.h"
#include "view_watch.h"
#include "window.h"

#include <chrono>
#include <iostream>
#include <optional>
#include <thread>

namespace client {

namespace {

// How long the window's thread waits for news before it looks at the input
// queue again: a click is taken at most this much later, and the queue is
// emptied long before it could fill.
constexpr auto input_pass = std::chrono::milliseconds(15);
// The server answers a move or a resignation at once; a slower reply means it
// is gone, and the window should not hang on it.
constexpr std::chrono::seconds own_request_wait{3};

struct RefereedGame {
    const Pictures& pictures;
    core::Seat seat;
    std::string seat_file;
    core::GameClient client;              // the player's moves and resignation
    std::optional<core::GameView> shown;  // on the board window; none while the lobby shows
    core::GameView before_move;           // the last view shown before the shown view's last move
    TurnSelection selection;
    bool move_sent = false;  // taken by the server; the next view shows it
};

int stop_unknown_seat(const RefereedGame& game) {
    close_window();
    std::cerr << "client: the server does not know seat " << game.seat.number
              << (game.seat_file.empty() ? "" : " (kept in " + game.seat_file + ")")
              << "; it belongs to another game" << std::endl;
    return 2;
}

int stop_refused(const RefereedGame& game) {
    close_window();
    std::cerr << "client: " << game.client.key_refusal() << std::endl;
    return 2;
}

int end_with_winner(const RefereedGame& game, int winner) {
    core::remove_seat_file(game.seat_file);
    put_image(0, 0, winner == 1 ? &game.pictures.win_1 : &game.pictures.win_2, SRCCOPY);
    std::this_thread::sleep_for(std::chrono::milliseconds(10000));
    close_window();
    return 0;
}

// The lobby shows until the deal. Every later view is drawn whole, its last
// move marked with the view shown before that move at hand for what the move
// cost; a selection does not outlive the view it was made on.
std::optional<int> show(RefereedGame& game, const core::GameView& view) {
    if (!game.shown) {
        if (view.turn == 0 && view.winner == 0) return std::nullopt;
        close_window();
        init_window(board_window_width, board_window_height, 0);
    }
    if (view.winner != 0) return end_with_winner(game, view.winner);
    if (game.shown && game.shown->last_move != view.last_move) game.before_move = *game.shown;
    draw_view(game.pictures, view, game.seat.number);
    draw_last_move(game.pictures, view, game.before_move, game.seat.number);
    game.shown = view;
    game.selection = {};
    game.move_sent = false;
    return std::nullopt;
}

int resign(RefereedGame& game) {
    const core::Answer answer = core::post_resign(game.client, game.seat.token);
    if (answer == core::Answer::seat_unknown) return stop_unknown_seat(game);
    if (answer == core::Answer::key_refused) return stop_refused(game);
    close_window();
    // Refused: the game was already over.
    if (answer == core::Answer::ok || answer == core::Answer::refused) {
        core::remove_seat_file(game.seat_file);
        return 0;
    }
    std::cerr << "client: the server did not answer; the game goes on there without this window" << std::endl;
    return 1;
}

// A move the server refuses changes nothing, and one whose answer is lost
// shows in the next view if it was made: either way the player may click on.
std::optional<int> send_move(RefereedGame& game, const ClickOutcome& outcome) {
    const core::Move move{outcome.column, outcome.row, outcome.to_column, outcome.to_row};
    const core::Answer answer = core::post_move(game.client, game.seat.token, move);
    if (answer == core::Answer::seat_unknown) return stop_unknown_seat(game);
    if (answer == core::Answer::key_refused) return stop_refused(game);
    game.move_sent = answer == core::Answer::ok;
    return std::nullopt;
}

// A selection taken away gives the square back its mark of the last move.
void show_selection(const Pictures& pictures, const ClickOutcome& outcome, const core::GameView& shown) {
    if (outcome.drawing == SquareDrawing::highlight) {
        draw_highlight(pictures, pictures.selected, shown.board, outcome.column, outcome.row);
    } else if (outcome.drawing == SquareDrawing::unhighlight) {
        draw_highlight(pictures, square_background(pictures, shown, outcome.column, outcome.row), shown.board,
                       outcome.column, outcome.row);
    }
}

// Every queued mouse message is taken. Exit resigns whoever's turn it is;
// other clicks count only in the own turn, before its move is sent.
std::optional<int> take_clicks(RefereedGame& game) {
    InputMessage message;
    while (peek_message(&message, MESSAGE_FILTER_MOUSE, true)) {
        if (message.message != WM_LBUTTONDOWN || !game.shown) continue;
        const std::string code = cell_code_at(message.x, message.y);
        if (code == "exit") return resign(game);
        if (game.shown->turn != game.seat.number || game.move_sent) continue;
        const ClickOutcome outcome = click_cell_code(game.selection, game.shown->board, game.seat.number, code);
        show_selection(game.pictures, outcome, *game.shown);
        if (!outcome.move_due) continue;
        if (auto status = send_move(game, outcome)) return status;
    }
    return std::nullopt;
}

}  // namespace

int play_refereed_game(const core::ServerAddress& address, const core::Seat& seat, const std::string& seat_file,
                       const Pictures& pictures) {
    RefereedGame game{pictures, seat, seat_file, core::GameClient(address, own_request_wait), std::nullopt, {}, {}, false};
    ViewWatch watch(address, seat.token);
    for (;;) {
        ViewWatch::News news = watch.next(input_pass);
        if (news.seat_unknown) return stop_unknown_seat(game);
        if (news.key_refused) return stop_refused(game);
        if (news.view) {
            if (auto status = show(game, *news.view)) return *status;
        }
        if (auto status = take_clicks(game)) return *status;
    }
}

}  // namespace client
