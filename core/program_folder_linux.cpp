#include "program_folder.h"

#include <unistd.h>

#include <climits>

namespace core {

std::string program_folder() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    std::string folder(path, static_cast<std::size_t>(length));
    const std::size_t slash = folder.rfind('/');
    return slash == std::string::npos ? "" : folder.substr(0, slash);
}

}  // namespace core
