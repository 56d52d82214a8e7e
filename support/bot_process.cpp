#include "bot_process.h"

#include "game_constants.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace support {

namespace {

std::string new_log_path() {
    static std::atomic<int> counter{0};
    return "/tmp/game-test-bot-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".log";
}

}  // namespace

BotRun start_bot(unsigned seed, int think_ms, const std::vector<std::string>& launcher,
                 const std::vector<std::string>& options, const std::map<std::string, std::string>& env) {
    BotRun run;
    run.log_path = new_log_path();
    std::vector<std::string> words = launcher;
    words.insert(words.end(), {BOT_PATH, "--level", "easy", "--think", std::to_string(think_ms), "--seed", std::to_string(seed),
                               "--log", run.log_path});
    words.insert(words.end(), options.begin(), options.end());
    run.process = std::make_unique<ChildProcess>(words[0], std::vector<std::string>(words.begin() + 1, words.end()), "", env);
    return run;
}

void forget_bot_log(const BotRun& run) { std::remove(run.log_path.c_str()); }

int end_of_game_lines(const std::string& console) {
    const std::string game_over(core::game_over_prefix);
    int count = 0;
    for (auto at = console.find(game_over); at != std::string::npos; at = console.find(game_over, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace support
