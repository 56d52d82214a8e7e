#pragma once
// The programs' messages end their lines with '\n' alone on every system:
// the launcher reads its programs' messages back line by line, and whoever
// reads them from a pipe or a file gets the same bytes everywhere.

namespace platform {

// From here on '\n' reaches standard output and standard error as written.
// Called first in main, before anything is written.
void keep_line_ends();

}  // namespace platform
