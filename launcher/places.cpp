#include "places.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace launcher {

namespace fs = std::filesystem;

namespace {

bool executable_file(const fs::path& path) {
    std::error_code failed;
    return fs::is_regular_file(path, failed) &&
           (fs::status(path, failed).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

std::optional<Programs> build_tree(const fs::path& build) {
    Programs found{(build / "server" / "server").string(), (build / "client" / "client").string(),
                   (build / "bot" / "bot").string(), build.string(), (build / "thirdparty").string()};
    if (!executable_file(found.server) || !executable_file(found.client) || !executable_file(found.bot)) {
        return std::nullopt;
    }
    return found;
}

std::optional<Programs> installed(const fs::path& prefix) {
    const fs::path helpers = prefix / INSTALLED_HELPERS;
    Programs found{(helpers / "server").string(), (helpers / "client").string(), (helpers / "bot").string(),
                   helpers.string(), (helpers / INSTALLED_PICTURES).lexically_normal().string()};
    if (!executable_file(found.server) || !executable_file(found.client) || !executable_file(found.bot)) {
        return std::nullopt;
    }
    return found;
}

}  // namespace

std::optional<Programs> find_programs(const std::string& executable, std::string& error) {
    const fs::path beside = fs::path(executable).parent_path().parent_path();
    if (auto found = build_tree(beside)) return found;
    if (auto found = installed(beside)) return found;
    error = "cannot find the game's server, client and bot beside " + executable + ": looked in " +
            (beside / "{server,client,bot}").string() + " and " + (beside / INSTALLED_HELPERS).string();
    return std::nullopt;
}

std::string make_state_folder(std::string& error) {
    // The XDG rule: a relative XDG_STATE_HOME is ignored.
    const char* state_home = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    fs::path base;
    if (state_home != nullptr && fs::path(state_home).is_absolute()) {
        base = state_home;
    } else if (home != nullptr && fs::path(home).is_absolute()) {
        base = fs::path(home) / ".local" / "state";
    } else {
        error = "cannot tell where to keep the game's files: neither XDG_STATE_HOME nor HOME is set";
        return "";
    }
    const fs::path folder = base / "rock-scissors-paper";
    std::error_code failed;
    fs::create_directories(folder, failed);
    if (!failed) fs::permissions(folder, fs::perms::owner_all, failed);
    if (failed) {
        error = "cannot make " + folder.string() + ": " + failed.message();
        return "";
    }
    return folder.string();
}

std::string join_seat_name(const std::string& host) {
    std::string name = "join-" + host;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    }
    return name;
}

}  // namespace launcher
