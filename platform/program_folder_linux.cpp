#include "program_folder.h"

#include <unistd.h>

#include <climits>

namespace platform {

std::string program_path() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    return std::string(path, static_cast<std::size_t>(length));
}

std::string program_folder() {
    const std::string path = program_path();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string program_file(const std::string& name) { return name; }

}  // namespace platform
