#include "game_log.h"

#include "private_files.h"

#include <chrono>

namespace bot {

GameLog::GameLog(const std::string& path) : wanted_(!path.empty()) {
    if (!path.empty()) out_ = platform::open_private_output(path);
}

GameLog::~GameLog() {
    if (out_ != nullptr) std::fclose(out_);
}

bool GameLog::usable() const { return wanted_ == (out_ != nullptr); }

long long GameLog::now() {
    auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(since_boot).count();
}

void GameLog::note(const std::string& event, const std::string& detail) {
    note_at(now(), event, detail);
}

void GameLog::note_at(long long stamp, const std::string& event, const std::string& detail) {
    if (out_ == nullptr) return;
    std::fprintf(out_, "%lld %s%s%s\n", stamp, event.c_str(), detail.empty() ? "" : " ", detail.c_str());
    // Each line reaches the file as it happens, for a reader that follows the game.
    std::fflush(out_);
}

}  // namespace bot
