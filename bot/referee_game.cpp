#include "referee_game.h"

#include "bot_turn.h"
#include "game_log.h"
#include "seat_file.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <thread>

namespace bot {

namespace {

struct RefereedBot {
    // Long polls only: the bot waits for nothing else while one is out.
    core::GameClient client;
    core::Seat seat;
    std::string seat_file;
    GameLog log;
    // Started from the first view after the deal, so a bot that takes its
    // seat back starts over from the view as it stands.
    std::optional<BotMind> mind;
    std::chrono::milliseconds think;
    Level level;
    unsigned seed;
    bool explain;
};

void say(const RefereedBot& bot, const std::string& line) {
    std::cout << "bot, player " << bot.seat.number << ": " << line << std::endl;
}

// The server does not know the seat, or refuses the key: it will answer
// nothing more.
int stop_refused(const RefereedBot& bot) {
    if (bot.client.key_refused()) {
        std::cerr << "bot: " << bot.client.key_refusal() << std::endl;
        return 2;
    }
    std::cerr << "bot: the server does not know seat " << bot.seat.number
              << (bot.seat_file.empty() ? "" : " (kept in " + bot.seat_file + ")") << "; it belongs to another game"
              << std::endl;
    return 2;
}

// The view at once, or once its version passes `after`; none when the server
// does not know the seat or refuses the key. A server that answers a wait with the same version
// at once, or with a reply that is not a view, is asked again only after a
// rest.
std::optional<core::GameView> ask_view(RefereedBot& bot, std::optional<std::uint64_t> after) {
    for (;;) {
        core::ViewReply reply = after ? core::wait_for_change(bot.client, bot.seat.token, *after)
                                : core::get_view(bot.client, bot.seat.token);
        if (reply.answer == core::Answer::seat_unknown || reply.answer == core::Answer::key_refused) return std::nullopt;
        if (reply.answer == core::Answer::ok) {
            bot.log.note("view", view_line(reply.view));
            if (!after || reply.view.version > *after) return reply.view;
        }
        std::this_thread::sleep_for(core::request_rest);
    }
}

// A lost answer leaves it open whether the move was made; sent again, a move
// that was made is refused as out of turn.
core::Answer send(RefereedBot& bot, const std::optional<core::Move>& move) {
    for (;;) {
        core::Answer answer = move ? core::post_move(bot.client, bot.seat.token, *move) : core::post_resign(bot.client, bot.seat.token);
        if (answer != core::Answer::failed) return answer;
        std::this_thread::sleep_for(core::request_rest);
    }
}

// One turn on `view`. Returns the view to go on from, or none when the game
// has ended for the bot, with the exit status in `status`.
std::optional<core::GameView> take_turn(RefereedBot& bot, const core::GameView& view, int& status) {
    auto started = std::chrono::steady_clock::now();
    const BotTurn turn = choose_bot_move(*bot.mind, view.board);
    const std::optional<core::Move>& move = turn.move;
    if (bot.explain) std::cerr << "bot, player " << bot.seat.number << ": " << turn_explanation(turn) << std::flush;
    // The search's own time counts toward the pause a person gets to follow the game.
    std::this_thread::sleep_until(started + bot.think);
    const core::Answer answer = send(bot, move);
    status = 0;
    if (answer == core::Answer::seat_unknown || answer == core::Answer::key_refused) {
        status = stop_refused(bot);
        return std::nullopt;
    }
    if (!move) {
        bot.log.note("resigned");
        say(bot, "none of my pieces can move; I give the game up");
        core::remove_seat_file(bot.seat_file);
        return std::nullopt;
    }
    if (answer != core::Answer::ok) {
        // The server and the bot disagree on the game: the bot starts over
        // from the server's view, after a rest.
        bot.log.note("refused", core::move_text(*move));
        bot.mind.reset();
        std::this_thread::sleep_for(core::request_rest);
        std::optional<core::GameView> now = ask_view(bot, std::nullopt);
        if (!now) status = stop_refused(bot);
        return now;
    }
    bot.log.note("moved", core::move_text(*move));
    std::optional<core::GameView> later = ask_view(bot, view.version);
    if (!later) {
        status = stop_refused(bot);
        return std::nullopt;
    }
    learn_own_move(*bot.mind, *move, view_after_own_move(bot.mind->knowledge.last_seen, *move, *later));
    return later;
}

}  // namespace

std::string view_line(const core::GameView& view) {
    std::string line = core::view_text(view);
    line.pop_back();
    std::replace(line.begin(), line.end(), '\n', '/');
    return line;
}

PlayerView view_after_own_move(const PlayerView& before, const core::Move& move, const core::GameView& later) {
    const int player = before[move.from_column][move.from_row].owner;
    if (before[move.to_column][move.to_row].owner == 0) return after_step(before, move);
    const auto on_target = [&](int column, int row) { return column == move.to_column && row == move.to_row; };
    const std::optional<core::LastMove>& last = later.last_move;
    bool won;
    if (last && last->move == move) {
        won = last->outcome != core::MoveOutcome::lost;
    } else if (last && on_target(last->move.from_column, last->move.from_row)) {
        won = false;  // the defender stayed, and has moved on since
    } else if (last && on_target(last->move.to_column, last->move.to_row)) {
        won = true;  // the opponent has attacked the square the bot took
    } else {
        won = later.board[move.to_column][move.to_row].owner == player;
    }
    return won ? after_step(before, move) : after_lost_attack(before, move);
}

int play_refereed_game(const BotOptions& options, const core::Seat& seat, unsigned seed) {
    RefereedBot bot{.client = core::GameClient(options.server, core::long_poll_wait),
                    .seat = seat,
                    .seat_file = options.seat_file,
                    .log = GameLog(options.log_path),
                    .mind = std::nullopt,
                    .think = std::chrono::milliseconds(options.think_ms),
                    .level = options.level,
                    .seed = seed,
                    .explain = options.explain};
    bot.log.note("seat", std::to_string(seat.number));
    std::optional<core::GameView> view = ask_view(bot, std::nullopt);
    while (view) {
        if (view->winner != 0) {
            bot.log.note("winner", std::to_string(view->winner));
            say(bot, "the game is over, the server names player " + std::to_string(view->winner) + " as the winner");
            core::remove_seat_file(bot.seat_file);
            return 0;
        }
        if (!bot.mind && view->turn != 0) bot.mind = start_mind(view->board, seat.number, seed, bot.level);
        if (view->turn != seat.number) {
            view = ask_view(bot, view->version);
            continue;
        }
        int status = 0;
        view = take_turn(bot, *view, status);
        if (!view) return status;
    }
    return stop_refused(bot);
}

}  // namespace bot
