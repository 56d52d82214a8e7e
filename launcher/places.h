#pragma once
// Where the launcher finds the game's programs and keeps what a game leaves
// for a later run.
//
// The programs are found from the launcher's own executable, in one of two
// layouts:
//  - the build tree: the launcher in BUILD/launcher/, the others in
//    BUILD/server/, BUILD/client/ and BUILD/bot/; the window runs in BUILD,
//    whose parent holds thirdparty/ with the pictures (scripts/build builds
//    into the checkout's build/);
//  - installed: the launcher in PREFIX/bin/, the others in
//    PREFIX/lib/rock-scissors-paper/, where the window runs; the client finds
//    the pictures in PREFIX/share/rock-scissors-paper/thirdparty/ from its own
//    folder (the installed layout is set in the top CMakeLists.txt).
// The build tree is tried first.

#include <optional>
#include <string>

namespace launcher {

struct Programs {
    std::string server;
    std::string client;
    std::string bot;
    std::string window_folder;  // where the client runs to find its pictures
    std::string picture_folder;  // the pictures themselves, the menu's too
};

// The programs beside `executable`; none, with one line in `error`, when
// neither layout holds them all.
std::optional<Programs> find_programs(const std::string& executable, std::string& error);

// The player's state folder, $XDG_STATE_HOME/rock-scissors-paper, by default
// ~/.local/state/rock-scissors-paper, made for its owner alone; a build can
// be deleted without losing a game. Empty, with one line in `error`, when it
// cannot be made.
std::string make_state_folder(std::string& error);

// The seat file of a game joined at `host`, in the state folder.
std::string join_seat_name(const std::string& host);

// The state folder's record of the last game joined on another machine, its
// host and key, a line each, for the menu to offer that game again.
inline constexpr const char* joined_record = "joined";

}  // namespace launcher
