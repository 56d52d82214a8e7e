#pragma once
// The game's pictures, and where they are found.

#include "image.h"

#include <string>
#include <vector>

namespace client {

struct Pictures {
    IMAGE exit, own_1, own_2, turn_1, turn_2;
    IMAGE square, selected, river;
    IMAGE rock, scissors, paper, hidden;
    IMAGE lobby, win_1, win_2;
    // The refereed game's last move: square backgrounds for the square it left
    // and the square it reached, by outcome, and badges of an own piece it cost.
    IMAGE from_step, to_step, from_won, to_won, from_lost, to_lost;
    IMAGE lost_rock, lost_scissors, lost_paper;
};

// Where the pictures are looked for, in this order: ../thirdparty/ from the
// working folder, where players have always run the client from; then from
// the program's own folder, ../thirdparty/ (the build tree), the installed
// share folder, ../../share/rock-scissors-paper/thirdparty/ from
// PREFIX/lib/rock-scissors-paper/ (the installed layout is set in the top
// CMakeLists.txt), and thirdparty/ (the Windows zip, whose programs lie side
// by side).
std::vector<std::string> picture_folders();

// Loads the pictures from the first of picture_folders() that holds them, each
// at its file's own size: the fifteen of the board, the lobby and the end in
// their fixed order, then the last move's marks and badges. Returns that
// folder; empty, with every picture left empty, when none holds them.
std::string load_pictures(Pictures& into);

}  // namespace client
