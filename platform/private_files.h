#pragma once
// Small files that belong to one user alone, such as a seat file, which holds
// a secret: opened without following a link, taken only from the user's own
// regular file that nobody else may read, and held by one program at a time.
// What differs between systems is behind these few calls; each system has
// one implementation file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// A private file one program holds: no other program can hold it until this
// one lets it go, or ends in any way, a crash included.
class HeldFile {
public:
    HeldFile() = default;
    explicit HeldFile(std::intptr_t handle) : handle_(handle) {}
    ~HeldFile();
    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool held() const { return handle_ != -1; }

private:
    std::intptr_t handle_ = -1;
};

struct PrivateRead {
    enum Kind {
        absent,   // there is no such file
        taken,    // `text` is the whole file, and `file` holds it
        refused,  // `why` says in a few words why nothing was taken
    } kind = absent;
    std::string text;
    std::string why;
    HeldFile file;
};

// Reads `path` and holds it. Refused: a link, anything but a regular file, a
// file of another user, or one that others may read or write, more than
// `max_bytes`, or a file another program holds.
PrivateRead read_private_file(const std::string& path, std::size_t max_bytes);

// Creates `path`, which must not exist yet, for its owner alone, holds it in
// `file` and writes `text` to it, to the disk. Returns what went wrong in a
// few words (the file then is gone), or an empty text.
std::string create_private_file(const std::string& path, const std::string& text, HeldFile& file);

// Removes `path`; nothing when it is not there.
void remove_private_file(const std::string& path);

// Opens `path` for writing from its start, made for its owner alone when it is
// new and narrowed to its owner when it is the owner's regular file. None when
// it cannot be opened.
std::FILE* open_private_output(const std::string& path);

}  // namespace platform
