#include "routes.h"

#include "game_constants.h"

#include <string_view>

namespace server {

namespace {

void reply(httplib::Response& res, const std::string& body) {
    res.set_content(body, "text/plain");
}

// The line reaches the console before the client gets its reply.
void print_line(Relay& relay, std::string_view text) {
    relay.console << text << std::endl;
}

void handle_join(Relay& relay, httplib::Response& res) {
    std::lock_guard lock(relay.mutex);
    GameState& game = relay.game;
    if (game.player_count >= 2) {
        reply(res, "0");
        return;
    }
    if (game.player_count == 0) {
        reply(res, "1");
        print_line(relay, core::player_one_joined);
    } else {
        reply(res, "2");
        print_line(relay, core::player_two_joined);
    }
    ++game.player_count;
}

// A GET that changes state: a client that repeats it flips the turn twice.
void handle_next(Relay& relay, httplib::Response& res) {
    std::lock_guard lock(relay.mutex);
    GameState& game = relay.game;
    if (game.current_turn == 1) {
        game.current_turn = 2;
    } else if (game.current_turn == 2) {
        game.current_turn = 1;
    } else {
        reply(res, "error");
        return;
    }
    reply(res, "ok");
}

void handle_chess(Relay& relay, const httplib::Request& req, httplib::Response& res) {
    std::lock_guard lock(relay.mutex);
    relay.game.board_text = req.body;
    reply(res, "ok");
}

void handle_what(Relay& relay, httplib::Response& res) {
    std::lock_guard lock(relay.mutex);
    reply(res, relay.game.board_text);
}

// std::stoi raises on a body without digits or out of int range, before
// anything changes, and the library answers that with 500.
void handle_win(Relay& relay, const httplib::Request& req, httplib::Response& res) {
    int number = std::stoi(req.body);
    std::lock_guard lock(relay.mutex);
    relay.game.winner = number;
    reply(res, "ok");
    relay.console << core::game_over_prefix << relay.game.winner << core::game_over_suffix << std::endl;
}

// A number of the game as decimal text: /start, /who and /who_win.
httplib::Server::Handler number_of(Relay& relay, int GameState::*number) {
    return [&relay, number](const httplib::Request&, httplib::Response& res) {
        std::lock_guard lock(relay.mutex);
        reply(res, std::to_string(relay.game.*number));
    };
}

}  // namespace

void register_routes(httplib::Server& server, Relay& relay) {
    server.Get("/join", [&relay](const httplib::Request&, httplib::Response& res) { handle_join(relay, res); });
    server.Get("/start", number_of(relay, &GameState::player_count));
    server.Get("/who", number_of(relay, &GameState::current_turn));
    server.Get("/next", [&relay](const httplib::Request&, httplib::Response& res) { handle_next(relay, res); });
    server.Post("/chess", [&relay](const httplib::Request& req, httplib::Response& res) {
        handle_chess(relay, req, res);
    });
    server.Get("/what", [&relay](const httplib::Request&, httplib::Response& res) { handle_what(relay, res); });
    server.Post("/win", [&relay](const httplib::Request& req, httplib::Response& res) {
        handle_win(relay, req, res);
    });
    server.Get("/who_win", number_of(relay, &GameState::winner));
}

}  // namespace server
