#pragma once
// Where the running program's own file lies, so that what ships beside it is
// found whatever folder the program was started from.

#include <string>

namespace platform {

// The program's file, symbolic links resolved; empty when the system does
// not tell.
std::string program_path();

// The folder of the program's file, symbolic links resolved, without a
// trailing separator; empty when the system does not tell.
std::string program_folder();

// The file name of the game's program `name` on this system: "server" is
// server.exe on Windows.
std::string program_file(const std::string& name);

}  // namespace platform
