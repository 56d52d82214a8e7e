#include "private_files.h"

#include "wide_text.h"

#include <windows.h>
#include <aclapi.h>
#include <io.h>
#include <fcntl.h>
#include <sddl.h>

#include <memory>
#include <utility>

namespace platform {

namespace {

HANDLE handle_of(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

void close_held(std::intptr_t handle) {
    if (handle != -1) CloseHandle(handle_of(handle));
}

std::string words_of(DWORD error) {
    char text[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr);
    std::string words(text, length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) words.pop_back();
    return words.empty() ? "error " + std::to_string(error) : words;
}

struct LocalMemory {
    void operator()(void* memory) const { LocalFree(memory); }
};

// The user this program runs as, by the SID of its token.
bool is_current_user(PSID owner) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<unsigned char[]> user(new unsigned char[size]);
    bool same = GetTokenInformation(token, TokenUser, user.get(), size, &size) &&
                EqualSid(reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid, owner);
    CloseHandle(token);
    return same;
}

bool owned_by_current_user(HANDLE file) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    std::unique_ptr<void, LocalMemory> kept(descriptor);
    return is_current_user(owner);
}

// The folder is the user's own under %LOCALAPPDATA%, and its permissions pass
// to what is made in it; what is left to refuse is a link (a reparse point)
// put in the file's place, anything but a file, and a file of another user.
std::string fault_of(HANDLE file, std::size_t max_bytes) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return words_of(GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return "is a symbolic link";
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || GetFileType(file) != FILE_TYPE_DISK) {
        return "is not a regular file";
    }
    if (!owned_by_current_user(file)) return "belongs to another user";
    const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > max_bytes) return "is longer than " + std::to_string(max_bytes) + " bytes";
    return "";
}

}  // namespace

HeldFile::~HeldFile() { close_held(handle_); }

HeldFile::HeldFile(HeldFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        close_held(handle_);
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

// The file is opened with no sharing: that is the hold, and Windows lets go of
// it however the program ends. Opening the reparse point itself keeps a link
// from being followed.
PrivateRead read_private_file(const std::string& path, std::size_t max_bytes) {
    PrivateRead result;
    const std::wstring name = wide(path);
    HANDLE opened = CreateFileW(name.c_str(), GENERIC_READ | READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return result;
        result.kind = PrivateRead::refused;
        result.why = error == ERROR_SHARING_VIOLATION ? "is in use by another program" : words_of(error);
        // A folder does not open as a file at all: Windows says only that access
        // is denied, which would send the player looking at permissions.
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            result.why = "is not a regular file";
        }
        return result;
    }
    HeldFile file(reinterpret_cast<std::intptr_t>(opened));
    result.kind = PrivateRead::refused;
    if (result.why = fault_of(opened, max_bytes); !result.why.empty()) return result;
    std::string text(max_bytes + 1, '\0');
    std::size_t filled = 0;
    for (DWORD got = 0; filled < text.size(); filled += got) {
        if (!ReadFile(opened, text.data() + filled, static_cast<DWORD>(text.size() - filled), &got, nullptr)) {
            result.why = words_of(GetLastError());
            return result;
        }
        if (got == 0) break;
    }
    if (filled > max_bytes) {
        result.why = "is longer than " + std::to_string(max_bytes) + " bytes";
        return result;
    }
    text.resize(filled);
    result = {PrivateRead::taken, std::move(text), "", std::move(file)};
    return result;
}

std::string create_private_file(const std::string& path, const std::string& text, HeldFile& file) {
    const std::wstring name = wide(path);
    HANDLE made = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (made == INVALID_HANDLE_VALUE) return words_of(GetLastError());
    HeldFile created(reinterpret_cast<std::intptr_t>(made));
    DWORD written = 0;
    if (!WriteFile(made, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !FlushFileBuffers(made)) {
        const std::string why = words_of(GetLastError());
        created = HeldFile();
        DeleteFileW(name.c_str());
        return why;
    }
    file = std::move(created);
    return "";
}

void remove_private_file(const std::string& path) { DeleteFileW(wide(path).c_str()); }

std::FILE* open_private_output(const std::string& path) {
    HANDLE opened = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(opened), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(opened);
        return nullptr;
    }
    std::FILE* out = _fdopen(fd, "wb");
    if (out == nullptr) _close(fd);
    return out;
}

}  // namespace platform
