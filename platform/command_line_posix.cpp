#include "command_line.h"

#include <cstdlib>

namespace platform {

std::vector<std::string> program_arguments(int argc, char** argv) { return {argv, argv + argc}; }

std::optional<std::string> environment_value(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return value;
}

}  // namespace platform
