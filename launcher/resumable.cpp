#include "resumable.h"

#include "files.h"
#include "places.h"
#include "processes.h"

#include "game_client.h"
#include "game_constants.h"
#include "private_files.h"
#include "referee_requests.h"

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <utility>

namespace launcher {

namespace {

// Whether the server at `address` answers for the seat kept in `seat_file`
// with a game still going.
bool still_going(const core::ServerAddress& address, const std::string& seat_file) {
    // A seat file is small; anything that is no seat is no game to offer.
    const std::optional<core::Seat> seat = core::seat_from_text(read_text(seat_file));
    if (!seat) return false;
    core::GameClient client(address, std::chrono::seconds(3));
    const core::ViewReply reply = core::get_view(client, seat->token);
    return reply.answer == core::Answer::ok && reply.view.winner == 0;
}

std::optional<Mode> local_game(const std::string& state) {
    // The key goes to no server but the one this player's launcher started:
    // another user's program may hold the port once it has stopped.
    const std::string server = read_text(in_folder(state, "server.pid"));
    const ProcessId process = std::strtol(server.c_str(), nullptr, 10);
    if (process <= 0 || !running(process)) return std::nullopt;
    platform::PrivateRead key = platform::read_private_file(in_folder(state, "key"), 64);
    if (key.kind != platform::PrivateRead::taken) return std::nullopt;
    const core::ServerAddress here{"127.0.0.1", core::default_port, key.text.substr(0, key.text.find('\n'))};
    const std::pair<const char*, Mode> seat_files[] = {
        {"solo", Mode::solo}, {"pair-1", Mode::pair}, {"pair-2", Mode::pair}, {"host", Mode::host}};
    for (const auto& [name, mode] : seat_files) {
        if (still_going(here, in_folder(state, name))) return mode;
    }
    return std::nullopt;
}

std::optional<Options> joined_game(const std::string& state) {
    platform::PrivateRead record = platform::read_private_file(in_folder(state, joined_record), 128);
    if (record.kind != platform::PrivateRead::taken) return std::nullopt;
    std::istringstream lines(record.text);
    Options options;
    options.mode = Mode::join;
    if (!std::getline(lines, options.join_host) || !std::getline(lines, options.key)) return std::nullopt;
    std::string key;
    if (!core::take_key(key, options.key).empty()) return std::nullopt;
    if (!still_going({options.join_host, core::default_port, key}, in_folder(state, join_seat_name(options.join_host)))) {
        return std::nullopt;
    }
    return options;
}

}  // namespace

std::optional<Options> resumable_game(const std::string& state) {
    if (const std::optional<Mode> mode = local_game(state)) {
        Options options;
        options.mode = *mode;
        return options;
    }
    return joined_game(state);
}

}  // namespace launcher
