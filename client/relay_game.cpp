#include "relay_game.h"

#include "input.h"
#include "layout.h"
#include "protocol.h"
#include "rules.h"
#include "view.h"
#include "window.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

namespace client {

namespace {

// Player 1 deals and posts; player 2 gives it a head start, then waits for a
// whole board (before the first post the server holds an empty text). False
// when the server refuses the key.
bool set_up_board(RelayGame& game) {
    if (game.player == 1) {
        core::deal_board(game.board, [] { return std::rand() % 5; });
        core::post_board(*game.client, game.board);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        game.board = core::fetch_board(*game.client);
    }
    return !game.client->key_refused();
}

}  // namespace

int stop_refused(const RelayGame& game) {
    std::cerr << "client: " << game.client->key_refusal() << std::endl;
    return 2;
}

int play_relay_game(RelayGame& game) {
    game.player = core::join_game(*game.client);
    core::wait_for_start(*game.client);
    if (game.client->key_refused()) return stop_refused(game);
    close_window();
    init_window(board_window_width, board_window_height, 0);

    if (!set_up_board(game)) return stop_refused(game);
    for (;;) {
        if (!draw_view(game)) return stop_refused(game);
        if (GameEnd end = wait_for_turn(game)) return *end;
        game.board = core::fetch_board(*game.client);
        if (game.client->key_refused() || !draw_view(game)) return stop_refused(game);
        if (GameEnd end = take_turn(game)) return *end;
    }
}

GameEnd check_winner(RelayGame& game) {
    const std::string body = core::ask_who_win(*game.client);
    if (game.client->key_refused()) return stop_refused(game);
    const int winner = core::winner_in_reply(body);
    if (winner == 0) return std::nullopt;
    return end_with_picture(winner == 1 ? game.pictures.win_1 : game.pictures.win_2);
}

GameEnd end_with_picture(const IMAGE& picture) {
    put_image(0, 0, &picture, SRCCOPY);
    std::this_thread::sleep_for(std::chrono::milliseconds(10000));
    close_window();
    return 0;
}

GameEnd forfeit(RelayGame& game) {
    core::post_win(*game.client, core::opponent_of(game.player));
    if (game.client->key_refused()) return stop_refused(game);
    close_window();
    return 0;
}

// Each pass takes at most one mouse message.
GameEnd wait_for_turn(RelayGame& game) {
    InputMessage message;
    for (;;) {
        if (GameEnd end = check_winner(game)) return end;
        if (peek_message(&message, MESSAGE_FILTER_MOUSE, true) && message.message == WM_LBUTTONDOWN &&
            cell_code_at(message.x, message.y) == "exit") {
            return forfeit(game);
        }
        if (core::is_turn_of(*game.client, game.player)) return std::nullopt;
        if (game.client->key_refused()) return stop_refused(game);
    }
}

}  // namespace client
