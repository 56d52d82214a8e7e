#pragma once
// What the game fixes for every program: where the server is found, how long
// a long poll may take, and the lines the server prints on its console.

#include <chrono>
#include <string>
#include <string_view>

namespace core {

inline constexpr const char* default_host = "localhost";
inline constexpr int default_port = 8089;

// The server holds a long poll up to 25 s; a reply that takes longer than this
// means the server or the way to it is gone. The reply wait of the
// GameClient that sends long polls; the server's hold is checked against it.
inline constexpr std::chrono::seconds long_poll_wait{35};

// The console speaks GBK (code page 936); these are its bytes, written as is.
inline constexpr std::string_view player_one_joined =
    "\xCD\xE6\xBC\xD2\xD2\xBB\xBC\xD3\xC8\xEB\xD3\xCE\xCF\xB7";  // 玩家一加入游戏
inline constexpr std::string_view player_two_joined =
    "\xCD\xE6\xBC\xD2\xB6\xFE\xBC\xD3\xC8\xEB\xD3\xCE\xCF\xB7";  // 玩家二加入游戏
inline constexpr std::string_view game_over_prefix =
    "\xD3\xCE\xCF\xB7\xBD\xE1\xCA\xF8\xA3\xAC";  // 游戏结束，
inline constexpr std::string_view game_over_suffix =
    "\xBA\xC5\xCD\xE6\xBC\xD2\xBB\xF1\xCA\xA4\xA3\xA1";  // 号玩家获胜！

// The end-of-game line for `winner` as the console shows it, line break included.
inline std::string game_over_line(int winner) {
    return std::string(game_over_prefix) + std::to_string(winner) + std::string(game_over_suffix) + "\n";
}

}  // namespace core
