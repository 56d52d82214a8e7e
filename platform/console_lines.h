#pragma once
// Where a program's console lines go: standard output, exactly the bytes the
// game writes (GBK text, '\n' line ends), for whoever reads it from a pipe or
// a file; on a Windows console window, shown as the text they stand for
// whatever the console's code page.

#include <ostream>

namespace platform {

// The stream for the console lines; one for the whole process.
std::ostream& console_lines();

}  // namespace platform
