#include "places.h"

#include "files.h"

#include "program_folder.h"
#include "state_home.h"

#include <cctype>

namespace launcher {

namespace fs = std::filesystem;

namespace {

bool executable_file(const fs::path& path) {
    std::error_code failed;
    return fs::is_regular_file(path, failed) &&
           (fs::status(path, failed).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

fs::path program(const fs::path& folder, const char* name) { return folder / path_of(platform::program_file(name)); }

std::optional<Programs> found_if_there(const fs::path& server, const fs::path& client, const fs::path& bot,
                                       const fs::path& window_folder, const fs::path& picture_folder) {
    if (!executable_file(server) || !executable_file(client) || !executable_file(bot)) return std::nullopt;
    return Programs{text_of(server), text_of(client), text_of(bot), text_of(window_folder), text_of(picture_folder)};
}

std::optional<Programs> build_tree(const fs::path& build) {
    return found_if_there(program(build / "server", "server"), program(build / "client", "client"),
                          program(build / "bot", "bot"), build, build / "thirdparty");
}

std::optional<Programs> installed(const fs::path& prefix) {
    const fs::path helpers = prefix / INSTALLED_HELPERS;
    return found_if_there(program(helpers, "server"), program(helpers, "client"), program(helpers, "bot"), helpers,
                          (helpers / INSTALLED_PICTURES).lexically_normal());
}

std::optional<Programs> side_by_side(const fs::path& folder) {
    return found_if_there(program(folder, "server"), program(folder, "client"), program(folder, "bot"), folder,
                          folder / "thirdparty");
}

}  // namespace

std::optional<Programs> find_programs(const std::string& executable, std::string& error) {
    const fs::path own = path_of(executable).parent_path();
    const fs::path beside = own.parent_path();
    if (auto found = build_tree(beside)) return found;
    if (auto found = installed(beside)) return found;
    if (auto found = side_by_side(own)) return found;
    error = "cannot find the game's server, client and bot beside " + executable + ": looked in " +
            text_of(beside / "{server,client,bot}") + ", " + text_of(beside / INSTALLED_HELPERS) + " and " +
            text_of(own);
    return std::nullopt;
}

std::string make_state_folder(std::string& error) {
    const std::string home = platform::state_home(error);
    if (home.empty()) return "";
    const fs::path folder = path_of(home) / "rock-scissors-paper";
    std::error_code failed;
    fs::create_directories(folder, failed);
    if (!failed) fs::permissions(folder, fs::perms::owner_all, failed);
    if (failed) {
        error = "cannot make " + text_of(folder) + ": " + failed.message();
        return "";
    }
    return text_of(folder);
}

std::string join_seat_name(const std::string& host) {
    std::string name = "join-" + host;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    }
    return name;
}

}  // namespace launcher
