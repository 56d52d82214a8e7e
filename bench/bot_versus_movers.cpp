// The bot program against a weak mover through the real server, relay or
// referee: the bot at each level, with no think pause, against the random
// mover and the greedy advancer, which this program plays itself as a player
// of that server, sides alternating by seed. Per game the winner, the plies
// and whether the game ended properly; per pairing the games the bot won,
// the median and longest game and the bot's median think time, from the board
// (relay) or view (referee) in its hands to its move sent, as its record
// stamps them.
// Usage: bot_versus_movers [--referee] [--level L]... [--mover M]... [--games N] [--first-seed S]
//                          [--limit PLIES]
//   L: easy, normal or hard (default all three); M: random or greedy (default
//   both); N games a pairing (default 4) from seed S (default 1); a game still
//   going at PLIES plies (default 400) counts as not won. The bot is player 1
//   in the games of odd seeds. Run where port 8089 is free; a relay game
//   replays move for move with the same seed (`--games 1 --first-seed SEED`),
//   a refereed one is dealt by the server. Exit status 0 when the bot won
//   every game properly within the limit.

#include "bot_process.h"
#include "game_record.h"
#include "movers.h"
#include "percentile.h"
#include "protocol.h"
#include "referee_record.h"
#include "referee_requests.h"
#include "relay_check.h"
#include "server_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace support;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A move of the bot takes about a second at the hard level; far longer means
// the bot or the server is stuck.
constexpr auto turn_limit = 120s;
// Between two questions of the relay mover waiting for its turn: the bot's
// search has the processor to itself.
constexpr auto poll_pause = 5ms;

using ChooseMove = std::optional<core::Move> (*)(const core::Board&, int, std::mt19937&);

struct Mover {
    const char* name;
    ChooseMove choose;
};

const Mover movers[] = {{"random", random_move}, {"greedy", greedy_move}};

struct Game {
    unsigned seed = 0;
    int bot_player = 0;
    int winner = 0;  // 0: unfinished
    int plies = 0;
    std::string fault;  // empty when the game ended properly
    std::vector<double> think_seconds{};
};

// The stamps of the bots' records: microseconds on the monotonic clock.
long long now_stamp() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

// The bot with no think pause.
BotRun start_bot_for(const Game& game, const std::string& level) {
    return start_bot(game.seed, 0, {}, {"--level", level});
}

// Who comes first is player 1, or takes seat 1: to be player 2 the mover
// waits until the bot has come. False when the bot did not come.
bool start_sides(const Game& game, const std::string& level, std::optional<BotRun>& bot,
                 const std::function<void()>& mover_comes) {
    if (game.bot_player == 1) {
        bot = start_bot_for(game, level);
        auto deadline = Clock::now() + 10s;
        while (get("/start").body != "1") {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(10ms);
        }
    }
    mover_comes();
    if (!bot) bot = start_bot_for(game, level);
    return true;
}

// The moves its record shows, each from the board in its hands to the move's
// end; the relay's bot notes "fetched" before asking for the board.
std::vector<double> relay_think_seconds(const std::string& log_path) {
    std::vector<double> seconds;
    const std::vector<LogEvent> events = read_game_log(log_path);
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        const std::string& next = events[i + 1].event;
        if (events[i].event == "fetched" && (next == "posted" || next == "won" || next == "forfeited")) {
            seconds.push_back(double(events[i + 1].stamp - events[i].stamp) * 1e-6);
        }
    }
    return seconds;
}

std::vector<double> referee_think_seconds(const RefereeRecord& record) {
    std::vector<double> seconds;
    for (const StampedMove& move : record.moves) {
        long long seen = 0;
        for (const StampedView& view : record.views) {
            if (view.stamp < move.stamp) seen = view.stamp;
        }
        if (seen != 0) seconds.push_back(double(move.stamp - seen) * 1e-6);
    }
    return seconds;
}

// The server said the game was over exactly once, naming `winner`.
std::string console_fault(const std::string& console, int winner) {
    if (end_of_game_lines(console) != 1 || !console.ends_with(core::game_over_line(winner))) {
        return "the server's console does not end with one end-of-game line for player " + std::to_string(winner);
    }
    return "";
}

// The relay mover keeps the record a relay bot keeps, so that the two
// records replay as one game.
struct RelayMover {
    core::GameClient client{core::ServerAddress{}};
    int player = 0;
    ChooseMove choose;
    std::mt19937 rng;
    BotRecord record{};
    int moves = 0;
};

enum class Wait { turn, over, stuck };

Wait wait_for_relay_turn(RelayMover& mover) {
    for (auto deadline = Clock::now() + turn_limit; Clock::now() < deadline; std::this_thread::sleep_for(poll_pause)) {
        std::string winner = core::ask_who_win(mover.client);
        if (winner != "0") {
            mover.record.winner_told = winner;
            return Wait::over;
        }
        if (core::is_turn_of(mover.client, mover.player)) return Wait::turn;
    }
    return Wait::stuck;
}

// One turn as the windowed client plays it, on the board fetched; false once
// the mover has ended the game.
bool relay_turn(RelayMover& mover) {
    long long asked = now_stamp();
    core::Board board = core::fetch_board(mover.client);
    mover.record.turns.push_back({asked, core::board_text(board), std::nullopt, ""});
    RecordedTurn& turn = mover.record.turns.back();
    const std::optional<core::Move> move = mover.choose(board, mover.player, mover.rng);
    if (!move) {
        core::post_win(mover.client, core::opponent_of(mover.player));
        turn.ending = "forfeited";
        return false;
    }
    ++mover.moves;
    if (core::make_move(board, mover.player, move->from_column, move->from_row, move->to_column, move->to_row) ==
        core::MoveResult::far_row_win) {
        core::post_win(mover.client, mover.player);
        turn.ending = "won";
        return false;
    }
    core::post_board(mover.client, board);
    turn.posted = core::board_text(board);
    core::hand_over_turn(mover.client);
    mover.record.handed_over_at.push_back(now_stamp());
    return true;
}

// Plays the mover's side, once joined, until the game ends, it stalls or
// reaches the limit; the fault, or an empty text. The mover deals as the bot
// does, from the seed.
std::string play_relay_side(RelayMover& mover, unsigned seed, int limit) {
    mover.record.player = mover.player;
    core::wait_for_start(mover.client);
    core::Board board;
    if (mover.player == 1) {
        std::srand(seed);
        core::deal_board(board, [] { return std::rand() % 5; });
        core::post_board(mover.client, board);
    } else {
        board = core::fetch_board(mover.client);
    }
    mover.record.starting_board = core::board_text(board);
    for (;;) {
        const Wait wait = wait_for_relay_turn(mover);
        if (wait == Wait::over) return "";
        if (wait == Wait::stuck) return "the bot did not move within " + std::to_string(turn_limit.count()) + " s";
        if (2 * mover.moves + (mover.player == 2) >= limit) return "unfinished";
        if (!relay_turn(mover)) return "";
    }
}

bool ended_on_far_row(const BotRecord& record) {
    return !record.turns.empty() && record.turns.back().ending == "won";
}

// The records of both sides replay as one game by the rules, the server
// names its winner, and its console says the game was over once.
void judge_relay_game(Game& game, const BotRun& bot, const BotRecord& mover, const std::string& console) {
    const BotRecord bot_record = read_bot_record(bot.log_path);
    const RelayedGame relayed = check_relayed_game(bot_record, mover);
    game.winner = relayed.winner;
    game.plies = relayed.moves + (ended_on_far_row(bot_record) || ended_on_far_row(mover));
    if (!relayed.faults.empty()) {
        game.fault = relayed.faults.front();
    } else if (core::winner_in_reply(get("/who_win").body) != game.winner) {
        game.fault = "the server names another winner";
    } else {
        game.fault = console_fault(console, game.winner);
    }
}

void play_relay_game(Game& game, const std::string& level, const Mover& kind, int limit) {
    ServerProcess server;
    RelayMover mover{.choose = kind.choose, .rng = std::mt19937(game.seed)};
    std::optional<BotRun> bot;
    if (!start_sides(game, level, bot, [&] { mover.player = core::join_game(mover.client); })) {
        game.fault = "the bot did not join";
    } else if (mover.player != core::opponent_of(game.bot_player)) {
        game.fault = "the mover joined as player " + std::to_string(mover.player);
    } else {
        game.fault = play_relay_side(mover, game.seed, limit);
    }
    game.plies = 2 * mover.moves + (mover.player == 2);
    if (game.fault.empty() && bot->process->wait_for_exit(30s) != 0) game.fault = "the bot did not end with status 0";
    if (game.fault.empty()) judge_relay_game(game, *bot, mover.record, server.console());
    game.think_seconds = relay_think_seconds(bot->log_path);
    forget_bot_log(*bot);
}

// The refereed mover plays by its seat's views, which hide the bot's kinds:
// neither mover reads them.
struct RefereeMover {
    core::GameClient client{core::ServerAddress{}, core::long_poll_wait};
    core::Seat seat{};
    ChooseMove choose;
    std::mt19937 rng;
    std::vector<core::GameView> views{};  // every view it received
    int moves = 0;
};

// The view at once, or once its version passes `after`; none when the
// server refuses the seat or stops answering.
std::optional<core::GameView> ask_view(RefereeMover& mover, std::optional<std::uint64_t> after) {
    for (auto deadline = Clock::now() + turn_limit; Clock::now() < deadline;) {
        const core::ViewReply reply = after ? core::wait_for_change(mover.client, mover.seat.token, *after)
                                            : core::get_view(mover.client, mover.seat.token);
        if (reply.answer == core::Answer::ok) {
            mover.views.push_back(reply.view);
            if (!after || reply.view.version > *after) return reply.view;
        } else if (reply.answer == core::Answer::failed) {
            std::this_thread::sleep_for(core::request_rest);
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The mover's move, or its resignation when it has none.
core::Answer send(RefereeMover& mover, const std::optional<core::Move>& move) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const core::Answer answer = move ? core::post_move(mover.client, mover.seat.token, *move)
                                         : core::post_resign(mover.client, mover.seat.token);
        if (answer != core::Answer::failed) return answer;
        std::this_thread::sleep_for(core::request_rest);
    }
    return core::Answer::failed;
}

std::string play_refereed_side(RefereeMover& mover, int limit) {
    std::optional<core::GameView> view = ask_view(mover, std::nullopt);
    while (view) {
        if (view->winner != 0) return "";
        if (view->turn == mover.seat.number) {
            if (2 * mover.moves + (mover.seat.number == 2) >= limit) return "unfinished";
            const std::optional<core::Move> move = mover.choose(view->board, mover.seat.number, mover.rng);
            if (send(mover, move) != core::Answer::ok) return "the referee refused the mover's move";
            mover.moves += move.has_value();
        }
        view = ask_view(mover, view->version);
    }
    return "the server stopped answering the mover's seat";
}

// Replays the record the referee shows after the game: the dealt board, each
// move with how its fight went, then "winner N". Counts the moves into
// `plies`; returns what is wrong, or an empty text.
std::string record_fault(const std::string& text, int winner, int& plies) {
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    std::optional<core::Board> board = core::board_from_text(line);
    if (!board || !core::is_board_text(line)) return "the record's dealt board is no board";
    int mover = 1;
    core::MoveResult result = core::MoveResult::none;
    plies = 0;
    while (std::getline(lines, line) && !line.starts_with("winner ")) {
        const std::optional<core::LastMove> last = core::last_move_from_text(line);
        const std::string where = "move " + std::to_string(plies + 1) + " of the record";
        if (!last || result == core::MoveResult::far_row_win) return where + " is not one";
        const core::Move& move = last->move;
        if (core::move_fault(*board, mover, move) != core::MoveFault::none ||
            core::outcome_of(*board, move) != last->outcome) {
            return where + " does not follow by the rules";
        }
        result = core::make_move(*board, mover, move.from_column, move.from_row, move.to_column, move.to_row);
        ++plies;
        mover = core::opponent_of(mover);
    }
    if (result != core::MoveResult::far_row_win && !core::legal_moves(*board, mover).empty()) {
        return "the record ends with no far-row step while player " + std::to_string(mover) + " could move";
    }
    if (line != "winner " + std::to_string(winner) || winner != core::opponent_of(mover)) {
        return "the record names another winner";
    }
    return "";
}

// Each side saw only its own kinds, both saw the same end, the server's
// record replays by the rules to it and its console said so once.
void judge_refereed_game(Game& game, RefereeMover& mover, const RefereeRecord& bot, const std::string& console) {
    game.winner = mover.views.back().winner;
    for (const StampedView& seen : bot.views) {
        if (game.fault.empty()) game.fault = view_fault(seen.view, bot.seat);
    }
    for (const core::GameView& seen : mover.views) {
        if (game.fault.empty()) game.fault = view_fault(seen, mover.seat.number);
    }
    if (!game.fault.empty()) return;
    if (bot.unreadable_views > 0 || bot.views.empty() || bot.views.back().view.winner != game.winner) {
        game.fault = "the bot's last view does not name the winner";
        return;
    }
    const std::optional<core::ServerReply> record = mover.client.Get("/record", {{"Seat", mover.seat.token}});
    game.fault = !record || record->status != 200 ? "the server shows no record"
                                                  : record_fault(record->body, game.winner, game.plies);
    if (game.fault.empty()) game.fault = console_fault(console, game.winner);
}

void play_refereed_game(Game& game, const std::string& level, const Mover& kind, int limit) {
    ServerProcess server({"--referee"});
    RefereeMover mover{.choose = kind.choose, .rng = std::mt19937(game.seed)};
    std::optional<BotRun> bot;
    core::SeatReply seat;
    if (!start_sides(game, level, bot, [&] { seat = core::take_seat(mover.client, core::new_request_id()); })) {
        game.fault = "the bot did not take its seat";
    } else if (seat.answer != core::SeatAnswer::taken || seat.seat.number != core::opponent_of(game.bot_player)) {
        game.fault = "the mover did not take seat " + std::to_string(core::opponent_of(game.bot_player));
    } else {
        mover.seat = seat.seat;
        game.fault = play_refereed_side(mover, limit);
    }
    game.plies = 2 * mover.moves + (mover.seat.number == 2);
    if (game.fault.empty() && bot->process->wait_for_exit(30s) != 0) game.fault = "the bot did not end with status 0";
    const RefereeRecord record = read_referee_record(bot->log_path);
    game.think_seconds = referee_think_seconds(record);
    if (game.fault.empty()) judge_refereed_game(game, mover, record, server.console());
    forget_bot_log(*bot);
}

bool bot_won(const Game& game, int limit) {
    return game.fault.empty() && game.winner == game.bot_player && game.plies <= limit;
}

struct Options {
    bool referee = false;
    std::vector<std::string> levels;
    std::vector<const Mover*> movers;
    int games = 4;
    unsigned first_seed = 1;
    int limit = 400;
};

// One line a game, as it ends.
void print_game(const Options& options, const std::string& level, const Mover& mover, const Game& game) {
    const char* outcome = game.winner == 0 ? "unfinished" : game.winner == game.bot_player ? "bot won" : "mover won";
    std::printf("%s %s against %s, seed %u, bot as player %d: %s after %d plies, %s\n",
                options.referee ? "referee" : "relay", level.c_str(), mover.name, game.seed, game.bot_player,
                outcome, game.plies, game.fault.empty() ? "ended properly" : game.fault.c_str());
    std::fflush(stdout);
}

struct Row {
    std::string level;
    const char* mover;
    int won = 0;
    std::vector<int> plies{};
    std::vector<double> think_seconds{};
};

void print_table(const Options& options, const std::vector<Row>& rows) {
    std::printf("\n%s, %d games a pairing from seed %u, won = won properly within %d plies\n\n",
                options.referee ? "referee" : "relay", options.games, options.first_seed, options.limit);
    std::printf("| level | mover | won | median plies | longest | bot's median think time |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Row& row : rows) {
        std::printf("| %s | %s | %d of %zu | %d | %d | %.1f ms |\n", row.level.c_str(), row.mover, row.won,
                    row.plies.size(), percentile(row.plies, 0.5), percentile(row.plies, 1.0),
                    1000 * percentile(row.think_seconds, 0.5));
    }
}

// Every pairing's games; true when the bot won them all.
bool play_all(const Options& options) {
    std::vector<Row> rows;
    bool all_won = true;
    for (const std::string& level : options.levels) {
        for (const Mover* mover : options.movers) {
            Row row{level, mover->name};
            for (int index = 0; index < options.games; ++index) {
                Game game;
                game.seed = options.first_seed + static_cast<unsigned>(index);
                game.bot_player = game.seed % 2 == 1 ? 1 : 2;
                if (options.referee) {
                    play_refereed_game(game, level, *mover, options.limit);
                } else {
                    play_relay_game(game, level, *mover, options.limit);
                }
                print_game(options, level, *mover, game);
                row.won += bot_won(game, options.limit);
                all_won = all_won && bot_won(game, options.limit);
                row.plies.push_back(game.plies);
                row.think_seconds.insert(row.think_seconds.end(), game.think_seconds.begin(), game.think_seconds.end());
            }
            rows.push_back(row);
        }
    }
    print_table(options, rows);
    return all_won;
}

const Mover* mover_named(const std::string& name) {
    for (const Mover& mover : movers) {
        if (name == mover.name) return &mover;
    }
    return nullptr;
}

std::optional<Options> parse_options(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--referee") {
            options.referee = true;
        } else if (arg == "--level" && has_value) {
            options.levels.push_back(argv[++i]);
            if (options.levels.back() != "easy" && options.levels.back() != "normal" && options.levels.back() != "hard") {
                return std::nullopt;
            }
        } else if (arg == "--mover" && has_value) {
            options.movers.push_back(mover_named(argv[++i]));
            if (options.movers.back() == nullptr) return std::nullopt;
        } else if (arg == "--games" && has_value) {
            options.games = std::atoi(argv[++i]);
        } else if (arg == "--first-seed" && has_value) {
            options.first_seed = static_cast<unsigned>(std::atoi(argv[++i]));
        } else if (arg == "--limit" && has_value) {
            options.limit = std::atoi(argv[++i]);
        } else {
            return std::nullopt;
        }
    }
    if (options.levels.empty()) options.levels = {"easy", "normal", "hard"};
    if (options.movers.empty()) options.movers = {&movers[0], &movers[1]};
    if (options.games < 1 || options.limit < 1) return std::nullopt;
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parse_options(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: bot_versus_movers [--referee] [--level easy|normal|hard]... [--mover random|greedy]...\n"
                     "                         [--games N] [--first-seed S] [--limit PLIES]\n");
        return 2;
    }
    return play_all(*options) ? 0 : 1;
}
