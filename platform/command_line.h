#pragma once
// What a program is started with, as UTF-8 on every system: a seat file's
// path may lie under a user folder named in any language.

#include <optional>
#include <string>
#include <vector>

namespace platform {

// The program's arguments, its own name first. On Windows `argv` is read in
// the system's code page, which cannot hold every letter, so the command line
// is read again wide.
std::vector<std::string> program_arguments(int argc, char** argv);

// The value of environment variable `name`; none when it is not set.
std::optional<std::string> environment_value(const std::string& name);

}  // namespace platform
