#pragma once
// The routes of a refereed game, over a Referee that outlives the server:
// POST /seat, GET /view, POST /move, POST /resign, GET /record, and the
// relay's eight routes as a refereed game answers them (/start, /who and
// /who_win read; the five that would show or change the board refused).

#include "referee.h"

#include <httplib.h>

#include <cstddef>

namespace server {

// A request id, a move or nothing: far more than any of them takes. The
// largest body a refereed server takes on any route.
constexpr std::size_t max_referee_body_bytes = 64;

void register_referee_routes(httplib::Server& server, Referee& referee);

}  // namespace server
