#include "regular_files.h"

#include "wide_text.h"

#include <windows.h>

namespace platform {

// Read in binary, byte for byte; a pipe or a device is refused by its type
// before any read could wait on it.
bool read_regular_file(const std::string& path, std::vector<unsigned char>& bytes) {
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    bool whole = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                 !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    unsigned char buffer[1 << 16];
    for (DWORD got = 0; whole;) {
        whole = ReadFile(file, buffer, sizeof buffer, &got, nullptr);
        if (!whole || got == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    CloseHandle(file);
    return whole;
}

}  // namespace platform
