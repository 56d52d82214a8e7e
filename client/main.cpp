// The client program: one window per player. It asks the server for a seat
// first: a refereed server gives one, and the refereed game is played from
// the seat's view. A relay has none; then the client joins the game, waits
// for the second player, shares the starting board and alternates between the
// opponent's turn and its own until a winner is known. Every relay request
// that fails or is refused goes out again at once; the relay is polled, never
// waited on.

#include "game_state.h"
#include "game_flow.h"
#include "layout.h"
#include "options.h"
#include "protocol.h"
#include "referee_flow.h"
#include "seat_file.h"
#include "view.h"
#include "window.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <thread>

namespace {

// One pass: a winner ends the game, a click on the exit button forfeits, and
// any other mouse message is taken and dropped.
void wait_for_turn() {
    for (;;) {
        check_winner();
        if (peek_message(&message_record, MESSAGE_FILTER_MOUSE, true) &&
            message_record.message == WM_LBUTTONDOWN &&
            cell_code_at(message_record.x, message_record.y) == "exit") {
            forfeit();
        }
        if (is_turn_of(*http_client, my_player)) return;
    }
}

void open_lobby() {
    init_window(800, 500, WINDOW_NO_CLOSE | WINDOW_NO_MINIMIZE);
    put_image(0, 0, &image_lobby, SRCCOPY);
}

// Player 1 deals and posts; player 2 gives it a head start, then waits for a
// whole board (before the first post the server holds an empty text).
void set_up_board() {
    if (my_player == 1) {
        deal_board(board, [] { return std::rand() % 5; });
        post_board(*http_client, board);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        board = fetch_board(*http_client);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    auto options = parse_client_options(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "client: " << error << std::endl;
        return 2;
    }
    if (options->help) {
        std::cout << client_usage;
        return 0;
    }
    if (options->seat_file.empty()) {
        if (const char* kept = std::getenv("GAME_SEAT_FILE")) options->seat_file = kept;
    }
    server_address = options->server;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    http_client = std::make_unique<GameClient>(server_address);
    load_view_images();
    open_lobby();

    const bool relay_allowed = options->relay || is_loopback_host(server_address.host);
    const SeatChoice seat = choose_seat(*http_client, options->seat_file, relay_allowed);
    if (!seat.why.empty()) std::cerr << "client: " << seat.why << std::endl;
    if (seat.kind == SeatChoice::stop) {
        close_window();
        return 2;
    }
    if (seat.kind == SeatChoice::seated) {
        return play_refereed_game(server_address, seat.seat, options->seat_file);
    }

    my_player = join_game(*http_client);
    wait_for_start(*http_client);
    close_window();
    init_window(board_window_width, board_window_height, 0);

    set_up_board();
    for (;;) {
        draw_view();
        wait_for_turn();
        board = fetch_board(*http_client);
        draw_view();
        take_turn();
    }
}
