#include "bot_game.h"

#include "board.h"
#include "game_log.h"
#include "knowledge.h"
#include "protocol.h"
#include "rules.h"
#include "strategy.h"

#include <chrono>
#include <ctime>
#include <iostream>
#include <optional>
#include <random>
#include <thread>

namespace {

struct BotGame {
    httplib::Client client{"localhost", 8089};
    GameLog log;
    std::mt19937 rng;
    Knowledge knowledge;
    std::optional<Move> previous;
    std::chrono::milliseconds think;
};

void say(const std::string& line) {
    std::cout << "bot, player " << my_player << ": " << line << std::endl;
}

// Player 1 deals and posts the starting board; player 2 waits for it, taking
// nothing but a whole board.
void set_up(BotGame& game) {
    my_player = join_game(game.client);
    game.log.note("joined", std::to_string(my_player));
    wait_for_start(game.client);
    if (my_player == 1) {
        deal_board();
        post_board(game.client);
        game.log.note("dealt", board_to_text());
    } else {
        fetch_board(game.client);
        game.log.note("setup", board_to_text());
    }
    game.knowledge = start_knowledge(my_player, view_of_board(my_player));
}

// The winner's body once somebody has won, or none when the turn is ours.
std::optional<std::string> wait_for_turn(BotGame& game) {
    for (;;) {
        std::string winner = ask_who_win(game.client);
        if (winner != "0") return winner;
        if (is_my_turn(game.client)) return std::nullopt;
    }
}

// Plays one turn; true when the game goes on.
bool take_turn(BotGame& game) {
    long long asked = GameLog::now();
    fetch_board(game.client);
    game.log.note_at(asked, "fetched", board_to_text());
    learn_from_opponent_move(game.knowledge, view_of_board(my_player));
    std::this_thread::sleep_for(game.think);
    auto move = choose_move(game.knowledge.last_seen, game.knowledge, game.previous, game.rng);
    if (!move) {
        post_win(game.client, opponent_of(my_player));
        game.log.note("forfeited");
        say("none of my pieces can move; I give the game up");
        return false;
    }
    MoveResult result = make_move(move->from_column, move->from_row, move->to_column, move->to_row);
    if (result == MoveResult::far_row_win) {
        post_win(game.client, my_player);
        game.log.note("won");
        say("I reached the far row and win");
        return false;
    }
    learn_from_own_move(game.knowledge, *move, view_of_board(my_player));
    game.previous = move;
    post_board(game.client);
    game.log.note("posted", board_to_text());
    hand_over_turn(game.client);
    game.log.note("handed_over");
    return true;
}

}  // namespace

int play_game(const BotOptions& options) {
    unsigned seed = options.seed_given ? options.seed : static_cast<unsigned>(std::time(nullptr));
    std::srand(seed);
    BotGame game{.log = GameLog(options.log_path),
                 .rng = std::mt19937(seed),
                 .knowledge = {},
                 .previous = std::nullopt,
                 .think = std::chrono::milliseconds(options.think_ms)};
    set_up(game);
    for (;;) {
        if (auto winner = wait_for_turn(game)) {
            game.log.note("winner", *winner);
            say("the game is over, the server names player " + *winner + " as the winner");
            return 0;
        }
        if (!take_turn(game)) return 0;
    }
}
