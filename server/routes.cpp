#include "routes.h"

#include "game_constants.h"

#include <iostream>
#include <string_view>

GameState game_state;
std::mutex game_mutex;

namespace {

void reply(httplib::Response& res, const std::string& body) {
    res.set_content(body, "text/plain");
}

// The line reaches the console before the client gets its reply.
void print_line(std::string_view text) {
    std::cout << text << std::endl;
}

void handle_join(const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(game_mutex);
    if (game_state.player_count >= 2) {
        reply(res, "0");
        return;
    }
    if (game_state.player_count == 0) {
        reply(res, "1");
        print_line(player_one_joined);
    } else {
        reply(res, "2");
        print_line(player_two_joined);
    }
    ++game_state.player_count;
}

void handle_start(const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(game_mutex);
    reply(res, std::to_string(game_state.player_count));
}

void handle_who(const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(game_mutex);
    reply(res, std::to_string(game_state.current_turn));
}

// A GET that changes state: a client that repeats it flips the turn twice.
void handle_next(const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(game_mutex);
    if (game_state.current_turn == 1) {
        game_state.current_turn = 2;
    } else if (game_state.current_turn == 2) {
        game_state.current_turn = 1;
    } else {
        reply(res, "error");
        return;
    }
    reply(res, "ok");
}

void handle_chess(const httplib::Request& req, httplib::Response& res) {
    std::lock_guard lock(game_mutex);
    game_state.board_text = req.body;
    reply(res, "ok");
}

void handle_what(const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(game_mutex);
    reply(res, game_state.board_text);
}

// std::stoi raises on a body without digits or out of int range, before
// anything changes, and the library answers that with 500.
void handle_win(const httplib::Request& req, httplib::Response& res) {
    int number = std::stoi(req.body);
    std::lock_guard lock(game_mutex);
    game_state.winner = number;
    reply(res, "ok");
    std::cout << game_over_prefix << game_state.winner << game_over_suffix << std::endl;
}

void handle_who_win(const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(game_mutex);
    reply(res, std::to_string(game_state.winner));
}

}  // namespace

void register_routes(httplib::Server& server) {
    server.Get("/join", handle_join);
    server.Get("/start", handle_start);
    server.Get("/who", handle_who);
    server.Get("/next", handle_next);
    server.Post("/chess", handle_chess);
    server.Get("/what", handle_what);
    server.Post("/win", handle_win);
    server.Get("/who_win", handle_who_win);
}
