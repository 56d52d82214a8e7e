#include "bot_game.h"

#include "board.h"
#include "game_log.h"
#include "protocol.h"
#include "bot_turn.h"
#include "referee_game.h"
#include "seat_file.h"

#include <chrono>
#include <ctime>
#include <iostream>
#include <optional>
#include <thread>

namespace bot {

namespace {

// A person may think for minutes. Between two rounds of questions the bot
// rests this long, so that waiting costs next to no processor time while its
// answer to a handed-over turn comes at most this much later.
constexpr auto poll_pause = std::chrono::milliseconds(20);

struct BotGame {
    core::GameClient client;
    // The board just fetched, or the one this bot dealt or moved on.
    core::Board board;
    int player = 0;
    GameLog log;
    BotMind mind;
    std::chrono::milliseconds think;
    Level level;
    bool explain;
};

void say(const BotGame& game, const std::string& line) {
    std::cout << "bot, player " << game.player << ": " << line << std::endl;
}

int stop_refused(const core::GameClient& client) {
    std::cerr << "bot: " << client.key_refusal() << std::endl;
    return 2;
}

// Player 1 deals and posts the starting board; player 2 waits for it, taking
// nothing but a whole board. False when the server refuses the key.
bool set_up(BotGame& game, unsigned seed) {
    game.player = core::join_game(game.client);
    if (game.client.key_refused()) return false;
    game.log.note("joined", std::to_string(game.player));
    core::wait_for_start(game.client);
    if (game.client.key_refused()) return false;
    if (game.player == 1) {
        core::deal_board(game.board, [] { return std::rand() % 5; });
        core::post_board(game.client, game.board);
        game.log.note("dealt", core::board_text(game.board));
    } else {
        game.board = core::fetch_board(game.client);
        game.log.note("setup", core::board_text(game.board));
    }
    if (game.client.key_refused()) return false;
    game.mind = start_mind(game.board, game.player, seed, game.level);
    return true;
}

// The winner's body once somebody has won, or none when the turn is ours or
// the server refuses the key.
std::optional<std::string> wait_for_turn(BotGame& game) {
    for (;;) {
        std::string winner = core::ask_who_win(game.client);
        if (game.client.key_refused()) return std::nullopt;
        if (winner != "0") return winner;
        if (core::is_turn_of(game.client, game.player) || game.client.key_refused()) return std::nullopt;
        std::this_thread::sleep_for(poll_pause);
    }
}

// Plays one turn; true when the game goes on (false also when the server
// refuses the key).
bool take_turn(BotGame& game) {
    long long asked = GameLog::now();
    game.board = core::fetch_board(game.client);
    if (game.client.key_refused()) return false;
    game.log.note_at(asked, "fetched", core::board_text(game.board));
    auto started = std::chrono::steady_clock::now();
    BotTurn turn = play_bot_turn(game.mind, game.board);
    if (game.explain) std::cerr << "bot, player " << game.player << ": " << turn_explanation(turn) << std::flush;
    // The search's own time counts toward the pause a person gets to follow the game.
    std::this_thread::sleep_until(started + game.think);
    if (!turn.move) {
        core::post_win(game.client, core::opponent_of(game.player));
        if (game.client.key_refused()) return false;
        game.log.note("forfeited");
        say(game, "none of my pieces can move; I give the game up");
        return false;
    }
    if (turn.result == core::MoveResult::far_row_win) {
        core::post_win(game.client, game.player);
        if (game.client.key_refused()) return false;
        game.log.note("won");
        say(game, "I reached the far row and win");
        return false;
    }
    core::post_board(game.client, game.board);
    if (game.client.key_refused()) return false;
    game.log.note("posted", core::board_text(game.board));
    core::hand_over_turn(game.client);
    if (game.client.key_refused()) return false;
    game.log.note("handed_over");
    return true;
}

}  // namespace

int play_game(const BotOptions& options) {
    unsigned seed = options.seed_given ? options.seed : static_cast<unsigned>(std::time(nullptr));
    std::srand(seed);
    {
        core::GameClient client(options.server);
        const bool relay_allowed = options.relay || core::is_loopback_host(options.server.host);
        const core::SeatChoice seat = core::choose_seat(client, options.seat_file, relay_allowed);
        if (!seat.why.empty()) std::cerr << "bot: " << seat.why << std::endl;
        if (seat.kind == core::SeatChoice::stop) return 2;
        if (seat.kind == core::SeatChoice::seated) return play_refereed_game(options, seat.seat, seed);
    }
    BotGame game{.client = core::GameClient(options.server),
                 .board = {},
                 .log = GameLog(options.log_path),
                 .mind = {},
                 .think = std::chrono::milliseconds(options.think_ms),
                 .level = options.level,
                 .explain = options.explain};
    if (!set_up(game, seed)) return stop_refused(game.client);
    for (;;) {
        if (auto winner = wait_for_turn(game)) {
            game.log.note("winner", *winner);
            say(game, "the game is over, the server names player " + *winner + " as the winner");
            return 0;
        }
        if (game.client.key_refused()) return stop_refused(game.client);
        if (!take_turn(game)) return game.client.key_refused() ? stop_refused(game.client) : 0;
    }
}

}  // namespace bot
