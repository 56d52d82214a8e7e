#pragma once
// Reading a file whole, only when it is a regular file.

#include <string>
#include <vector>

namespace platform {

// Appends the whole content of the regular file `path` to `bytes`; false when
// it cannot be read as one: missing, a folder, a device, a named pipe, or a
// read error. A named pipe without a writer is refused at once, not waited on.
bool read_regular_file(const std::string& path, std::vector<unsigned char>& bytes);

}  // namespace platform
