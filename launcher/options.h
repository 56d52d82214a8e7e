#pragma once
// The launcher's command line.

#include <string>
#include <vector>

namespace launcher {

enum class Mode {
    none,  // no game named
    pair,  // two windows on this screen
    solo,  // one window, the computer plays the other seat
    host,  // one window, the other player joins from another machine
    join,  // one window in the game another machine holds
};

struct Options {
    Mode mode = Mode::none;
    std::string level;      // for solo: easy, normal or hard
    std::string join_host;  // for join
    std::string key;        // for join, as typed; empty: GAME_KEY, or asked for
    bool help = false;
};

extern const char* const usage_text;

// The options in `words` (the program's name left out). Returns what is wrong
// with them in one line, or an empty text.
std::string parse_options(const std::vector<std::string>& words, Options& options);

}  // namespace launcher
