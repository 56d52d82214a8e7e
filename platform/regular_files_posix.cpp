#include "regular_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool read_regular_file(const std::string& path, std::vector<unsigned char>& bytes) {
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return false;
    struct stat status {};
    bool whole = fstat(file, &status) == 0 && S_ISREG(status.st_mode);
    unsigned char chunk[65536];
    while (whole) {
        const ssize_t got = read(file, chunk, sizeof chunk);
        if (got == 0) break;
        if (got > 0) {
            bytes.insert(bytes.end(), chunk, chunk + got);
        } else if (errno != EINTR) {
            whole = false;
        }
    }
    close(file);
    return whole;
}

}  // namespace platform
