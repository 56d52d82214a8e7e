#pragma once
// Where a player's seat comes from: the seat file of an earlier run, or a new
// seat taken from the server and kept in that file, so that a player whose
// program died takes its seat back. The token is a secret: the file is the
// player's alone and it never goes on a command line.

#include "referee_requests.h"

#include <httplib.h>

#include <optional>
#include <string>

// The seat `path` holds. None, with nothing in `error`, when there is no such
// file; none with one line in `error` when the file is there but cannot be
// read or holds no seat.
std::optional<Seat> read_seat_file(const std::string& path, std::string& error);
// Creates `path` (it must not exist yet), readable and writable by its owner
// alone, holding the seat. Returns what went wrong in one line, or an empty text.
std::string store_seat_file(const std::string& path, const Seat& seat);
// The game is over: the seat is of no more use.
void remove_seat_file(const std::string& path);

struct SeatChoice {
    enum Kind {
        relay,   // the server has no seats: play the relay's game
        seated,  // play the refereed game in `seat`
        stop,    // stop with status 2, saying `why`
    } kind = relay;
    Seat seat;
    bool resumed = false;  // the seat came from the file
    std::string why;       // one line, for `stop`
};

// With a seat file holding a seat: that seat (its token is checked by the first
// request that names it). Otherwise POST /seat; a seat taken is stored in the
// file when one is named. A full game, or a seat file that holds no seat,
// stops the player; a seat that cannot be stored is played all the same, with
// `why` saying it cannot be taken back.
SeatChoice choose_seat(httplib::Client& client, const std::string& seat_file);
