#pragma once
// What the server, the computer player and the windows write to their files,
// shown on the launcher's terminal as it comes, a whole line at a time.

#include <cstdint>
#include <cstdio>
#include <string>

namespace launcher {

struct Follower {
    std::string path;
    std::uintmax_t shown = 0;  // bytes of the file taken so far
    std::string part;          // the start of a line still being written
    std::string prefix;        // before each line shown
    bool gbk = false;          // the server's console speaks GBK
    std::FILE* to = stdout;
};

// Follows `path` from its start, or only what comes after now.
Follower follow(const std::string& path, bool from_start, std::FILE* to, const std::string& prefix = "",
                bool gbk = false);

// Shows the whole lines written since the last call.
void show_new_lines(Follower& follower);
// Shows what is left, an unfinished line too: the program has ended.
void show_the_rest(Follower& follower);

}  // namespace launcher
