#include "regular_files.h"

#include <windows.h>

namespace platform {

namespace {

std::wstring wide(const std::string& path) {
    int length = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), text.data(), length);
    return text;
}

}  // namespace

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
