#include "files.h"

#include <fstream>
#include <iterator>

namespace launcher {

namespace fs = std::filesystem;

fs::path path_of(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string text_of(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

std::string in_folder(const std::string& folder, const std::string& name) {
    return text_of(path_of(folder) / path_of(name));
}

std::string read_text(const std::string& path) {
    std::ifstream file(path_of(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path_of(path), std::ios::binary | std::ios::trunc) << text;
}

void remove_file(const std::string& path) {
    std::error_code ignored;
    fs::remove(path_of(path), ignored);
}

bool file_exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path_of(path), ignored));
}

std::uintmax_t file_size(const std::string& path) {
    std::error_code missing;
    const std::uintmax_t size = fs::file_size(path_of(path), missing);
    return missing ? 0 : size;
}

}  // namespace launcher
