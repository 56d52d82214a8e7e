#include "referee_routes.h"

#include <cstddef>
#include <utility>

namespace server {

namespace {

// A watcher turned away rests before it asks again, and gives its thread back
// meanwhile.
void reply(httplib::Response& res, const Answer& answer) {
    res.status = answer.status;
    if (answer.status == 503) {
        res.set_header("Retry-After", "1");
        res.set_header("Connection", "close");
    }
    res.set_content(answer.body, "text/plain");
}

SeatToken seat_token(const httplib::Request& req) {
    if (!req.has_header("Seat")) return std::nullopt;
    return req.get_header_value("Seat");
}

// The POST routes of the referee take a body of at most 64 bytes.
template <typename Take>
httplib::Server::Handler small_body(Take take) {
    return [take = std::move(take)](const httplib::Request& req, httplib::Response& res) {
        if (req.body.size() > max_referee_body_bytes) {
            reply(res, {413, "this route takes a body of at most 64 bytes\n"});
            return;
        }
        reply(res, take(req));
    };
}

void refuse_relay_route(const httplib::Request&, httplib::Response& res) {
    reply(res, {403, "this game is refereed: take a seat with POST /seat, then GET /view and POST /move\n"});
}

}  // namespace

void register_referee_routes(httplib::Server& server, Referee& referee) {
    Referee* game = &referee;
    server.Post("/seat", small_body([game](const httplib::Request& req) {
        return take_seat(*game, req.body);
    }));
    server.Get("/view", [game](const httplib::Request& req, httplib::Response& res) {
        std::optional<std::string> after;
        if (req.has_param("after")) after = req.get_param_value("after");
        reply(res, show_view(*game, seat_token(req), after));
    });
    server.Post("/move", small_body([game](const httplib::Request& req) {
        return play_move(*game, seat_token(req), req.body);
    }));
    server.Post("/resign", small_body([game](const httplib::Request& req) {
        return resign(*game, seat_token(req));
    }));
    server.Get("/record", [game](const httplib::Request& req, httplib::Response& res) {
        reply(res, show_record(*game, seat_token(req)));
    });

    auto number = [game](int RefereeGame::*field) {
        return [game, field](const httplib::Request&, httplib::Response& res) {
            reply(res, relay_number(*game, field));
        };
    };
    server.Get("/join", refuse_relay_route);
    server.Get("/start", number(&RefereeGame::seats_taken));
    server.Get("/who", number(&RefereeGame::turn));
    server.Get("/next", refuse_relay_route);
    server.Post("/chess", refuse_relay_route);
    server.Get("/what", refuse_relay_route);
    server.Post("/win", refuse_relay_route);
    server.Get("/who_win", number(&RefereeGame::winner));
}

}  // namespace server
