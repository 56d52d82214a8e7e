// The client's game state shared by its main loop and its turn, and the two
// ways a game ends for this client: a winner's picture, or a forfeit.

#include "game_flow.h"

#include "game_state.h"
#include "protocol.h"
#include "rules.h"
#include "view.h"
#include "window.h"

#include <chrono>
#include <cstdlib>
#include <thread>

std::unique_ptr<GameClient> http_client;
InputMessage message_record;

namespace {

[[noreturn]] void end_program() {
    close_window();
    http_client.reset();
    std::exit(0);
}

}  // namespace

void check_winner() {
    const int winner = winner_in_reply(ask_who_win(*http_client));
    if (winner == 0) return;
    end_with_picture(winner == 1 ? image_win_1 : image_win_2);
}

void end_with_picture(const IMAGE& picture) {
    put_image(0, 0, &picture, SRCCOPY);
    std::this_thread::sleep_for(std::chrono::milliseconds(10000));
    end_program();
}

void forfeit() {
    post_win(*http_client, opponent_of(my_player));
    end_program();
}
