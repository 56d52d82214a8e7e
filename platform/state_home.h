#pragma once
// Where this system keeps what a user's programs leave for their later runs
// (a game's seats, key and logs), a folder that outlives any build.

#include <string>

namespace platform {

// The user's folder for such state, as UTF-8: $XDG_STATE_HOME, by default
// ~/.local/state, on Linux; %LOCALAPPDATA% on Windows. Empty, with one line in
// `error`, when the environment does not tell.
std::string state_home(std::string& error);

}  // namespace platform
