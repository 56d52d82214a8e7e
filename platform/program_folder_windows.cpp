#include "program_folder.h"

#include <windows.h>

#include <string>

namespace platform {

// The path comes wide and goes out as UTF-8, so a folder named in any
// language survives; the game opens files from it with wide paths again.
std::string program_path() {
    std::wstring wide(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
        if (length == 0) return "";
        if (length < wide.size()) {
            wide.resize(length);
            break;
        }
        wide.resize(wide.size() * 2);
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string path(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), path.data(), bytes, nullptr, nullptr);
    return path;
}

std::string program_folder() {
    const std::string path = program_path();
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace platform
