#include "game_log.h"

#include <chrono>

GameLog::GameLog(const std::string& path) : wanted_(!path.empty()) {
    if (!path.empty()) out_.open(path, std::ios::trunc);
}

bool GameLog::usable() const { return wanted_ == out_.is_open(); }

long long GameLog::now() {
    auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(since_boot).count();
}

void GameLog::note(const std::string& event, const std::string& detail) {
    note_at(now(), event, detail);
}

void GameLog::note_at(long long stamp, const std::string& event, const std::string& detail) {
    if (!out_.is_open()) return;
    out_ << stamp << ' ' << event;
    if (!detail.empty()) out_ << ' ' << detail;
    out_ << std::endl;
}
