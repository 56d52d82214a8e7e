#include "server_checks.h"

#include "processes.h"

#include "game_client.h"
#include "game_constants.h"
#include "game_view.h"
#include "seat_file.h"

#include <chrono>
#include <optional>

namespace launcher {

namespace {

// GET `path` from the game server at `host`, with the key if there is one;
// none when nothing answers within a few seconds. A refused key comes back
// as a 401 reply, for the launcher to say in its own words.
std::optional<core::ServerReply> ask_server(const std::string& host, const std::string& path, const std::string& key) {
    core::GameClient client({host, core::default_port, key}, std::chrono::seconds(5));
    return client.Get(path);
}

}  // namespace

std::string players_joined(const std::string& key) {
    const std::optional<core::ServerReply> reply = ask_server("127.0.0.1", "/start", key);
    return reply ? reply->body : "";
}

bool game_won(const std::string& host, const std::string& key) {
    const std::optional<core::ServerReply> reply = ask_server(host, "/view", key);
    if (!reply || reply->status != 200) return false;
    const std::optional<core::GameView> view = core::view_from_text(reply->body);
    return view && view->winner != 0;
}

// The public view asks for no seat: a referee shows it, while a relay, which
// would show its host every piece, has no such route.
std::string check_host(const std::string& host, const std::string& key, const std::string& program) {
    const std::string port = std::to_string(core::default_port);
    if (!name_resolves(host)) {
        return "the name " + host + " is not found; type the address that the host's terminal shows";
    }
    const std::optional<core::ServerReply> reply = ask_server(host, "/view", key);
    if (!reply) {
        return "nothing answers at " + host + ":" + port + ": is the game started there (" + program +
               " --host), and does a firewall block port " + port + "?";
    }
    if (reply->status == 200) return "";
    if (reply->status == 401) {
        return "the game at " + host + ":" + port + " refused the key " + key + "; check it against the host's terminal";
    }
    if (reply->status == 404) return core::unrefereed_game_line;
    return host + ":" + port + " answers, but not as a game server: status " + std::to_string(reply->status);
}

}  // namespace launcher
