#pragma once
// Where a player's seat comes from: the seat file of an earlier run, or a new
// seat taken from the server and kept in that file, so that a player whose
// program died takes its seat back. The token is a secret: the file is the
// player's alone and it never goes on a command line. One program at a time
// plays the seat a file keeps.

#include "game_client.h"
#include "private_files.h"
#include "referee_requests.h"

#include <cstddef>
#include <optional>
#include <string>

namespace core {

// A seat is 35 bytes; a larger file is not one.
constexpr std::size_t max_seat_file_bytes = 256;

// The seat `path` holds, with the file held in `file` (see platform::read_private_file).
// None, with nothing in `error`, when there is no such file; none with one
// line in `error`, which begins "the seat file PATH", when the file is there
// but is refused, or holds no seat.
std::optional<Seat> read_seat_file(const std::string& path, platform::HeldFile& file, std::string& error);
// Creates `path` (it must not exist yet), readable and writable by its owner
// alone, holding the seat, and holds it in `file`. Returns what went wrong in
// one line, or an empty text.
std::string store_seat_file(const std::string& path, const Seat& seat, platform::HeldFile& file);
// The game is over: the seat is of no more use.
void remove_seat_file(const std::string& path);

// Why a player beyond loopback does not play a relay's game unless asked to.
inline constexpr const char* unrefereed_game_line =
    "the host runs a game without a referee, which shows the host every piece";

struct SeatChoice {
    enum Kind {
        relay,   // the server has no seats: play the relay's game
        seated,  // play the refereed game in `seat`
        stop,    // stop with status 2, saying `why`
    } kind = relay;
    Seat seat;
    bool resumed = false;  // the seat came from the file
    std::string why;       // one line, for `stop`
    platform::HeldFile file;         // the seat file, held while the seat is played
};

// With a seat file holding a seat: that seat (its token is checked by the first
// request that names it). Otherwise POST /seat; a seat taken is stored in the
// file when one is named. A refused key, a full game, a seat file that is refused or holds no
// seat, or a relay when `relay_allowed` is false stops the player; a seat that
// cannot be stored is played all the same, with `why` saying it cannot be
// taken back.
SeatChoice choose_seat(GameClient& client, const std::string& seat_file, bool relay_allowed);

}  // namespace core
