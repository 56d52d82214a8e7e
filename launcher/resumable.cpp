#include "resumable.h"

#include "processes.h"

#include "game_client.h"
#include "game_constants.h"
#include "private_files.h"
#include "referee_requests.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

namespace launcher {

namespace {

std::string read_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace

std::optional<Mode> resumable_game(const std::string& state) {
    // The key goes to no server but the one this player's launcher started:
    // another user's program may hold the port once it has stopped.
    const std::string server = read_text(state + "/server.pid");
    const ProcessId process = std::strtol(server.c_str(), nullptr, 10);
    if (process <= 0 || !running(process)) return std::nullopt;
    platform::PrivateRead key = platform::read_private_file(state + "/key", 64);
    if (key.kind != platform::PrivateRead::taken) return std::nullopt;
    core::GameClient client({"127.0.0.1", core::default_port, key.text.substr(0, key.text.find('\n'))},
                            std::chrono::seconds(3));
    const std::pair<const char*, Mode> seat_files[] = {
        {"solo", Mode::solo}, {"pair-1", Mode::pair}, {"pair-2", Mode::pair}, {"host", Mode::host}};
    for (const auto& [name, mode] : seat_files) {
        // A seat file is small; anything that is no seat is no game to offer.
        const std::optional<core::Seat> seat = core::seat_from_text(read_text(state + "/" + name));
        if (!seat) continue;
        const core::ViewReply reply = core::get_view(client, seat->token);
        if (reply.answer == core::Answer::ok && reply.view.winner == 0) return mode;
    }
    return std::nullopt;
}

}  // namespace launcher
