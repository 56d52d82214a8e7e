#include "program_folder.h"

#include "wide_text.h"

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
    return utf8(wide);
}

std::string program_folder() {
    const std::string path = program_path();
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string program_file(const std::string& name) { return name + ".exe"; }

}  // namespace platform
