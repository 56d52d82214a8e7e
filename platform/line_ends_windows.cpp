#include "line_ends.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace platform {

namespace {

// A window program started without a console or a redirection has no such
// stream, and the C runtime takes a mode change of it for a fault.
void binary_when_open(std::FILE* stream, DWORD handle_name) {
    const HANDLE handle = GetStdHandle(handle_name);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
}

}  // namespace

// Text mode would turn each '\n' into "\r\n".
void keep_line_ends() {
    binary_when_open(stdout, STD_OUTPUT_HANDLE);
    binary_when_open(stderr, STD_ERROR_HANDLE);
}

}  // namespace platform
