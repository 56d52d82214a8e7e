#include "private_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {

HeldFile::~HeldFile() {
    if (handle_ != -1) close(static_cast<int>(handle_));
}

HeldFile::HeldFile(HeldFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        if (handle_ != -1) close(static_cast<int>(handle_));
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

namespace {

// A lock of the open file, not of the process: a second program on the same
// file is refused, and the kernel lets go of it however this one ends.
std::string hold(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return "";
    return errno == EWOULDBLOCK ? "is in use by another program" : std::strerror(errno);
}

std::string fault_of(const struct stat& status, std::size_t max_bytes) {
    if (!S_ISREG(status.st_mode)) return "is not a regular file";
    if (status.st_uid != geteuid()) return "belongs to another user";
    if ((status.st_mode & 077) != 0) return "may be used by other users: it must be readable by its owner alone";
    if (static_cast<std::size_t>(status.st_size) > max_bytes) {
        return "is longer than " + std::to_string(max_bytes) + " bytes";
    }
    return "";
}

}  // namespace

PrivateRead read_private_file(const std::string& path, std::size_t max_bytes) {
    PrivateRead result;
    // Not blocking: a named pipe put in the file's place must not hold the program.
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return result;
        result.kind = PrivateRead::refused;
        result.why = errno == ELOOP ? "is a symbolic link" : std::strerror(errno);
        return result;
    }
    HeldFile file(fd);
    struct stat status {};
    result.kind = PrivateRead::refused;
    if (fstat(fd, &status) != 0) {
        result.why = std::strerror(errno);
        return result;
    }
    if (result.why = fault_of(status, max_bytes); !result.why.empty()) return result;
    if (result.why = hold(fd); !result.why.empty()) return result;
    // The size is read again: the file may have grown since fstat.
    std::string text(max_bytes + 1, '\0');
    std::size_t filled = 0;
    for (ssize_t got; filled < text.size() && (got = read(fd, text.data() + filled, text.size() - filled)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.why = std::strerror(errno);
            return result;
        }
        filled += static_cast<std::size_t>(got);
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
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) return std::strerror(errno);
    HeldFile created(fd);
    std::string why = hold(fd);
    // The mask of the process may leave the owner without reading it back.
    if (why.empty() && fchmod(fd, 0600) != 0) why = std::strerror(errno);
    if (why.empty() && (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()) || fsync(fd) != 0)) {
        why = std::strerror(errno);
    }
    if (!why.empty()) {
        unlink(path.c_str());
        return why;
    }
    file = std::move(created);
    return "";
}

void remove_private_file(const std::string& path) { unlink(path.c_str()); }

std::FILE* open_private_output(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    struct stat status {};
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid()) fchmod(fd, 0600);
    std::FILE* out = fdopen(fd, "w");
    if (out == nullptr) close(fd);
    return out;
}

}  // namespace platform
