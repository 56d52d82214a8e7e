#include "state_home.h"

#include <cstdlib>

namespace platform {

// The XDG rule: a relative XDG_STATE_HOME is ignored.
std::string state_home(std::string& error) {
    const char* state_home = std::getenv("XDG_STATE_HOME");
    if (state_home != nullptr && state_home[0] == '/') return state_home;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state";
    error = "cannot tell where to keep the game's files: neither XDG_STATE_HOME nor HOME is set";
    return "";
}

}  // namespace platform
