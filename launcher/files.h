#pragma once
// The launcher's own small files in the state folder, named by UTF-8 paths.
// std::filesystem and the file streams take a narrow path in the system's
// code page on Windows, which cannot hold every letter of a user's folder;
// each path goes through path_of, which reads it as UTF-8 on every system.

#include <cstdint>
#include <filesystem>
#include <string>

namespace launcher {

std::filesystem::path path_of(const std::string& utf8);
std::string text_of(const std::filesystem::path& path);

// The file `name` in `folder`, in the system's own spelling, as a player may
// read it in a message.
std::string in_folder(const std::string& folder, const std::string& name);

// The whole file; empty when it cannot be read.
std::string read_text(const std::string& path);
// Writes the file afresh.
void write_text(const std::string& path, const std::string& text);
// Removes the file; nothing when it is not there.
void remove_file(const std::string& path);
// True when there is anything at `path`, a broken link included.
bool file_exists(const std::string& path);
// The file's size in bytes; 0 when it is not there.
std::uintmax_t file_size(const std::string& path);

}  // namespace launcher
