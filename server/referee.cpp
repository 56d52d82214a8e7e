#include "referee.h"

#include "game_constants.h"
#include "kernel_random.h"

#include <charconv>
#include <limits>

namespace server {

namespace {

const Answer missing_seat{403, "this request needs a Seat header with the seat's token\n"};
const Answer unknown_seat{403, "no seat has this token\n"};
const Answer not_started{409, "the game has not started\n"};
const Answer game_over{409, "the game is over\n"};

Answer text(std::string body) { return {200, std::move(body)}; }

// Every byte of both is looked at whatever the others hold, so the time taken
// does not tell how much of a guessed token was right.
bool same_secret(const std::string& secret, const std::string& presented) {
    unsigned difference = secret.size() ^ presented.size();
    for (std::size_t i = 0; i < secret.size(); ++i) {
        difference |= static_cast<unsigned char>(secret[i]) ^
                      static_cast<unsigned char>(i < presented.size() ? presented[i] : 0);
    }
    return difference == 0;
}

// 1 or 2 for a seat's token, 0 for any other.
int seat_named(const RefereeGame& game, const std::string& token) {
    int seat = 0;
    for (int index = 0; index < game.seats_taken; ++index) {
        if (same_secret(game.tokens[index], token)) seat = index + 1;
    }
    return seat;
}

// A decimal number from 0 to 2^63 - 1, digits only.
std::optional<std::uint64_t> version_number(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
    }
    return value;
}

core::GameView view_of(const RefereeGame& game, int seat) {
    core::GameView view{core::board_seen_by(game.board, seat), game.turn, game.winner, std::nullopt, game.version};
    if (!game.moves.empty()) view.last_move = game.moves.back();
    return view;
}

// Why `seat` may not play `move` now, the first reason that applies; empty
// for a legal move.
std::string move_refusal(const RefereeGame& game, int seat, const core::Move& move) {
    if (game.seats_taken < 2) return not_started.body;
    if (game.winner != 0) return game_over.body;
    if (game.turn != seat) return "not your turn\n";
    switch (core::move_fault(game.board, seat, move)) {
    case core::MoveFault::none: return "";
    case core::MoveFault::not_own_piece: return "not your piece\n";
    case core::MoveFault::not_one_step: return "not one step\n";
    case core::MoveFault::onto_own_piece: return "onto your own piece\n";
    }
    return "";
}

void set_winner(Referee& referee, int winner) {
    referee.game.winner = winner;
    referee.game.turn = 0;
    referee.console << core::game_over_line(winner) << std::flush;
}

void count_change(Referee& referee) {
    ++referee.game.version;
    referee.changed.notify_all();
}

// A seat's new wait answers its older one; a wait without a seat is answered
// only by a change or the end of serving.
std::string wait_for_view(Referee& referee, std::unique_lock<std::mutex>& lock, int seat,
                          std::uint64_t after) {
    std::uint64_t wait = 0;
    if (seat != 0) {
        wait = ++referee.latest_wait[seat - 1];
        referee.changed.notify_all();
    } else {
        ++referee.watcher_waits;
    }
    referee.changed.wait_for(lock, long_poll_limit, [&] {
        return referee.game.version > after || referee.ending ||
               (seat != 0 && referee.latest_wait[seat - 1] != wait);
    });
    if (seat == 0) --referee.watcher_waits;
    return core::view_text(view_of(referee.game, seat));
}

}  // namespace

Answer take_seat(Referee& referee, std::string_view request_id) {
    std::lock_guard lock(referee.mutex);
    RefereeGame& game = referee.game;
    for (int index = 0; index < game.seats_taken && !request_id.empty(); ++index) {
        if (game.request_ids[index] == request_id) {
            return text(std::to_string(index + 1) + ' ' + game.tokens[index]);
        }
    }
    if (game.seats_taken == 2) return {409, "both seats are taken\n"};
    // Both draws come before any change, so a failed one leaves the game as it was.
    std::string token = random_seat_token();
    core::Board dealt;
    if (game.seats_taken == 1) core::deal_board(dealt, random_index_below_five);

    int seat = ++game.seats_taken;
    game.tokens[seat - 1] = token;
    game.request_ids[seat - 1] = request_id;
    if (seat == 2) {
        game.dealt = dealt;
        game.board = dealt;
        game.turn = 1;
    }
    count_change(referee);
    referee.console << (seat == 1 ? core::player_one_joined : core::player_two_joined) << std::endl;
    return text(std::to_string(seat) + ' ' + token);
}

Answer show_view(Referee& referee, const SeatToken& token, const std::optional<std::string>& after) {
    std::unique_lock lock(referee.mutex);
    int seat = token ? seat_named(referee.game, *token) : 0;
    if (token && seat == 0) return unknown_seat;
    if (!after) return text(core::view_text(view_of(referee.game, seat)));
    auto version = version_number(*after);
    if (!version) return {400, "after= takes a version from 0 to 9223372036854775807\n"};
    const bool held = *version >= referee.game.version && !referee.ending;
    if (seat == 0 && held && referee.watcher_waits == max_watcher_waits) {
        return {503, "as many watchers wait as this game serves: ask again in a second\n"};
    }
    return text(wait_for_view(referee, lock, seat, *version));
}

Answer play_move(Referee& referee, const SeatToken& token, std::string_view body) {
    std::lock_guard lock(referee.mutex);
    RefereeGame& game = referee.game;
    if (!token) return missing_seat;
    int seat = seat_named(game, *token);
    if (seat == 0) return unknown_seat;
    auto move = core::move_from_text(body);
    if (!move) return {400, "a move is four digits with single spaces between: C R C R\n"};
    std::string refusal = move_refusal(game, seat, *move);
    if (!refusal.empty()) return {409, refusal};

    game.moves.push_back(core::LastMove{*move, core::outcome_of(game.board, *move)});
    core::MoveResult result = core::make_move(game.board, seat, move->from_column, move->from_row,
                                  move->to_column, move->to_row);
    if (result == core::MoveResult::far_row_win) {
        set_winner(referee, seat);
    } else {
        game.turn = core::opponent_of(seat);
    }
    count_change(referee);
    return text("ok");
}

Answer resign(Referee& referee, const SeatToken& token) {
    std::lock_guard lock(referee.mutex);
    if (!token) return missing_seat;
    int seat = seat_named(referee.game, *token);
    if (seat == 0) return unknown_seat;
    if (referee.game.seats_taken < 2) return not_started;
    if (referee.game.winner != 0) return game_over;
    set_winner(referee, core::opponent_of(seat));
    count_change(referee);
    return text("ok");
}

Answer show_record(Referee& referee, const SeatToken& token) {
    std::lock_guard lock(referee.mutex);
    const RefereeGame& game = referee.game;
    if (token && seat_named(game, *token) == 0) return unknown_seat;
    if (game.winner == 0) return {403, "the record is shown once the game is over\n"};
    std::string record = core::board_text(game.dealt) + '\n';
    for (const core::LastMove& move : game.moves) record += core::last_move_text(move) + '\n';
    return text(record + "winner " + std::to_string(game.winner) + '\n');
}

Answer relay_number(Referee& referee, int RefereeGame::*number) {
    std::lock_guard lock(referee.mutex);
    return text(std::to_string(referee.game.*number));
}

void end_waits(Referee& referee) {
    std::lock_guard lock(referee.mutex);
    referee.ending = true;
    referee.changed.notify_all();
}

}  // namespace server
