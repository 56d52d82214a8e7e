#pragma once
// The real bot program, started by a test with its record in a file of its own.

#include "child_process.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace support {

struct BotRun {
    std::unique_ptr<ChildProcess> process;
    std::string log_path;
};

// The easy level unless `options` name another: the games that check the
// relay need a quick bot, not a strong one. `launcher` goes before the
// program (to run it in a network namespace), `options` after the test's
// own; `env` is added to its environment.
BotRun start_bot(unsigned seed, int think_ms, const std::vector<std::string>& launcher = {},
                 const std::vector<std::string>& options = {},
                 const std::map<std::string, std::string>& env = {});
// Removes the record file.
void forget_bot_log(const BotRun& run);

// The number of end-of-game lines in the server's console.
int end_of_game_lines(const std::string& console);

}  // namespace support
