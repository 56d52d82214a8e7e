#pragma once
// What the launcher asks a game server before and after the windows play: who
// has joined, whether the game has a winner, and whether a host to join runs
// a refereed game that takes the key. Each question waits a few seconds at
// most.

#include <string>

namespace launcher {

// The body of GET /start on this machine's server: how many players joined.
std::string players_joined(const std::string& key);

// True once the game at `host` has a winner in its public view.
bool game_won(const std::string& host, const std::string& key);

// Before a window opens: the game at `host` answers, takes the key, and is
// refereed. Returns why not in one line, or an empty text; `program` names
// the command that hosts a game.
std::string check_host(const std::string& host, const std::string& key, const std::string& program);

}  // namespace launcher
