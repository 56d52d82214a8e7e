#pragma once
// An optional record of one bot's game, one event a line:
//   <microseconds of the monotonic clock> <event> [<detail>]
// Events: joined N, dealt TEXT (player 1's starting board), setup TEXT
// (player 2's starting board), fetched TEXT (the board at the start of a
// turn, stamped before the first /what), posted TEXT, handed_over (stamped at
// the "ok" of /next), won, forfeited, winner BODY (told by /who_win).
// In a refereed game: seat N, view LINE (every view received, its five lines
// joined by "/"), moved MOVE and refused MOVE ("C R C R"), resigned, winner N.
// The monotonic clock is shared by all processes, so two records can be
// laid side by side. The record shows the bot's own kinds: the file is its
// owner's alone.

#include <cstdio>
#include <string>

namespace bot {

class GameLog {
public:
    // No path: nothing is written.
    explicit GameLog(const std::string& path);
    ~GameLog();
    GameLog(const GameLog&) = delete;
    GameLog& operator=(const GameLog&) = delete;
    // False when a path was given and could not be opened.
    bool usable() const;
    void note(const std::string& event, const std::string& detail = "");
    // The time stamp to give a later note of an event that began now.
    static long long now();
    void note_at(long long stamp, const std::string& event, const std::string& detail = "");

private:
    bool wanted_;
    std::FILE* out_ = nullptr;
};

}  // namespace bot
