#include "state_home.h"

#include "command_line.h"
#include "wide_text.h"

#include <filesystem>

namespace platform {

// Read wide: the folder lies under the user's own, whose name may hold any
// letter. A relative value, as with XDG's, is no answer.
std::string state_home(std::string& error) {
    const std::optional<std::string> local = environment_value("LOCALAPPDATA");
    if (local && std::filesystem::path(wide(*local)).is_absolute()) return *local;
    error = "cannot tell where to keep the game's files: LOCALAPPDATA is not set";
    return "";
}

}  // namespace platform
