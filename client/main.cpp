// The client program: one window per player. It asks the server for a seat
// first: a refereed server gives one, and the refereed game is played from
// the seat's view; a relay has none, and the relay game is played.

#include "command_line.h"
#include "options.h"
#include "pictures.h"
#include "referee_flow.h"
#include "relay_game.h"
#include "seat_file.h"
#include "window.h"

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>

namespace {

void open_lobby(const client::Pictures& pictures) {
    init_window(800, 500, WINDOW_NO_CLOSE | WINDOW_NO_MINIMIZE);
    put_image(0, 0, &pictures.lobby, SRCCOPY);
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::vector<std::string> arguments = platform::program_arguments(argc, argv);
    auto options = client::parse_client_options({arguments.begin() + 1, arguments.end()}, error);
    if (!options) {
        std::cerr << "client: " << error << std::endl;
        return 2;
    }
    if (options->help) {
        std::cout << client::client_usage;
        return 0;
    }
    if (options->seat_file.empty()) {
        options->seat_file = platform::environment_value("GAME_SEAT_FILE").value_or("");
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    auto client = std::make_unique<core::GameClient>(options->server);
    client::Pictures pictures;
    if (client::load_pictures(pictures).empty()) {
        std::cerr << "client: no pictures in any of";
        for (const std::string& folder : client::picture_folders()) std::cerr << " " << folder;
        std::cerr << std::endl;
    }
    open_lobby(pictures);

    const bool relay_allowed = options->relay || core::is_loopback_host(options->server.host);
    const core::SeatChoice seat = core::choose_seat(*client, options->seat_file, relay_allowed);
    if (!seat.why.empty()) std::cerr << "client: " << seat.why << std::endl;
    if (seat.kind == core::SeatChoice::stop) {
        close_window();
        return 2;
    }
    if (seat.kind == core::SeatChoice::seated) {
        return client::play_refereed_game(options->server, seat.seat, options->seat_file, pictures);
    }
    client::RelayGame game{std::move(client), options->server, pictures, {}, 0};
    return client::play_relay_game(game);
}
