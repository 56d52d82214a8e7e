#include "command_line.h"

#include "wide_text.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

// CommandLineToArgvW splits as the C runtime does, so only the letters change
// from what `argv` holds.
std::vector<std::string> program_arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr || count != argc) {
        if (words != nullptr) LocalFree(words);
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(utf8(words[i]));
    LocalFree(words);
    return arguments;
}

std::optional<std::string> environment_value(const std::string& name) {
    const std::wstring wide_name = wide(name);
    std::wstring value(256, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        if (length < value.size()) {
            value.resize(length);
            return utf8(value);
        }
        value.resize(length);
    }
}

}  // namespace platform
