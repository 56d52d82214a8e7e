#include "game.h"

#include "console.h"
#include "files.h"
#include "places.h"
#include "processes.h"
#include "server_checks.h"

#include "game_constants.h"
#include "private_files.h"
#include "server_address.h"
#include "sockets.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace launcher {

namespace {

using namespace std::chrono_literals;

const std::string port_text = std::to_string(core::default_port);

// True when something on this machine accepts a connection on 127.0.0.1:PORT.
bool port_answers(int port) {
    std::string unused;
    auto address = platform::first_address("127.0.0.1", port, unused);
    if (!address) return false;
    platform::Socket sock = platform::connect_to(*address);
    if (sock == platform::no_socket) return false;
    platform::close_socket(sock);
    return true;
}

void say(const std::string& line, std::FILE* to = stdout) {
    std::fprintf(to, "%s: %s\n", own_name().c_str(), line.c_str());
    std::fflush(to);
}

struct Game {
    Options options;
    std::string command;  // as the player typed it
    std::string program;  // its first word
    Programs programs;
    std::string state;  // the state folder
    std::string key;
    std::vector<std::string> seat_files;
    bool started = false;  // this run answers for the game of this machine
    bool keep = false;     // a window may come back to it
    std::vector<ProcessId> windows;
    std::vector<std::optional<int>> window_status;  // each window's, once it has ended
    std::vector<Follower> followers;
    bool can_place = true;
    std::set<std::string> placed;
    std::chrono::steady_clock::time_point last_window;  // opened or placed
    GameWatch* watch = nullptr;
};

std::string in_state(const Game& game, const std::string& name) { return in_folder(game.state, name); }

std::optional<ProcessId> pid_of(const Game& game, const std::string& name) {
    const std::string text = read_text(in_state(game, name + ".pid"));
    if (text.empty()) return std::nullopt;
    return std::strtol(text.c_str(), nullptr, 10);
}

bool alive(const Game& game, const std::string& name) {
    const std::optional<ProcessId> process = pid_of(game, name);
    return process && *process > 0 && running(*process);
}

// Twelve symbols of an alphabet without look-alikes (no 0, O, 1, I): 60 bits,
// in groups of four to read aloud.
std::string draw_key() {
    const std::string alphabet = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    std::random_device source;
    std::string drawn;
    for (int i = 0; i < 12; ++i) {
        if (i > 0 && i % 4 == 0) drawn += '-';
        drawn += alphabet[source() % alphabet.size()];
    }
    return drawn;
}

// Shows what the programs wrote since the last look, and a Ctrl+C.
void tend(Game& game, int& interrupts_seen) {
    for (Follower& follower : game.followers) show_new_lines(follower);
    if (interrupts() != interrupts_seen) {
        interrupts_seen = interrupts();
        say("interrupted");
    }
}

// The server and the computer player run in sessions of their own, so that
// neither Ctrl+C nor a closed terminal ends a game a window may come back to.
std::string start_in_background(Game& game, const std::string& name, const std::string& program,
                                const std::vector<std::string>& arguments) {
    const std::string log = in_state(game, name + ".log");
    write_text(log, "");
    std::string error;
    const std::optional<ProcessId> process =
        start_program({program, arguments, {{core::key_variable, game.key}}, "", log, log, true}, error);
    if (!process) return error;
    write_text(in_state(game, name + ".pid"), std::to_string(*process) + "\n");
    return "";
}

void show_server_console(Game& game, bool from_start) {
    game.followers.push_back(follow(in_state(game, "server.log"), from_start, stdout, "server: ", true));
}

void show_bot(Game& game, bool from_start) {
    game.followers.push_back(follow(in_state(game, "bot.log"), from_start, stdout));
}

std::string start_server(Game& game, const std::vector<std::string>& listen) {
    if (port_answers(core::default_port)) {
        if (alive(game, "server")) {
            std::string command = read_text(in_state(game, "command"));
            if (command.empty()) command = game.program;
            while (!command.empty() && command.back() == '\n') command.pop_back();
            return "a game started with " + command +
                   " is still going: run that command to come back to it, or end it with kill " +
                   std::to_string(*pid_of(game, "server"));
        }
        return "port " + port_text + " is taken (is another game's server still running?)";
    }
    std::vector<std::string> arguments{"--referee"};
    arguments.insert(arguments.end(), listen.begin(), listen.end());
    // The key goes to the server through its environment, never its command line.
    if (std::string error = start_in_background(game, "server", game.programs.server, arguments); !error.empty()) {
        return error;
    }
    game.started = true;
    write_text(in_state(game, "command"), game.command + "\n");
    if (std::FILE* key_file = platform::open_private_output(in_state(game, "key"))) {
        std::fprintf(key_file, "%s\n", game.key.c_str());
        std::fclose(key_file);
    }
    for (int i = 0; i < 50 && !port_answers(core::default_port); ++i) std::this_thread::sleep_for(100ms);
    if (!alive(game, "server")) return "the server did not start: " + read_text(in_state(game, "server.log"));
    show_server_console(game, true);
    return "";
}

// A stopping server first answers the requests it holds, which can take a few
// seconds; the port is free once this returns.
void stop_game(Game& game) {
    for (const char* name : {"bot", "server"}) {
        if (alive(game, name)) {
            const ProcessId process = *pid_of(game, name);
            ask_to_end(process);
            for (int i = 0; i < 100 && running(process); ++i) std::this_thread::sleep_for(100ms);
        }
        remove_file(in_state(game, std::string(name) + ".pid"));
    }
    remove_file(in_state(game, "command"));
    remove_file(in_state(game, "key"));
}

// What the other player types, once for each of this machine's addresses on
// the network.
std::string show_join_commands(const Game& game) {
    const std::vector<std::string> addresses = network_addresses();
    if (addresses.empty()) {
        return "this machine has no network address besides loopback; connect it to the network first";
    }
    if (game.watch && game.watch->hosting) game.watch->hosting(game.key, addresses);
    std::printf("\n  On the other machine, the other player types (one line, whichever address\n"
                "  reaches this machine; port %s must be open to it in this machine's firewall):\n",
                port_text.c_str());
    for (const std::string& address : addresses) {
        std::printf("    %s=%s %s --join %s\n", core::key_variable, game.key.c_str(), game.program.c_str(), address.c_str());
    }
    std::printf("  or %s --join ADDRESS alone, and types the key %s when asked.\n\n", game.program.c_str(),
                game.key.c_str());
    std::fflush(stdout);
    return "";
}

// The window takes the key from GAME_KEY. What it says is kept, and shown as
// it comes.
std::string start_window(Game& game, std::vector<std::string> arguments) {
    const std::string said = in_state(game, "window-" + std::to_string(game.windows.size() + 1) + ".said");
    write_text(said, "");
    std::string error;
    const std::optional<ProcessId> window = start_program(
        {game.programs.client, arguments, {{core::key_variable, game.key}}, game.programs.window_folder, "", said, false},
        error);
    if (!window) return error;
    game.windows.push_back(*window);
    game.last_window = std::chrono::steady_clock::now();
    game.window_status.emplace_back();
    game.followers.push_back(follow(said, true, stderr));
    return "";
}

// The computer player keeps a seat file too, so a bot that died comes back.
std::string start_bot(Game& game) {
    const std::string level = game.options.level.empty() ? "normal" : game.options.level;
    if (std::string error = start_in_background(game, "bot", game.programs.bot,
                                                {"--level", level, "--seat-file", in_state(game, "solo-bot")});
        !error.empty()) {
        return error;
    }
    show_bot(game, true);
    return "";
}

bool window_ended(Game& game, std::size_t i) {
    if (!game.window_status[i]) game.window_status[i] = exit_status(game.windows[i]);
    return game.window_status[i].has_value();
}

// Waits until the first window has a seat; false when it ended first.
bool wait_for_first_seat(Game& game, int& interrupts_seen) {
    while (players_joined(game.key) != "1") {
        if (window_ended(game, 0)) return false;
        tend(game, interrupts_seen);
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// The output of `xdotool ARGUMENTS`, and whether it ran well.
bool xdotool(Game& game, const std::vector<std::string>& arguments, std::string& output) {
    const std::string found = in_state(game, "windows.found");
    write_text(found, "");
    std::string error;
    const std::optional<ProcessId> run = start_program({"xdotool", arguments, {}, "", found, "/dev/null", false}, error);
    if (!run) {
        game.can_place = false;
        return false;
    }
    const bool ran_well = wait_for_program(*run) == 0;
    output = read_text(found);
    return ran_well;
}

// Each window (lobby, then board) goes to its own side of the screen, where
// xdotool is there to move it (scripts/test installs it).
void place_windows(Game& game) {
    for (std::size_t side = 0; side < game.windows.size() && game.can_place; ++side) {
        std::string found;
        xdotool(game, {"search", "--onlyvisible", "--pid", std::to_string(game.windows[side])}, found);
        std::istringstream lines(found);
        for (std::string window; std::getline(lines, window);) {
            if (window.empty() || game.placed.contains(window)) continue;
            std::string nothing;
            if (xdotool(game, {"windowmove", window, std::to_string(40 + side * 420), "40"}, nothing)) {
                game.placed.insert(window);
                game.last_window = std::chrono::steady_clock::now();
            }
        }
    }
}

// Waits for every window to end; the last status that was not 0.
int wait_for_windows(Game& game, int& interrupts_seen) {
    for (int pass = 0;; ++pass) {
        bool all_ended = true;
        for (std::size_t i = 0; i < game.windows.size(); ++i) all_ended = window_ended(game, i) && all_ended;
        tend(game, interrupts_seen);
        if (all_ended) break;
        // Every xdotool run costs a few milliseconds of processor time: windows
        // are looked for often while they come, seldom once they stand.
        const bool settled = std::chrono::steady_clock::now() - game.last_window > 10s;
        if (game.can_place && pass % (settled ? 20 : 2) == 0) place_windows(game);
        std::this_thread::sleep_for(100ms);
    }
    for (Follower& follower : game.followers) show_the_rest(follower);
    int status = 0;
    for (const std::optional<int>& code : game.window_status) {
        if (*code != 0) status = *code;
    }
    return status;
}

// A window that refused its seat file says so on a line of its own.
std::string refused_seat_file(const Game& game) {
    for (std::size_t i = 1; i <= game.windows.size(); ++i) {
        std::istringstream said(read_text(in_state(game, "window-" + std::to_string(i) + ".said")));
        for (std::string line; std::getline(said, line);) {
            if (line.starts_with("client: the seat file ")) return line.substr(std::string("client: ").size());
        }
    }
    return "";
}

std::vector<std::string> seat_files_of(const Game& game) {
    switch (game.options.mode) {
    case Mode::pair: return {in_state(game, "pair-1"), in_state(game, "pair-2")};
    case Mode::solo: return {in_state(game, "solo")};
    case Mode::host: return {in_state(game, "host")};
    default: break;
    }
    return {in_state(game, join_seat_name(game.options.join_host))};
}

// A crash of this program or of its window leaves the record behind, so that
// the menu started again can offer the game; it goes with the game.
void remember_join(const Game& game) {
    if (std::FILE* record = platform::open_private_output(in_state(game, joined_record))) {
        std::fprintf(record, "%s\n%s\n", game.options.join_host.c_str(), game.key.c_str());
        std::fclose(record);
    }
}

void remove_files(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) remove_file(path);
}

std::string read_key_file(Game& game) {
    const std::string path = in_state(game, "key");
    platform::PrivateRead read = platform::read_private_file(path, 64);
    if (read.kind == platform::PrivateRead::refused) return "the game's key file " + path + " " + read.why;
    game.key = read.text.substr(0, read.text.find('\n'));
    return "";
}

// The key of a join: --key, GAME_KEY, or typed when asked.
std::string take_join_key(Game& game) {
    std::string typed = game.options.key;
    if (typed.empty() && std::getenv(core::key_variable) != nullptr) typed = std::getenv(core::key_variable);
    if (typed.empty() && input_is_terminal()) {
        std::fprintf(stderr, "%s: the game key shown on the terminal of the machine that hosts the game: ",
                     own_name().c_str());
        std::getline(std::cin, typed);
    }
    if (typed.empty()) {
        return "--join needs the game key shown on the terminal of the machine that hosts the game: set " +
               std::string(core::key_variable) + " or type it when asked";
    }
    return core::take_key(game.key, typed);
}

// Starts the server and the windows, or takes back the seats of a game that
// is still going.
std::string start(Game& game, int& interrupts_seen) {
    const Mode mode = game.options.mode;
    bool resuming = false;
    for (const std::string& file : game.seat_files) resuming = resuming || file_exists(file);
    if (resuming && mode != Mode::join && !alive(game, "server")) {
        say("the game of an earlier run is over: its server has stopped; starting a new one");
        remove_files(game.seat_files);
        remove_file(in_state(game, "solo-bot"));
        stop_game(game);
        resuming = false;
    }
    std::string error;
    if (resuming) {
        say("taking back your seat in the game that is still going");
        if (mode == Mode::join) {
            error = check_host(game.options.join_host, game.key, game.program);
        } else {
            error = read_key_file(game);
            show_server_console(game, false);
            if (mode == Mode::solo) show_bot(game, false);
        }
    } else {
        // A key even on this machine alone: without one, any other user of it
        // could take the second seat first, or crowd the server.
        if (mode != Mode::join) game.key = draw_key();
        if (mode == Mode::host) {
            say("starting the server on every interface, port " + port_text + ", with the key " + game.key);
            error = start_server(game, {"--listen", "0.0.0.0"});
        } else if (mode == Mode::join) {
            say("looking for the game at " + game.options.join_host + ":" + port_text);
            error = check_host(game.options.join_host, game.key, game.program);
        } else {
            say("starting the server on localhost:" + port_text);
            error = start_server(game, {});
        }
    }
    if (error.empty() && mode == Mode::host) error = show_join_commands(game);
    if (!error.empty()) return error;
    if (mode == Mode::join) remember_join(game);

    std::vector<std::string> server;
    if (mode == Mode::join) server = {"--server", game.options.join_host};
    auto window_options = [&](const std::string& seat_file) {
        std::vector<std::string> options = server;
        options.insert(options.end(), {"--seat-file", seat_file});
        return options;
    };
    if (resuming) {
        for (const std::string& file : game.seat_files) {
            if (!file_exists(file)) continue;
            if (error = start_window(game, window_options(file)); !error.empty()) return error;
        }
        if (mode == Mode::solo && file_exists(in_state(game, "solo-bot")) && !alive(game, "bot")) {
            error = start_bot(game);
        }
        if (mode != Mode::join) game.started = true;
        return error;
    }
    if (mode == Mode::host) say("your window; you are player 1 and move first once the other player joins");
    if (mode == Mode::join) say("your window; the player who hosts the game moves first");
    if (mode == Mode::solo) say("one window for you, the computer plays the other side");
    if (mode == Mode::pair) say("two windows, one per player; player 1 moves first");
    if (error = start_window(game, window_options(game.seat_files[0])); !error.empty()) return error;
    if (mode == Mode::solo || mode == Mode::pair) {
        // The second seat goes to the computer or the second window, so the
        // first window is player 1 and moves first.
        if (!wait_for_first_seat(game, interrupts_seen)) return "";
    }
    if (mode == Mode::solo) return start_bot(game);
    if (mode == Mode::pair) return start_window(game, window_options(game.seat_files[1]));
    return "";
}

// What the windows left says how the game stands: over, or going on for a
// window to come back to.
int finish(Game& game, int status) {
    std::vector<std::string> left;
    for (const std::string& file : game.seat_files) {
        if (file_exists(file)) left.push_back(file);
    }
    // A window that refused its seat file used nothing from it and took no
    // seat: the file and the game are left as they are, for the player to
    // look into.
    const std::string refused = refused_seat_file(game);
    if (status == 2 && !refused.empty()) {
        game.keep = true;
        say(refused, stderr);
        return status;
    }
    const Mode mode = game.options.mode;
    const std::string host = mode == Mode::join ? game.options.join_host : "127.0.0.1";
    if (!left.empty() && (game_won(host, game.key) || (mode != Mode::join && !alive(game, "server")))) {
        remove_files(left);
        left.clear();
    }
    if (mode == Mode::join && (left.empty() || status == 2)) remove_file(in_state(game, joined_record));
    if (!left.empty() && status == 2) {
        remove_files(left);
        say("the game's server no longer knows the seat your window kept; run the same command again for a new game");
        return status;
    }
    if (left.empty()) {
        remove_file(in_state(game, "solo-bot"));
        say("game over");
        return status;
    }
    game.keep = true;
    if (mode == Mode::join) {
        say("your window has closed, but the game goes on at " + game.options.join_host);
    } else {
        say(std::string("your window has closed, but the game goes on: ") +
            (mode == Mode::solo ? "the server and the computer player keep" : "the server keeps") + " running");
    }
    say("to come back to it, run the same command again: " + game.command);
    return status;
}

// A game this run started ends with it, unless a window may come back to it.
struct StopUnlessKept {
    Game& game;
    ~StopUnlessKept() {
        if (game.started && !game.keep) stop_game(game);
    }
};

}  // namespace

int run_game(const Options& options, const std::string& command, GameWatch* watch) {
    Game game;
    game.options = options;
    game.command = command;
    game.program = command.substr(0, command.find(' '));
    game.watch = watch;
    auto fail = [watch](const std::string& why) {
        say(why, stderr);
        if (watch) watch->refusal = why;
        return 1;
    };
    if (options.mode == Mode::join) {
        if (std::string error = take_join_key(game); !error.empty()) return fail(error);
    }
    if (const std::string missing = missing_display(); !missing.empty()) return fail(missing);
    std::string error;
    const std::optional<Programs> programs = find_programs(own_executable(), error);
    if (!programs) return fail(error);
    game.programs = *programs;
    game.state = make_state_folder(error);
    if (game.state.empty()) return fail(error);
    game.seat_files = seat_files_of(game);

    // Ctrl+C ends the windows (they are in the launcher's process group), not
    // the game, which goes on for them to come back to.
    count_interrupts();
    // A game started again from the menu is told only of its own Ctrl+C.
    int interrupts_seen = interrupts();
    StopUnlessKept stop{game};
    if (error = start(game, interrupts_seen); !error.empty()) {
        // Windows already open play on; the game is theirs.
        if (game.windows.empty()) return fail(error);
        say(error, stderr);
    }
    return finish(game, wait_for_windows(game, interrupts_seen));
}

}  // namespace launcher
