#pragma once
// Where the running program's own file lies, so that what ships beside it is
// found whatever folder the program was started from.

#include <string>

namespace core {

// The folder of the program's file, symbolic links resolved, without a
// trailing slash; empty when the system does not tell.
std::string program_folder();

}  // namespace core
